// Survey lines coloured by altitude: the colour ramp, the altitudes it spans
// and the legend that explains it.
#pragma once

#include <QImage>
#include <QString>
#include <array>
#include <cstdint>

#include "view/camera.h"
#include "view/overlay_layout.h"
#include "view/view_state.h"

class QPainter;
class QRectF;

namespace mv {

// The altitudes of the highest and lowest drawn station, in metres.
struct DepthRange {
  double top = 0, bottom = 0;
  bool valid = false;
};

// A position on the ramp from the top (0) to the bottom (1) of the range;
// a survey with no height sits in the middle.
inline float DepthShade(const DepthRange& r, double z) {
  const double span = r.top - r.bottom;
  if (!(span > 0)) return 0.5f;
  const double t = (r.top - z) / span;
  return static_cast<float>(t < 0 ? 0 : t > 1 ? 1 : t);
}

// Red at the top through yellow, green and cyan to blue at the bottom.
Rgb DepthColour(double shade);

// The ramp as a table of texels, three bytes each, for the line drawing.
inline constexpr int kDepthRampTexels = 256;
std::array<uint8_t, 3 * kDepthRampTexels> DepthRampTable();

// An altitude or depth as the legend writes it: metres with one decimal and
// a decimal comma, "1523,4 m".
QString MetresText(double metres);

// Paints the legend into `area` (kLegendWidth x kLegendHeight is its size):
// the ramp with the top and bottom altitudes beside it and the depth of the
// bottom below the top under it.
void PaintDepthLegend(QPainter& p, const QRectF& area, const DepthRange& r);
// The legend as a premultiplied RGBA image of `pixelRatio` device pixels to
// a logical one, rows from the bottom up as OpenGL draws them.
QImage DepthLegendImage(const DepthRange& r, double pixelRatio);

}  // namespace mv
