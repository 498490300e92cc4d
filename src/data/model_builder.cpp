#include "data/model_builder.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <unordered_set>
#include <utility>

#include "data/leg_kinds.h"

namespace mv {

namespace {

constexpr int kMaxShotsPerRow = kLineColumns - 2;

uint64_t Bits(double v) {
  uint64_t b;
  std::memcpy(&b, &v, sizeof b);
  return b;
}

size_t Hash(const RawPoint& p) {
  uint64_t h = Bits(p.x);
  h = h * 0x9E3779B97F4A7C15ull ^ Bits(p.y);
  h = h * 0x9E3779B97F4A7C15ull ^ Bits(p.z);
  h ^= h >> 29;
  h *= 0xBF58476D1CE4E5B9ull;
  return static_cast<size_t>(h ^ (h >> 32));
}

// -0.0 and 0.0 are the same place; adding 0.0 turns the one into the other.
RawPoint WithoutNegativeZero(RawPoint p) {
  return {p.x + 0.0, p.y + 0.0, p.z + 0.0};
}

}  // namespace

int32_t PointIndex::Find(RawPoint p) const {
  if (slots_.empty()) return -1;
  p = WithoutNegativeZero(p);
  const size_t mask = slots_.size() - 1;
  for (size_t i = Hash(p) & mask;; i = (i + 1) & mask) {
    const int32_t n = slots_[i];
    if (n < 0 || points_[n] == p) return n;
  }
}

void PointIndex::Grow() {
  slots_.assign(std::max<size_t>(minSlots_, 2 * slots_.size()), -1);
  const size_t mask = slots_.size() - 1;
  for (size_t n = 0; n < points_.size(); ++n) {
    size_t i = Hash(points_[n]) & mask;
    while (slots_[i] >= 0) i = (i + 1) & mask;
    slots_[i] = static_cast<int32_t>(n);
  }
}

int32_t PointIndex::Add(RawPoint p, bool* added) {
  p = WithoutNegativeZero(p);
  if (2 * (points_.size() + 1) > slots_.size()) Grow();
  const size_t mask = slots_.size() - 1;
  for (size_t i = Hash(p) & mask;; i = (i + 1) & mask) {
    const int32_t n = slots_[i];
    if (n >= 0) {
      if (points_[n] == p) return n;
      continue;
    }
    if (points_.size() >= static_cast<size_t>(std::numeric_limits<int32_t>::max()))
      throw ModelLimit{"too many stations"};
    slots_[i] = static_cast<int32_t>(points_.size());
    points_.push_back(p);
    if (added) *added = true;
    return slots_[i];
  }
}

ModelBuilder::ModelBuilder(Units units) : units_(units) {
  surveys_.push_back({-1, {}});
}

void ModelBuilder::StartRow(int32_t first, uint8_t flags, int32_t survey) {
  rowBase_ = lines_.size();
  lines_.resize(rowBase_ + kLineColumns, 0);
  lines_[rowBase_ + 1] = first;
  lineFlags_.push_back(flags);
  lineSurvey_.push_back(survey);
}

void ModelBuilder::MoveTo(RawPoint p) {
  if (chainOpen_ && p == at_) return;  // a move to where the chain is changes nothing
  at_ = p;
  haveAt_ = true;
  chainOpen_ = false;
}

void ModelBuilder::LineTo(RawPoint p, uint8_t flags, int32_t survey) {
  if (survey != kSurveyOfStations && (survey < 0 || static_cast<size_t>(survey) >= surveys_.size()))
    survey = 0;
  if (!chainOpen_) {
    StartRow(RowOf(at_), flags, survey);
    chainOpen_ = true;
  } else if (lines_[rowBase_] == kMaxShotsPerRow || lineFlags_.back() != flags ||
             lineSurvey_.back() != survey) {
    StartRow(lines_[rowBase_ + 1 + lines_[rowBase_]], flags, survey);
  }
  const int32_t end = RowOf(p);
  const int32_t n = ++lines_[rowBase_];
  lines_[rowBase_ + 1 + n] = end;
  at_ = p;
}

void ModelBuilder::LeaveOut(RawPoint p) {
  at_ = p;
  haveAt_ = true;
  chainOpen_ = false;
}

void ModelBuilder::Leg(RawPoint from, RawPoint to, uint8_t flags, int32_t survey) {
  if (!(chainOpen_ && from == at_)) MoveTo(from);
  LineTo(to, flags, survey);
}

void ModelBuilder::Spend(size_t nameBytes) {
  nameBytes_ += nameBytes;
  if (nameBytes_ > nameBudget_)
    throw ModelLimit{"the station names take more than " + std::to_string(nameBudget_) +
                     " bytes, far more than the file itself"};
}

void ModelBuilder::Name(RawPoint p, std::string_view name, int32_t survey) {
  if (survey <= 0 || static_cast<size_t>(survey) >= surveys_.size()) survey = -1;
  if (name.empty()) {
    InSurvey(p, survey);
    return;
  }
  Spend(name.size());
  pending_.push_back({WithoutNegativeZero(p), pendingChars_.size(), name.size(), survey, 0});
  pendingChars_.append(name);
}

void ModelBuilder::Flag(RawPoint p, uint8_t flags) {
  if (flags != 0) pending_.push_back({WithoutNegativeZero(p), 0, 0, -1, flags});
}

void ModelBuilder::InSurvey(RawPoint p, int32_t survey) {
  if (survey > 0 && static_cast<size_t>(survey) < surveys_.size())
    pending_.push_back({WithoutNegativeZero(p), 0, 0, survey, 0});
}

int32_t ModelBuilder::SurveyChild(int32_t parent, std::string_view name) {
  if (parent < 0 || static_cast<size_t>(parent) >= surveys_.size()) parent = 0;
  std::string key(reinterpret_cast<const char*>(&parent), sizeof parent);
  key.append(name);
  const auto [it, added] = surveyIndex_.try_emplace(std::move(key), 0);
  if (!added) return it->second;
  // Node rows are 32-bit like station rows.
  if (surveys_.size() >= static_cast<size_t>(std::numeric_limits<int32_t>::max())) {
    surveyIndex_.erase(it);
    throw ModelLimit{"too many surveys"};
  }
  Spend(2 * name.size() + sizeof(int32_t));  // the node's name and its key
  surveys_.push_back({parent, std::string(name)});
  it->second = static_cast<int32_t>(surveys_.size() - 1);
  return it->second;
}

int32_t ModelBuilder::SurveyPath(std::string_view path, char separator) {
  if (path.empty()) return 0;
  Spend(path.size());
  if (separator == lastSeparator_ && path == lastPath_) return lastPathNode_;
  int32_t node = 0;
  size_t from = 0;
  // Where the new path continues the last one, or is a sibling of it (the
  // same parts but the last), start below the parts they share.
  if (separator == lastSeparator_) {
    const size_t cut = lastPath_.rfind(separator);
    if (path.size() > lastPath_.size() && path.starts_with(lastPath_) &&
        path[lastPath_.size()] == separator) {
      node = lastPathNode_;
      from = lastPath_.size() + 1;
    } else if (cut != std::string::npos && path.size() > cut &&
               path.substr(0, cut + 1) == std::string_view(lastPath_).substr(0, cut + 1)) {
      node = surveys_[static_cast<size_t>(lastPathNode_)].parent;
      from = cut + 1;
    }
  }
  for (;;) {
    const size_t end = path.find(separator, from);
    node = SurveyChild(node,
                       path.substr(from, end == std::string_view::npos ? path.npos : end - from));
    if (end == std::string_view::npos) break;
    from = end + 1;
  }
  lastPath_.assign(path);
  lastPathNode_ = node;
  lastSeparator_ = separator;
  return node;
}

std::vector<std::string> ModelBuilder::TakeWarnings(std::string_view file) {
  std::vector<std::string> lines = std::move(warnings_);
  if (!file.empty())
    for (std::string& l : lines) l = std::string(file) + ": " + l;
  return lines;
}

void ModelBuilder::Warn(std::string line) {
  if (warnings_.size() < kMaxWarnings) {
    warnings_.push_back(std::move(line));
  } else {
    ++warningsDropped_;
  }
}

void ModelBuilder::Section(RawPoint p, CrossSection s) {
  sections_.push_back({WithoutNegativeZero(p), 0, 0, s});
}

void ModelBuilder::Section(std::string_view station, CrossSection s) {
  Spend(station.size());
  sections_.push_back({{}, sectionNames_.size(), station.size(), s});
  sectionNames_.append(station);
}

void ModelBuilder::Mesh(std::vector<RawPoint> points, std::vector<uint32_t> triangles,
                        int32_t survey) {
  meshes_.push_back({std::move(points), std::move(triangles), survey});
}

void ModelBuilder::Entrance(RawPoint p, std::string_view name) {
  p = WithoutNegativeZero(p);
  bool added = false;
  entrancePoints_.Add(p, &added);
  if (!added) return;
  ++entrancesFound_;
  Flag(p, kStationEntrance);
  Spend(name.size());
  const int32_t row = RowOf(p);
  if (model_.entranceCount < kMaxEntrances) {
    model_.entrances[model_.entranceCount++] = row;
  } else {
    model_.moreEntrances.push_back(row);
  }
  model_.entranceNames.emplace_back(name);
}

SurveyModel ModelBuilder::Finish(std::string title, std::string_view sourceName) {
  SurveyModel& m = model_;
  const size_t rows = rows_.Size();
  const double mul = units_.multiply, div = units_.divide;

  // Positions whose span overflows, or is absurd for a survey, would give a
  // model no box or drawing can hold.
  RawPoint lo{}, hi{};
  if (rows > 0) {
    lo = hi = rows_.Points()[0];
    for (const RawPoint& p : rows_.Points()) {
      lo.x = std::min(lo.x, p.x);
      lo.y = std::min(lo.y, p.y);
      lo.z = std::min(lo.z, p.z);
      hi.x = std::max(hi.x, p.x);
      hi.y = std::max(hi.y, p.y);
      hi.z = std::max(hi.z, p.z);
    }
    for (const double span : {hi.x - lo.x, hi.y - lo.y, hi.z - lo.z})
      if (!(std::abs(span * mul / div) <= kMaxSpan))
        throw ModelLimit{"the stations lie more than " + std::to_string(int64_t(kMaxSpan)) +
                         " m apart (or at no finite place): not a survey"};
  }

  m.title = std::move(title);
  m.lines = std::move(lines_);
  m.lineFlags = std::move(lineFlags_);
  m.lineSurvey = std::move(lineSurvey_);

  // Names, flags and surveys of the stations there are. The first name
  // given for a station is its own; other names of the same point are its
  // aliases.
  std::vector<std::pair<int32_t, size_t>> named;  // (row, index into pending_)
  for (size_t k = 0; k < pending_.size(); ++k) {
    const Pending& n = pending_[k];
    const int32_t row = FindRow(n.p);
    if (row < 0) continue;
    if (n.flags != 0) {
      if (m.stationFlags.empty()) m.stationFlags.assign(rows, 0);
      m.stationFlags[row] |= n.flags;
    }
    if (n.survey > 0) {
      if (m.stationSurvey.empty()) m.stationSurvey.assign(rows, -1);
      if (m.stationSurvey[row] < 0) m.stationSurvey[row] = n.survey;
    }
    if (n.size != 0) named.emplace_back(row, k);
  }
  if (!named.empty()) {
    // Stable by row, so each row's names keep the order they were given in.
    std::stable_sort(named.begin(), named.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    const auto text = [&](size_t k) {
      return std::string_view(pendingChars_).substr(pending_[k].begin, pending_[k].size);
    };
    m.stationNames.Reserve(rows, nameBytes_);
    std::unordered_set<std::string_view> seen;
    size_t i = 0;
    for (size_t r = 0; r < rows; ++r) {
      if (i == named.size() || named[i].first != static_cast<int32_t>(r)) {
        m.stationNames.Append({});
        continue;
      }
      const std::string_view own = text(named[i++].second);
      m.stationNames.Append(own);
      if (i == named.size() || named[i].first != static_cast<int32_t>(r)) continue;
      seen.clear();
      seen.insert(own);
      for (; i < named.size() && named[i].first == static_cast<int32_t>(r); ++i) {
        const std::string_view alias = text(named[i].second);
        if (!seen.insert(alias).second) continue;
        m.aliasRows.push_back(static_cast<int32_t>(r));
        m.aliasNames.Append(alias);
      }
    }
  }
  std::vector<Pending>().swap(pending_);
  std::string().swap(pendingChars_);

  FinishSections(m);  // before the table of positions goes
  rows_.DropTable();

  if (rows > 0) {
    const double ox = std::floor(lo.x * mul / div), oy = std::floor(lo.y * mul / div),
                 oz = std::ceil(hi.z * mul / div);
    m.originX = static_cast<long double>(ox);
    m.originY = static_cast<long double>(oy);
    m.originZ = static_cast<long double>(oz);
    // Origin plus the offset from it: the same double the survey-folder reader gets
    // when it adds the origin to the offset written out as text.
    m.stations.resize(3 * rows);
    double* s = m.stations.data();
    for (const RawPoint& p : rows_.Points()) {
      *s++ = ox + (p.x * mul - ox * div) / div;
      *s++ = oy + (p.y * mul - oy * div) / div;
      *s++ = oz + (p.z * mul - oz * div) / div;
    }
    FinishMeshes(m, ox, oy, oz);
  }
  rows_.DropPoints();

  std::string rootName = m.title;
  if (rootName.empty()) {
    const size_t slash = sourceName.find_last_of('/');
    rootName = sourceName.substr(slash == std::string_view::npos ? 0 : slash + 1);
  }
  FinishSurveys(m, std::move(rootName));
  ClassifySplays(m);
  if (warningsDropped_ > 0)
    warnings_.push_back("... and " + std::to_string(warningsDropped_) + " more like these");
  return std::move(m);
}

void ModelBuilder::FinishSurveys(SurveyModel& m, std::string rootName) {
  surveys_[0].name = std::move(rootName);
  m.surveys = std::move(surveys_);
  std::unordered_map<std::string, int32_t>().swap(surveyIndex_);
  const size_t stations = static_cast<size_t>(m.StationCount());
  const int32_t lineRows = m.SurveyLineCount();

  // Legs whose survey comes from their stations: the survey of the leg's
  // far end, else of its near end.
  bool fromStations = false;
  for (const int32_t s : m.lineSurvey) fromStations |= s == kSurveyOfStations;
  if (fromStations) {
    std::vector<uint8_t> flags;
    std::vector<int32_t> surveys;
    for (int32_t r = 0; r < lineRows; ++r) {
      const int32_t* l = m.Line(r);
      for (int32_t i = 1; i <= l[0]; ++i) {
        flags.push_back(m.lineFlags[static_cast<size_t>(r)]);
        int32_t s = m.lineSurvey[static_cast<size_t>(r)];
        if (s == kSurveyOfStations) {
          s = m.StationSurvey(l[i + 1]);
          if (s <= 0) s = std::max(0, m.StationSurvey(l[i]));
        }
        surveys.push_back(s);
      }
    }
    RegroupLegs(m, flags, surveys);
  }

  // Stations given no survey take their first leg's.
  if (!m.stationSurvey.empty()) {
    for (int32_t r = 0; r < lineRows; ++r) {
      const int32_t* l = m.Line(r);
      for (int32_t i = 1; i <= l[0] + 1; ++i)
        if (m.stationSurvey[static_cast<size_t>(l[i])] < 0)
          m.stationSurvey[static_cast<size_t>(l[i])] = m.LineSurvey(r);
    }
    for (int32_t& s : m.stationSurvey) s = std::max(s, 0);
  } else if (m.surveys.size() > 1) {
    m.stationSurvey.assign(stations, 0);
    for (int32_t r = m.SurveyLineCount() - 1; r >= 0; --r) {
      const int32_t* l = m.Line(r);
      for (int32_t i = 1; i <= l[0] + 1; ++i)
        m.stationSurvey[static_cast<size_t>(l[i])] = m.LineSurvey(r);
    }
  }

  // Vectors that say nothing are left empty.
  if (std::all_of(m.lineFlags.begin(), m.lineFlags.end(), [](uint8_t f) { return f == 0; }))
    std::vector<uint8_t>().swap(m.lineFlags);
  if (std::all_of(m.lineSurvey.begin(), m.lineSurvey.end(), [](int32_t s) { return s == 0; }))
    std::vector<int32_t>().swap(m.lineSurvey);
  if (std::all_of(m.stationSurvey.begin(), m.stationSurvey.end(), [](int32_t s) { return s == 0; }))
    std::vector<int32_t>().swap(m.stationSurvey);
}

namespace {

float PassageSize(float v) {
  return v >= 0 && v <= kMaxPassageSize ? v : std::numeric_limits<float>::quiet_NaN();
}

}  // namespace

void ModelBuilder::FinishSections(SurveyModel& m) {
  if (sections_.empty()) return;
  // Station rows by every name, only when some section is given by name.
  std::unordered_map<std::string_view, int32_t> byName;
  for (const PendingSection& p : sections_) {
    if (p.size == 0) continue;
    byName.reserve(m.stationNames.size() + m.aliasNames.size());
    for (size_t r = 0; r < m.stationNames.size(); ++r)
      if (!m.stationNames[r].empty()) byName.emplace(m.stationNames[r], static_cast<int32_t>(r));
    for (size_t k = 0; k < m.aliasNames.size(); ++k)
      byName.emplace(m.aliasNames[k], m.aliasRows[k]);
    break;
  }
  m.sections.reserve(sections_.size());
  for (const PendingSection& p : sections_) {
    int32_t row = -1;
    std::string_view name;
    if (p.size == 0) {
      row = FindRow(p.p);
    } else {
      name = std::string_view(sectionNames_).substr(p.begin, p.size);
      const auto it = byName.find(name);
      if (it != byName.end()) row = it->second;
    }
    CrossSection s = p.s;
    if (row < 0) {
      Warn("a passage section at " + (p.size == 0 ? "a position" : "station " + Quoted(name, 80)) +
           " that no leg or label gives: skipped");
      // Its passage still ends here.
      if ((s.flags & kSectionEnd) && !m.sections.empty() && !m.sections.back().EndsPassage())
        m.sections.back().flags |= kSectionEnd;
      continue;
    }
    s.station = row;
    s.left = PassageSize(s.left);
    s.right = PassageSize(s.right);
    s.up = PassageSize(s.up);
    s.down = PassageSize(s.down);
    m.sections.push_back(s);
  }
  // The last passage ends with the last section.
  if (!m.sections.empty()) m.sections.back().flags |= kSectionEnd;
  std::vector<PendingSection>().swap(sections_);
  std::string().swap(sectionNames_);
}

void ModelBuilder::FinishMeshes(SurveyModel& m, double ox, double oy, double oz) {
  const double mul = units_.multiply, div = units_.divide;
  m.meshes.reserve(meshes_.size());
  for (PendingMesh& p : meshes_) {
    WallMesh w;
    w.survey = p.survey >= 0 && static_cast<size_t>(p.survey) < surveys_.size() ? p.survey : 0;
    w.xyz.reserve(3 * p.points.size());
    for (const RawPoint& q : p.points) {
      const double x = q.x * mul / div - ox, y = q.y * mul / div - oy, z = q.z * mul / div - oz;
      if (!(std::abs(x) <= kMaxSpan && std::abs(y) <= kMaxSpan && std::abs(z) <= kMaxSpan))
        throw ModelLimit{"a wall point lies more than " + std::to_string(int64_t(kMaxSpan)) +
                         " m from the survey (or at no finite place)"};
      w.xyz.push_back(static_cast<float>(x));
      w.xyz.push_back(static_cast<float>(y));
      w.xyz.push_back(static_cast<float>(z));
    }
    for (const uint32_t t : p.triangles)
      if (t >= p.points.size())
        throw ModelLimit{"a wall triangle names a point its wall does not have"};
    w.triangles = std::move(p.triangles);
    std::vector<RawPoint>().swap(p.points);
    m.meshes.push_back(std::move(w));
  }
  std::vector<PendingMesh>().swap(meshes_);
}

}  // namespace mv
