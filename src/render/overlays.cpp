#include "render/overlays.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <array>
#include <cmath>

#include "render/depth_colours.h"
#include "render/draw_helpers.h"
#include "render/scene_cache.h"
#include "view/labels.h"
#include "view/overlay_layout.h"
#include "view/picking.h"

namespace mv {

namespace {

const QColor kEntranceInk(255, 230, 120);
const QColor kStationInk(230, 230, 230);
const QColor kPickInk(255, 255, 0);

QString Text(const std::string& s) {
  return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

QFont LabelFont(bool entrance) {
  QFont f;
  f.setPixelSize(12);
  f.setBold(entrance);
  return f;
}

int64_t Key(int32_t row, bool entrance) {
  return (static_cast<int64_t>(row) << 1) | (entrance ? 1 : 0);
}

// A picture of premultiplied RGBA pixels, `pixelRatio` device pixels to a
// logical one, drawn by `paint` in logical pixels; rows bottom-up for
// OpenGL.
template <typename Paint>
QImage Overlay(double width, double height, double pixelRatio, Paint paint) {
  QImage image(std::max(1, static_cast<int>(std::ceil(width * pixelRatio))),
               std::max(1, static_cast<int>(std::ceil(height * pixelRatio))),
               QImage::Format_RGBA8888_Premultiplied);
  image.fill(Qt::transparent);
  {
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(pixelRatio, pixelRatio);
    paint(p);
  }
  return image.mirrored(false, true);
}

// Text readable over any line colour: a dark rim under the letters.
void HaloText(QPainter& p, const QRectF& box, const QString& text, const QColor& ink) {
  p.setPen(QColor(0, 0, 0, 220));
  for (const QPointF d : {QPointF(-1, 0), QPointF(1, 0), QPointF(0, -1), QPointF(0, 1)})
    p.drawText(box.translated(d), Qt::AlignLeft | Qt::AlignVCenter, text);
  p.setPen(ink);
  p.drawText(box, Qt::AlignLeft | Qt::AlignVCenter, text);
}

// Puts an image with its top left corner at (left, top) of the picture.
void Put(GlApi& gl, const QImage& image, double left, double top, const PictureGeometry& g) {
  const double r = g.pixelRatio;
  gl.DrawOverlay(static_cast<int>(std::lround(left * r)),
                 static_cast<int>(std::lround((g.height - top) * r)) - image.height(),
                 {image.constBits(), image.width(), image.height()});
}

}  // namespace

std::string LabelText(const SurveyModel& m, int32_t row, bool entrance) {
  // The survey folders name no station; their entrances carry the object's name.
  if (entrance && m.stationNames.empty() && !m.title.empty()) return m.title;
  return StationLabel(m, row);
}

void LabelCache::ClearWhenStale(const SurveyModel& m, double pixelRatio) {
  if (m.generation == generation_ && pixelRatio == ratio_) return;
  Clear();
  generation_ = m.generation;
  ratio_ = pixelRatio;
}

void LabelCache::Clear() {
  images_.clear();
  widths_.clear();
  generation_ = 0;
}

double LabelCache::Width(const SurveyModel& m, int32_t row, bool entrance) {
  ClearWhenStale(m, ratio_ > 0 ? ratio_ : 1);
  const int64_t key = Key(row, entrance);
  if (const auto it = widths_.find(key); it != widths_.end()) return it->second;
  // Enough widths for every cell of a large picture; beyond that start afresh.
  if (widths_.size() > 200000) widths_.clear();
  const QFontMetricsF metrics(LabelFont(entrance));
  const QString text =
      metrics.elidedText(Text(LabelText(m, row, entrance)), Qt::ElideMiddle, kLabelMostWidth);
  const double w = std::ceil(metrics.horizontalAdvance(text)) + 4;
  widths_[key] = w;
  return w;
}

const QImage& LabelCache::Image(const SurveyModel& m, int32_t row, bool entrance,
                                double pixelRatio) {
  ClearWhenStale(m, pixelRatio);
  const int64_t key = Key(row, entrance);
  if (const auto it = images_.find(key); it != images_.end()) return it->second;
  if (images_.size() > 4000) images_.clear();
  const double w = Width(m, row, entrance);
  const std::string text = LabelText(m, row, entrance);
  return images_[key] = Overlay(w, kLabelHeight, pixelRatio, [&](QPainter& p) {
           PaintLabel(p, QRectF(0, 0, w, kLabelHeight), text, entrance);
         });
}

void PaintLabel(QPainter& p, const QRectF& box, const std::string& name, bool entrance) {
  const QFont font = LabelFont(entrance);
  // Cut in the middle: the start says which cave, the end which station.
  const QString text = QFontMetricsF(font).elidedText(Text(name), Qt::ElideMiddle, kLabelMostWidth);
  p.save();
  p.setFont(font);
  HaloText(p, box.adjusted(2, 0, 0, 0), text, entrance ? kEntranceInk : kStationInk);
  p.restore();
}

void PaintPickRing(QPainter& p, const QPointF& centre) {
  p.save();
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor(0, 0, 0, 200), 3));
  p.drawEllipse(centre, kMarkRadius - 1, kMarkRadius - 1);
  p.setPen(QPen(kPickInk, 1.5));
  p.drawEllipse(centre, kMarkRadius - 1, kMarkRadius - 1);
  p.restore();
}

