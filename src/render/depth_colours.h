// Survey lines coloured by altitude: the colour ramp, the altitudes it spans
// and the legend that explains it.
#pragma once

#include <QImage>
#include <QString>
#include <array>
#include <cstdint>

#include "view/camera.h"
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

// The legend in logical pixels: the ramp with the top and bottom altitudes
// beside it and the depth of the bottom below the top under it.
inline constexpr int kLegendWidth = 150;
inline constexpr int kLegendHeight = 220;
// Paints the legend into `area` (kLegendWidth x kLegendHeight is its size).
void PaintDepthLegend(QPainter& p, const QRectF& area, const DepthRange& r);
// The legend as a premultiplied RGBA image of `pixelRatio` device pixels to
// a logical one, rows from the bottom up as OpenGL draws them.
QImage DepthLegendImage(const DepthRange& r, double pixelRatio);

// Where the legend goes while the lines are coloured by depth: at the right
// edge of the scene area, vertically in its middle. (x, y) is its lower left
// corner in window pixels from the picture's lower left corner, `top` its
// upper edge in picture pixels from the top. `shown` is false while the
// lines are not coloured or the picture has no room for it.
struct LegendPlace {
  int x = 0, y = 0;
  double top = 0;
  bool shown = false;
};
LegendPlace PlaceDepthLegend(const ViewState& v, const PictureGeometry& g);

}  // namespace mv
