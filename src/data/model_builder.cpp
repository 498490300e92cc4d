#include "data/model_builder.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <unordered_set>
#include <utility>

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
RawPoint Normal(RawPoint p) {
  return {p.x + 0.0, p.y + 0.0, p.z + 0.0};
}

}  // namespace

ModelBuilder::ModelBuilder(Units units) : units_(units) {}

int32_t ModelBuilder::FindRow(RawPoint p) const {
  if (slots_.empty()) return -1;
  p = Normal(p);
  const size_t mask = slots_.size() - 1;
  for (size_t i = Hash(p) & mask;; i = (i + 1) & mask) {
    const int32_t row = slots_[i];
    if (row < 0 || points_[row] == p) return row;
  }
}

void ModelBuilder::Grow() {
  slots_.assign(std::max<size_t>(64, 2 * slots_.size()), -1);
  const size_t mask = slots_.size() - 1;
  for (size_t r = 0; r < points_.size(); ++r) {
    size_t i = Hash(points_[r]) & mask;
    while (slots_[i] >= 0) i = (i + 1) & mask;
    slots_[i] = static_cast<int32_t>(r);
  }
}

int32_t ModelBuilder::RowOf(RawPoint p) {
  p = Normal(p);
  if (2 * (points_.size() + 1) > slots_.size()) Grow();
  const size_t mask = slots_.size() - 1;
  for (size_t i = Hash(p) & mask;; i = (i + 1) & mask) {
    const int32_t row = slots_[i];
    if (row >= 0) {
      if (points_[row] == p) return row;
      continue;
    }
    // Row numbers are 32-bit everywhere in the model.
    if (points_.size() >= static_cast<size_t>(std::numeric_limits<int32_t>::max()))
      throw ModelLimit{"too many stations"};
    slots_[i] = static_cast<int32_t>(points_.size());
    points_.push_back(p);
    return slots_[i];
  }
}

void ModelBuilder::StartRow(int32_t first) {
  rowBase_ = lines_.size();
  lines_.resize(rowBase_ + kLineColumns, 0);
  lines_[rowBase_ + 1] = first;
}

void ModelBuilder::MoveTo(RawPoint p) {
  at_ = p;
  haveAt_ = true;
  chainOpen_ = false;
}

void ModelBuilder::LineTo(RawPoint p) {
  if (!chainOpen_) {
    StartRow(RowOf(at_));
    chainOpen_ = true;
  } else if (lines_[rowBase_] == kMaxShotsPerRow) {
    StartRow(lines_[rowBase_ + 1 + kMaxShotsPerRow]);
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

void ModelBuilder::Leg(RawPoint from, RawPoint to) {
  if (!(chainOpen_ && from == at_)) MoveTo(from);
  LineTo(to);
}

void ModelBuilder::Spend(size_t nameBytes) {
  nameBytes_ += nameBytes;
  if (nameBytes_ > nameBudget_)
    throw ModelLimit{"the station names take more than " + std::to_string(nameBudget_) +
                     " bytes, far more than the file itself"};
}

void ModelBuilder::Name(RawPoint p, std::string_view name) {
  if (name.empty()) return;
  Spend(name.size());
  pending_.push_back({Normal(p), pendingChars_.size(), name.size(), 0});
  pendingChars_.append(name);
}

void ModelBuilder::Flag(RawPoint p, uint8_t flags) {
  if (flags != 0) pending_.push_back({Normal(p), 0, 0, flags});
}

void ModelBuilder::Entrance(RawPoint p, std::string_view name) {
  p = Normal(p);
  // Distinct positions, by a table like the station rows'.
  if (2 * (entrancePoints_.size() + 1) > entranceSlots_.size()) {
    entranceSlots_.assign(std::max<size_t>(16, 2 * entranceSlots_.size()), -1);
    const size_t mask = entranceSlots_.size() - 1;
    for (size_t r = 0; r < entrancePoints_.size(); ++r) {
      size_t i = Hash(entrancePoints_[r]) & mask;
      while (entranceSlots_[i] >= 0) i = (i + 1) & mask;
      entranceSlots_[i] = static_cast<int32_t>(r);
    }
  }
  const size_t mask = entranceSlots_.size() - 1;
  size_t i = Hash(p) & mask;
  for (; entranceSlots_[i] >= 0; i = (i + 1) & mask)
    if (entrancePoints_[entranceSlots_[i]] == p) return;
  entranceSlots_[i] = static_cast<int32_t>(entrancePoints_.size());
  entrancePoints_.push_back(p);
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

SurveyModel ModelBuilder::Finish(std::string title) {
  SurveyModel& m = model_;
  m.title = std::move(title);
  m.lines = std::move(lines_);
  const size_t rows = points_.size();

  // Names and flags of the stations there are. The first name given for a
  // station is its own; other names of the same point are its aliases.
  std::vector<std::pair<int32_t, size_t>> named;  // (row, index into pending_)
  for (size_t k = 0; k < pending_.size(); ++k) {
    const Pending& n = pending_[k];
    const int32_t row = FindRow(n.p);
    if (row < 0) continue;
    if (n.flags != 0) {
      if (m.stationFlags.empty()) m.stationFlags.assign(rows, 0);
      m.stationFlags[row] |= n.flags;
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
  std::vector<int32_t>().swap(slots_);

  if (rows > 0) {
    RawPoint lo = points_[0], hi = points_[0];
    for (const RawPoint& p : points_) {
      lo.x = std::min(lo.x, p.x);
      lo.y = std::min(lo.y, p.y);
      hi.z = std::max(hi.z, p.z);
    }
    const double mul = units_.multiply, div = units_.divide;
    const double ox = std::floor(lo.x * mul / div), oy = std::floor(lo.y * mul / div),
                 oz = std::ceil(hi.z * mul / div);
    m.originX = static_cast<long double>(ox);
    m.originY = static_cast<long double>(oy);
    m.originZ = static_cast<long double>(oz);
    // Origin plus the offset from it: the same double the folder loader gets
    // when it adds the origin to the offset written out as text.
    m.stations.resize(3 * rows);
    double* s = m.stations.data();
    for (const RawPoint& p : points_) {
      *s++ = ox + (p.x * mul - ox * div) / div;
      *s++ = oy + (p.y * mul - oy * div) / div;
      *s++ = oz + (p.z * mul - oz * div) / div;
    }
  }
  std::vector<RawPoint>().swap(points_);
  return std::move(m);
}

LoadResult FinishLoad(SurveyModel&& model) {
  LoadResult r;
  r.linesShown = true;
  r.box = ComputeExtents(model);
  r.centreX = CentreOf(r.box.minX, r.box.maxX);
  r.centreY = CentreOf(r.box.minY, r.box.maxY);
  const long double size = ModelSize(r.box);
  if (!(size > 0)) {
    r.error = "the survey has no extent (every station lies at the origin)";
    return r;
  }
  r.zoom = FittedZoom(size);
  r.model = std::move(model);
  r.model.generation = NextModelGeneration();
  r.ok = true;
  return r;
}

LoadResult FinishLoad(ReadResult&& read, std::string_view source) {
  if (!read.ok()) {
    LoadResult r;
    r.error = read.error->Message();
    return r;
  }
  LoadResult r = FinishLoad(std::move(read.model));
  r.info = std::move(read.info);
  if (!r.ok && !source.empty()) r.error = std::string(source) + ": " + r.error;
  return r;
}

}  // namespace mv
