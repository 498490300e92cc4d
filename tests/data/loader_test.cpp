// Loading the three survey files: results, failures and their order.
#include "data/loader.h"

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
using test::Texts;

LoadResult Load(const Files& f, std::string_view decimalPoint = ".") {
  return LoadSurveyBytes(f.View(), decimalPoint);
}

TEST(LoaderTest, LoadsStationsLinesOriginAndEntrances) {
  const LoadResult r = Load(SmallSurvey());
  ASSERT_TRUE(r.ok) << r.error;
  const SurveyModel& m = r.model;
  ASSERT_EQ(m.StationCount(), 3);
  ASSERT_EQ(m.SurveyLineCount(), 1);
  // The origin is added to every station.
  EXPECT_EQ(m.X(1), 1010.5);
  EXPECT_EQ(m.Y(2), 1980.0);
  EXPECT_EQ(m.Z(2), 269.75);
  EXPECT_EQ(m.Line(0)[0], 2);
  EXPECT_EQ(m.Line(0)[3], 2);
  EXPECT_EQ(m.entranceCount, 2);
  EXPECT_EQ(m.entrances[1], 2);
  EXPECT_EQ(m.originZ.AsDouble(), 300.0);
  // The box holds the origin and widens by every station, the last one too.
  EXPECT_EQ(r.box.minX.AsDouble(), 1000.0);
  EXPECT_EQ(r.box.maxX.AsDouble(), 1010.5);
  EXPECT_EQ(r.box.minY.AsDouble(), 1980.0);
  EXPECT_EQ(r.box.maxY.AsDouble(), 2000.0);
  EXPECT_EQ(r.box.minZ.AsDouble(), 269.75);
  EXPECT_EQ(r.box.maxZ.AsDouble(), 300.0);
  EXPECT_EQ(r.centreX.AsDouble(), 1005.25);
  EXPECT_EQ(r.centreY.AsDouble(), 1990.0);
  EXPECT_NEAR(static_cast<double>(r.zoom), std::exp(2.56437 - 0.834415 * std::log(30.25)), 1e-9);
  EXPECT_TRUE(r.linesShown);
}

TEST(LoaderTest, WithoutObjectFileTheFirstStationIsTheOnlyEntrance) {
  Files f = SmallSurvey();
  f.object.reset();
  const LoadResult r = Load(f);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.model.originX.AsDouble(), 0.0);
  EXPECT_EQ(r.model.originZ.AsDouble(), 0.0);
  EXPECT_EQ(r.model.entranceCount, 1);
  EXPECT_EQ(r.model.entrances[0], 0);
  EXPECT_EQ(r.model.X(1), 10.5);
  EXPECT_EQ(r.box.maxZ.AsDouble(), 0.0);  // the origin point is inside the box
}

TEST(LoaderTest, TwoRecordFilesGiveOneRow) {
  Files f;
  f.stations = StationFile({{"3", "4", "-5"}});
  f.lines = LineFile({{0, 0}});
  const LoadResult r = Load(f);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.model.StationCount(), 1);
  EXPECT_EQ(r.model.SurveyLineCount(), 1);
  EXPECT_EQ(ModelSize(r.box), 5.0L);
}

TEST(LoaderTest, LeadingRecordsMayHoldAnything) {
  Files f = SmallSurvey();
  for (Bytes* b : {&f.stations, &f.lines, &*f.object}) {
    const size_t leading = b == &f.stations ? kStationRecordSize
                           : b == &f.lines  ? kSurveyLineRecordSize
                                            : kObjectRecordSize;
    std::fill(b->begin(), b->begin() + leading, 0xFF);
  }
  const LoadResult r = Load(f);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.model.StationCount(), 3);
}

