#include "data/survey_stats.h"

#include <algorithm>
#include <cmath>

namespace mv {

namespace {

void Widen(SurveyStats& s, const SurveyModel& m, int32_t row) {
  const double x = m.X(row), y = m.Y(row), z = m.Z(row);
  if (!s.HasExtent()) {
    s.highest = s.lowest = {z, row};
    s.north = s.south = {y, row};
    s.east = s.west = {x, row};
    return;
  }
  if (z > s.highest.at) s.highest = {z, row};
  if (z < s.lowest.at) s.lowest = {z, row};
  if (y > s.north.at) s.north = {y, row};
  if (y < s.south.at) s.south = {y, row};
  if (x > s.east.at) s.east = {x, row};
  if (x < s.west.at) s.west = {x, row};
}

// Adds a child's figures to its parent's.
void Merge(SurveyStats& into, const SurveyStats& from) {
  into.legs += from.legs;
  into.splays += from.splays;
  into.duplicates += from.duplicates;
  into.surfaceLegs += from.surfaceLegs;
  into.stations += from.stations;
  into.entrances += from.entrances;
  into.length += from.length;
  into.horizontalLength += from.horizontalLength;
  into.verticalLength += from.verticalLength;
  into.splayLength += from.splayLength;
  into.duplicateLength += from.duplicateLength;
  into.surfaceLength += from.surfaceLength;
  if (!from.HasExtent()) return;
  if (!into.HasExtent()) {
    into.highest = from.highest;
    into.lowest = from.lowest;
    into.north = from.north;
    into.south = from.south;
    into.east = from.east;
    into.west = from.west;
    return;
  }
  if (from.highest.at > into.highest.at) into.highest = from.highest;
  if (from.lowest.at < into.lowest.at) into.lowest = from.lowest;
  if (from.north.at > into.north.at) into.north = from.north;
  if (from.south.at < into.south.at) into.south = from.south;
  if (from.east.at > into.east.at) into.east = from.east;
  if (from.west.at < into.west.at) into.west = from.west;
}

}  // namespace

std::vector<SurveyStats> ComputeSurveyStats(const SurveyModel& m) {
  const int32_t nodes = m.SurveyCount();
  std::vector<SurveyStats> stats(static_cast<size_t>(nodes));
  const auto nodeOf = [&](int32_t n) { return static_cast<size_t>(n >= 0 && n < nodes ? n : 0); };

  for (int32_t r = 0; r < m.SurveyLineCount(); ++r) {
    SurveyStats& s = stats[nodeOf(m.LineSurvey(r))];
    const uint8_t kind = m.LineFlags(r);
    const int32_t* l = m.Line(r);
    const bool underground = !(kind & kLegSurface);
    for (int32_t i = 1; i <= l[0]; ++i) {
      const int32_t a = l[i], b = l[i + 1];
      const double dx = m.X(b) - m.X(a), dy = m.Y(b) - m.Y(a), dz = m.Z(b) - m.Z(a);
      const double length = std::sqrt(dx * dx + dy * dy + dz * dz);
      ++s.legs;
      if (kind & kLegSplay) {
        ++s.splays;
        s.splayLength += length;
      }
      if (kind & kLegDuplicate) {
        ++s.duplicates;
        s.duplicateLength += length;
      }
      if (kind & kLegSurface) {
        ++s.surfaceLegs;
        s.surfaceLength += length;
      }
      if (kind == 0) {
        s.length += length;
        s.horizontalLength += std::hypot(dx, dy);
        s.verticalLength += std::abs(dz);
      }
      if (underground) {
        Widen(s, m, a);
        Widen(s, m, b);
      }
    }
  }

  const std::vector<int32_t> entrances = EntranceRows(m);
  for (int32_t row = 0; row < m.StationCount(); ++row)
    if (!(m.StationFlags(row) & kStationSplayEnd)) ++stats[nodeOf(m.StationSurvey(row))].stations;
  for (const int32_t row : entrances) ++stats[nodeOf(m.StationSurvey(row))].entrances;

  // Children come after their parents: from the last node up, each adds
  // itself to its parent, whose own total is then complete when reached.
  for (int32_t n = nodes - 1; n > 0; --n) {
    const int32_t parent = m.surveys[static_cast<size_t>(n)].parent;
    if (parent >= 0 && parent < n)
      Merge(stats[static_cast<size_t>(parent)], stats[static_cast<size_t>(n)]);
  }
  return stats;
}

bool InSubtree(const SurveyModel& m, int32_t node, int32_t ancestor) {
  // Each step goes to a lower number, so the walk ends.
  while (node > ancestor && static_cast<size_t>(node) < m.surveys.size()) {
    const int32_t parent = m.surveys[static_cast<size_t>(node)].parent;
    if (parent >= node) return false;
    node = parent;
  }
  return node == ancestor;
}

int32_t FindSurvey(const SurveyModel& m, std::string_view path, char separator) {
  if (path.empty()) return 0;
  int32_t node = 0;
  const std::vector<std::vector<int32_t>> children = SurveyChildren(m);
  size_t from = 0;
  for (;;) {
    const size_t end = path.find(separator, from);
    const std::string_view part =
        path.substr(from, end == std::string_view::npos ? std::string_view::npos : end - from);
    int32_t next = -1;
    for (const int32_t c : children[static_cast<size_t>(node)])
      if (m.surveys[static_cast<size_t>(c)].name == part) next = c;
    if (next < 0) return -1;
    node = next;
    if (end == std::string_view::npos) return node;
    from = end + 1;
  }
}

}  // namespace mv