QImage PickRingImage(double pixelRatio) {
  return Overlay(2 * kMarkRadius + 2, 2 * kMarkRadius + 2, pixelRatio,
                 [](QPainter& p) { PaintPickRing(p, QPointF(kMarkRadius + 1, kMarkRadius + 1)); });
}

namespace {

struct PickText {
  QFont font;
  QStringList lines;
  double width = 0, height = 0;
};

constexpr double kPickLine = 16, kPickPad = 6;

PickText LayOutPickText(const std::vector<std::string>& lines, double mostWidth) {
  PickText t;
  t.font.setPixelSize(12);
  const QFontMetricsF metrics(t.font);
  double widest = 0;
  for (const std::string& l : lines) {
    t.lines << metrics.elidedText(Text(l), Qt::ElideRight,
                                  std::max(20.0, mostWidth - 2 * kPickPad));
    widest = std::max(widest, metrics.horizontalAdvance(t.lines.back()));
  }
  t.width = std::ceil(widest) + 2 * kPickPad;
  t.height = kPickLine * t.lines.size() + 2 * kPickPad - 4;
  return t;
}

void PaintPickText(QPainter& p, const QPointF& topLeft, const PickText& t) {
  p.save();
  p.translate(topLeft);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0, 0, 0, 170));
  p.drawRoundedRect(QRectF(0, 0, t.width, t.height), 5, 5);
  p.setFont(t.font);
  for (int i = 0; i < t.lines.size(); ++i)
    HaloText(p, QRectF(kPickPad, kPickPad - 2 + i * kPickLine, t.width - 2 * kPickPad, kPickLine),
             t.lines[i], Qt::white);
  p.restore();
}

// Where the description of a pick goes: at the lower left, above a cave
// map's strip.
PictureRect PickTextPlace(const ViewState& v, const SurveyModel& m, SceneCache& cache,
                          const PictureGeometry& picture) {
  PictureRect r;
  const int32_t first = m.ValidStation(v.PickedFirst) ? v.PickedFirst : -1;
  if (first < 0) return r;
  const int32_t second = m.ValidStation(v.PickedSecond) ? v.PickedSecond : -1;
  const QImage& text = cache.PickText(m, first, second, picture);
  r.width = text.width() / picture.pixelRatio;
  r.height = text.height() / picture.pixelRatio;
  r.left = 8;
  r.top = PickTextBottom(v, picture) - r.height;
  r.shown = true;
  return r;
}

const QColor kEntranceMarkInk(40, 230, 90);

// The mark of an entrance on a cave map: a green disc with a dark rim.
void PaintEntranceMark(QPainter& p, const QPointF& centre) {
  p.save();
  p.setPen(QPen(QColor(0, 0, 0, 220), 1.5));
  p.setBrush(kEntranceMarkInk);
  p.drawEllipse(centre, kEntranceMarkRadius - 0.5, kEntranceMarkRadius - 0.5);
  p.restore();
}

// The scale bar: a white bar of the round length with ticks at its ends and
// middle, its length written above it, on a dark box.
void PaintScaleBar(QPainter& p, const PictureRect& place, const ScaleBar& bar) {
  if (!bar.shown) return;
  p.save();
  QFont font;
  font.setPixelSize(12);
  p.setFont(font);
  const QString text = Text(bar.text);
  const double textWidth = QFontMetricsF(font).horizontalAdvance(text);
  const double width = std::max(bar.pixels, textWidth) + 16;
  const QRectF box(place.left, place.Bottom() - 38, width, 36);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0, 0, 0, 150));
  p.drawRoundedRect(box, 5, 5);
  const double x0 = box.left() + 8, x1 = x0 + bar.pixels, y = box.bottom() - 9;
  p.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::FlatCap));
  p.drawLine(QPointF(x0, y), QPointF(x1, y));
  p.setPen(QPen(Qt::white, 1.5, Qt::SolidLine, Qt::FlatCap));
  for (const double x : {x0, x1}) p.drawLine(QPointF(x, y + 1), QPointF(x, y - 7));
  p.drawLine(QPointF((x0 + x1) / 2, y), QPointF((x0 + x1) / 2, y - 4));
  HaloText(p, QRectF(x0, box.top() + 3, width - 16, 16), text, Qt::white);
  p.restore();
}

