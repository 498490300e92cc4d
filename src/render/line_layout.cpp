#include "render/line_layout.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "view/camera.h"

namespace mv {

namespace {

// The stations of row `i` that a strip can draw: up to the first one outside
// the survey, at most the row's shot count + 1 and never past column 30.
int32_t DrawableStations(const SurveyModel& m, int32_t i) {
  const int32_t* line = m.Line(i);
  const int64_t last = std::min<int64_t>(int64_t{line[0]} + 1, kLineColumns - 1);
  const int64_t stations = m.StationCount();
  int32_t n = 0;
  while (n < last && line[n + 1] >= 0 && line[n + 1] < stations) ++n;
  return n;
}

// Appends `r` to `out`, joined to the last range where they touch.
void AddSegmentRange(std::vector<SegmentRange>& out, SegmentRange r) {
  if (r.count <= 0) return;
  if (!out.empty() && out.back().first + out.back().count == r.first)
    out.back().count += r.count;
  else
    out.push_back(r);
}

// Cuts the rows of each kind and survey node into chunks of about
// kChunkLegs legs each: the rows of a node in the order of a Morton curve
// through their middle stations, so that a chunk holds rows near each other.
// Within a chunk, rows that continue one another are drawn one after the
// other as one traverse.
class Builder {
 public:
  Builder(const SurveyModel& m, LineLayout& out) : m_(m), out_(out) {}

  void Build() {
    const int32_t rows = m_.SurveyLineCount();
    std::vector<int32_t> byKind[kLineKinds];
    count_.resize(static_cast<size_t>(rows));
    for (int32_t i = 0; i < rows; ++i) {
      count_[static_cast<size_t>(i)] = DrawableStations(m_, i);
      byKind[static_cast<int>(LineKindOf(m_.LineFlags(i)))].push_back(i);
    }
    out_.rows.reserve(static_cast<size_t>(rows));
    out_.first.reserve(static_cast<size_t>(rows));
    out_.count.reserve(static_cast<size_t>(rows));
    pinned_ = EntranceRows(m_);
    for (int32_t s = 0; s < static_cast<int32_t>(m_.stationFlags.size()); ++s)
      if (m_.stationFlags[static_cast<size_t>(s)] & kStationFixed) pinned_.push_back(s);

    // Tolerances from a ten-millionth of the survey's size up to all of
    // it: the levels fit surveys of any scale.
    double lo[3] = {INFINITY, INFINITY, INFINITY}, hi[3] = {-INFINITY, -INFINITY, -INFINITY};
    for (size_t i = 0; i < m_.stations.size(); i += 3)
      for (size_t a = 0; a < 3; ++a) {
        lo[a] = std::min(lo[a], m_.stations[i + a]);
        hi[a] = std::max(hi[a], m_.stations[i + a]);
      }
    double span = 1e-9;
    for (int a = 0; a < 3; ++a)
      if (hi[a] - lo[a] > span) span = hi[a] - lo[a];
    out_.lowestLevel = static_cast<int>(std::ceil(std::log2(span))) + 2 - kLineLevels;

    for (int k = 0; k < kLineKinds; ++k) {
      if (byKind[k].empty()) continue;
      const auto kind = static_cast<LineKind>(k);
      if (k != 0) out_.mixedKinds = true;
      if (!IsSplayKind(kind)) Degrees(byKind[k]);
      // A chunk holds rows of one survey node, so hiding or highlighting a
      // part of the survey tree chooses whole chunks at their levels.
      AlongSpace(byKind[k], lo, hi);
      const std::vector<int32_t>& list = byKind[k];
      size_t p = 0;
      while (p < list.size()) {
        size_t end = p;
        int64_t legs = 0;
        const int32_t node = m_.LineSurvey(list[p]);
        while (end < list.size() &&
               (end == p || (legs < kChunkLegs && m_.LineSurvey(list[end]) == node)))
          legs += std::max(count_[static_cast<size_t>(list[end++])] - 1, 0);
        LineChunk chunk;
        chunk.kind = kind;
        chunk.firstStrip = static_cast<int32_t>(out_.rows.size());
        chunk.segments.first = out_.stripSegments;
        chunk.levels = static_cast<int32_t>(out_.levels.size());
        if (IsSplayKind(kind))
          SplayChunk(chunk, list.data() + p, list.data() + end);
        else
          LegChunk(chunk, list.data() + p, list.data() + end);
        chunk.strips = static_cast<int32_t>(out_.rows.size()) - chunk.firstStrip;
        chunk.segments.count = out_.stripSegments - chunk.segments.first;
        out_.chunks.push_back(chunk);
        p = end;
      }
    }
    // The extra segments are numbered on after all of the strips' own.
    for (const size_t level : extraLevels_) out_.levels[level].first += out_.stripSegments;
  }

