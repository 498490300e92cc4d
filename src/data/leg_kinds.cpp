#include "data/leg_kinds.h"

#include <algorithm>
#include <vector>

namespace mv {

void RegroupLegs(SurveyModel& m, std::span<const uint8_t> flags, std::span<const int32_t> survey) {
  constexpr int32_t kMaxShots = kLineColumns - 2;
  std::vector<int32_t> lines;
  std::vector<uint8_t> lineFlags;
  std::vector<int32_t> lineSurvey;
  lines.reserve(m.lines.size());
  size_t leg = 0, base = 0;
  bool open = false;
  for (int32_t r = 0; r < m.SurveyLineCount(); ++r) {
    const int32_t* l = m.Line(r);
    for (int32_t i = 1; i <= l[0]; ++i, ++leg) {
      const uint8_t f = leg < flags.size() ? flags[leg] : 0;
      const int32_t s = leg < survey.size() ? survey[leg] : 0;
      const bool continues = open && lines[base + 1 + lines[base]] == l[i] &&
                             lines[base] < kMaxShots && lineFlags.back() == f &&
                             lineSurvey.back() == s;
      if (!continues) {
        base = lines.size();
        lines.resize(base + kLineColumns, 0);
        lines[base + 1] = l[i];
        lineFlags.push_back(f);
        lineSurvey.push_back(s);
        open = true;
      }
      lines[base + 1 + ++lines[base]] = l[i + 1];
    }
  }
  m.lines = std::move(lines);
  if (std::all_of(lineFlags.begin(), lineFlags.end(), [](uint8_t f) { return f == 0; }))
    lineFlags.clear();
  if (std::all_of(lineSurvey.begin(), lineSurvey.end(), [](int32_t s) { return s == 0; }))
    lineSurvey.clear();
  m.lineFlags = std::move(lineFlags);
  m.lineSurvey = std::move(lineSurvey);
}

void ClassifySplays(SurveyModel& m) {
  const size_t stations = static_cast<size_t>(m.StationCount());
  const int32_t rows = m.SurveyLineCount();
  if (stations == 0 || rows == 0) return;

  // Legs at each station: all of them, and the splays among them.
  std::vector<int32_t> legs(stations, 0), splays(stations, 0);
  int64_t legCount = 0;
  for (int32_t r = 0; r < rows; ++r) {
    const int32_t* l = m.Line(r);
    const bool splay = (m.LineFlags(r) & kLegSplay) != 0;
    for (int32_t i = 1; i <= l[0]; ++i) {
      ++legs[static_cast<size_t>(l[i])];
      ++legs[static_cast<size_t>(l[i + 1])];
      if (splay) {
        ++splays[static_cast<size_t>(l[i])];
        ++splays[static_cast<size_t>(l[i + 1])];
      }
    }
    legCount += l[0];
  }

  // Wall points by the rule above: they hang off the survey by one leg.
  const bool named = !m.stationNames.empty();
  std::vector<bool> sectioned(stations, false);
  for (const CrossSection& s : m.sections)
    if (m.ValidStation(s.station)) sectioned[static_cast<size_t>(s.station)] = true;
  std::vector<bool> aliased(stations, false);
  for (const int32_t r : m.aliasRows)
    if (m.ValidStation(r)) aliased[static_cast<size_t>(r)] = true;
  const auto wallPoint = [&](int32_t s) {
    const size_t k = static_cast<size_t>(s);
    if (legs[k] - splays[k] != 1 || sectioned[k]) return false;
    const uint8_t f = m.StationFlags(s);
    if (f & (kStationEntrance | kStationFixed)) return false;
    return (f & kStationAnonymous) != 0 || (named && m.StationName(s).empty() && !aliased[k]);
  };
  const auto surveyStation = [&](int32_t s) {
    const size_t k = static_cast<size_t>(s);
    return legs[k] - splays[k] >= 2;
  };

  std::vector<uint8_t> flags;
  bool changed = false;
  for (int32_t r = 0; r < rows && !changed; ++r) {
    if (m.LineFlags(r) != 0) continue;
    const int32_t* l = m.Line(r);
    for (int32_t i = 1; i <= l[0] && !changed; ++i)
      changed = (wallPoint(l[i + 1]) && surveyStation(l[i])) ||
                (wallPoint(l[i]) && surveyStation(l[i + 1]));
  }
  if (changed) {
    flags.reserve(static_cast<size_t>(legCount));
    std::vector<int32_t> surveys;
    surveys.reserve(static_cast<size_t>(legCount));
    for (int32_t r = 0; r < rows; ++r) {
      const int32_t* l = m.Line(r);
      const uint8_t f = m.LineFlags(r);
      for (int32_t i = 1; i <= l[0]; ++i) {
        const bool wall = f == 0 && ((wallPoint(l[i + 1]) && surveyStation(l[i])) ||
                                     (wallPoint(l[i]) && surveyStation(l[i + 1])));
        flags.push_back(wall ? static_cast<uint8_t>(f | kLegSplay) : f);
        surveys.push_back(m.LineSurvey(r));
      }
    }
    // The counts the station flags below need, after the change.
    size_t k = 0;
    for (int32_t r = 0; r < rows; ++r) {
      const int32_t* l = m.Line(r);
      for (int32_t i = 1; i <= l[0]; ++i, ++k) {
        if ((flags[k] & kLegSplay) && !(m.LineFlags(r) & kLegSplay)) {
          ++splays[static_cast<size_t>(l[i])];
          ++splays[static_cast<size_t>(l[i + 1])];
        }
      }
    }
    RegroupLegs(m, flags, surveys);
  }

  bool anySplayEnd = false;
  for (size_t s = 0; s < stations; ++s) anySplayEnd |= legs[s] > 0 && splays[s] == legs[s];
  if (!anySplayEnd && m.stationFlags.empty()) return;
  if (m.stationFlags.empty()) m.stationFlags.assign(stations, 0);
  for (size_t s = 0; s < stations; ++s) {
    m.stationFlags[s] &= static_cast<uint8_t>(~kStationSplayEnd);
    if (legs[s] > 0 && splays[s] == legs[s]) m.stationFlags[s] |= kStationSplayEnd;
  }
}

}  // namespace mv
