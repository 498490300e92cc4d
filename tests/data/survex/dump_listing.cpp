#include "dump_listing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

namespace mv {

Expected ParseDump(const std::string& path, const LegOptions& options) {
  Expected e;
  std::ifstream in(path);
  std::string line;
  Cm at{};
  std::vector<Cm> chain;
  auto close = [&] {
    for (size_t i = 0; i + 1 < chain.size(); i += 29) {
      const size_t end = std::min(chain.size(), i + 30);
      e.rows.emplace_back(chain.begin() + i, chain.begin() + end);
    }
    chain.clear();
  };
  std::set<Cm> entranceSet;
  while (std::getline(in, line)) {
    std::istringstream ss(line);
    std::string kind;
    ss >> kind;
    if (kind == "VERSION") ss >> e.version;
    if (kind == "CS") ss >> e.coordinateSystem;
    if (kind != "MOVE" && kind != "LINE" && kind != "NODE") continue;
    double x, y, z;
    ss >> x >> y >> z;
    const Cm p{std::llround(x * 100), std::llround(y * 100), std::llround(z * 100)};
    std::string name, flag;
    std::set<std::string> flags;
    if (kind != "MOVE") {
      ss >> name;
      name = name.substr(1, name.size() - 2);
      while (ss >> flag) flags.insert(flag);
    }
    if (kind == "MOVE") {
      close();
      at = p;
    } else if (kind == "LINE") {
      ++e.legs;
      const bool splay = flags.count("SPLAY"), surface = flags.count("SURFACE"),
                 duplicate = flags.count("DUPLICATE");
      e.splays += splay;
      e.surface += surface;
      e.duplicates += duplicate;
      if ((splay && !options.splays) || (surface && !options.surface) ||
          (duplicate && !options.duplicates)) {
        ++e.leftOut;
        close();
      } else {
        if (chain.empty()) chain.push_back(at);
        chain.push_back(p);
        e.stations.insert(at);
        e.stations.insert(p);
      }
      at = p;
    } else if (kind == "NODE") {
      if (!name.empty()) e.names.emplace(p, name);
      if (!name.empty()) e.labels[p].insert(name);
      e.flags[p] |= (flags.count("ENTRANCE") ? kStationEntrance : 0) |
                    (flags.count("FIXED") ? kStationFixed : 0);
    }
    if (kind == "NODE" && flags.count("ENTRANCE") && entranceSet.insert(p).second) {
      ++e.entrancesFound;
      if (e.entrances.size() < 10) {
        e.stations.insert(p);
        e.entrances.push_back(p);
        e.entranceNames.push_back(name);
      }
    }
  }
  close();
  return e;
}

std::vector<std::vector<Cm>> RowsOf(const SurveyModel& m) {
  std::vector<std::vector<Cm>> rows;
  for (int32_t r = 0; r < m.SurveyLineCount(); ++r) {
    const int32_t* l = m.Line(r);
    std::vector<Cm> row;
    for (int32_t i = 1; i <= l[0] + 1; ++i) row.push_back(CmOf(m, l[i]));
    rows.push_back(row);
  }
  return rows;
}

Legs LegsOf(const std::vector<std::vector<Cm>>& rows) {
  Legs legs;
  for (const auto& row : rows)
    for (size_t i = 0; i + 1 < row.size(); ++i) legs.insert(std::minmax(row[i], row[i + 1]));
  return legs;
}

void ExpectDrawable(const ReadResult& s) {
  const SurveyModel& m = s.model;
  ASSERT_EQ(m.stations.size() % 3, 0u);
  ASSERT_EQ(m.lines.size() % kLineColumns, 0u);
  ASSERT_GT(m.SurveyLineCount(), 0);
  for (int32_t r = 0; r < m.SurveyLineCount(); ++r) {
    const int32_t* l = m.Line(r);
    ASSERT_GE(l[0], 1);
    ASSERT_LE(l[0], 29);
    for (int32_t i = 1; i <= l[0] + 1; ++i) ASSERT_TRUE(m.ValidStation(l[i]));
  }
  ASSERT_GE(m.entranceCount, 0);
  ASSERT_LE(m.entranceCount, kMaxEntrances);
  for (int32_t i = 0; i < m.entranceCount; ++i) ASSERT_TRUE(m.ValidStation(m.entrances[i]));
}

}  // namespace mv
