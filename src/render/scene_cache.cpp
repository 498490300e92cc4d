#include "render/scene_cache.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "view/picking.h"
#include "view/projection.h"

namespace mv {

namespace {
uint64_t NextVersion() {
  static uint64_t v = 0;
  return ++v;
}
}  // namespace

void SceneCache::Clear() {
  valid_ = false;
  lineStations_.valid = entrances_.valid = false;
  placed_.valid = false;
  presenceKey_ = {};
  labels_.Clear();
  pickText_ = QImage();
}

const LineStripBatch& SceneCache::SurveyLines(const SurveyModel& m, Real48 centreX, Real48 centreY,
                                              bool shaded) {
  const double cx = centreX.AsDouble(), cy = centreY.AsDouble();
  if (!(valid_ && generation_ == m.generation && centreX_ == cx && centreY_ == cy &&
        layoutSimplified_ == simplified_)) {
    Build(m, cx, cy);
    shaded_ = false;
  }
  if (shaded && !shaded_) {
    // The shades depend only on the heights: made once, and the batch counts
    // as new so the copy on the GPU follows.
    shade_.resize(static_cast<size_t>(batch_.vertices));
    for (size_t i = 0; i < shade_.size(); ++i) shade_[i] = DepthShade(depths_, xyz_[3 * i + 2]);
    shaded_ = true;
    batch_.version = NextVersion();
  }
  batch_.shade = shaded ? shade_.data() : nullptr;
  return batch_;
}

const QImage& SceneCache::DepthLegend(double pixelRatio) {
  if (legend_.isNull() || legendRatio_ != pixelRatio || legendVersion_ != generation_) {
    legend_ = DepthLegendImage(depths_, pixelRatio);
    legendRatio_ = pixelRatio;
    legendVersion_ = generation_;
  }
  return legend_;
}

bool SceneCache::Rows::For(const SurveyModel& m, const ViewState& v) const {
  return valid && generation == m.generation && splays == LegDrawn(v, kLegSplay) &&
         surface == LegDrawn(v, kLegSurface) && hidden == v.HiddenSurveys;
}

const std::vector<int32_t>& SceneCache::LineStations(const SurveyModel& m, const ViewState& v) {
  Rows& r = lineStations_;
  if (!r.For(m, v))
    r = {m.generation,
         true,
         mv::LineStations(m, v),
         LegDrawn(v, kLegSplay),
         LegDrawn(v, kLegSurface),
         v.HiddenSurveys};
  return r.rows;
}

const std::vector<int32_t>& SceneCache::Entrances(const SurveyModel& m, const ViewState& v) {
  Rows& r = entrances_;
  if (!r.For(m, v))
    r = {m.generation,
         true,
         ShownEntrances(m, v),
         LegDrawn(v, kLegSplay),
         LegDrawn(v, kLegSurface),
         v.HiddenSurveys};
  return r.rows;
}

const QImage& SceneCache::PickRing(double pixelRatio) {
  if (ring_.isNull() || ringRatio_ != pixelRatio) {
    ring_ = PickRingImage(pixelRatio);
    ringRatio_ = pixelRatio;
  }
  return ring_;
}

const QImage& SceneCache::EntranceMark(double pixelRatio) {
  if (mark_.isNull() || markRatio_ != pixelRatio) {
    mark_ = EntranceMarkImage(pixelRatio);
    markRatio_ = pixelRatio;
  }
  return mark_;
}

const QImage& SceneCache::PickText(const SurveyModel& m, int32_t first, int32_t second,
                                   const PictureGeometry& picture) {
  const PickKey key{m.generation, first, second, picture.width, picture.pixelRatio};
  if (key == pickKey_ && !pickText_.isNull()) return pickText_;
  pickKey_ = key;
  pickText_ =
      PickTextImage(PickDescription(m, first, second), picture.width - 16, picture.pixelRatio);
  return pickText_;
}

void SceneCache::Build(const SurveyModel& m, double cx, double cy) {
  // The strips' order, sizes and levels depend on the survey alone.
  if (!(valid_ && generation_ == m.generation && layoutSimplified_ == simplified_)) {
    layout_ = LayOutLines(m, simplified_);
    layoutSimplified_ = simplified_;
  }
  const int32_t strips = static_cast<int32_t>(layout_.rows.size());

  // x and y less the axis position in double, then rounded to single
  // precision; z as stored. The heights the lines span come along.
  xyz_.resize(static_cast<size_t>(layout_.vertices) * 3);
  depths_ = {};
  double top = -INFINITY, bottom = INFINITY, anyTop = -INFINITY, anyBottom = INFINITY;
  float* out = xyz_.data();
  const double* xyz = m.stations.data();
  for (int32_t i = 0; i < strips; ++i) {
    const int32_t row = layout_.rows[static_cast<size_t>(i)];
    const int32_t* line = m.Line(row) + 1;
    const int32_t n = layout_.count[static_cast<size_t>(i)];
    // Splays and surface legs do not stretch the depth colours' range.
    const bool underground = LegUnderground(m.LineFlags(row));
    for (int32_t j = 0; j < n; ++j) {
      const double* p = xyz + 3 * static_cast<size_t>(line[j]);
      out[0] = static_cast<float>(p[0] - cx);
      out[1] = static_cast<float>(p[1] - cy);
      out[2] = static_cast<float>(p[2]);
      if (underground) {
        top = std::max(top, p[2]);
        bottom = std::min(bottom, p[2]);
      }
      anyTop = std::max(anyTop, p[2]);
      anyBottom = std::min(anyBottom, p[2]);
      out += 3;
    }
  }
  batch_.xyz = xyz_.data();
  batch_.first = layout_.first.data();
  batch_.count = layout_.count.data();
  batch_.strips = strips;
  batch_.vertices = static_cast<int32_t>(layout_.vertices);
  batch_.extra = layout_.extra.data();
  batch_.extraSegments = static_cast<int64_t>(layout_.extra.size() / 2);
  batch_.version = NextVersion();
  // A survey of nothing but splays or surface legs spans what it has.
  if (top >= bottom) {
    depths_ = {top, bottom, true};
  } else if (anyTop >= anyBottom) {
    depths_ = {anyTop, anyBottom, true};
  }
  generation_ = m.generation;
  centreX_ = cx;
  centreY_ = cy;
  valid_ = true;
}

int64_t LineDraws::SegmentCount(int64_t allSegments) const {
  if (allStrips) return allSegments;
  int64_t n = 0;
  for (const auto* list : {&shown, &faded, &dimShown, &dimFaded})
    for (const SegmentRange& r : *list) n += r.count;
  return n;
}

const LinePresences& SceneCache::Presences(const ViewState& v, const SurveyModel& m) {
  // Compared in place: a frame copies nothing while the choice stands.
  PresenceKey& k = presenceKey_;
  if (!(k.valid && k.simplified == layoutSimplified_ && k.generation == generation_ &&
        k.highlighted == v.HighlightedSurvey && k.hidden == v.HiddenSurveys)) {
    presences_ = SurveyPresences(layout_, m, v.HiddenSurveys, v.HighlightedSurvey);
    k = {true, layoutSimplified_, generation_, v.HiddenSurveys, v.HighlightedSurvey};
  }
  return presences_;
}

const LineDraws& SceneCache::ChooseLines(const ViewState& v, const SurveyModel& m,
                                         const PictureGeometry* picture,
                                         const std::vector<int32_t>& kept) {
  LineDraws& d = draws_;
  d.shown.clear();
  d.faded.clear();
  d.dimShown.clear();
  d.dimFaded.clear();
  const LinePresences& presences = Presences(v, m);
  // Plain legs alone, or every kind shown, drawn in full with no part of the
  // survey tree hidden or highlighted: the strips as they are.
  bool plain = !layout_.Simplified() && presences.uniform;
  for (const LineChunk& c : layout_.chunks)
    plain = plain && LineKindShow(v, c.kind) == LegShow::Shown;
  d.allStrips = plain;
  if (plain) return d;

  LineCamera camera;
  const bool seen = picture && layout_.Simplified();
  if (seen) {
    const double r = picture->pixelRatio;
    camera = {FrameModelView(v),
              FrameProjection(picture->outerWidth, picture->outerHeight),
              static_cast<int>(std::lround(picture->outerWidth * r)),
              static_cast<int>(std::lround(picture->outerHeight * r)),
              v.CentreX.AsDouble(),
              v.CentreY.AsDouble(),
              m.originZ.AsDouble()};
  }
  bool anyKept = false;
  for (const int32_t row : kept) {
    if (!seen || !m.ValidStation(row)) continue;
    keptBits_.resize((static_cast<size_t>(m.StationCount()) + 63) / 64, 0);
    keptBits_[static_cast<size_t>(row) / 64] |= uint64_t{1} << (row % 64);
    anyKept = true;
  }
  const std::vector<uint64_t>* bits = anyKept ? &keptBits_ : nullptr;
  const LineCamera* eye = seen ? &camera : nullptr;
  using enum LinePresence;
  AddLineRanges(layout_, m, v, LegShow::Shown, eye, bits, d.shown, &presences, Full);
  AddLineRanges(layout_, m, v, LegShow::Faded, eye, bits, d.faded, &presences, Full);
  AddLineRanges(layout_, m, v, LegShow::Shown, eye, bits, d.dimShown, &presences, Dimmed);
  AddLineRanges(layout_, m, v, LegShow::Faded, eye, bits, d.dimFaded, &presences, Dimmed);
  if (anyKept)
    for (const int32_t row : kept)
      if (m.ValidStation(row)) keptBits_[static_cast<size_t>(row) / 64] = 0;
  return d;
}

}  // namespace mv
