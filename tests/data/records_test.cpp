// Record layouts, text fields and coordinate texts.
#include "data/records.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

namespace mv {
namespace {

TEST(RecordsTest, TextFieldNeverReachesBeyondItsCapacity) {
  // A 9-byte field followed by a byte that must never be read as text.
  struct Row {
    uint8_t length;
    std::string_view text;
    bool overlong;
  } rows[] = {
      {0, "", false},        {3, "1.5", false},       {8, "12345678", false},
      {9, "12345678", true}, {255, "12345678", true},
  };
  for (const Row& r : rows) {
    uint8_t field[10] = {r.length, '1', '2', '3', '4', '5', '6', '7', '8', 'X'};
    if (r.length == 3) std::memcpy(field + 1, "1.5", 3);
    const StoredText t = ReadText(field, kCoordinateCapacity);
    EXPECT_EQ(t.text, r.text) << int(r.length);
    EXPECT_EQ(t.overlong, r.overlong) << int(r.length);
    EXPECT_EQ(t.length, r.length);
  }
  uint8_t field[9];
  EXPECT_FALSE(WriteText(field, kCoordinateCapacity, "123456789"));
  ASSERT_TRUE(WriteText(field, kCoordinateCapacity, "-1.5"));
  EXPECT_EQ(ReadText(field, kCoordinateCapacity).text, "-1.5");
}

TEST(RecordsTest, LayoutsMatchTheFiles) {
  std::array<uint8_t, kStationRecordSize> s{};
  ASSERT_TRUE(EncodeStationRecord("1", "-22", "333.5", s));
  EXPECT_EQ(s[4], 1);
  EXPECT_EQ(s[5], '1');
  EXPECT_EQ(s[13], 3);
  EXPECT_EQ(std::string(s.begin() + 14, s.begin() + 17), "-22");
  EXPECT_EQ(s[22], 5);
  EXPECT_EQ(std::string(s.begin() + 23, s.begin() + 28), "333.5");
  const StationRecord st = DecodeStationRecord(s.data());
  EXPECT_EQ(st.x.text, "1");
  EXPECT_EQ(st.y.text, "-22");
  EXPECT_EQ(st.z.text, "333.5");

  SurveyLineRecord line;
  line.columns[0] = 2;
  line.columns[1] = -1;
  line.columns[30] = 0x01020304;
  const auto lb = EncodeSurveyLineRecord(line);
  EXPECT_EQ(lb[0], 2);
  EXPECT_EQ((std::array<uint8_t, 4>{lb[4], lb[5], lb[6], lb[7]}),
            (std::array<uint8_t, 4>{0xFF, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ((std::array<uint8_t, 4>{lb[120], lb[121], lb[122], lb[123]}),
            (std::array<uint8_t, 4>{4, 3, 2, 1}));
  EXPECT_EQ(DecodeSurveyLineRecord(lb.data()).columns, line.columns);

  ObjectRecord o;
  o.name.text = "Jaskinia";
  o.originX = 1.0L;
  o.originY = -2.0L;
  o.originZ = 0.0L;
  o.entranceCount = 3;
  o.entrances = {7, 8, 9, 0, 0, 0, 0, 0, 0, 11};
  std::array<uint8_t, kObjectRecordSize> ob{};
  ASSERT_TRUE(EncodeObjectRecord(o, ob));
  EXPECT_EQ(ob[0], 8);
  EXPECT_EQ(ob[76], 0x81);  // 1.0
  EXPECT_EQ(ob[82], 0x82);  // -2.0
  EXPECT_EQ(ob[87], 0x80);
  EXPECT_EQ(ob[96], 3);
  EXPECT_EQ(ob[100], 7);
  EXPECT_EQ(ob[136], 11);
  const ObjectRecord back = DecodeObjectRecord(ob.data());
  EXPECT_EQ(back.name.text, "Jaskinia");
  EXPECT_EQ(back.originY.AsDouble(), -2.0);
  EXPECT_EQ(back.entrances, o.entrances);
  o.name.text = std::string(76, 'a');
  EXPECT_FALSE(EncodeObjectRecord(o, ob));
}

TEST(RecordsTest, NumbersWithEitherDecimalSeparator) {
  struct Row {
    std::string_view text;
    std::string_view decimalPoint;
    NumberError error;
    double value = 0;
  } rows[] = {
      {"12", ".", NumberError::kNone, 12},
      {"-12.5", ".", NumberError::kNone, -12.5},
      {"+3.25", ".", NumberError::kNone, 3.25},
      {"  7.5  ", ".", NumberError::kNone, 7.5},
      {"\t-1\t", ".", NumberError::kNone, -1},
      {".5", ".", NumberError::kNone, 0.5},
      {"5.", ".", NumberError::kNone, 5},
      {"1e3", ".", NumberError::kNone, 1000},
      {"-2.5E-2", ".", NumberError::kNone, -0.025},
      {"1,5", ",", NumberError::kNone, 1.5},
      {"1.5", ",", NumberError::kNone, 1.5},  // a dot works in a comma locale
      {"-0,25", ",", NumberError::kNone, -0.25},
      {"1,5", ".", NumberError::kNotANumber},  // a comma is no decimal in a dot locale
      {"1,5.3", ",", NumberError::kNotANumber},
      {"1,5,3", ",", NumberError::kNotANumber},
      {"1.234,5", ",", NumberError::kNotANumber},  // thousands separator
      {"1,234.5", ".", NumberError::kNotANumber},
      {"1 234", ".", NumberError::kNotANumber},
      {"1\xC2\xA0"
       "5",
       "\xC2\xA0", NumberError::kNone, 1.5},  // a two-byte separator
      {"", ".", NumberError::kEmpty},
      {"   ", ".", NumberError::kEmpty},
      {"+", ".", NumberError::kNotANumber},
      {"-", ".", NumberError::kNotANumber},
      {".", ".", NumberError::kNotANumber},
      {"+-1", ".", NumberError::kNotANumber},
      {"--1", ".", NumberError::kNotANumber},
      {"1-", ".", NumberError::kNotANumber},
      {"1e", ".", NumberError::kNotANumber},
      {"0x10", ".", NumberError::kNotANumber},
      {"inf", ".", NumberError::kNotANumber},
      {"-nan", ".", NumberError::kNotANumber},
      {"12a", ".", NumberError::kNotANumber},
      {"1e999", ".", NumberError::kOutOfRange},
      {std::string_view("1\0"
                        "5",
                        3),
       ".", NumberError::kNotANumber},
  };
  for (const Row& r : rows) {
    double v = -99;
    EXPECT_EQ(ParseNumber(r.text, r.decimalPoint, v), r.error) << '"' << r.text << '"';
    if (r.error == NumberError::kNone) {
      EXPECT_EQ(v, r.value) << '"' << r.text << '"';
    }
  }
}

TEST(RecordsTest, CoordinatesWrittenInEightCharacters) {
  struct Row {
    double value;
    std::string_view text;
  } rows[] = {
      {0, "0.000000"},
      {12.5, "12.50000"},
      {-12.345678, "-12.3457"},
      {0.1234567, "0.123457"},
      {9.9999999, "10.00000"},
      {99999999, "99999999"},
      {-9999999, "-9999999"},
      {123456789, ""},
      {-12345678, ""},
      {-1e-9, "0.000000"},
      {-0.0, "0.000000"},
      {1e300, ""},
      {NAN, ""},
      {-150.75, "-150.750"},
      {999999.99, "1000000"},
  };
  for (const Row& r : rows) EXPECT_EQ(FormatCoordinate(r.value), r.text) << r.value;

  // Reading a written text and writing it again gives the same text, the
  // property the tools' round trip rests on.
  std::mt19937_64 rng(8);
  std::uniform_real_distribution<double> magnitude(-7, 7.9);
  std::bernoulli_distribution negative(0.5);
  for (int i = 0; i < 20000; ++i) {
    const double v = (negative(rng) ? -1 : 1) * std::pow(10.0, magnitude(rng));
    const std::string text = FormatCoordinate(v);
    if (text.empty()) continue;
    double back = 0;
    ASSERT_EQ(ParseNumber(text, ".", back), NumberError::kNone) << text;
    ASSERT_EQ(FormatCoordinate(back), text) << v;
    ASSERT_LE(text.size(), 8u);
  }
}

TEST(RecordsTest, QuotedSpellsOutUnprintableBytes) {
  EXPECT_EQ(Quoted("1,5"), "\"1,5\"");
  EXPECT_EQ(Quoted(std::string_view("a\0\n\"\\\xB9", 6)), "\"a\\x00\\x0A\\\"\\\\\\xB9\"");
}

}  // namespace
}  // namespace mv
