// Loading the three survey files: results, failures and their order.
#include "data/survey_folder.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "data/records.h"
#include "survey_bytes.h"

namespace mv {
namespace {

using test::Bytes;
using test::Files;
using test::LineFile;
using test::ObjectFile;
using test::SmallSurvey;
using test::StationFile;

LoadResult Load(const Files& f, std::string_view decimalPoint = ".") {
  return LoadSurveyBytes(f.View(), decimalPoint);
}

Bytes Cut(Bytes b, size_t size) {
  b.resize(size, 0);
  return b;
}

TEST(LoaderTest, LoadsStationsLinesOriginAndEntrances) {
  Files f = SmallSurvey();
  // The leading records may hold anything.
  std::fill_n(f.stations.begin(), kStationRecordSize, 0xFF);
  std::fill_n(f.lines.begin(), kSurveyLineRecordSize, 0xFF);
  std::fill_n(f.object->begin(), kObjectRecordSize, 0xFF);
  const LoadResult r = Load(f);
  ASSERT_TRUE(r.ok) << r.error;
  const SurveyModel& m = r.model;
  ASSERT_EQ(m.StationCount(), 3);
  ASSERT_EQ(m.SurveyLineCount(), 1);
  EXPECT_EQ(m.stations,
            (std::vector<double>{1000, 2000, 300, 1010.5, 2000, 298, 1010.5, 1980, 269.75}));
  EXPECT_EQ(std::vector<int32_t>(m.Line(0), m.Line(0) + 5), (std::vector<int32_t>{2, 0, 1, 2, 0}));
  EXPECT_EQ(m.entranceCount, 2);
  EXPECT_EQ(m.entrances[1], 2);
  // The box holds the origin and widens by every station, the last one too.
  EXPECT_EQ(r.box.maxX.AsDouble(), 1010.5);
  EXPECT_EQ(r.box.minY.AsDouble(), 1980.0);
  EXPECT_EQ(r.box.minZ.AsDouble(), 269.75);
  EXPECT_EQ(CentreOf(r.box.minX, r.box.maxX).AsDouble(), 1005.25);
  EXPECT_EQ(CentreOf(r.box.minY, r.box.maxY).AsDouble(), 1990.0);
  EXPECT_EQ(ModelSize(r.box), 30.25L);
  EXPECT_NE(m.generation, Load(f).model.generation);  // caches see every load as new
}

TEST(LoaderTest, WithoutObjectFileTheFirstStationIsTheOnlyEntrance) {
  Files f;
  f.stations = StationFile({{"3", "4", "-5"}});  // two records: one station
  f.lines = LineFile({{0, 0}});
  const LoadResult r = Load(f);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.model.StationCount(), 1);
  EXPECT_EQ(r.model.SurveyLineCount(), 1);
  EXPECT_EQ(r.model.originX.AsDouble(), 0.0);
  EXPECT_EQ(r.model.entranceCount, 1);
  EXPECT_EQ(r.model.entrances[0], 0);
  EXPECT_EQ(r.box.maxZ.AsDouble(), 0.0);  // the origin point is inside the box
  EXPECT_EQ(ModelSize(r.box), 5.0L);
}

// A file that cannot be read whole fails, and so does one without a data
// record; the failure comes before the lines are switched on.
TEST(LoaderTest, FilesOfTheWrongSizeFail) {
  const Files good = SmallSurvey();
  struct Row {
    Bytes stations, lines;
    std::optional<Bytes> object;
    std::string error;
  } rows[] = {
      {{}, good.lines, good.object, "Dane.bin: the file is empty"},
      {Cut(good.stations, 32), good.lines, good.object,
       "Dane.bin: the file holds only its leading record"},
      {Cut(good.stations, 40), good.lines, good.object,
       "Dane.bin: record 1 is cut short (the file is 40 bytes)"},
      {Cut(good.stations, 129), good.lines, good.object,
       "Dane.bin: record 4 is cut short (the file is 129 bytes, not a whole number of 32-byte "
       "records)"},
      {good.stations, {}, good.object, "Dane1.bin: the file is empty"},
      {good.stations, Cut(good.lines, 348), good.object, "Dane1.bin: record 2 is cut short"},
      {good.stations, good.lines, Bytes{},
       "Dane2.bin: record 1 is missing or cut short (the file is 0 bytes)"},
      {good.stations, good.lines, Cut(*good.object, 279), "Dane2.bin: record 1 is missing"},
      // Only record 1 of the object file is read: more after it does no harm.
      {good.stations, good.lines, Cut(*good.object, 357), ""},
  };
  for (const Row& row : rows) {
    const LoadResult r = Load(Files{row.stations, row.lines, row.object});
    EXPECT_EQ(r.ok, row.error.empty()) << row.error;
    EXPECT_FALSE(r.sourceRead && !r.ok) << row.error;
    EXPECT_EQ(r.error.substr(0, row.error.size()), row.error);
  }
}

TEST(LoaderTest, SurveyWithoutExtentFailsAfterItWasRead) {
  Files f{StationFile({{"0", "0", "0"}, {"0.0", "-0", "+0"}}), LineFile({{1, 0, 1}}),
          ObjectFile(0, 0, 0, 1, {0})};
  const LoadResult r = Load(f);
  EXPECT_FALSE(r.ok);
  EXPECT_TRUE(r.sourceRead);
}

// The first fault in reading order is the one reported: the object file
// before the stations, the stations before the lines, an earlier record
// before a later one.
TEST(LoaderTest, ReportsTheFirstFaultInReadingOrder) {
  Files bad = SmallSurvey();
  bad.object->resize(200);
  bad.stations = Cut(StationFile({{"1", "2", "3"}, {"x", "0", "0"}}), 100);
  bad.lines.clear();
  EXPECT_EQ(Load(bad).error.substr(0, 9), "Dane2.bin");
  bad.object.reset();
  EXPECT_EQ(Load(bad).error, "Dane.bin: record 2: X text \"x\" is not a number");
  bad.stations = StationFile({{"1", "2", "3"}});
  EXPECT_EQ(Load(bad).error, "Dane1.bin: the file is empty");
}

TEST(LoaderTest, CoordinatesReadWithEitherDecimalSeparatorInAnyLocale) {
  struct Row {
    test::Texts texts;
    std::string_view decimalPoint;
    std::string error;  // empty when the load succeeds
  } rows[] = {
      {{"1,5", "2.5", "-3,75"}, ",", ""},
      {{"1,5", "2", "3"}, ".", ""},  // written on a comma-locale machine
      {{"1.234,5", "2", "3"}, ".", "Dane.bin: record 2: X text \"1.234,5\" is not a number"},
      {{"1", "", "3"}, ".", "Dane.bin: record 2: Y text \"\" is empty"},
      {{"1", "2", "1,2,3"}, ",", "Dane.bin: record 2: Z text \"1,2,3\" is not a number"},
      {{"1",
        "\xB3\xF3"
        "d\n",
        "3"},
       ".",
       "Dane.bin: record 2: Y text \"\\xB3\\xF3d\\x0A\" is not a number"},
  };
  for (const Row& row : rows) {
    const Files f{StationFile({{"0", "0", "0"}, row.texts}), LineFile({{1, 0, 1}}), {}};
    const LoadResult r = Load(f, row.decimalPoint);
    EXPECT_EQ(r.ok, row.error.empty()) << row.texts[0];
    EXPECT_EQ(r.error, row.error);
  }
}

// What lies outside the format: per case either the load fails, or the
// value is kept as read and the drawers skip it.
TEST(LoaderTest, ValuesOutsideTheFormatFailOrAreKept) {
  auto withLine = [](std::vector<int32_t> row) {
    Files f = SmallSurvey();
    f.lines = LineFile({row});
    return f;
  };
  auto withByte = [](bool object, size_t at, uint8_t value) {
    Files f = SmallSurvey();
    (object ? *f.object : f.stations)[at] = value;
    return f;
  };
  auto withObject = [](int32_t count, std::vector<int32_t> entrances) {
    Files f = SmallSurvey();
    f.object = ObjectFile(0, 0, 0, count, entrances);
    return f;
  };
  std::vector<int32_t> full(31, 0), tooLong(31, 0);
  full[0] = 29;
  tooLong[0] = 30;
  struct Row {
    const char* what;
    Files files;
    std::string error;  // empty when the load succeeds
  } rows[] = {
      {"29 shots fill a record", withLine(full), ""},
      {"30 shots do not fit", withLine(tooLong),
       "Dane1.bin: record 1: a line of 30 shots needs 31 stations; a record holds at most 30"},
      {"huge shot count", withLine({INT_MAX, 0}), "Dane1.bin: record 1: a line of 2147483647"},
      {"negative shot count draws nothing", withLine({-1, 77}), ""},
      {"most negative shot count", withLine({INT_MIN}), ""},
      {"row below 0", withLine({1, 0, -1}),
       "Dane1.bin: record 1: column 2 names station row -1, but the rows are 0 to 2"},
      {"row past the last", withLine({2, 0, 1, 3}),
       "Dane1.bin: record 1: column 3 names station row 3, but the rows are 0 to 2"},
      {"unused columns are never read", withLine({1, 0, 1, 999999, -5}), ""},
      {"coordinate length above 8", withByte(false, 2 * 32 + 13, 9),
       "Dane.bin: record 2: Y text length 9 is above its capacity 8"},
      {"name length above 75", withByte(true, 140, 76),
       "Dane2.bin: record 1: name length 76 is above its capacity 75"},
      {"name length 75", withByte(true, 140, 75), ""},
      {"entrance count above 10 kept", withObject(11, {0, 1, 2}), ""},
      {"negative entrance count kept", withObject(-3, {}), ""},
      {"entrance row out of range kept", withObject(2, {0, 999}), ""},
  };
  for (const Row& row : rows) {
    const LoadResult r = Load(row.files);
    EXPECT_EQ(r.ok, row.error.empty()) << row.what << ": " << r.error;
    EXPECT_EQ(r.error.substr(0, row.error.size()), row.error) << row.what;
  }
  EXPECT_EQ(Load(withObject(-3, {})).model.entranceCount, -3);
  EXPECT_EQ(Load(withObject(2, {0, 999})).model.entrances[1], 999);
}

}  // namespace
}  // namespace mv
