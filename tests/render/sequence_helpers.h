// Expected call lines written the way GlRecorder prints them, and a compare
// that names the first call that differs.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gl_recorder.h"

namespace mv::test {

// Vertex and transform arguments are single precision; the solids take doubles.
inline std::string Call(const char* op, std::initializer_list<float> args) {
  GlCall c{op, {}};
  for (float a : args) c.args.push_back(a);
  return GlRecorder::Line(c);
}
inline std::string V(double x, double y, double z) {
  return Call("Vertex3f", {float(x), float(y), float(z)});
}
inline std::string T(double x, double y, double z) {
  return Call("Translatef", {float(x), float(y), float(z)});
}
inline std::string R(double a, double x, double y, double z) {
  return Call("Rotatef", {float(a), float(x), float(y), float(z)});
}
inline std::string Colour(int r, int g, int b) {
  return GlRecorder::Line(GlCall{"Color3ub", {double(r), double(g), double(b)}});
}
inline std::string Cone(double radius, double height) {
  return GlRecorder::Line(GlCall{"SolidCone", {radius, height}});
}
inline std::string Sphere(double radius) {
  return GlRecorder::Line(GlCall{"SolidSphere", {radius}});
}
inline const std::string kLines = "Begin Lines";
inline const std::string kStrip = "Begin LineStrip";
inline const std::string kEnd = "End";

inline void ExpectSequence(const std::vector<std::string>& actual,
                           const std::vector<std::string>& expected) {
  const size_t n = std::min(actual.size(), expected.size());
  for (size_t i = 0; i < n; ++i) {
    if (actual[i] != expected[i]) {
      ADD_FAILURE() << "call " << i << ": got \"" << actual[i] << "\", expected \"" << expected[i]
                    << "\"";
      return;
    }
  }
  EXPECT_EQ(actual.size(), expected.size()) << "calls differ in number";
}

}  // namespace mv::test
