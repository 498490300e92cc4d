#include "data/survey_model.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace mv {

uint64_t NextModelGeneration() {
  static uint64_t g = 0;
  return ++g;
}

std::vector<int32_t> EntranceRows(const SurveyModel& m) {
  std::vector<int32_t> rows;
  const int32_t n = std::clamp(m.entranceCount, 0, kMaxEntrances);
  rows.reserve(static_cast<size_t>(n) + m.moreEntrances.size());
  for (int32_t k = 0; k < n; ++k)
    if (m.ValidStation(m.entrances[static_cast<size_t>(k)]))
      rows.push_back(m.entrances[static_cast<size_t>(k)]);
  for (const int32_t row : m.moreEntrances)
    if (m.ValidStation(row)) rows.push_back(row);
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  return rows;
}

std::string_view EntranceName(const SurveyModel& m, int32_t row) {
  const size_t n = static_cast<size_t>(std::clamp(m.entranceCount, 0, kMaxEntrances));
  for (size_t k = 0; k < n && k < m.entranceNames.size(); ++k)
    if (m.entrances[k] == row && !m.entranceNames[k].empty()) return m.entranceNames[k];
  for (size_t k = 0; k < m.moreEntrances.size() && n + k < m.entranceNames.size(); ++k)
    if (m.moreEntrances[k] == row && !m.entranceNames[n + k].empty()) return m.entranceNames[n + k];
  return {};
}

bool DescriptiveName(std::string_view name) {
  const size_t dot = name.rfind('.');
  if (dot != std::string_view::npos) name.remove_prefix(dot + 1);
  int letters = 0, digits = 0;
  for (const char c : name) {
    const auto u = static_cast<unsigned char>(c);
    if (std::isdigit(u)) {
      ++digits;
    } else if (std::isalpha(u) || u >= 0x80) {
      ++letters;
    }
  }
  return letters >= 3 && letters > digits;
}

std::vector<std::string_view> StationNames(const SurveyModel& m, int32_t row) {
  std::vector<std::string_view> names;
  if (const std::string_view own = m.StationName(row); !own.empty()) names.push_back(own);
  const auto [lo, hi] = std::equal_range(m.aliasRows.begin(), m.aliasRows.end(), row);
  for (auto it = lo; it != hi; ++it) {
    const size_t k = static_cast<size_t>(it - m.aliasRows.begin());
    if (k < m.aliasNames.size()) names.push_back(m.aliasNames[k]);
  }
  std::stable_partition(names.begin(), names.end(), DescriptiveName);
  return names;
}

std::string SurveyPath(const SurveyModel& m, int32_t node, char separator) {
  std::vector<int32_t> chain;
  // Parents come before their children, so the walk ends; the bound guards
  // a hand-made model that breaks the rule.
  for (int32_t n = node;
       n > 0 && static_cast<size_t>(n) < m.surveys.size() && chain.size() <= m.surveys.size();
       n = m.surveys[static_cast<size_t>(n)].parent)
    chain.push_back(n);
  std::string path;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    if (!path.empty()) path += separator;
    path += m.surveys[static_cast<size_t>(*it)].name;
  }
  return path;
}

std::vector<std::vector<int32_t>> SurveyChildren(const SurveyModel& m) {
  std::vector<std::vector<int32_t>> children(static_cast<size_t>(m.SurveyCount()));
  for (size_t k = 1; k < m.surveys.size(); ++k) {
    const int32_t parent = m.surveys[k].parent;
    if (parent >= 0 && static_cast<size_t>(parent) < k)
      children[static_cast<size_t>(parent)].push_back(static_cast<int32_t>(k));
  }
  return children;
}

