// What lies flat over the scene, facing the viewer whatever the spin: the
// names of the entrances and stations, the marks on the picked stations and
// the line that describes them.
#pragma once

#include <QImage>
#include <QPointF>
#include <QRectF>

class QPainter;
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "render/gl_api.h"
#include "view/camera.h"
#include "view/labels.h"
#include "view/view_state.h"

namespace mv {

// Label pictures and sizes, kept while the survey stays; a bounded number of
// them, so a million stations never mean a million pictures.
class LabelCache {
 public:
  // The label of `row`: its name, elided past kLabelMostWidth.
  const QImage& Image(const SurveyModel& m, int32_t row, bool entrance, double pixelRatio);
  double Width(const SurveyModel& m, int32_t row, bool entrance);
  void Clear();

 private:
  // Empties the cache when the survey or the pixel ratio has changed.
  void ClearWhenStale(const SurveyModel& m, double pixelRatio);

  uint64_t generation_ = 0;
  double ratio_ = 0;
  std::unordered_map<int64_t, QImage> images_;
  std::unordered_map<int64_t, double> widths_;
};

inline constexpr double kLabelHeight = 16;      // logical pixels
inline constexpr double kLabelMostWidth = 240;  // longer names end in "…"

// The name a label shows: an entrance by the entrance's name where the
// survey gives one, else by the survey's title for the survey folders; any
// other station by its own name or its row counted from 1.
std::string LabelText(const SurveyModel& m, int32_t row, bool entrance);

// The description of a pick on a dark box, each line elided to
// `mostWidth` logical pixels; rows bottom-up for OpenGL.
QImage PickTextImage(const std::vector<std::string>& lines, double mostWidth, double pixelRatio);
// The mark of an entrance on a cave map, 2 kEntranceMarkRadius + 2 pixels
// across.
QImage EntranceMarkImage(double pixelRatio);
// The ring that marks a picked station, 2 kMarkRadius + 2 pixels across.
inline constexpr int kMarkRadius = 7;
QImage PickRingImage(double pixelRatio);

// The painters behind the pictures above, for drawings that keep shapes
// and text: a label in `box`, a ring about `centre`.
void PaintLabel(QPainter& p, const QRectF& box, const std::string& name, bool entrance);
void PaintPickRing(QPainter& p, const QPointF& centre);

// Paints what DrawOverlays draws as pictures, as shapes and text: the
// labels, the rings on the picked stations and the pick's description.
class SceneCache;
void PaintOverlayShapes(QPainter& p, const ViewState& v, const SurveyModel& m, SceneCache& cache,
                        const PictureGeometry& picture);

// The names the picture has room for, placed once for each frame and
// picture: the survey lines keep their stations, the overlays draw them.
// While the picture spins, the labels are placed afresh every
// (kCarriedLabelFrames + 1)-th frame and carried with their stations in
// between (those that would leave the scene or meet an overlay left out):
// placing them costs up to a quarter of a large survey's frame, and labels
// that keep their side for a few frames flicker less. A stopped spin, or
// any other change of the view, places them afresh.
inline constexpr int kCarriedLabelFrames = 3;
const std::vector<PlacedLabel>& FrameLabels(const ViewState& v, const SurveyModel& m,
                                            SceneCache& cache, const PictureGeometry& picture);

// Draws the labels, the marks of the picked stations with the segment that
// joins them, and the description of the pick, with the model-view matrix
// of the frame current and left as found.
void DrawOverlays(GlApi& gl, const ViewState& v, const SurveyModel& m, SceneCache& cache,
                  const PictureGeometry& picture);

}  // namespace mv
