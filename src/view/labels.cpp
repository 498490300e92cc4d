#include "view/labels.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

#include "view/projection.h"

namespace mv {

namespace {

constexpr double kGap = 9;  // between a station and its label, clear of the pick ring

using Candidate = LabelCandidate;

// Occupied label boxes, found through a coarse grid of the picture.
class Occupancy {
 public:
  Occupancy(double width, double height, double cell)
      : cell_(cell),
        columns_(std::max(1, static_cast<int>(std::ceil(width / cell)))),
        rows_(std::max(1, static_cast<int>(std::ceil(height / cell)))),
        cells_(static_cast<size_t>(columns_) * static_cast<size_t>(rows_)) {}

  bool Free(const PlacedLabel& b) {
    bool free = true;
    Visit(b, [&](std::vector<size_t>& cell) {
      for (size_t i : cell)
        if (Overlap(placed_[i], b)) free = false;
    });
    return free;
  }

  void Add(const PlacedLabel& b) {
    placed_.push_back(b);
    const size_t i = placed_.size() - 1;
    Visit(b, [&](std::vector<size_t>& cell) { cell.push_back(i); });
  }

  std::vector<PlacedLabel> Take() { return std::move(placed_); }

 private:
  static bool Overlap(const PlacedLabel& a, const PlacedLabel& b) {
    return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height &&
           b.top < a.top + a.height;
  }
  template <typename F>
  void Visit(const PlacedLabel& b, F f) {
    const int c0 = std::clamp(static_cast<int>(b.left / cell_), 0, columns_ - 1);
    const int c1 = std::clamp(static_cast<int>((b.left + b.width) / cell_), 0, columns_ - 1);
    const int r0 = std::clamp(static_cast<int>(b.top / cell_), 0, rows_ - 1);
    const int r1 = std::clamp(static_cast<int>((b.top + b.height) / cell_), 0, rows_ - 1);
    for (int r = r0; r <= r1; ++r)
      for (int c = c0; c <= c1; ++c) f(cells_[static_cast<size_t>(r * columns_ + c)]);
  }

  double cell_;
  int columns_, rows_;
  std::vector<std::vector<size_t>> cells_;
  std::vector<PlacedLabel> placed_;
};

// Cuts the segment to the box 0..w x 0..h; false when none of it is inside.
bool Clip(double& x0, double& y0, double& x1, double& y1, double w, double h) {
  double t0 = 0, t1 = 1;
  const double dx = x1 - x0, dy = y1 - y0;
  const double p[4] = {-dx, dx, -dy, dy}, q[4] = {x0, w - x0, y0, h - y0};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0) {
      if (q[i] < 0) return false;
      continue;
    }
    const double t = q[i] / p[i];
    if (p[i] < 0) {
      t0 = std::max(t0, t);
    } else {
      t1 = std::min(t1, t);
    }
    if (t0 > t1) return false;
  }
  const double ax = x0 + t0 * dx, ay = y0 + t0 * dy;
  x1 = x0 + t1 * dx, y1 = y0 + t1 * dy;
  x0 = ax, y0 = ay;
  return true;
}

// Where the label of `c`, `w` by `h`, goes: of the eight places around the
// station (right, left, above, below, then the corners, the gap the same
// along the diagonals) the first free one inside the picture's room that
// crosses the fewest survey lines; none when no place is free.
std::optional<PlacedLabel> PlaceBeside(const Candidate& c, double w, double h, double right,
                                       double roomTop, double bottom, Occupancy& taken,
                                       const LineCoverage* lines) {
  const double d = kGap * 0.7071;
  const std::pair<double, double> places[] = {
      {c.x + kGap, c.y - h / 2}, {c.x - kGap - w, c.y - h / 2}, {c.x - w / 2, c.y - kGap - h},
      {c.x - w / 2, c.y + kGap}, {c.x + d, c.y - d - h},        {c.x - d - w, c.y - d - h},
      {c.x + d, c.y + d},        {c.x - d - w, c.y + d},
  };
  std::optional<PlacedLabel> best;
  int64_t bestCrossed = 0;
  for (const auto& [left, top] : places) {
    const PlacedLabel label{c.row, c.entrance, left, top, w, h};
    if (left < 0 || left + w > right || top < roomTop || top + h > bottom) continue;
    if (!taken.Free(label)) continue;
    const int64_t crossed = lines ? lines->Count(left, top, w, h) : 0;
    if (!best || crossed < bestCrossed) {
      best = label;
      bestCrossed = crossed;
      if (crossed == 0) break;
    }
  }
  return best;
}

}  // namespace