// A file the viewer cannot read whole fails, and so does one without a data
// record; the failure comes before the lines are switched on.
TEST(LoaderTest, FilesOfTheWrongSizeFail) {
  const Bytes goodStations = SmallSurvey().stations;
  const Bytes goodLines = SmallSurvey().lines;
  const Bytes goodObject = *SmallSurvey().object;
  auto cut = [](Bytes b, size_t size) {
    b.resize(size, 0);
    return b;
  };
  struct Row {
    const char* what;
    Bytes stations, lines;
    std::optional<Bytes> object;
    std::string error;
  } rows[] = {
      {"empty station file", {}, goodLines, goodObject, "Dane.bin: the file is empty"},
      {"leading record only", cut(goodStations, 32), goodLines, goodObject,
       "Dane.bin: the file holds only its leading record"},
      {"short leading record", cut(goodStations, 20), goodLines, goodObject,
       "Dane.bin: record 1 is cut short (the file is 20 bytes)"},
      {"record 1 cut short", cut(goodStations, 40), goodLines, goodObject,
       "Dane.bin: record 1 is cut short (the file is 40 bytes)"},
      {"partial tail", cut(goodStations, 4 * 32 + 1), goodLines, goodObject,
       "Dane.bin: record 4 is cut short (the file is 129 bytes, not a whole number of 32-byte "
       "records)"},
      {"station file one byte short", cut(goodStations, 4 * 32 - 1), goodLines, goodObject,
       "Dane.bin: record 3 is cut short"},
      {"empty line file", goodStations, {}, goodObject, "Dane1.bin: the file is empty"},
      {"line file with leading record only", goodStations, cut(goodLines, 124), goodObject,
       "Dane1.bin: the file holds only its leading record"},
      {"line file with partial tail", goodStations, cut(goodLines, 2 * 124 + 100), goodObject,
       "Dane1.bin: record 2 is cut short"},
      {"empty object file", goodStations, goodLines, Bytes{},
       "Dane2.bin: record 1 is missing or cut short (the file is 0 bytes)"},
      {"object file without record 1", goodStations, goodLines, cut(goodObject, 140),
       "Dane2.bin: record 1 is missing"},
      {"object record 1 cut short", goodStations, goodLines, cut(goodObject, 279),
       "Dane2.bin: record 1 is missing or cut short (the file is 279 bytes)"},
  };
  for (const Row& row : rows) {
    Files f;
    f.stations = row.stations;
    f.lines = row.lines;
    f.object = row.object;
    const LoadResult r = Load(f);
    EXPECT_FALSE(r.ok) << row.what;
    EXPECT_FALSE(r.linesShown) << row.what;
    EXPECT_EQ(r.error.substr(0, row.error.size()), row.error) << row.what;
  }
  // Only record 1 of the object file is read: more after it does no harm.
  Files f = SmallSurvey();
  f.object->resize(280 + 77, 0xAB);
  EXPECT_TRUE(Load(f).ok);
}

TEST(LoaderTest, SurveyWithoutExtentFailsAfterTheLinesWereShown) {
  Files f;
  f.stations = StationFile({{"0", "0", "0"}, {"0.0", "-0", "+0"}});
  f.lines = LineFile({{1, 0, 1}});
  f.object = ObjectFile(0, 0, 0, 1, {0});
  const LoadResult r = Load(f);
  EXPECT_FALSE(r.ok);
  EXPECT_TRUE(r.linesShown);
  EXPECT_NE(r.error.find("no extent"), std::string::npos) << r.error;
}

TEST(LoaderTest, ZoomFitsTheModelSize) {
  struct Row {
    const char* x;
    double zoom, tolerance;
  } rows[] = {
      {"1", 12.99, 0.005},      {"10", 1.902, 0.0005},     {"100", 0.2785, 0.00005},
      {"500", 0.0727, 0.00005}, {"1000", 0.0408, 0.00005},
  };
  for (const Row& row : rows) {
    Files f;
    f.stations = StationFile({{row.x, "0", "0"}});
    f.lines = LineFile({{0, 0}});
    const LoadResult r = Load(f);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_NEAR(static_cast<double>(r.zoom), row.zoom, row.tolerance) << row.x;
  }
}

// The first fault in reading order is the one reported: the object file
// before the stations, the stations before the lines, an earlier record
// before a later one.
TEST(LoaderTest, ReportsTheFirstFaultInReadingOrder) {
  Files bad = SmallSurvey();
  bad.object->resize(200);
  bad.stations = StationFile({{"1", "2", "3"}, {"x", "0", "0"}});
  bad.stations.resize(bad.stations.size() + 7);
  bad.lines.clear();
  EXPECT_EQ(Load(bad).error.substr(0, 9), "Dane2.bin");
  bad.object.reset();
  EXPECT_EQ(Load(bad).error, "Dane.bin: record 2: X text \"x\" is not a number");
  bad.stations = StationFile({{"1", "2", "3"}});
  EXPECT_EQ(Load(bad).error, "Dane1.bin: the file is empty");
}

