#include "render/depth_colours.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QRectF>
#include <algorithm>
#include <cmath>

#include "view/picking.h"

namespace mv {

namespace {

struct Stop {
  double at;
  Rgb colour;
};

constexpr Stop kRamp[] = {
    {0.0, {255, 0, 0}},    {0.25, {255, 220, 0}}, {0.5, {0, 200, 0}},
    {0.75, {0, 220, 255}}, {1.0, {40, 60, 255}},
};

}  // namespace

Rgb DepthColour(double shade) {
  const double t = std::clamp(std::isnan(shade) ? 0.5 : shade, 0.0, 1.0);
  for (size_t i = 1; i < std::size(kRamp); ++i) {
    if (t > kRamp[i].at && i + 1 < std::size(kRamp)) continue;
    const Stop& a = kRamp[i - 1];
    const Stop& b = kRamp[i];
    const double f = (t - a.at) / (b.at - a.at);
    const auto mix = [f](int32_t x, int32_t y) {
      return static_cast<int32_t>(std::lround(x + (y - x) * f));
    };
    return {mix(a.colour.r, b.colour.r), mix(a.colour.g, b.colour.g), mix(a.colour.b, b.colour.b)};
  }
  return kRamp[0].colour;
}

std::array<uint8_t, 3 * kDepthRampTexels> DepthRampTable() {
  std::array<uint8_t, 3 * kDepthRampTexels> t{};
  for (int i = 0; i < kDepthRampTexels; ++i) {
    const Rgb c = DepthColour((i + 0.5) / kDepthRampTexels);
    t[static_cast<size_t>(3 * i)] = static_cast<uint8_t>(c.r);
    t[static_cast<size_t>(3 * i + 1)] = static_cast<uint8_t>(c.g);
    t[static_cast<size_t>(3 * i + 2)] = static_cast<uint8_t>(c.b);
  }
  return t;
}

QString MetresText(double metres) {
  if (!std::isfinite(metres)) return QStringLiteral("? m");
  return QString::fromStdString(DecimalText(metres, 1, ',')) + QStringLiteral(" m");
}

void PaintDepthLegend(QPainter& p, const QRectF& area, const DepthRange& r) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0, 0, 0, 170));
  p.drawRoundedRect(area, 6, 6);

  QFont font = p.font();
  font.setPixelSize(12);
  p.setFont(font);
  const double line = 16;
  const QRectF bar(area.left() + 12, area.top() + 12 + line, 16, area.height() - 24 - 3 * line);
  QLinearGradient ramp(bar.topLeft(), bar.bottomLeft());
  for (const Stop& s : kRamp) ramp.setColorAt(s.at, QColor(s.colour.r, s.colour.g, s.colour.b));
  p.setBrush(ramp);
  p.drawRect(bar);

  p.setPen(Qt::white);
  const double textLeft = bar.right() + 8, textWidth = area.right() - textLeft - 6;
  p.drawText(QRectF(area.left() + 8, area.top() + 6, area.width() - 16, line),
             Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Wysokość"));
  p.drawText(QRectF(textLeft, bar.top() - line / 2, textWidth, line),
             Qt::AlignLeft | Qt::AlignVCenter, MetresText(r.top));
  p.drawText(QRectF(textLeft, bar.bottom() - line / 2, textWidth, line),
             Qt::AlignLeft | Qt::AlignVCenter, MetresText(r.bottom));
  p.drawText(QRectF(area.left() + 8, bar.bottom() + line / 2 + 4, area.width() - 16, line),
             Qt::AlignLeft | Qt::AlignVCenter,
             QStringLiteral("głębokość ") + MetresText(r.top - r.bottom));
  p.restore();
}

QImage DepthLegendImage(const DepthRange& r, double pixelRatio) {
  const double ratio = pixelRatio > 0 ? pixelRatio : 1;
  QImage image(static_cast<int>(std::ceil(kLegendWidth * ratio)),
               static_cast<int>(std::ceil(kLegendHeight * ratio)),
               QImage::Format_RGBA8888_Premultiplied);
  image.fill(Qt::transparent);
  {
    QPainter p(&image);
    p.scale(ratio, ratio);
    PaintDepthLegend(p, QRectF(0, 0, kLegendWidth, kLegendHeight), r);
  }
  return image.mirrored(false, true);
}

}  // namespace mv