 private:
  // How many legs of the kind meet at each station, up to 3; a station that
  // must stay counts as 3.
  void Degrees(const std::vector<int32_t>& rows) {
    degree_.assign(static_cast<size_t>(m_.StationCount()), 0);
    for (const int32_t s : pinned_) degree_[static_cast<size_t>(s)] = 3;
    for (const int32_t row : rows) {
      const int32_t n = count_[static_cast<size_t>(row)];
      if (n < 2) continue;
      const int32_t* line = m_.Line(row) + 1;
      for (int32_t j = 0; j < n; ++j) {
        uint8_t& d = degree_[static_cast<size_t>(line[j])];
        d = static_cast<uint8_t>(std::min(3, d + (j == 0 || j == n - 1 ? 1 : 2)));
      }
    }
  }
  // Whether a traverse runs on through a station: two legs of its kind meet
  // there and it is not one that must stay.
  bool PassesThrough(int32_t station) const { return degree_[static_cast<size_t>(station)] == 2; }

  // Orders the rows by survey node, and within a node along a Morton curve
  // through the box lo..hi by their middle stations.
  void AlongSpace(std::vector<int32_t>& rows, const double lo[3], const double hi[3]) {
    std::vector<PlacedRow>& keyed = keyed_;
    keyed.clear();
    keyed.reserve(rows.size());
    for (const int32_t row : rows) {
      const int32_t n = count_[static_cast<size_t>(row)];
      uint64_t code = 0;
      if (n > 0) {
        const double* p = &m_.stations[3 * static_cast<size_t>(m_.Line(row)[1 + n / 2])];
        uint64_t cell[3];
        for (int a = 0; a < 3; ++a) {
          const double t = hi[a] > lo[a] ? (p[a] - lo[a]) / (hi[a] - lo[a]) : 0;
          cell[a] = static_cast<uint64_t>(std::clamp(t, 0.0, 1.0) * 2097151.0);
        }
        code = SpreadBits(cell[0]) << 2 | SpreadBits(cell[1]) << 1 | SpreadBits(cell[2]);
      }
      keyed.push_back({m_.LineSurvey(row), row, code});
    }
    std::sort(keyed.begin(), keyed.end(), [](const PlacedRow& a, const PlacedRow& b) {
      if (a.survey != b.survey) return a.survey < b.survey;
      if (a.code != b.code) return a.code < b.code;
      return a.row < b.row;
    });
    for (size_t i = 0; i < rows.size(); ++i) rows[i] = keyed[i].row;
  }
  // The 21 low bits of x spread to every third bit.
  static uint64_t SpreadBits(uint64_t x) {
    x &= 0x1fffff;
    x = (x | x << 32) & 0x1f00000000ffffULL;
    x = (x | x << 16) & 0x1f0000ff0000ffULL;
    x = (x | x << 8) & 0x100f00f00f00f00fULL;
    x = (x | x << 4) & 0x10c30c30c30c30c3ULL;
    x = (x | x << 2) & 0x1249249249249249ULL;
    return x;
  }

  // Appends a strip of the layout and returns its first vertex.
  int32_t Add(int32_t row) {
    int32_t n = count_[static_cast<size_t>(row)];
    // OpenGL counts vertices in 32 bits; a survey beyond that draws what
    // fits.
    if (out_.vertices + n > std::numeric_limits<int32_t>::max()) n = 0;
    const auto first = static_cast<int32_t>(out_.vertices);
    out_.rows.push_back(row);
    out_.first.push_back(first);
    out_.count.push_back(n);
    out_.vertices += n;
    out_.stripSegments += std::max(n - 1, 0);
    return first;
  }

  void Widen(LineChunk& chunk, int32_t station) const {
    const double* p = &m_.stations[3 * static_cast<size_t>(station)];
    for (int a = 0; a < 3; ++a) {
      chunk.lo[a] = std::min(chunk.lo[a], p[a]);
      chunk.hi[a] = std::max(chunk.hi[a], p[a]);
    }
  }
  static void Unbounded(LineChunk& chunk) {
    for (int a = 0; a < 3; ++a) chunk.lo[a] = INFINITY, chunk.hi[a] = -INFINITY;
  }