TEST(LoaderTest, CoordinateTextsThatDoNotConvertFail) {
  struct Row {
    Texts texts;
    std::string_view decimalPoint;
    std::string error;  // empty when the load succeeds
  } rows[] = {
      {{"1,5", "2", "3"}, ",", ""},
      {{"1.5", "2,5", "-3,75"}, ",", ""},
      {{"1,5", "2", "3"}, ".", "Dane.bin: record 2: X text \"1,5\" is not a number"},
      {{"1", "", "3"}, ".", "Dane.bin: record 2: Y text \"\" is empty"},
      {{"1", "2", "1,2,3"}, ",", "Dane.bin: record 2: Z text \"1,2,3\" is not a number"},
      {{"1", "2", "1e999"}, ".", "Dane.bin: record 2: Z text \"1e999\" is out of range"},
      {{"1", "2", "nan"}, ".", "Dane.bin: record 2: Z text \"nan\" is not a number"},
      {{"1",
        "\xB3\xF3"
        "d\xBC",
        "3"},
       ".",
       "Dane.bin: record 2: Y text \"\\xB3\\xF3d\\xBC\" is not a number"},
  };
  for (const Row& row : rows) {
    Files f;
    f.stations = StationFile({{"0", "0", "0"}, row.texts});
    f.lines = LineFile({{1, 0, 1}});
    const LoadResult r = Load(f, row.decimalPoint);
    EXPECT_EQ(r.ok, row.error.empty()) << row.texts[0];
    EXPECT_EQ(r.error, row.error);
    if (!r.ok) {
      EXPECT_FALSE(r.linesShown);
    }
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
  auto withStationField = [](size_t offset, uint8_t length) {
    Files f = SmallSurvey();
    f.stations[2 * kStationRecordSize + offset] = length;
    return f;
  };
  auto withObject = [](int32_t count, std::vector<int32_t> entrances, uint8_t nameLength = 4) {
    Files f = SmallSurvey();
    f.object = ObjectFile(0, 0, 0, count, entrances);
    (*f.object)[kObjectRecordSize] = nameLength;
    return f;
  };
  std::vector<int32_t> full(31, 0);
  full[0] = 29;
  std::vector<int32_t> tooLong = full;
  tooLong[0] = 30;
  std::vector<int32_t> stationInUnusedColumn = {1, 0, 1, 999999, -5};
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
      {"unused columns are never read", withLine(stationInUnusedColumn), ""},
      {"coordinate length above 8", withStationField(13, 9),
       "Dane.bin: record 2: Y text length 9 is above its capacity 8"},
      {"coordinate length 255", withStationField(4, 255),
       "Dane.bin: record 2: X text length 255 is above its capacity 8"},
      {"name length above 75", withObject(1, {0}, 76),
       "Dane2.bin: record 1: name length 76 is above its capacity 75"},
      {"name length 75", withObject(1, {0}, 75), ""},
      {"entrance count above 10 kept", withObject(11, {0, 1, 2}), ""},
      {"negative entrance count kept", withObject(-3, {}), ""},
      {"entrance row out of range kept", withObject(2, {0, 999}), ""},
  };
  for (const Row& row : rows) {
    const LoadResult r = Load(row.files);
    EXPECT_EQ(r.ok, row.error.empty()) << row.what << ": " << r.error;
    EXPECT_EQ(r.error.substr(0, row.error.size()), row.error) << row.what;
    if (!r.ok) {
      EXPECT_FALSE(r.linesShown) << row.what;
    }
  }
  const LoadResult kept = Load(withObject(-3, {}));
  EXPECT_EQ(kept.model.entranceCount, -3);
  EXPECT_EQ(Load(withObject(2, {0, 999})).model.entrances[1], 999);
}

TEST(LoaderTest, EachLoadIsANewModelGeneration) {
  const LoadResult a = Load(SmallSurvey());
  const LoadResult b = Load(SmallSurvey());
  ASSERT_TRUE(a.ok && b.ok);
  EXPECT_NE(a.model.generation, b.model.generation);
  EXPECT_NE(a.model.generation, PlaceholderModel().generation);
}

TEST(LoaderTest, ReadingWithoutOriginKeepsTheFilesNumbers) {
  SurveyModel m;
  std::string error;
  ReadOptions options;
  options.addOrigin = false;
  ASSERT_TRUE(ReadSurveyBytes(SmallSurvey().View(), options, m, error)) << error;
  EXPECT_EQ(m.X(1), 10.5);
  EXPECT_EQ(m.originX.AsDouble(), 1000.0);
}

}  // namespace
}  // namespace mv