std::string ModelFault(const SurveyModel& m) {
  if (m.stations.size() % 3 != 0) return "the station coordinates are not whole rows";
  for (const double v : m.stations)
    if (!std::isfinite(v)) return "a station is not at a finite place";
  if (m.lines.size() % kLineColumns != 0) return "the survey lines are not whole rows";
  const size_t rows = static_cast<size_t>(m.SurveyLineCount());
  const size_t stations = static_cast<size_t>(m.StationCount());
  for (int32_t r = 0; r < m.SurveyLineCount(); ++r) {
    const int32_t* l = m.Line(r);
    if (l[0] < 1 || l[0] > kLineColumns - 2) return "a line row has a bad shot count";
    for (int32_t c = 1; c <= l[0] + 1; ++c)
      if (!m.ValidStation(l[c])) return "a line row names a missing station";
  }
  const auto sized = [](size_t n, size_t want) { return n == 0 || n == want; };
  if (!sized(m.lineFlags.size(), rows)) return "lineFlags is not one per line row";
  if (!sized(m.lineSurvey.size(), rows)) return "lineSurvey is not one per line row";
  if (!sized(m.stationSurvey.size(), stations)) return "stationSurvey is not one per station";
  if (!sized(m.stationFlags.size(), stations)) return "stationFlags is not one per station";
  if (!sized(m.stationNames.size(), stations)) return "the names are not one per station";
  if (m.entranceCount < 0 || m.entranceCount > kMaxEntrances) return "a bad entrance count";
  for (int32_t i = 0; i < m.entranceCount; ++i)
    if (!m.ValidStation(m.entrances[static_cast<size_t>(i)]))
      return "an entrance names a missing station";
  for (const int32_t row : m.moreEntrances)
    if (!m.ValidStation(row)) return "an entrance names a missing station";
  if (!m.surveys.empty() && m.surveys[0].parent != -1) return "the survey root has a parent";
  for (size_t k = 1; k < m.surveys.size(); ++k)
    if (m.surveys[k].parent < 0 || static_cast<size_t>(m.surveys[k].parent) >= k)
      return "a survey comes before its parent";
  const int32_t nodes = m.SurveyCount();
  for (const int32_t s : m.lineSurvey)
    if (s < 0 || s >= nodes) return "a line row belongs to a missing survey";
  for (const int32_t s : m.stationSurvey)
    if (s < 0 || s >= nodes) return "a station belongs to a missing survey";
  for (const CrossSection& c : m.sections) {
    if (!m.ValidStation(c.station)) return "a section lies at a missing station";
    for (const float v : {c.left, c.right, c.up, c.down})
      if (!std::isnan(v) && !(v >= 0 && v <= kMaxPassageSize))
        return "a section size is out of range";
    if (static_cast<uint8_t>(c.Shape()) > static_cast<uint8_t>(SectionShape::kTunnel))
      return "a section has an unknown shape";
  }
  if (!m.sections.empty() && !m.sections.back().EndsPassage())
    return "the last passage does not end";
  for (const WallMesh& w : m.meshes) {
    if (w.xyz.size() % 3 != 0) return "a wall's points are not whole";
    for (const float v : w.xyz)
      if (!std::isfinite(v)) return "a wall point is not at a finite place";
    if (w.triangles.size() % 3 != 0) return "a wall's triangles are not whole";
    for (const uint32_t t : w.triangles)
      if (t >= w.xyz.size() / 3) return "a wall triangle names a missing point";
    if (w.survey < 0 || w.survey >= nodes) return "a wall belongs to a missing survey";
  }
  return {};
}

SurveyModel PlaceholderModel() {
  SurveyModel m;
  m.stations.assign(6, 0.0);
  m.lines.assign(kLineColumns, 0);
  m.lines[0] = 1;
  m.lines[1] = 0;
  m.lines[2] = 1;
  m.generation = NextModelGeneration();
  return m;
}

Extents ComputeExtents(const SurveyModel& m) {
  Extents e;
  e.minX = e.maxX = m.originX;
  e.minY = e.maxY = m.originY;
  e.minZ = e.maxZ = m.originZ;
  // Each bound is a six-byte real, so a station is compared with the rounded
  // bound and a replacing value is rounded as soon as it is taken.
  long double minX = e.minX, maxX = e.maxX, minY = e.minY, maxY = e.maxY, minZ = e.minZ,
              maxZ = e.maxZ;
  const size_t n = m.stations.size() / 3;
  const double* s = m.stations.data();
  for (size_t r = 0; r < n; ++r, s += 3) {
    if (s[0] < minX) minX = Real48(s[0]);
    if (s[0] > maxX) maxX = Real48(s[0]);
    if (s[1] < minY) minY = Real48(s[1]);
    if (s[1] > maxY) maxY = Real48(s[1]);
    if (s[2] < minZ) minZ = Real48(s[2]);
    if (s[2] > maxZ) maxZ = Real48(s[2]);
  }
  e.minX = minX;
  e.maxX = maxX;
  e.minY = minY;
  e.maxY = maxY;
  e.minZ = minZ;
  e.maxZ = maxZ;
  return e;
}

long double MiddleOf(Real48 min, Real48 max) {
  const long double lo = min, hi = max;
  return hi - (hi - lo) * 0.5L;
}

Real48 CentreOf(Real48 min, Real48 max) {
  return MiddleOf(min, max);
}

long double ModelSize(const Extents& e) {
  long double size = static_cast<long double>(e.maxX) - e.minX;
  const long double dy = static_cast<long double>(e.maxY) - e.minY;
  if (dy > size) size = dy;
  const long double dz = static_cast<long double>(e.maxZ) - e.minZ;
  if (dz > size) size = dz;
  return size;
}

Real48 FittedZoom(long double size) {
  return std::exp(2.56437L - 0.834415L * std::log(size));
}

}  // namespace mv
