#include "view/labels.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "view/projection.h"

namespace mv {

namespace {

constexpr double kGap = 9;  // between a station and its label, clear of the pick ring

struct Candidate {
  int32_t row;
  bool entrance;
  double x, y, depth;
};

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

}  // namespace

std::vector<PlacedLabel> PlaceLabels(const ViewState& v, const SurveyModel& m,
                                     const PictureGeometry& g,
                                     const std::vector<int32_t>& entrances,
                                     const std::vector<int32_t>& stations,
                                     const std::function<double(int32_t, bool)>& width,
                                     double height, size_t most,
                                     const std::vector<PlacedLabel>& blocked) {
  std::vector<PlacedLabel> none;
  if (g.outerWidth <= 0 || g.outerHeight <= 0 || g.width <= 0 || g.height <= g.toolbar ||
      !(height > 0))
    return none;
  const Mat4 modelView = FrameModelView(v);
  const Mat4 projection = FrameProjection(g.outerWidth, g.outerHeight);
  const double cx = v.CentreX.AsDouble(), cy = v.CentreY.AsDouble(), oz = m.originZ.AsDouble();
  const double top = g.toolbar, bottom = g.height, right = g.width;

  // The picture in cells one label high: of the stations in a cell only the
  // nearest can get a label there, so what follows is bounded by the cells,
  // whatever the number of stations.
  const double cell = height;
  const int columns = static_cast<int>(std::ceil(right / cell));
  const int rows = static_cast<int>(std::ceil(bottom / cell));
  std::vector<Candidate> best(static_cast<size_t>(columns) * static_cast<size_t>(rows),
                              Candidate{-1, false, 0, 0, INFINITY});
  std::vector<Candidate> chosen;
  const auto project = [&](int32_t row, bool entrance) -> std::optional<Candidate> {
    if (!m.ValidStation(row)) return std::nullopt;
    const WindowPoint p = Project(modelView, projection, g.outerWidth, g.outerHeight, m.X(row) - cx,
                                  m.Y(row) - cy, m.Z(row) - oz);
    const double y = g.height - p.y;
    if (!p.visible || p.depth > kFarPlane || p.x < 0 || p.x >= right || y < top || y >= bottom)
      return std::nullopt;
    return Candidate{row, entrance, p.x, y, p.depth};
  };
  for (const int32_t row : entrances)
    if (const auto c = project(row, true)) chosen.push_back(*c);
  for (const int32_t row : stations) {
    const auto c = project(row, false);
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

  Occupancy taken(right, bottom, 4 * cell);
  for (const PlacedLabel& b : blocked) taken.Add(b);
  size_t placed = 0;
  for (const Candidate& c : chosen) {
    if (placed == most) break;
    PlacedLabel label{c.row, c.entrance, c.x + kGap, c.y - height / 2, width(c.row, c.entrance),
                      height};
    // A label would run off the right edge: it goes left of its station.
    if (label.left + label.width > right) label.left = c.x - kGap - label.width;
    if (label.left < 0 || label.top < top || label.top + label.height > bottom) continue;
    if (!taken.Free(label)) continue;
    taken.Add(label);
    ++placed;
  }
  std::vector<PlacedLabel> labels = taken.Take();
  labels.erase(labels.begin(), labels.begin() + static_cast<long>(blocked.size()));
  return labels;
}

}  // namespace mv
