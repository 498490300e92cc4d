// Which loader reads a survey source, and what a chosen path stands for.
#include "data/reader_table.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "survey_bytes.h"

namespace mv {
namespace {

using test::Bytes;

void Put32(Bytes& b, int32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(static_cast<uint32_t>(v) >> 8 * i));
}

// A version 8 .3d file of one leg, 1 m east, 2 m north and 3 m up.
Bytes OneLeg3d() {
  const std::string header = "Survex 3D Image File\nv8\ntest\n@1700000000\n";
  Bytes b(header.begin(), header.end());
  b.push_back(0x00);  // file-wide flags
  b.push_back(0x0f);  // move
  for (int32_t c : {0, 0, 0}) Put32(b, c);
  b.push_back(0x60);  // line, in centimetres
  for (int32_t c : {100, 200, 300}) Put32(b, c);
  b.push_back(0x00);  // normal style
  b.push_back(0x00);  // end of data
  return b;
}

TEST(SurveySource, EachKindGoesToItsLoader) {
  test::TempDir dir;
  const auto& d = dir.path();
  std::filesystem::create_directory(d / "cave");
  const test::Files small = test::SmallSurvey();
  test::WriteFile(d / "cave" / "Dane.bin", small.stations);
  test::WriteFile(d / "cave" / "Dane1.bin", small.lines);
  test::WriteFile(d / "cave" / "Dane2.bin", *small.object);
  std::filesystem::create_directory(d / "empty");
  test::WriteFile(d / "leg.3d", OneLeg3d());
  test::WriteFile(d / "LEG.3D", OneLeg3d());
  test::WriteFile(d / "junk.3d", Bytes{'h', 'e', 'l', 'l', 'o'});
  test::WriteFile(d / "leg.txt", OneLeg3d());
  test::WriteFile(d / "notes.txt", Bytes{'h', 'i'});
  const std::string plot = "M 0 0 0 Sa\r\nD 10 0 0 Sb\r\n";
  test::WriteFile(d / "leg.plt", Bytes(plot.begin(), plot.end()));
  test::WriteFile(d / "plot.3d", Bytes(plot.begin(), plot.end()));  // the wrong extension
  const std::filesystem::path lox = std::filesystem::path(MV_TEST_DATA_DIR) / "survex/small.lox";
  std::filesystem::copy_file(lox, d / "cave.lox");
  std::filesystem::copy_file(lox, d / "lox.plt");
  test::WriteFile(d / "junk.PLF", Bytes{0x89, 'P', 'N', 'G', 0x0d, 0x0a, 0x1a, 0x0a});

  struct Row {
    std::filesystem::path path;
    int stations;       // when the load succeeds
    std::string error;  // else a part of the error
  };
  const Row rows[] = {
      {d / "cave", 3, ""},
      {d / "empty", 0, "Dane.bin: is missing from"},
      {d / "leg.3d", 2, ""},
      {d / "LEG.3D", 2, ""},
      {d / "junk.3d", 0, "junk.3d: byte 0: not a Survex .3d file"},
      {d / "nowhere.3d", 0, "nowhere.3d: no such file or folder"},
      {d / "nowhere", 0, "nowhere: no such file or folder"},
      {d / "leg.txt", 2, ""},  // known by its content
      {d / "leg.plt", 2, ""},
      {d / "plot.3d", 2, ""},
      {d / "cave.lox", 79, ""},  // with the splay's end
      {d / "lox.plt", 79, ""},
      {d / "junk.PLF", 0, "junk.PLF: line 1: not a plot file record"},
      {d / "notes.txt", 0, "notes.txt: not a survey this program reads"},
      {"", 0, "no survey file or folder was given"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.path.string());
    const LoadResult r = LoadSurveySource(row.path);
    if (row.error.empty()) {
      ASSERT_TRUE(r.ok) << r.error;
      EXPECT_EQ(r.model.StationCount(), row.stations);
      EXPECT_TRUE(r.sourceRead);
      EXPECT_GT(ModelSize(r.box), 0.0L);
    } else {
      EXPECT_FALSE(r.ok);
      EXPECT_NE(r.error.find(row.error), std::string::npos) << r.error;
    }
  }
  // The object file's name is the survey folder's title; it names no station.
  const LoadResult cave = LoadSurveySource(d / "cave");
  EXPECT_EQ(cave.model.title, "Test");
  EXPECT_TRUE(cave.model.stationNames.empty());
}

TEST(SurveySource, ASurveyFileStandsForItsFolder) {
  test::TempDir dir;
  struct Row {
    std::filesystem::path chosen;
    std::filesystem::path source;
    bool offered;
  };
  const Row rows[] = {
      {"/caves/czarna/Dane.bin", "/caves/czarna", true},
      {"/caves/czarna/dane1.BIN", "/caves/czarna", true},
      {"/caves/czarna/DANE2.bin", "/caves/czarna", true},
      {"Dane.bin", ".", true},
      {"/caves/czarna/Dane3.bin", "/caves/czarna/Dane3.bin", false},
      {"/caves/czarna.3d", "/caves/czarna.3d", true},
      {"/caves/CZARNA.3D", "/caves/CZARNA.3D", true},
      {"/caves/czarna.3dm", "/caves/czarna.3dm", false},
      {"/caves/czarna.Plt", "/caves/czarna.Plt", true},
      {"/caves/czarna.plf", "/caves/czarna.plf", true},
      {"/caves/czarna.LOX", "/caves/czarna.LOX", true},
      {"/caves/notes.txt", "/caves/notes.txt", false},
      {dir.path(), dir.path(), true},
      {dir.path() / "missing-folder", dir.path() / "missing-folder", false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.chosen.string());
    EXPECT_EQ(SurveySourceFor(row.chosen), row.source);
    EXPECT_EQ(LooksLikeSurveySource(row.chosen), row.offered);
  }
}

}  // namespace
}  // namespace mv
