// Which station names the picture has room for: each label beside its
// station where it hides the fewest survey lines, none over another, the
// entrances first and then the stations nearest the eye.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "data/survey_model.h"
#include "view/camera.h"
#include "view/projection.h"
#include "view/view_state.h"

namespace mv {

struct PlacedLabel {
  int32_t row = -1;
  bool entrance = false;
  // The label's box in picture pixels from the top left corner.
  double left = 0, top = 0, width = 0, height = 0;
};

// How many drawn survey lines cross each part of the picture: a grid of
// cells a few pixels across, with sums over any box of cells in constant
// time.
class LineCoverage {
 public:
  static constexpr double kCell = 4;  // pixels

  LineCoverage() = default;
  LineCoverage(double width, double height);
  // Counts only what passes within `reach` pixels of one of `points`
  // (picture pixels from the top left corner): elsewhere the counts may
  // fall short, and short segments far from every point cost next to
  // nothing. Call before adding segments.
  void CountOnlyNear(const std::vector<std::array<double, 2>>& points, double reach);
  // Counts the segment from (x0, y0) to (x1, y1), picture pixels from the
  // top left corner, once in every cell it passes.
  void AddSegment(double x0, double y0, double x1, double y1);
  // Makes the sums; Count answers only afterwards.
  void Finish();
  // The lines crossing the cells under a box, each cell once.
  int64_t Count(double left, double top, double width, double height) const;
  bool Empty() const { return columns_ == 0; }

 private:
  static constexpr double kBlock = 32;  // pixels, for CountOnlyNear
  bool Near(double x, double y) const;

  int columns_ = 0, rows_ = 0;
  std::vector<int64_t> cells_;  // (rows_ + 1) x (columns_ + 1) after Finish
  // Blocks of kBlock pixels within a block of the places counted, where
  // CountOnlyNear limits the counting.
  int blockColumns_ = 0, blockRows_ = 0;
  std::vector<uint8_t> near_;
};

// Every station where the picture `g` shows it (x and y in picture pixels
// from the top left corner), by station row: projected once a frame for the
// labels and the lines they keep clear of.
void ProjectStations(const ViewState& v, const SurveyModel& m, const PictureGeometry& g,
                     std::vector<WindowPoint>& out);

// The survey lines as the picture shows them, the stations where
// ProjectStations placed them, for rows of the survey-line table for which
// `drawn(row)` holds (all rows without it); with `near`, counted for certain
// only within `reach` pixels of those points.
LineCoverage CoverageOf(const SurveyModel& m, const PictureGeometry& g,
                        const std::vector<WindowPoint>& stations,
                        const std::function<bool(int32_t)>& drawn,
                        const std::vector<std::array<double, 2>>& near, double reach);

// The label of station `row` is `width(row, entrance)` pixels wide and
// `height` high and takes, of eight places around its station (right, left,
// above, below, then the corners), the free one that covers the fewest
// drawn survey lines of `lines`; where none is free it is left out.
// Stations outside the scene area or behind the eye get none. Entrances
// come first, then the stations nearest the eye. At most `most` labels: the
// picture's room, not the survey's size, bounds the work done for them. No
// label goes over a `blocked` box (the depth legend, say).
std::vector<PlacedLabel> PlaceLabels(
    const ViewState& v, const SurveyModel& m, const PictureGeometry& g,
    const std::vector<int32_t>& entrances, const std::vector<int32_t>& stations,
    const std::function<double(int32_t, bool)>& width, double height, size_t most = 2000,
    const std::vector<PlacedLabel>& blocked = {}, const LineCoverage* lines = nullptr);

// The same in two steps, for a frame that counts the lines only where
// labels may go: first the stations that may get a label, in the order
// they are given one (`placed` as ProjectStations made it), then their
// labels.
struct LabelCandidate {
  int32_t row;
  bool entrance;
  double x, y, depth;
};
std::vector<LabelCandidate> LabelCandidates(const PictureGeometry& g,
                                            const std::vector<int32_t>& entrances,
                                            const std::vector<int32_t>& stations,
                                            const std::vector<WindowPoint>& placed, double height);
std::vector<PlacedLabel> PlaceCandidates(const PictureGeometry& g,
                                         const std::vector<LabelCandidate>& candidates,
                                         const std::function<double(int32_t, bool)>& width,
                                         double height, size_t most,
                                         const std::vector<PlacedLabel>& blocked,
                                         const LineCoverage* lines);

}  // namespace mv
