// The view's colours: red, green and blue, the colours the view starts with,
// and the packed forms the colour chooser and the picture files take.
#pragma once

#include <cstdint>

namespace mv {

// Red, green, blue, 0..255 each; OpenGL gets the low byte of each.
struct Rgb {
  int32_t r = 0, g = 0, b = 0;
  bool operator==(const Rgb&) const = default;
};

inline constexpr Rgb kStartLineColour{255, 0, 0};
inline constexpr Rgb kStartAxisColour{0, 0, 255};
inline constexpr Rgb kStartScaleColour{0, 255, 0};

// A colour as the colour chooser hands it over: red in the low byte, then
// green, then blue.
using ColourValue = int32_t;

// Splits a chooser's value with truncating division, so a value beyond
// 0x00FFFFFF puts the rest into blue.
constexpr Rgb SplitColour(ColourValue c) {
  const int32_t blue = c / 65536;
  const int32_t green = (c - blue * 65536) / 256;
  const int32_t red = c - blue * 65536 - green * 256;
  return {red, green, blue};
}

// The low byte of each component, packed as the chooser's value.
constexpr ColourValue JoinColour(const Rgb& c) {
  return (c.r & 0xFF) | (c.g & 0xFF) << 8 | (c.b & 0xFF) << 16;
}

// The low byte of each component as 0xRRGGBB, the order of pictures' pixels.
constexpr uint32_t Rgb24(const Rgb& c) {
  return static_cast<uint32_t>((c.r & 0xFF) << 16 | (c.g & 0xFF) << 8 | (c.b & 0xFF));
}

}  // namespace mv