// The compass: a disc with a needle to north (red) and the tilt beside it.
void PaintCompass(QPainter& p, const PictureRect& place, const CompassReading& c) {
  p.save();
  const double r = kCompassDiameter / 2;
  const QPointF centre(place.Right() - r - 2, place.top + place.height / 2);
  QFont font;
  font.setPixelSize(12);
  p.setFont(font);
  const QString tilt = Text(c.tilt);
  const double textWidth = QFontMetricsF(font).horizontalAdvance(tilt);
  const QRectF box(centre.x() - r - 12 - textWidth - 6, centre.y() - r - 2, textWidth + 2 * r + 22,
                   2 * r + 4);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0, 0, 0, 150));
  p.drawRoundedRect(box, 5, 5);
  HaloText(p, QRectF(box.left() + 6, centre.y() - 8, textWidth + 2, 16), tilt, Qt::white);
  p.setPen(QPen(QColor(230, 230, 230), 1.2));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(centre, r - 1, r - 1);
  p.translate(centre);
  p.rotate(c.northDegrees);
  const double tip = r - 9;
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(230, 40, 40));
  p.drawPolygon(QPolygonF({QPointF(0, -tip), QPointF(4, 0), QPointF(-4, 0)}));
  p.setBrush(QColor(230, 230, 230));
  p.drawPolygon(QPolygonF({QPointF(0, tip), QPointF(4, 0), QPointF(-4, 0)}));
  p.setPen(QColor(255, 255, 255));
  p.setFont([] {
    QFont f;
    f.setPixelSize(9);
    f.setBold(true);
    return f;
  }());
  p.drawText(QRectF(-6, -r + 0.5, 12, 9), Qt::AlignCenter, QStringLiteral("N"));
  p.restore();
}

// The entrances of a cave map as they lie on the picture.
std::vector<QPointF> EntranceMarks(const ViewState& v, const SurveyModel& m, SceneCache& cache,
                                   const PictureGeometry& picture) {
  std::vector<QPointF> marks;
  if (!v.MapStyle || !v.EntrancesVisible) return marks;
  for (const int32_t row : cache.Entrances(m, v)) {
    const PicturePoint at = StationOnPicture(v, m, picture, row);
    if (at.visible) marks.emplace_back(at.x, at.y);
  }
  return marks;
}

// The boxes no label may cover: the overlays and the pick's text.
std::vector<PictureRect> LabelBlockers(const ViewState& v, const SurveyModel& m, SceneCache& cache,
                                       const PictureGeometry& picture) {
  std::vector<PictureRect> blocked = OverlayBoxes(v, picture);
  if (const PictureRect pick = PickTextPlace(v, m, cache, picture); pick.shown)
    blocked.push_back(pick);
  return blocked;
}

// The labels the picture has room for, with the stations' pictures sized by
// the label cache. A cave map names its entrances; the survey folders name
// theirs only with the station names.
std::vector<PlacedLabel> PlaceFrameLabels(const ViewState& v, const SurveyModel& m,
                                          SceneCache& cache, const PictureGeometry& picture) {
  static const std::vector<int32_t> kNone;
  const bool stationNames = v.StationNamesVisible && v.LinesVisible;
  const bool entranceNames = v.EntrancesVisible && (v.MapStyle || v.StationNamesVisible);
  if (!stationNames && !entranceNames) return {};
  const std::vector<int32_t>& entrances = entranceNames ? cache.Entrances(m, v) : kNone;
  const std::vector<int32_t>& stations = stationNames ? cache.LineStations(m, v) : kNone;
  if (entrances.empty() && stations.empty()) return {};
  LabelCache& labels = cache.Labels();
  // The overlays keep their places, and labels go where they hide the
  // fewest survey lines.
  std::vector<PlacedLabel> blocked;
  for (const PictureRect& r : LabelBlockers(v, m, cache, picture))
    blocked.push_back({-1, false, r.left, r.top, r.width, r.height});
  // Each station projected once; the lines are counted only about the
  // stations that may get a label, where their labels may go, so that a
  // spinning frame of a large survey does not go through every line's cells.
  std::vector<WindowPoint>& placed = cache.LabelPlaces().stations;
  ProjectStations(v, m, picture, placed);
  const std::vector<LabelCandidate> candidates =
      LabelCandidates(picture, entrances, stations, placed, kLabelHeight);
  if (candidates.empty()) return {};
  const auto width = [&](int32_t row, bool entrance) { return labels.Width(m, row, entrance); };
  std::vector<std::array<double, 2>> near;
  near.reserve(candidates.size());
  double reach = 0;
  for (const LabelCandidate& c : candidates) {
    near.push_back({c.x, c.y});
    reach = std::max(reach, width(c.row, c.entrance) + kLabelHeight);
  }
  LineCoverage lines;
  if (v.LinesVisible)
    lines = CoverageOf(
        m, picture, placed, [&](int32_t row) { return RowDrawn(v, m, row); }, near, reach);
  return PlaceCandidates(picture, candidates, width, kLabelHeight, 2000, blocked,
                         lines.Empty() ? nullptr : &lines);
}

