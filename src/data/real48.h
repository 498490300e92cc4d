// The six-byte real of the survey files and of the view state.
#pragma once

#include <array>
#include <cstdint>

namespace mv {

// A value held with the precision and range of the six-byte real: a 40-bit
// significand (one hidden bit and 39 stored bits) and a binary exponent from
// -128 to 126. It is kept as a double, which holds every such value exactly,
// and every assignment rounds to the nearest representable value (ties to
// even). Arithmetic is done by the caller in long double (80-bit extended).
class Real48 {
 public:
  constexpr Real48() = default;
  Real48(long double v) : v_(Round(v)) {}  // NOLINT: implicit, like the stored type

  operator long double() const { return v_; }  // NOLINT
  double AsDouble() const { return v_; }

  // Rounds v to the nearest six-byte real. Values too small for the format
  // become 0; values too large saturate at the largest finite value, so a
  // stored variable never holds an infinity or a NaN (NaN becomes 0).
  static double Round(long double v);

  static Real48 FromBytes(const std::array<uint8_t, 6>& b);
  static Real48 FromBytes(const uint8_t* b);
  std::array<uint8_t, 6> ToBytes() const;

  static constexpr int kFractionBits = 39;

 private:
  double v_ = 0.0;
};

// The value in long double, the precision every value of the scene is
// formed in.
inline long double Extended(Real48 v) {
  return static_cast<long double>(v);
}

}  // namespace mv
