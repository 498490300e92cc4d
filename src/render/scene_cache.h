// Geometry that depends only on the survey and the axis position, built once
// and reused by every frame until either changes.
#pragma once

#include <QImage>
#include <cstdint>
#include <vector>

#include "render/depth_colours.h"
#include "render/gl_api.h"
#include "render/line_layout.h"
#include "render/line_thinning.h"
#include "render/overlays.h"
#include "render/passage_walls.h"
#include "view/camera.h"
#include "view/labels.h"
#include "view/view_state.h"

namespace mv {

// Which parts of the survey lines a frame draws.
struct LineDraws {
  // Every strip in the lines' colour, as one batch of strips.
  bool allStrips = true;
  // Else these segments in the lines' colour, then these faded; then, beside
  // a highlighted part of the survey tree, the rest dimmed.
  std::vector<SegmentRange> shown, faded, dimShown, dimFaded;
  // The segments drawn, of `allSegments` in the strips.
  int64_t SegmentCount(int64_t allSegments) const;
};

class SceneCache {
 public:
  // The survey lines as strips, one per row, with the axis position
  // subtracted from x and y. Rebuilt only when the model or the centre moved.
  // `shaded` adds each vertex's place on the depth colour ramp.
  const LineStripBatch& SurveyLines(const SurveyModel& m, Real48 centreX, Real48 centreY,
                                    bool shaded = false);
  // What the frame draws of the batch SurveyLines gave last, for the view
  // `v`: each kind of leg shown, faded or left out as the view says. With
  // the picture's size, a large survey's lines are simplified to what the
  // picture shows, except on the lines of the stations `kept`.
  const LineDraws& ChooseLines(const ViewState& v, const SurveyModel& m,
                               const PictureGeometry* picture = nullptr,
                               const std::vector<int32_t>& kept = {});
  // Whether large surveys are drawn simplified (the default); a drawing to
  // be enlarged later keeps every leg.
  void SetSimplified(bool on) { simplified_ = on; }
  // Room for the stations a frame keeps on the lines.
  std::vector<int32_t>& KeptStations() { return kept_; }
  // What leaves out the segments a picture would not show, with its room.
  LineThinning& Thinning() { return thinning_; }
  // The lines' layout, with its levels where the survey is simplified.
  const LineLayout& Layout() const { return layout_; }

  // Where the names went in the last frame, kept for the next one of the
  // same view and picture (see FrameLabels).
  struct PlacedLabels {
    bool valid = false;
    uint64_t generation = 0;
    ViewState view;
    PictureGeometry picture;
    std::vector<PlacedLabel> labels;
    std::vector<WindowPoint> stations;  // where the last placing saw them
    // Where each label's station was on the picture when it was last
    // placed or moved, and how many frames the labels have been carried
    // with their stations since they were placed.
    std::vector<std::array<double, 2>> anchors;
    int carried = 0;
  };
  PlacedLabels& LabelPlaces() { return placed_; }
  // The altitudes the drawn lines span; valid once SurveyLines has run.
  const DepthRange& Depths() const { return depths_; }
  // The depth legend for these altitudes, made once per survey and size.
  const QImage& DepthLegend(double pixelRatio);

  // The stations of the survey lines and the entrances, as a click may pick
  // them and labels name them; made once per survey.
  const std::vector<int32_t>& LineStations(const SurveyModel& m, const ViewState& v);
  const std::vector<int32_t>& Entrances(const SurveyModel& m, const ViewState& v);
  LabelCache& Labels() { return labels_; }
  // The passages' walls, built once per survey.
  WallsCache& Walls() { return walls_; }
  const QImage& PickRing(double pixelRatio);
  const QImage& EntranceMark(double pixelRatio);
  // The lines that describe the picked stations, as a picture for the
  // lower left corner; made again only when the pick changes.
  const QImage& PickText(const SurveyModel& m, int32_t first, int32_t second,
                         const PictureGeometry& picture);

  // Forget everything, e.g. after the GL context was recreated.
  void Clear();

 private:
  // Rows kept for one survey and the parts of it a view shows.
  struct Rows {
    uint64_t generation = 0;
    bool valid = false;
    std::vector<int32_t> rows;
    bool splays = true, surface = true;  // whether those kinds were drawn
    std::vector<uint8_t> hidden;         // ViewState::HiddenSurveys
    bool For(const SurveyModel& m, const ViewState& v) const;
  };
  Rows lineStations_, entrances_;
  LabelCache labels_;
  WallsCache walls_;
  QImage pickText_;
  QImage ring_, mark_;
  double ringRatio_ = 0, markRatio_ = 0;
  struct PickKey {
    uint64_t generation;
    int32_t first, second;
    int width;
    double ratio;
    bool operator==(const PickKey&) const = default;
  } pickKey_{0, -1, -1, 0, 0};

  std::vector<float> xyz_;
  std::vector<float> shade_;  // filled on first use for a shaded batch
  bool shaded_ = false;
  DepthRange depths_;
  QImage legend_;
  double legendRatio_ = 0;
  uint64_t legendVersion_ = 0;
  void Build(const SurveyModel& m, double cx, double cy);

  LineLayout layout_;
  bool simplified_ = true;
  bool layoutSimplified_ = false;  // what layout_ was made with
  LineDraws draws_;
  LineThinning thinning_;
  // The presences of the layout's strips for the hidden and highlighted
  // survey nodes they were made for.
  LinePresences presences_;
  struct PresenceKey {
    bool valid = false;
    bool simplified = false;
    uint64_t generation = 0;
    std::vector<uint8_t> hidden;
    int32_t highlighted = -1;
  } presenceKey_;
  const LinePresences& Presences(const ViewState& v, const SurveyModel& m);
  std::vector<uint64_t> keptBits_;
  std::vector<int32_t> kept_;  // a bit per station, all clear between frames
  PlacedLabels placed_;
  LineStripBatch batch_;
  uint64_t generation_ = 0;
  double centreX_ = 0, centreY_ = 0;
  bool valid_ = false;
};

}  // namespace mv