// Whether the views differ in their spin alone.
bool OnlyTheSpinMoved(const ViewState& before, const ViewState& now) {
  ViewState turned = before;
  turned.TickCount = now.TickCount;
  return turned == now;
}

// Moves each label with its station, leaving out those that would leave
// the scene area or run into an overlay.
void CarryLabels(SceneCache::PlacedLabels& p, const ViewState& v, const SurveyModel& m,
                 SceneCache& cache, const PictureGeometry& picture) {
  const std::vector<PictureRect> blocked = LabelBlockers(v, m, cache, picture);
  size_t kept = 0;
  for (size_t i = 0; i < p.labels.size(); ++i) {
    PlacedLabel l = p.labels[i];
    const PicturePoint at = StationOnPicture(v, m, picture, l.row);
    l.left += at.x - p.anchors[i][0];
    l.top += at.y - p.anchors[i][1];
    bool free = at.visible && l.left >= 0 && l.left + l.width <= picture.width &&
                l.top >= picture.toolbar && l.top + l.height <= picture.height;
    for (const PictureRect& r : blocked)
      free = free && !(l.left < r.Right() && r.left < l.left + l.width && l.top < r.Bottom() &&
                       r.top < l.top + l.height);
    if (!free) continue;
    p.labels[kept] = l;
    p.anchors[kept++] = {at.x, at.y};
  }
  p.labels.resize(kept);
  p.anchors.resize(kept);
}

}  // namespace

const std::vector<PlacedLabel>& FrameLabels(const ViewState& v, const SurveyModel& m,
                                            SceneCache& cache, const PictureGeometry& picture) {
  SceneCache::PlacedLabels& p = cache.LabelPlaces();
  const bool same = p.valid && p.generation == m.generation && p.picture == picture;
  if (same && p.view == v) return p.labels;
  if (same && !v.SpinStopped && p.carried < kCarriedLabelFrames && OnlyTheSpinMoved(p.view, v)) {
    CarryLabels(p, v, m, cache, picture);
    ++p.carried;
  } else {
    p.labels = PlaceFrameLabels(v, m, cache, picture);
    p.anchors.clear();
    for (const PlacedLabel& l : p.labels) {
      const PicturePoint at = StationOnPicture(v, m, picture, l.row);
      p.anchors.push_back({at.x, at.y});
    }
    p.carried = 0;
    p.valid = true;
    p.generation = m.generation;
    p.picture = picture;
  }
  p.view = v;
  return p.labels;
}

QImage EntranceMarkImage(double pixelRatio) {
  const double size = 2 * kEntranceMarkRadius + 2;
  return Overlay(size, size, pixelRatio,
                 [&](QPainter& p) { PaintEntranceMark(p, QPointF(size / 2, size / 2)); });
}

QImage PickTextImage(const std::vector<std::string>& lines, double mostWidth, double pixelRatio) {
  const PickText t = LayOutPickText(lines, mostWidth);
  return Overlay(t.width, t.height, pixelRatio,
                 [&](QPainter& p) { PaintPickText(p, QPointF(0, 0), t); });
}

