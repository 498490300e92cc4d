#include "dump_listing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>

#include "drawable_model.h"

namespace mv {

namespace {

struct DumpLeg {
  Cm from, to;
  uint8_t flags;
  std::string survey;  // the LINE's label; empty in versions before 3
  bool kept;
  bool moved;  // a move elsewhere came before it
};

std::string Prefix(const std::string& name) {
  const size_t dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : name.substr(0, dot);
}

}  // namespace

Expected ParseDump(const std::string& path, const LegOptions& options) {
  Expected e;
  std::ifstream in(path);
  std::string line;
  Cm at{};
  bool moved = true;
  std::vector<DumpLeg> legs;
  std::set<Cm> entranceSet;
  std::set<Cm> anonymous;
  while (std::getline(in, line)) {
    std::istringstream ss(line);
    std::string kind;
    ss >> kind;
    if (kind == "VERSION") ss >> e.version;
    if (kind == "CS") ss >> e.coordinateSystem;
    if (kind == "XSECT") {
      DumpSection x;
      ss >> x.left >> x.right >> x.up >> x.down >> x.station;
      x.station = x.station.substr(1, x.station.size() - 2);
      e.sections.push_back(x);
    }
    if (kind == "XSECT_END" && !e.sections.empty()) e.sections.back().end = true;
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
      moved |= p != at;
      at = p;
    } else if (kind == "LINE") {
      ++e.legs;
      const bool splay = flags.count("SPLAY"), surface = flags.count("SURFACE"),
                 duplicate = flags.count("DUPLICATE");
      e.splays += splay;
      e.surface += surface;
      e.duplicates += duplicate;
      const bool kept = !((splay && !options.splays) || (surface && !options.surface) ||
                          (duplicate && !options.duplicates));
      if (!kept) ++e.leftOut;
      const uint8_t f = static_cast<uint8_t>((splay ? kLegSplay : 0) | (surface ? kLegSurface : 0) |
                                             (duplicate ? kLegDuplicate : 0));
      legs.push_back({at, p, f, name, kept, moved});
      moved = false;
      at = p;
    } else if (kind == "NODE") {
      if (!name.empty()) e.names.emplace(p, name);
      if (!name.empty()) e.labels[p].insert(name);
      e.flags[p] |= (flags.count("ENTRANCE") ? kStationEntrance : 0) |
                    (flags.count("FIXED") ? kStationFixed : 0) |
                    (flags.count("ANON") ? kStationAnonymous : 0);
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

  // Rows: a chain of kept legs of one kind and survey, at most 29 legs. Legs
  // of versions that name no survey (before 3) take that of their far end's
  // name, else of their near end's.
  const auto surveyOf = [&](const DumpLeg& l) {
    if (e.version >= 3) return l.survey;
    const auto to = e.names.find(l.to);
    std::string s = to == e.names.end() ? std::string() : Prefix(to->second);
    if (s.empty()) {
      const auto from = e.names.find(l.from);
      if (from != e.names.end()) s = Prefix(from->second);
    }
    return s;
  };
  std::vector<Cm> chain;
  uint8_t chainFlags = 0;
  std::string chainSurvey;
  std::map<Cm, std::pair<int, int>> legsAt;  // kept legs, and splays among them
  for (const DumpLeg& l : legs) {
    if (!l.kept) {
      chain.clear();
      continue;
    }
    const std::string survey = surveyOf(l);
    if (chain.empty() || l.moved || chain.back() != l.from || chain.size() == 30 ||
        chainFlags != l.flags || chainSurvey != survey) {
      chain = {l.from};
      e.rows.emplace_back();
      e.rows.back().push_back(l.from);
      chainFlags = l.flags;
      chainSurvey = survey;
      e.rowFlags.push_back(l.flags);
    }
    chain.push_back(l.to);
    e.rows.back().push_back(l.to);
    e.stations.insert(l.from);
    e.stations.insert(l.to);
    for (const Cm& end : {l.from, l.to}) {
      ++legsAt[end].first;
      if (l.flags & kLegSplay) ++legsAt[end].second;
    }
  }
  for (const auto& [p, n] : legsAt)
    if (n.first == n.second) e.flags[p] |= kStationSplayEnd;
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

std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void ExpectDrawable(const ReadResult& s) {
  ASSERT_EQ(test::ReadModelFault(s.model), "");
}

}  // namespace mv
