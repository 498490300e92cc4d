// Record layouts, text fields and coordinate texts.
#include "data/records.h"

#include <gtest/gtest.h>

#include <random>

namespace mv {
namespace {

TEST(RecordsTest, TextFieldNeverReachesBeyondItsCapacity) {
  // A field of capacity 8 followed by a byte that must never be taken.
  for (const uint8_t length : {0, 3, 8, 9, 255}) {
    const uint8_t field[10] = {length, '1', '2', '3', '4', '5', '6', '7', '8', 'X'};
    const StoredText t = ReadText(field, kCoordinateCapacity);
    EXPECT_EQ(t.text, std::string_view("12345678").substr(0, std::min<int>(length, 8)));
    EXPECT_EQ(t.overlong, length > 8);
  }
  uint8_t field[9];
  EXPECT_FALSE(WriteText(field, kCoordinateCapacity, "123456789"));
}

// Offsets checked against the bytes, since encoding and decoding alone would
// agree with each other on a wrong layout.
TEST(RecordsTest, FieldsSitAtTheirOffsets) {
  std::array<uint8_t, kStationRecordSize> s{};
  ASSERT_TRUE(EncodeStationRecord("1", "-22", "333.5", s));
  EXPECT_EQ(std::string(s.begin() + 4, s.begin() + 6),
            "\x01"
            "1");
  EXPECT_EQ(std::string(s.begin() + 13, s.begin() + 17), "\x03-22");
  EXPECT_EQ(std::string(s.begin() + 22, s.begin() + 28),
            "\x05"
            "333.5");

  SurveyLineRecord line;
  line.columns[1] = -1;
  line.columns[30] = 0x01020304;
  const auto lb = EncodeSurveyLineRecord(line);
  EXPECT_EQ(std::vector<uint8_t>(lb.begin() + 4, lb.begin() + 8), std::vector<uint8_t>(4, 0xFF));
  EXPECT_EQ(std::vector<uint8_t>(lb.begin() + 120, lb.end()), (std::vector<uint8_t>{4, 3, 2, 1}));

  ObjectRecord o;
  o.name.text = "Jaskinia";
  o.originX = 1.0L;
  o.originY = -2.0L;
  o.entranceCount = 3;
  o.entrances = {7, 0, 0, 0, 0, 0, 0, 0, 0, 11};
  std::array<uint8_t, kObjectRecordSize> ob{};
  ASSERT_TRUE(EncodeObjectRecord(o, ob));
  const std::pair<size_t, uint8_t> bytes[] = {{0, 8},  {1, 'J'}, {76, 0x81}, {82, 0x82}, {87, 0x80},
                                              {88, 0}, {96, 3},  {100, 7},   {136, 11}};
  for (const auto& [at, value] : bytes) EXPECT_EQ(ob[at], value) << "offset " << at;
  o.name.text = std::string(76, 'a');
  EXPECT_FALSE(EncodeObjectRecord(o, ob));
}

TEST(RecordsTest, NumbersWithEitherDecimalSeparator) {
  struct Row {
    std::string_view text, decimalPoint;
    NumberError error;
    double value = 0;
  } rows[] = {
      {"-12.5", ".", NumberError::kNone, -12.5},
      {" +3.25\t", ".", NumberError::kNone, 3.25},
      {".5", ".", NumberError::kNone, 0.5},
      {"-2.5E-2", ".", NumberError::kNone, -0.025},
      {"1,5", ",", NumberError::kNone, 1.5},
      {"1.5", ",", NumberError::kNone, 1.5},  // a dot works in a comma locale
      {"1\xC2\xA0"
       "5",
       "\xC2\xA0", NumberError::kNone, 1.5},  // a two-byte separator
      {"1,5", ".", NumberError::kNone, 1.5},  // written on a comma-locale machine
      {"-0,25", ".", NumberError::kNone, -0.25},
      {"1,2,3", ".", NumberError::kNotANumber},
      {"1,5.3", ",", NumberError::kNotANumber},
      {"1.234,5", ",", NumberError::kNotANumber},  // thousands separator
      {"1 234", ".", NumberError::kNotANumber},
      {"", ".", NumberError::kEmpty},
      {"   ", ".", NumberError::kEmpty},
      {"+", ".", NumberError::kNotANumber},
      {"+-1", ".", NumberError::kNotANumber},
      {"1e", ".", NumberError::kNotANumber},
      {"0x10", ".", NumberError::kNotANumber},
      {"inf", ".", NumberError::kNotANumber},
      {"-nan", ".", NumberError::kNotANumber},
      {"1e999", ".", NumberError::kOutOfRange},
      {std::string_view("1\0"
                        "5",
                        3),
       ".", NumberError::kNotANumber},
  };
  for (const Row& r : rows) {
    double v = -99;
    EXPECT_EQ(ParseNumber(r.text, r.decimalPoint, v), r.error) << '"' << r.text << '"';
    EXPECT_EQ(v, r.error == NumberError::kNone ? r.value : -99) << '"' << r.text << '"';
  }
}

TEST(RecordsTest, CoordinatesWrittenInEightCharacters) {
  struct Row {
    double value;
    std::string_view text;
  } rows[] = {
      {0, "0.000000"},         {-12.345678, "-12.3457"},
      {9.9999999, "10.00000"}, {99999999, "99999999"},
      {-9999999, "-9999999"},  {123456789, ""},
      {-1e-9, "0.000000"},     {NAN, ""},
      {999999.99, "1000000"},
  };
  for (const Row& r : rows) EXPECT_EQ(FormatCoordinate(r.value), r.text) << r.value;

  // Reading a written text and writing it again gives the same text, the
  // property the tools' round trip rests on.
  std::mt19937_64 rng(8);
  std::uniform_real_distribution<double> magnitude(-7, 7.9);
  for (int i = 0; i < 20000; ++i) {
    const double v = (i % 2 ? -1 : 1) * std::pow(10.0, magnitude(rng));
    const std::string text = FormatCoordinate(v);
    double back = 0;
    if (text.empty() || ParseNumber(text, ".", back) != NumberError::kNone) {
      ASSERT_GT(std::fabs(v), 9999999) << v;
      continue;
    }
    ASSERT_EQ(FormatCoordinate(back), text) << v;
  }
}

}  // namespace
}  // namespace mv
