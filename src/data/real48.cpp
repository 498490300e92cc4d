#include "data/real48.h"

#include <cmath>

#include "data/reader_kit.h"

namespace mv {

namespace {
// Largest value: exponent byte 255, all 39 fraction bits set.
const long double kMax = std::ldexp(2.0L - std::ldexp(1.0L, -39), 126);
// Smallest non-zero magnitude: exponent byte 1, fraction 0.
const long double kMin = std::ldexp(1.0L, -128);
}  // namespace

double Real48::Round(long double v) {
  if (std::isnan(v)) return 0.0;
  const bool neg = std::signbit(v);
  long double a = std::fabs(v);
  if (a == 0) return 0.0;
  if (a >= kMax) return neg ? -static_cast<double>(kMax) : static_cast<double>(kMax);
  int exp = 0;
  long double m = std::frexp(a, &exp);  // a = m * 2^exp, m in [0.5, 1)
  // Scale so the 40 significant bits are integral, round ties to even.
  long double scaled = std::nearbyint(std::ldexp(m, 40));
  long double r = std::ldexp(scaled, exp - 40);
  if (r < kMin) {
    // Below the format's smallest normal: 0, or the smallest value if the
    // value is nearer to it than to zero.
    r = (a * 2 > kMin) ? kMin : 0.0L;
  }
  if (r > kMax) r = kMax;
  return static_cast<double>(neg ? -r : r);
}

Real48 Real48::FromBytes(const uint8_t* b) {
  Real48 r;
  const int e = b[0];
  if (e == 0) return r;  // zero, whatever the other bytes hold
  uint64_t f = LittleEndian(b + 1, 5);
  const bool neg = (f >> 39) & 1;
  f &= (uint64_t{1} << 39) - 1;
  long double m = 1.0L + std::ldexp(static_cast<long double>(f), -39);
  long double v = std::ldexp(m, e - 129);
  r.v_ = static_cast<double>(neg ? -v : v);
  return r;
}

Real48 Real48::FromBytes(const std::array<uint8_t, 6>& b) {
  return FromBytes(b.data());
}

std::array<uint8_t, 6> Real48::ToBytes() const {
  std::array<uint8_t, 6> b{};
  if (v_ == 0.0) return b;
  int exp = 0;
  double m = std::frexp(std::fabs(v_), &exp);  // |v| = m * 2^exp, m in [0.5, 1)
  // |v| = (1 + f/2^39) * 2^(e-129): with m*2 = 1 + f/2^39, e = exp - 1 + 129.
  const int e = exp + 128;
  uint64_t f = static_cast<uint64_t>(std::ldexp(m * 2.0 - 1.0, 39));
  if (std::signbit(v_)) f |= uint64_t{1} << 39;
  b[0] = static_cast<uint8_t>(e);
  for (int i = 1; i <= 5; ++i) {
    b[i] = static_cast<uint8_t>(f & 0xff);
    f >>= 8;
  }
  return b;
}

}  // namespace mv