LineCoverage::LineCoverage(double width, double height)
    : columns_(std::max(1, static_cast<int>(std::ceil(width / kCell)))),
      rows_(std::max(1, static_cast<int>(std::ceil(height / kCell)))),
      cells_(static_cast<size_t>(columns_ + 1) * static_cast<size_t>(rows_ + 1), 0) {}

void LineCoverage::CountOnlyNear(const std::vector<std::array<double, 2>>& points, double reach) {
  if (columns_ == 0) return;
  blockColumns_ = static_cast<int>(std::ceil(columns_ * kCell / kBlock));
  blockRows_ = static_cast<int>(std::ceil(rows_ * kCell / kBlock));
  near_.assign(static_cast<size_t>(blockColumns_) * static_cast<size_t>(blockRows_), 0);
  // Each block a point's reach touches, and its neighbours: a segment no
  // longer than a block touches only blocks next to its ends' blocks.
  const auto block = [](double v, int n) {
    return std::clamp(static_cast<int>(std::floor(v / kBlock)), 0, n - 1);
  };
  for (const auto& [x, y] : points) {
    if (!std::isfinite(x + y)) continue;
    const int c0 = block(x - reach, blockColumns_) - 1, c1 = block(x + reach, blockColumns_) + 1;
    const int r0 = block(y - reach, blockRows_) - 1, r1 = block(y + reach, blockRows_) + 1;
    for (int r = std::max(r0, 0); r <= std::min(r1, blockRows_ - 1); ++r)
      for (int c = std::max(c0, 0); c <= std::min(c1, blockColumns_ - 1); ++c)
        near_[static_cast<size_t>(r) * static_cast<size_t>(blockColumns_) +
              static_cast<size_t>(c)] = 1;
  }
}

bool LineCoverage::Near(double x, double y) const {
  const int c = std::clamp(static_cast<int>(std::floor(x / kBlock)), 0, blockColumns_ - 1);
  const int r = std::clamp(static_cast<int>(std::floor(y / kBlock)), 0, blockRows_ - 1);
  return near_[static_cast<size_t>(r) * static_cast<size_t>(blockColumns_) +
               static_cast<size_t>(c)] != 0;
}

void LineCoverage::AddSegment(double x0, double y0, double x1, double y1) {
  if (columns_ == 0) return;
  // Within one cell, as most segments of a large survey are, or two: those
  // cells once. (Comparisons with a NaN fail, so those go on to be refused
  // below.)
  const double c0 = x0 / kCell, r0 = y0 / kCell, c1 = x1 / kCell, r1 = y1 / kCell;
  if (c0 >= 0 && r0 >= 0 && c1 >= 0 && r1 >= 0 && c0 < columns_ && r0 < rows_ && c1 < columns_ &&
      r1 < rows_) {
    const auto a = static_cast<int64_t>(c0), b = static_cast<int64_t>(r0);
    const auto c = static_cast<int64_t>(c1), d = static_cast<int64_t>(r1);
    const auto at = [this](int64_t column, int64_t row) -> int64_t& {
      return cells_[static_cast<size_t>((row + 1) * (columns_ + 1) + column + 1)];
    };
    // In two cells side by side the segment stays within their box: each
    // once.
    if (std::abs(a - c) + std::abs(b - d) <= 1) {
      ++at(a, b);
      if (a != c || b != d) ++at(c, d);
      return;
    }
  }
  if (!std::isfinite(x0 + y0 + x1 + y1)) return;
  if (!near_.empty() && std::abs(x1 - x0) <= kBlock && std::abs(y1 - y0) <= kBlock &&
      !Near(x0, y0) && !Near(x1, y1))
    return;
  if (!Clip(x0, y0, x1, y1, columns_ * kCell, rows_ * kCell)) return;
  // Through the cells in steps of at most half a cell, each cell once.
  const int steps =
      1 + static_cast<int>(std::ceil(2 * std::max(std::abs(x1 - x0), std::abs(y1 - y0)) / kCell));
  int64_t last = -1;
  for (int k = 0; k <= steps; ++k) {
    const double t = static_cast<double>(k) / steps;
    const int c = std::clamp(static_cast<int>((x0 + t * (x1 - x0)) / kCell), 0, columns_ - 1);
    const int r = std::clamp(static_cast<int>((y0 + t * (y1 - y0)) / kCell), 0, rows_ - 1);
    const int64_t cell = static_cast<int64_t>(r + 1) * (columns_ + 1) + c + 1;
    if (cell != last) ++cells_[static_cast<size_t>(cell)];
    last = cell;
  }
}

