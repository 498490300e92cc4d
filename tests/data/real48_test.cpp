// The six-byte real: decoding, encoding and rounding.
#include "data/real48.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

namespace mv {
namespace {

using B = std::array<uint8_t, 6>;

TEST(Real48Test, DecodesStoredBytes) {
  const long double kLargest = std::ldexp(2.0L - std::ldexp(1.0L, -39), 126);
  struct Row {
    const char* what;
    B bytes;
    long double value;
  } rows[] = {
      {"zero", {0, 0, 0, 0, 0, 0}, 0},
      {"zero exponent hides garbage", {0x00, 0xFF, 0x12, 0x34, 0x56, 0xFF}, 0},
      {"one", {0x81, 0, 0, 0, 0, 0}, 1},
      {"minus one", {0x81, 0, 0, 0, 0, 0x80}, -1},
      {"two", {0x82, 0, 0, 0, 0, 0}, 2},
      {"one and a half", {0x81, 0, 0, 0, 0, 0x40}, 1.5},
      {"lowest fraction bit", {0x81, 1, 0, 0, 0, 0}, 1 + std::ldexp(1.0L, -39)},
      {"fraction bytes little-endian", {0x81, 0, 0, 0, 1, 0}, 1 + std::ldexp(1.0L, -15)},
      {"byte 5 holds the top fraction bits", {0x81, 0, 0, 0, 0, 1}, 1 + std::ldexp(1.0L, -7)},
      {"smallest", {0x01, 0, 0, 0, 0, 0}, std::ldexp(1.0L, -128)},
      {"largest", {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F}, kLargest},
      {"most negative", {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, -kLargest},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(static_cast<long double>(Real48::FromBytes(r.bytes)), r.value) << r.what;
    if (r.bytes[0] != 0) {
      EXPECT_EQ(Real48::FromBytes(r.bytes).ToBytes(), r.bytes) << r.what;
    }
  }
  EXPECT_EQ(Real48(0.0L).ToBytes(), (B{0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(Real48(-0.0L).ToBytes(), (B{0, 0, 0, 0, 0, 0}));
}

TEST(Real48Test, RoundsToFortyBitSignificand) {
  const long double ulp1 = std::ldexp(1.0L, -39);  // spacing just above 1
  const long double kLargest = std::ldexp(2.0L - ulp1, 126);
  const long double kSmallest = std::ldexp(1.0L, -128);
  struct Row {
    const char* what;
    long double in;
    double out;
    double tolerance = 0;  // for the values known only to so many digits
  } rows[] = {
      {"0.12 start value", 0.12L, 0.12000000000000455, 5e-18},
      {"0.0001", 0.0001L, 0.000099999999999989, 5e-19},
      {"exact value kept", 1 + ulp1, static_cast<double>(1 + ulp1)},
      {"below half an ulp goes down", 1 + ulp1 * 0.49L, 1},
      {"tie goes to even (down)", 1 + ulp1 * 0.5L, 1},
      {"tie goes to even (up)", 1 + ulp1 * 1.5L, static_cast<double>(1 + 2 * ulp1)},
      {"negative ties too", -(1 + ulp1 * 0.5L), -1},
      {"carry into the exponent", 2 - ulp1 * 0.25L, 2},
      {"too large saturates", std::ldexp(1.0L, 200), static_cast<double>(kLargest)},
      {"infinity saturates", std::numeric_limits<long double>::infinity(),
       static_cast<double>(kLargest)},
      {"negative infinity", -std::numeric_limits<long double>::infinity(),
       -static_cast<double>(kLargest)},
      {"NaN becomes 0", std::numeric_limits<long double>::quiet_NaN(), 0},
      {"smallest kept", kSmallest, static_cast<double>(kSmallest)},
      {"nearer the smallest than 0", kSmallest * 0.75L, static_cast<double>(kSmallest)},
      {"too small becomes 0", kSmallest * 0.25L, 0},
  };
  for (const Row& r : rows) {
    EXPECT_NEAR(Real48(r.in).AsDouble(), r.out, r.tolerance) << r.what;
  }
}

TEST(Real48Test, EncodeDecodeRoundTripsRandomValues) {
  std::mt19937_64 rng(48);
  std::uniform_int_distribution<int> exponent(-120, 120);
  std::uniform_real_distribution<double> mantissa(-2, 2);
  for (int i = 0; i < 20000; ++i) {
    const Real48 v = std::ldexp(static_cast<long double>(mantissa(rng)), exponent(rng));
    const Real48 back = Real48::FromBytes(v.ToBytes());
    ASSERT_EQ(back.AsDouble(), v.AsDouble()) << i;
    // Rounding a stored value again changes nothing.
    ASSERT_EQ(Real48(static_cast<long double>(v)).AsDouble(), v.AsDouble()) << i;
  }
}

}  // namespace
}  // namespace mv