void PaintOverlayShapes(QPainter& p, const ViewState& v, const SurveyModel& m, SceneCache& cache,
                        const PictureGeometry& picture) {
  for (const QPointF& at : EntranceMarks(v, m, cache, picture)) PaintEntranceMark(p, at);
  for (const PlacedLabel& l : FrameLabels(v, m, cache, picture))
    PaintLabel(p, QRectF(l.left, l.top, l.width, l.height), LabelText(m, l.row, l.entrance),
               l.entrance);
  if (const PictureRect bar = ScaleBarPlace(v, picture); bar.shown)
    PaintScaleBar(p, bar, ScaleBarFor(v, m, picture));
  if (const PictureRect compass = CompassPlace(v, picture); compass.shown)
    PaintCompass(p, compass, CompassFor(v));
  const int32_t first = m.ValidStation(v.PickedFirst) ? v.PickedFirst : -1;
  if (first < 0) return;
  const int32_t second = m.ValidStation(v.PickedSecond) ? v.PickedSecond : -1;
  for (const int32_t row : {first, second}) {
    const PicturePoint at = StationOnPicture(v, m, picture, row);
    if (row >= 0 && at.visible) PaintPickRing(p, QPointF(at.x, at.y));
  }
  const PickText t = LayOutPickText(PickDescription(m, first, second), picture.width - 16);
  PaintPickText(p, QPointF(8, PickTextBottom(v, picture) - t.height), t);
}

void DrawOverlays(GlApi& gl, const ViewState& v, const SurveyModel& m, SceneCache& cache,
                  const PictureGeometry& picture) {
  const int32_t first = m.ValidStation(v.PickedFirst) ? v.PickedFirst : -1;
  const int32_t second = m.ValidStation(v.PickedSecond) ? v.PickedSecond : -1;

  // The segment between two picked stations lies in the model, so it turns
  // with it.
  if (first >= 0 && second >= 0) {
    SetColour(gl, {255, 255, 0});
    const OriginShift shift(gl, m.originZ);
    const double cx = v.CentreX.AsDouble(), cy = v.CentreY.AsDouble();
    gl.Begin(Prim::Lines);
    for (const int32_t row : {first, second})
      gl.Vertex3f(static_cast<float>(m.X(row) - cx), static_cast<float>(m.Y(row) - cy),
                  static_cast<float>(m.Z(row)));
    gl.End();
  }

  // Where two parts come closest: dashed, in a colour no other line has.
  if (!v.Approaches.empty()) {
    SetColour(gl, {255, 60, 255});
    const OriginShift shift(gl, m.originZ);
    const double c[3] = {v.CentreX.AsDouble(), v.CentreY.AsDouble(), 0};
    constexpr int kDashes = 8;
    gl.Begin(Prim::Lines);
    for (const ViewState::ApproachLine& a : v.Approaches)
      for (int k = 0; k < 2 * kDashes; k += 2)
        for (const int end : {k, k + 1}) {
          const double t = static_cast<double>(end) / (2 * kDashes - 1);
          gl.Vertex3f(static_cast<float>(a.from[0] + t * (a.to[0] - a.from[0]) - c[0]),
                      static_cast<float>(a.from[1] + t * (a.to[1] - a.from[1]) - c[1]),
                      static_cast<float>(a.from[2] + t * (a.to[2] - a.from[2])));
        }
    gl.End();
  }

  const std::vector<QPointF> marks = EntranceMarks(v, m, cache, picture);
  if (!marks.empty()) {
    const QImage& mark = cache.EntranceMark(picture.pixelRatio);
    const double half = mark.width() / picture.pixelRatio / 2;
    for (const QPointF& at : marks) Put(gl, mark, at.x() - half, at.y() - half, picture);
  }

  for (const PlacedLabel& l : FrameLabels(v, m, cache, picture))
    Put(gl, cache.Labels().Image(m, l.row, l.entrance, picture.pixelRatio), l.left, l.top, picture);

  // The scale bar and the compass follow the view every frame.
  if (const PictureRect place = ScaleBarPlace(v, picture); place.shown) {
    const ScaleBar bar = ScaleBarFor(v, m, picture);
    Put(gl,
        Overlay(place.width, place.height, picture.pixelRatio,
                [&](QPainter& p) {
                  PaintScaleBar(p, {0, 0, place.width, place.height, true}, bar);
                }),
        place.left, place.top, picture);
  }
  if (const PictureRect place = CompassPlace(v, picture); place.shown) {
    const CompassReading c = CompassFor(v);
    Put(gl,
        Overlay(place.width, place.height, picture.pixelRatio,
                [&](QPainter& p) {
                  PaintCompass(p, {0, 0, place.width, place.height, true}, c);
                }),
        place.left, place.top, picture);
  }

  if (first < 0) return;
  const QImage& ring = cache.PickRing(picture.pixelRatio);
  for (const int32_t row : {first, second}) {
    const PicturePoint p = StationOnPicture(v, m, picture, row);
    if (row >= 0 && p.visible) Put(gl, ring, p.x - kMarkRadius - 1, p.y - kMarkRadius - 1, picture);
  }
  const PictureRect place = PickTextPlace(v, m, cache, picture);
  Put(gl, cache.PickText(m, first, second, picture), place.left, place.top, picture);
}

}  // namespace mv