void LineCoverage::Finish() {
  // Each entry becomes the sum of the cells above and left of it.
  const size_t w = static_cast<size_t>(columns_) + 1;
  for (size_t r = 1; r <= static_cast<size_t>(rows_); ++r)
    for (size_t c = 1; c < w; ++c)
      cells_[r * w + c] +=
          cells_[(r - 1) * w + c] + cells_[r * w + c - 1] - cells_[(r - 1) * w + c - 1];
}

int64_t LineCoverage::Count(double left, double top, double width, double height) const {
  if (columns_ == 0) return 0;
  const int c0 = std::clamp(static_cast<int>(std::floor(left / kCell)), 0, columns_);
  const int c1 = std::clamp(static_cast<int>(std::ceil((left + width) / kCell)), 0, columns_);
  const int r0 = std::clamp(static_cast<int>(std::floor(top / kCell)), 0, rows_);
  const int r1 = std::clamp(static_cast<int>(std::ceil((top + height) / kCell)), 0, rows_);
  const size_t w = static_cast<size_t>(columns_) + 1;
  const auto at = [&](int r, int c) {
    return cells_[static_cast<size_t>(r) * w + static_cast<size_t>(c)];
  };
  return at(r1, c1) - at(r0, c1) - at(r1, c0) + at(r0, c0);
}

void ProjectStations(const ViewState& v, const SurveyModel& m, const PictureGeometry& g,
                     std::vector<WindowPoint>& out) {
  out.resize(static_cast<size_t>(std::max(m.StationCount(), 0)));
  if (g.outerWidth <= 0 || g.outerHeight <= 0) {
    std::fill(out.begin(), out.end(), WindowPoint{});
    return;
  }
  // Through the projection and model-view as one matrix: the window's x and
  // y from the clip coordinates, the depth from w, which a perspective
  // projection makes the distance before the eye.
  const Mat4 clip = FrameProjection(g.outerWidth, g.outerHeight) * FrameModelView(v);
  const auto& a = clip.m;
  const double cx = v.CentreX.AsDouble(), cy = v.CentreY.AsDouble(), oz = m.originZ.AsDouble();
  const double w = g.outerWidth, h = g.outerHeight;
  const double* p = m.stations.data();
  for (size_t row = 0; row < out.size(); ++row, p += 3) {
    const double x = p[0] - cx, y = p[1] - cy, z = p[2] - oz;
    const double px = a[0] * x + a[4] * y + a[8] * z + a[12];
    const double py = a[1] * x + a[5] * y + a[9] * z + a[13];
    const double pw = a[3] * x + a[7] * y + a[11] * z + a[15];
    WindowPoint& q = out[row];
    q.depth = pw;
    q.visible = pw >= kNearPlane;
    q.x = q.visible ? (px / pw + 1) / 2 * w : 0;
    q.y = q.visible ? g.height - (py / pw + 1) / 2 * h : 0;
  }
}

LineCoverage CoverageOf(const SurveyModel& m, const PictureGeometry& g,
                        const std::vector<WindowPoint>& stations,
                        const std::function<bool(int32_t)>& drawn,
                        const std::vector<std::array<double, 2>>& near, double reach) {
  if (g.outerWidth <= 0 || g.outerHeight <= 0 || g.width <= 0 || g.height <= 0) return {};
  LineCoverage coverage(g.width, g.height);
  if (!near.empty()) coverage.CountOnlyNear(near, reach);
  const auto count = static_cast<int32_t>(
      std::min<size_t>(stations.size(), static_cast<size_t>(std::max(m.StationCount(), 0))));
  for (int32_t i = 0; i < m.SurveyLineCount(); ++i) {
    if (drawn && !drawn(i)) continue;
    const int32_t* line = m.Line(i);
    const int32_t last = std::min(line[0] + 1, kLineColumns - 1);
    const WindowPoint* before = nullptr;
    for (int32_t k = 1; k <= last && line[k] >= 0 && line[k] < count; ++k) {
      const WindowPoint& p = stations[static_cast<size_t>(line[k])];
      if (before && before->visible && p.visible)
        coverage.AddSegment(before->x, before->y, p.x, p.y);
      before = &p;
    }
  }
  coverage.Finish();
  return coverage;
}

