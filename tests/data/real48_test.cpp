// The six-byte real: decoding, encoding and rounding.
#include "data/real48.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

namespace mv {
namespace {

const long double kUlp1 = std::ldexp(1.0L, -39);  // spacing just above 1
const long double kLargest = std::ldexp(2.0L - kUlp1, 126);
const long double kSmallest = std::ldexp(1.0L, -128);

TEST(Real48Test, DecodesStoredBytes) {
  struct Row {
    const char* what;
    std::array<uint8_t, 6> bytes;
    long double value;
  } rows[] = {
      {"zero exponent hides garbage", {0x00, 0xFF, 0x12, 0x34, 0x56, 0xFF}, 0},
      {"one", {0x81, 0, 0, 0, 0, 0}, 1},
      {"sign bit", {0x81, 0, 0, 0, 0, 0x80}, -1},
      {"lowest fraction bit", {0x81, 1, 0, 0, 0, 0}, 1 + kUlp1},
      {"fraction little-endian", {0x81, 0, 0, 0, 1, 0}, 1 + std::ldexp(1.0L, -15)},
      {"top fraction bits in byte 5", {0x82, 0, 0, 0, 0, 0x40}, 3},
      {"smallest", {0x01, 0, 0, 0, 0, 0}, kSmallest},
      {"largest", {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F}, kLargest},
      {"most negative", {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, -kLargest},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(static_cast<long double>(Real48::FromBytes(r.bytes)), r.value) << r.what;
    const auto back = Real48(r.value).ToBytes();
    EXPECT_EQ(Real48::FromBytes(back).AsDouble(), static_cast<double>(r.value)) << r.what;
    if (r.value != 0) {
      EXPECT_EQ(back, r.bytes) << r.what;
    }
  }
}

TEST(Real48Test, RoundsToFortyBitSignificand) {
  struct Row {
    const char* what;
    long double in;
    long double out;
    double tolerance = 0;  // for the values known only to so many digits
  } rows[] = {
      {"0.12 start value", 0.12L, 0.12000000000000455L, 5e-18},
      {"0.0001", 0.0001L, 0.000099999999999989L, 5e-19},
      {"below half an ulp goes down", 1 + kUlp1 * 0.49L, 1},
      {"tie goes to even (down)", 1 + kUlp1 * 0.5L, 1},
      {"tie goes to even (up)", 1 + kUlp1 * 1.5L, 1 + 2 * kUlp1},
      {"carry into the exponent", 2 - kUlp1 * 0.25L, 2},
      {"too large saturates", std::ldexp(1.0L, 200), kLargest},
      {"infinity saturates", -std::numeric_limits<long double>::infinity(), -kLargest},
      {"NaN becomes 0", std::numeric_limits<long double>::quiet_NaN(), 0},
      {"nearer the smallest than 0", kSmallest * 0.75L, kSmallest},
      {"too small becomes 0", kSmallest * 0.25L, 0},
  };
  for (const Row& r : rows)
    EXPECT_NEAR(Real48(r.in).AsDouble(), static_cast<double>(r.out), r.tolerance) << r.what;
}

TEST(Real48Test, EncodeDecodeRoundTripsRandomValues) {
  std::mt19937_64 rng(48);
  std::uniform_int_distribution<int> exponent(-120, 120);
  std::uniform_real_distribution<double> mantissa(-2, 2);
  for (int i = 0; i < 20000; ++i) {
    const Real48 v = std::ldexp(static_cast<long double>(mantissa(rng)), exponent(rng));
    ASSERT_EQ(Real48::FromBytes(v.ToBytes()).AsDouble(), v.AsDouble()) << i;
    ASSERT_EQ(Real48(static_cast<long double>(v)).AsDouble(), v.AsDouble()) << i;
  }
}

}  // namespace
}  // namespace mv