  double Tolerance(int level) const { return std::ldexp(1.0, out_.lowestLevel + level); }

  // Splays longest first: each level is the strips down to the last one at
  // least twice its tolerance long, a range of the strips' own segments.
  void SplayChunk(LineChunk& chunk, const int32_t* begin, const int32_t* end) {
    Unbounded(chunk);
    std::vector<std::pair<double, int32_t>>& sized = sized_;
    sized.clear();
    for (const int32_t* row = begin; row != end; ++row) {
      const int32_t n = count_[static_cast<size_t>(*row)];
      const int32_t* line = m_.Line(*row) + 1;
      double lo[3] = {INFINITY, INFINITY, INFINITY}, hi[3] = {-INFINITY, -INFINITY, -INFINITY};
      for (int32_t j = 0; j < n; ++j) {
        Widen(chunk, line[j]);
        const double* p = &m_.stations[3 * static_cast<size_t>(line[j])];
        for (int a = 0; a < 3; ++a) lo[a] = std::min(lo[a], p[a]), hi[a] = std::max(hi[a], p[a]);
      }
      sized.emplace_back(n < 2 ? 0.0 : std::hypot(hi[0] - lo[0], hi[1] - lo[1], hi[2] - lo[2]),
                         *row);
    }
    std::stable_sort(sized.begin(), sized.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    std::vector<int64_t>& before = before_;  // segments before each strip, and after all
    before.clear();
    for (const auto& [size, row] : sized) {
      before.push_back(out_.stripSegments);
      Add(row);
    }
    before.push_back(out_.stripSegments);
    size_t kept = sized.size();
    for (int level = 0; level < kLineLevels; ++level) {
      while (kept > 0 && sized[kept - 1].first < 2 * Tolerance(level)) --kept;
      out_.levels.push_back({chunk.segments.first, before[kept] - chunk.segments.first});
    }
  }

  void LegChunk(LineChunk& chunk, const int32_t* begin, const int32_t* end) {
    Unbounded(chunk);
    const size_t n = static_cast<size_t>(end - begin);
    // Row end 2i is the start of begin[i], 2i + 1 its end. Ends at a station
    // a traverse runs through pair up.
    std::vector<std::pair<int32_t, int32_t>>& ends = ends_;
    ends.clear();
    for (size_t i = 0; i < n; ++i) {
      const int32_t count = count_[static_cast<size_t>(begin[i])];
      if (count < 2) continue;
      const int32_t* line = m_.Line(begin[i]) + 1;
      for (const size_t e : {size_t{0}, size_t{1}}) {
        const int32_t s = line[e ? count - 1 : 0];
        if (PassesThrough(s)) ends.emplace_back(s, static_cast<int32_t>(2 * i + e));
      }
    }
    std::sort(ends.begin(), ends.end());
    partner_.assign(2 * n, -1);
    for (size_t k = 0; k + 1 < ends.size(); ++k)
      if (ends[k].first == ends[k + 1].first) {
        partner_[static_cast<size_t>(ends[k].second)] = ends[k + 1].second;
        partner_[static_cast<size_t>(ends[k + 1].second)] = ends[k].second;
        ++k;
      }

    // Each traverse's vertices in its order, with its start in start_, and
    // their positions from the chunk's first station in single precision
    // (millimetres over hundreds of kilometres). The ends of traverses,
    // junctions and stations that must stay are kept at every level.
    vertex_.clear();
    position_.clear();
    keep_.clear();
    start_.clear();
    double origin[3] = {0, 0, 0};
    for (const int32_t* row = begin; row != end; ++row)
      if (count_[static_cast<size_t>(*row)] > 0) {
        const double* p = &m_.stations[3 * static_cast<size_t>(m_.Line(*row)[1])];
        origin[0] = p[0], origin[1] = p[1], origin[2] = p[2];
        break;
      }
    constexpr float kStays = std::numeric_limits<float>::infinity();
    visited_.assign(n, 0);
    const auto walk = [&](size_t i, size_t from) {
      if (visited_[i]) return;
      start_.push_back(vertex_.size());
      while (!visited_[i]) {
        visited_[i] = 1;
        const int32_t row = begin[i];
        const int32_t first = Add(row);
        const int32_t count = out_.count.back();
        const int32_t* line = m_.Line(row) + 1;
        // A row after the first begins where the one before it ended.
        for (int32_t j = vertex_.size() > start_.back() ? 1 : 0; j < count; ++j) {
          const int32_t k = from == 1 ? count - 1 - j : j;
          vertex_.push_back(static_cast<uint32_t>(first + k));
          const double* p = &m_.stations[3 * static_cast<size_t>(line[k])];
          for (int a = 0; a < 3; ++a) {
            position_.push_back(static_cast<float>(p[a] - origin[a]));
            chunk.lo[a] = std::min(chunk.lo[a], p[a]);
            chunk.hi[a] = std::max(chunk.hi[a], p[a]);
          }
          keep_.push_back(PassesThrough(line[k]) ? 0.0f : kStays);
        }
        keep_[start_.back()] = kStays;
        const int32_t next = partner_[2 * i + (1 - from)];
        if (next < 0) break;
        // A closed loop ends where it began; that station stays.
        i = static_cast<size_t>(next) / 2;
        from = static_cast<size_t>(next) % 2;
      }
    };
    for (size_t i = 0; i < n; ++i) {
      if (partner_[2 * i] < 0)
        walk(i, 0);
      else if (partner_[2 * i + 1] < 0)
        walk(i, 1);
    }
    // What is left are closed loops.
    for (size_t i = 0; i < n; ++i) walk(i, 0);
    start_.push_back(vertex_.size());
    for (size_t q = 0; q + 1 < start_.size(); ++q)
      if (start_[q + 1] > start_[q]) keep_[start_[q + 1] - 1] = kStays;

    for (size_t q = 0; q + 1 < start_.size(); ++q) Simplify(start_[q], start_[q + 1]);

    // How many levels keep each vertex, and so how many segments each level
    // has: a traverse of k vertices kept has k - 1.
    int64_t kept[kLineLevels + 1] = {};
    levels_.resize(keep_.size());
    for (size_t i = 0; i < keep_.size(); ++i) {
      levels_[i] = static_cast<uint8_t>(LevelsKept(keep_[i]));
      ++kept[levels_[i]];
    }
    int64_t traverses = 0;
    for (size_t q = 0; q + 1 < start_.size(); ++q) traverses += start_[q + 1] > start_[q];
    int64_t atLevel[kLineLevels];
    int64_t running = 0;
    for (int level = kLineLevels - 1; level >= 0; --level) {
      running += kept[level + 1];
      atLevel[level] = running - traverses;
    }

    // A level is made only where it halves the segments of the finer one
    // drawn instead; so all levels together never hold more segments than
    // the full detail.
    SegmentRange finer{chunk.segments.first, out_.stripSegments - chunk.segments.first};
    bool extra = false;
    for (int level = 0; level < kLineLevels; ++level) {
      if (2 * atLevel[level] <= finer.count && atLevel[level] < finer.count) {
        const auto before = static_cast<int64_t>(out_.extra.size() / 2);
        Emit(level);
        // Numbered from the extra segments' start until the strips' own are
        // all counted (see Build).
        finer = {before, static_cast<int64_t>(out_.extra.size() / 2) - before};
        extra = true;
      }
      if (extra) extraLevels_.push_back(out_.levels.size());
      out_.levels.push_back(finer);
    }
  }

  // How many levels keep a vertex kept up to the tolerance whose square is
  // t2: those whose tolerance 2^(lowest + j) lies below it, which are the j
  // below log2(t2) / 2 - lowest.
  int LevelsKept(float t2) const {
    if (std::isinf(t2)) return kLineLevels;
    if (!(t2 > 0)) return 0;
    // ceil(log2 t2): t2 = f 2^e with f in [0.5, 1), so e, or e - 1 for f = 0.5;
    // then ceil(x / 2) = ceil(ceil(x) / 2).
    int e = 0;
    const float f = std::frexp(t2, &e);
    const int log = f == 0.5f ? e - 1 : e;
    const int levels = (log >= 0 ? (log + 1) / 2 : -((-log) / 2)) - out_.lowestLevel;
    return std::clamp(levels, 0, kLineLevels);
  }

  void Emit(int level) {
    for (size_t q = 0; q + 1 < start_.size(); ++q) {
      const size_t b = start_[q], e = start_[q + 1];
      size_t last = b;
      for (size_t i = b + 1; i < e; ++i)
        if (levels_[i] > level) {
          out_.extra.push_back(vertex_[last]);
          out_.extra.push_back(vertex_[i]);
          last = i;
        }
    }
  }

  const float* At(size_t i) const { return &position_[3 * i]; }

  // The square of the distance of vertex i from the segment a z, not its
  // line: a traverse may double back beyond its ends.
  float Distance2(size_t i, size_t a, size_t z) const {
    const float* p = At(a);
    const float* q = At(z);
    const float* r = At(i);
    const float d[3] = {q[0] - p[0], q[1] - p[1], q[2] - p[2]};
    const float w[3] = {r[0] - p[0], r[1] - p[1], r[2] - p[2]};
    const float dd = d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
    float t = dd > 0 ? (w[0] * d[0] + w[1] * d[1] + w[2] * d[2]) / dd : 0;
    t = std::clamp(t, 0.0f, 1.0f);
    const float x = w[0] - t * d[0], y = w[1] - t * d[1], z2 = w[2] - t * d[2];
    return x * x + y * y + z2 * z2;
  }

  // Douglas-Peucker over the vertices [b, e) of a traverse: those marked to
  // stay always do; between two of them, each vertex stays up to the
  // tolerance at which the recursion would drop it (its distance from the
  // chord it split, and never more than the vertex that made that chord),
  // kept squared. Iterative, so a traverse of any length needs no deep
  // stack.
  void Simplify(size_t b, size_t e) {
    std::vector<StackSpan>& stack = stack_;
    stack.clear();
    size_t a = b;
    for (size_t i = b + 1; i < e; ++i)
      if (std::isinf(keep_[i])) {
        if (i > a + 1) stack.push_back({a, i, keep_[i]});
        a = i;
      }
    while (!stack.empty()) {
      const StackSpan span = stack.back();
      stack.pop_back();
      // One vertex between: it is the farthest.
      if (span.z == span.a + 2) {
        keep_[span.a + 1] = std::min(span.cap, Distance2(span.a + 1, span.a, span.z));
        continue;
      }
      float farthest = -1;
      size_t at = span.a + 1;
      for (size_t i = span.a + 1; i < span.z; ++i) {
        const float dist = Distance2(i, span.a, span.z);
        if (dist > farthest) farthest = dist, at = i;
      }
      const float kept = std::min(span.cap, farthest);
      keep_[at] = kept;
      if (at > span.a + 1) stack.push_back({span.a, at, kept});
      if (span.z > at + 1) stack.push_back({at, span.z, kept});
    }
  }

  const SurveyModel& m_;
  LineLayout& out_;
  std::vector<int32_t> count_;
  std::vector<int32_t> pinned_;  // entrances and fixed stations
  std::vector<uint8_t> degree_;
  // The chunk being made, kept between chunks so their room is reused.
  std::vector<size_t> extraLevels_;  // levels that are ranges of out_.extra
  struct PlacedRow {
    int32_t survey, row;
    uint64_t code;
  };
  std::vector<PlacedRow> keyed_;
  std::vector<std::pair<double, int32_t>> sized_;
  std::vector<int64_t> before_;
  std::vector<std::pair<int32_t, int32_t>> ends_;
  std::vector<int32_t> partner_;
  std::vector<uint8_t> visited_;
  std::vector<uint32_t> vertex_;
  std::vector<float> position_;  // x, y, z of each vertex
  std::vector<size_t> start_;
  std::vector<float> keep_;      // squared tolerances, infinite for those that stay
  std::vector<uint8_t> levels_;  // how many levels keep each vertex
  struct StackSpan {
    size_t a, z;
    float cap;
  };
  std::vector<StackSpan> stack_;
};

LineLayout PlainLayout(const SurveyModel& m) {
  LineLayout out;
  const int32_t rows = m.SurveyLineCount();
  // The rows of each kind, in order.
  std::vector<int32_t> byKind[kLineKinds];
  for (int32_t i = 0; i < rows; ++i)
    byKind[static_cast<int>(LineKindOf(m.LineFlags(i)))].push_back(i);
  out.rows.reserve(static_cast<size_t>(rows));
  out.first.reserve(static_cast<size_t>(rows));
  out.count.reserve(static_cast<size_t>(rows));
  for (int k = 0; k < kLineKinds; ++k) {
    if (byKind[k].empty()) continue;
    LineChunk chunk;
    chunk.kind = static_cast<LineKind>(k);
    chunk.firstStrip = static_cast<int32_t>(out.rows.size());
    chunk.segments.first = out.stripSegments;
    for (const int32_t row : byKind[k]) {
      int32_t n = DrawableStations(m, row);
      // OpenGL counts vertices in 32 bits; a survey beyond that draws what
      // fits.
      if (out.vertices + n > std::numeric_limits<int32_t>::max()) n = 0;
      out.rows.push_back(row);
      out.first.push_back(static_cast<int32_t>(out.vertices));
      out.count.push_back(n);
      out.vertices += n;
      out.stripSegments += std::max(n - 1, 0);
    }
    chunk.strips = static_cast<int32_t>(out.rows.size()) - chunk.firstStrip;
    chunk.segments.count = out.stripSegments - chunk.segments.first;
    out.chunks.push_back(chunk);
    if (k != 0) out.mixedKinds = true;
  }
  return out;
}

}  // namespace

LineLayout LayOutLines(const SurveyModel& m, bool simplify) {
  if (simplify) {
    int64_t legs = 0;
    for (int32_t i = 0; i < m.SurveyLineCount(); ++i)
      legs += std::max(DrawableStations(m, i) - 1, 0);
    if (legs >= kSimplifiedFromLegs) {
      LineLayout out;
      Builder(m, out).Build();
      return out;
    }
  }
  return PlainLayout(m);
}

int ChunkLevel(const LineLayout& layout, const LineChunk& c, const LineCamera& camera) {
  if (!(c.lo[0] <= c.hi[0])) return -1;
  const auto& mv = camera.modelView.m;
  const auto& pr = camera.projection.m;
  // The box's corners in eye space and clip space; the chunk is outside when
  // all eight lie beyond one of the six planes.
  int outside[6] = {0, 0, 0, 0, 0, 0};
  double nearest = INFINITY;
  for (int corner = 0; corner < 8; ++corner) {
    const double x = ((corner & 1) ? c.hi[0] : c.lo[0]) - camera.centreX;
    const double y = ((corner & 2) ? c.hi[1] : c.lo[1]) - camera.centreY;
    const double z = ((corner & 4) ? c.hi[2] : c.lo[2]) - camera.originZ;
    const double e[4] = {
        mv[0] * x + mv[4] * y + mv[8] * z + mv[12], mv[1] * x + mv[5] * y + mv[9] * z + mv[13],
        mv[2] * x + mv[6] * y + mv[10] * z + mv[14], mv[3] * x + mv[7] * y + mv[11] * z + mv[15]};
    nearest = std::min(nearest, -e[2] / e[3]);
    double clip[4];
    for (int r = 0; r < 4; ++r)
      clip[r] = pr[r] * e[0] + pr[4 + r] * e[1] + pr[8 + r] * e[2] + pr[12 + r] * e[3];
    for (int a = 0; a < 3; ++a) {
      outside[2 * a] += clip[a] < -clip[3];
      outside[2 * a + 1] += clip[a] > clip[3];
    }
  }
  for (const int n : outside)
    if (n == 8) return -2;
  // The size of a pixel in model units where the chunk comes nearest: the
  // eye's units over the model-view's scale. Towards the picture's edges a
  // step along the line of sight shows too, by up to the tangent of the
  // half field of view; so the size is taken smaller by the largest
  // stretch a step can get anywhere in the picture.
  const double scale = std::sqrt(mv[0] * mv[0] + mv[1] * mv[1] + mv[2] * mv[2]);
  const double depth = std::max(nearest, kNearPlane);
  const double stretch = std::sqrt(1 + 1 / (pr[0] * pr[0]) + 1 / (pr[5] * pr[5]));
  const double pixel =
      std::min(2 * depth / (pr[5] * camera.height), 2 * depth / (pr[0] * camera.width)) /
      (scale * stretch);
  const double wanted = 0.5 * pixel;
  if (!(wanted > 0) || !std::isfinite(wanted)) return -1;
  const int level = static_cast<int>(std::floor(std::log2(wanted))) - layout.lowestLevel;
  if (level < 0) return -1;
  return std::min(level, kLineLevels - 1);
}

LinePresences SurveyPresences(const LineLayout& layout, const SurveyModel& m,
                              const std::vector<uint8_t>& hiddenSurveys, int32_t highlighted) {
  LinePresences out;
  const size_t nodes = m.surveys.size();
  const bool highlighting = highlighted >= 0 && static_cast<size_t>(highlighted) < nodes;
  bool anyHidden = false;
  for (const uint8_t h : hiddenSurveys) anyHidden = anyHidden || h;
  if (!highlighting && !anyHidden) return out;
  // Each node's presence, parents before children; lines outside every node
  // (index `nodes`) are dimmed beside a highlight like any other part.
  const auto full = static_cast<uint8_t>(LinePresence::Full);
  const uint8_t rest = highlighting ? static_cast<uint8_t>(LinePresence::Dimmed) : full;
  std::vector<uint8_t> lit(nodes, 0);
  std::vector<uint8_t> node(nodes + 1, rest);
  for (size_t k = 0; k < nodes; ++k) {
    const int32_t parent = m.surveys[k].parent;
    lit[k] = static_cast<int32_t>(k) == highlighted ||
             (parent >= 0 && static_cast<size_t>(parent) < k && lit[static_cast<size_t>(parent)]);
    if (lit[k]) node[k] = full;
    if (k < hiddenSurveys.size() && hiddenSurveys[k])
      node[k] = static_cast<uint8_t>(LinePresence::Hidden);
  }
  out.uniform = false;
  out.strips.resize(layout.rows.size());
  for (size_t s = 0; s < layout.rows.size(); ++s) {
    const int32_t survey = m.LineSurvey(layout.rows[s]);
    out.strips[s] =
        node[survey >= 0 && static_cast<size_t>(survey) < nodes ? static_cast<size_t>(survey)
                                                                : nodes];
  }
  out.chunks.reserve(layout.chunks.size());
  for (const LineChunk& c : layout.chunks) {
    uint8_t p = c.strips > 0 ? out.strips[static_cast<size_t>(c.firstStrip)] : full;
    for (int32_t s = c.firstStrip + 1; s < c.firstStrip + c.strips && p != kMixedPresence; ++s)
      if (out.strips[static_cast<size_t>(s)] != p) p = kMixedPresence;
    out.chunks.push_back(p);
  }
  return out;
}

void AddLineRanges(const LineLayout& layout, const SurveyModel& m, const ViewState& v, LegShow show,
                   const LineCamera* camera, const std::vector<uint64_t>* kept,
                   std::vector<SegmentRange>& out, const LinePresences* presences,
                   LinePresence want) {
  if (presences && presences->uniform) presences = nullptr;
  if (presences == nullptr && want != LinePresence::Full) return;
  for (size_t ci = 0; ci < layout.chunks.size(); ++ci) {
    const LineChunk& c = layout.chunks[ci];
    if (LineKindShow(v, c.kind) != show) continue;
    const uint8_t presence =
        presences ? presences->chunks[ci] : static_cast<uint8_t>(LinePresence::Full);
    if (presence != kMixedPresence && presence != static_cast<uint8_t>(want)) continue;
    const int level = camera && c.levels >= 0 ? ChunkLevel(layout, c, *camera) : -1;
    if (level == -2) continue;
    if (presence == kMixedPresence) {
      // Strip by strip, in full.
      int64_t segment = c.segments.first;
      for (int32_t s = c.firstStrip; s < c.firstStrip + c.strips; ++s) {
        const int32_t n = std::max(layout.count[static_cast<size_t>(s)] - 1, 0);
        if (presences->strips[static_cast<size_t>(s)] == static_cast<uint8_t>(want) && n > 0)
          AddSegmentRange(out, {segment, n});
        segment += n;
      }
      continue;
    }
    if (level < 0) {
      AddSegmentRange(out, c.segments);
      continue;
    }
    const SegmentRange r = layout.levels[static_cast<size_t>(c.levels + level)];
    AddSegmentRange(out, r);
    if (!kept || (r.first == c.segments.first && r.count == c.segments.count)) continue;
    // The strips of stations that must stay, in full.
    int64_t segment = c.segments.first;
    for (int32_t s = c.firstStrip; s < c.firstStrip + c.strips; ++s) {
      const int32_t n = layout.count[static_cast<size_t>(s)];
      const int32_t* stations = m.Line(layout.rows[static_cast<size_t>(s)]) + 1;
      for (int32_t j = 0; j < n; ++j) {
        const auto row = static_cast<size_t>(stations[j]);
        if (((*kept)[row / 64] >> (row % 64)) & 1) {
          AddSegmentRange(out, {segment, n - 1});
          break;
        }
      }
      segment += n > 1 ? n - 1 : 0;
    }
  }
}

}  // namespace mv