std::vector<LabelCandidate> LabelCandidates(const PictureGeometry& g,
                                            const std::vector<int32_t>& entrances,
                                            const std::vector<int32_t>& stations,
                                            const std::vector<WindowPoint>& placed, double height) {
  std::vector<Candidate> chosen;
  if (g.outerWidth <= 0 || g.outerHeight <= 0 || g.width <= 0 || g.height <= g.toolbar ||
      !(height > 0))
    return chosen;
  const double top = g.toolbar, bottom = g.height, right = g.width;

  // The picture in cells one label high: of the stations in a cell only the
  // nearest can get a label there, so what follows is bounded by the cells,
  // whatever the number of stations.
  const double cell = height;
  const int columns = static_cast<int>(std::ceil(right / cell));
  const int rows = static_cast<int>(std::ceil(bottom / cell));
  std::vector<Candidate> best(static_cast<size_t>(columns) * static_cast<size_t>(rows),
                              Candidate{-1, false, 0, 0, INFINITY});
  const auto at = [&](int32_t row, bool entrance) -> std::optional<Candidate> {
    if (row < 0 || static_cast<size_t>(row) >= placed.size()) return std::nullopt;
    const WindowPoint& p = placed[static_cast<size_t>(row)];
    if (!p.visible || p.depth > kFarPlane || p.x < 0 || p.x >= right || p.y < top || p.y >= bottom)
      return std::nullopt;
    return Candidate{row, entrance, p.x, p.y, p.depth};
  };
  for (const int32_t row : entrances)
    if (const auto c = at(row, true)) chosen.push_back(*c);
  for (const int32_t row : stations) {
    const auto c = at(row, false);
    if (!c) continue;
    Candidate& slot = best[static_cast<size_t>(static_cast<int>(c->y / cell) * columns +
                                               static_cast<int>(c->x / cell))];
    if (c->depth < slot.depth) slot = *c;
  }
  // Entrances first, then the stations nearest the eye.
  const size_t entranceCount = chosen.size();
  for (const Candidate& c : best)
    if (c.row >= 0) chosen.push_back(c);
  std::sort(chosen.begin() + static_cast<long>(entranceCount), chosen.end(),
            [](const Candidate& a, const Candidate& b) {
              return a.depth != b.depth ? a.depth < b.depth : a.row < b.row;
            });
  return chosen;
}

std::vector<PlacedLabel> PlaceCandidates(const PictureGeometry& g,
                                         const std::vector<LabelCandidate>& candidates,
                                         const std::function<double(int32_t, bool)>& width,
                                         double height, size_t most,
                                         const std::vector<PlacedLabel>& blocked,
                                         const LineCoverage* lines) {
  if (candidates.empty()) return {};
  const double top = g.toolbar, bottom = g.height, right = g.width;
  Occupancy taken(right, bottom, 4 * height);
  for (const PlacedLabel& b : blocked) taken.Add(b);
  size_t placed = 0;
  for (const Candidate& c : candidates) {
    if (placed == most) break;
    const std::optional<PlacedLabel> label =
        PlaceBeside(c, width(c.row, c.entrance), height, right, top, bottom, taken, lines);
    if (!label) continue;
    taken.Add(*label);
    ++placed;
  }
  std::vector<PlacedLabel> labels = taken.Take();
  labels.erase(labels.begin(), labels.begin() + static_cast<long>(blocked.size()));
  return labels;
}

std::vector<PlacedLabel> PlaceLabels(
    const ViewState& v, const SurveyModel& m, const PictureGeometry& g,
    const std::vector<int32_t>& entrances, const std::vector<int32_t>& stations,
    const std::function<double(int32_t, bool)>& width, double height, size_t most,
    const std::vector<PlacedLabel>& blocked, const LineCoverage* lines) {
  std::vector<WindowPoint> placed;
  ProjectStations(v, m, g, placed);
  return PlaceCandidates(g, LabelCandidates(g, entrances, stations, placed, height), width, height,
                         most, blocked, lines);
}

}  // namespace mv
