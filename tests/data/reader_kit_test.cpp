// What the readers share: trimming, decimal words, little-endian fields,
// flag mapping, and the positions table of the model builder.
#include "data/reader_kit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string_view>

#include "data/model_builder.h"

namespace mv {
namespace {

TEST(ReaderKit, TrimTakesOnlyTheGivenBlanksFromTheEnds) {
  struct Row {
    std::string_view text, blanks, want;
  } rows[] = {
      {"  a b\t", kBlanks, "a b"}, {"\t\t", kBlanks, ""},          {"", kBlanks, ""},
      {"a\r\n", kBlanks, "a\r\n"}, {" \va\r\n", kWhiteSpace, "a"}, {"\n \f", kWhiteSpace, ""},
      {"x", kWhiteSpace, "x"},
  };
  for (const Row& r : rows) EXPECT_EQ(Trim(r.text, r.blanks), r.want) << '"' << r.text << '"';
}

TEST(ReaderKit, DecimalNumberTakesWholeFiniteWordsOnly) {
  struct Row {
    std::string_view word;
    std::optional<double> want;
  } rows[] = {
      {"12.5", 12.5},        {"+3", 3.0},           {"-0.25", -0.25},      {"1e3", 1000.0},
      {"", std::nullopt},    {"+", std::nullopt},   {"++1", std::nullopt}, {"1,5", std::nullopt},
      {"12x", std::nullopt}, {"inf", std::nullopt}, {"nan", std::nullopt}, {"1e999", std::nullopt},
  };
  for (const Row& r : rows) EXPECT_EQ(DecimalNumber(r.word), r.want) << r.word;
}

TEST(ReaderKit, LittleEndianFields) {
  const uint8_t b[] = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08};
  EXPECT_EQ(LittleEndian(b, 2), 0x0201u);
  EXPECT_EQ(LittleEndian32(b), 0x04030201u);
  EXPECT_EQ(LittleEndian(b + 1, 5), 0x0605040302u);
  EXPECT_EQ(LittleEndian(b, 8), 0x0807060504030201u);
  const uint8_t minusOneAndAHalf[] = {0, 0, 0, 0, 0, 0, 0xf8, 0xbf};
  EXPECT_EQ(LittleEndianDouble(minusOneAndAHalf), -1.5);
}

TEST(ReaderKit, FlagsMapBitByBit) {
  const std::initializer_list<FlagMapping> mapping = {{0x04, 1}, {0x10, 2}, {0x20, 4}};
  EXPECT_EQ(MapFlags(0, mapping), 0);
  EXPECT_EQ(MapFlags(0x04 | 0x20, mapping), 1 | 4);
  EXPECT_EQ(MapFlags(0xff & ~0x10u, mapping), 1 | 4);  // other bits mean nothing
  EXPECT_EQ(NameBudget(1000, 8), (size_t{64} << 20) + 8000);
}

TEST(PointIndex, NumbersPlacesInOrderAndTakesMinusZeroForZero) {
  PointIndex index(4);
  bool added = false;
  EXPECT_EQ(index.Find({0, 0, 0}), -1);
  EXPECT_EQ(index.Add({0, 0, 0}, &added), 0);
  EXPECT_TRUE(added);
  added = false;
  EXPECT_EQ(index.Add({-0.0, 0, -0.0}, &added), 0);
  EXPECT_FALSE(added);
  const auto place = [](int k) { return RawPoint{1.0 * k, -1.0 * k, 0.5 * k}; };
  for (int k = 1; k < 100; ++k) EXPECT_EQ(index.Add(place(k)), k);  // past many growths
  for (int k = 0; k < 100; ++k) EXPECT_EQ(index.Find(place(k)), k);
  EXPECT_EQ(index.Find({1, 1, 1}), -1);
  EXPECT_EQ(index.Size(), 100u);
  index.DropTable();
  EXPECT_EQ(index.Find({0, 0, 0}), -1);
  EXPECT_EQ(index.Points()[99].x, 99.0);
}

}  // namespace
}  // namespace mv
