#include "render/overlays.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <cmath>

#include "render/depth_colours.h"
#include "render/draw_helpers.h"
#include "render/scene_cache.h"
#include "view/labels.h"
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
  if (entrance) {
    if (const std::string_view name = EntranceName(m, row); !name.empty()) return std::string(name);
    // The survey folders name no station; their entrances carry the object's name.
    if (m.stationNames.empty() && !m.title.empty()) return m.title;
  }
  return StationLabel(m, row);
}

void LabelCache::Follow(const SurveyModel& m, double pixelRatio) {
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
  Follow(m, ratio_ > 0 ? ratio_ : 1);
  const int64_t key = Key(row, entrance);
  if (const auto it = widths_.find(key); it != widths_.end()) return it->second;
  // Enough widths for every cell of a large picture; beyond that start afresh.
  if (widths_.size() > 200000) widths_.clear();
  const QFontMetricsF metrics(LabelFont(entrance));
  const QString text =
      metrics.elidedText(Text(LabelText(m, row, entrance)), Qt::ElideRight, kLabelMostWidth);
  const double w = std::ceil(metrics.horizontalAdvance(text)) + 4;
  widths_[key] = w;
  return w;
}

const QImage& LabelCache::Image(const SurveyModel& m, int32_t row, bool entrance,
                                double pixelRatio) {
  Follow(m, pixelRatio);
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
  const QString text = QFontMetricsF(font).elidedText(Text(name), Qt::ElideRight, kLabelMostWidth);
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

// The labels the picture has room for, with the stations' pictures sized by
// the label cache.
std::vector<PlacedLabel> Labels(const ViewState& v, const SurveyModel& m, SceneCache& cache,
                                const PictureGeometry& picture) {
  static const std::vector<int32_t> kNone;
  const bool stationNames = v.StationNamesVisible && v.LinesVisible;
  if (!stationNames && !v.EntrancesVisible) return {};
  LabelCache& labels = cache.Labels();
  // The depth legend keeps its corner of the picture.
  std::vector<PlacedLabel> blocked;
  const LegendPlace legend = PlaceDepthLegend(v, picture);
  if (legend.shown)
    blocked.push_back(
        {-1, false, static_cast<double>(legend.x), legend.top, kLegendWidth, kLegendHeight});
  return PlaceLabels(
      v, m, picture, v.EntrancesVisible ? cache.Entrances(m) : kNone,
      stationNames ? cache.LineStations(m) : kNone,
      [&](int32_t row, bool entrance) { return labels.Width(m, row, entrance); }, kLabelHeight,
      2000, blocked);
}

}  // namespace

QImage PickTextImage(const std::vector<std::string>& lines, double mostWidth, double pixelRatio) {
  const PickText t = LayOutPickText(lines, mostWidth);
  return Overlay(t.width, t.height, pixelRatio,
                 [&](QPainter& p) { PaintPickText(p, QPointF(0, 0), t); });
}

void PaintOverlayShapes(QPainter& p, const ViewState& v, const SurveyModel& m, SceneCache& cache,
                        const PictureGeometry& picture) {
  for (const PlacedLabel& l : Labels(v, m, cache, picture))
    PaintLabel(p, QRectF(l.left, l.top, l.width, l.height), LabelText(m, l.row, l.entrance),
               l.entrance);
  const int32_t first = m.ValidStation(v.PickedFirst) ? v.PickedFirst : -1;
  if (first < 0) return;
  const int32_t second = m.ValidStation(v.PickedSecond) ? v.PickedSecond : -1;
  for (const int32_t row : {first, second}) {
    const PicturePoint at = StationOnPicture(v, m, picture, row);
    if (row >= 0 && at.visible) PaintPickRing(p, QPointF(at.x, at.y));
  }
  const PickText t = LayOutPickText(PickDescription(m, first, second), picture.width - 16);
  PaintPickText(p, QPointF(8, picture.height - 8 - t.height), t);
}

void DrawOverlays(GlApi& gl, const ViewState& v, const SurveyModel& m, SceneCache& cache,
                  const PictureGeometry& picture) {
  const int32_t first = m.ValidStation(v.PickedFirst) ? v.PickedFirst : -1;
  const int32_t second = m.ValidStation(v.PickedSecond) ? v.PickedSecond : -1;

  // The segment between two picked stations lies in the model, so it turns
  // with it.
  if (first >= 0 && second >= 0) {
    SetColor(gl, {255, 255, 0});
    const OriginShift shift(gl, m.originZ);
    const double cx = v.CentreX.AsDouble(), cy = v.CentreY.AsDouble();
    gl.Begin(Prim::Lines);
    for (const int32_t row : {first, second})
      gl.Vertex3f(static_cast<float>(m.X(row) - cx), static_cast<float>(m.Y(row) - cy),
                  static_cast<float>(m.Z(row)));
    gl.End();
  }

  for (const PlacedLabel& l : Labels(v, m, cache, picture))
    Put(gl, cache.Labels().Image(m, l.row, l.entrance, picture.pixelRatio), l.left, l.top, picture);

  if (first < 0) return;
  const QImage& ring = cache.PickRing(picture.pixelRatio);
  for (const int32_t row : {first, second}) {
    const PicturePoint p = StationOnPicture(v, m, picture, row);
    if (row >= 0 && p.visible) Put(gl, ring, p.x - kMarkRadius - 1, p.y - kMarkRadius - 1, picture);
  }
  const QImage& text = cache.PickText(m, first, second, picture);
  Put(gl, text, 8, picture.height - 8 - text.height() / picture.pixelRatio, picture);
}

}  // namespace mv
