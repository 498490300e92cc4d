// The other formats against Survex: the same surveys written by survexport
// (.plt) and Therion (.lox) read as the .3d they came from and as dump3d
// lists it; then hand-written files for the odd cases of each format.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#include "data/compass_plot.h"
#include "data/survex3d.h"
#include "data/therion_lox.h"
#include "dump_listing.h"

namespace mv {
namespace {

const std::string kDir = MV_SURVEX_TEST_DIR;

std::vector<uint8_t> Bytes(std::string_view text) {
  return {text.begin(), text.end()};
}

std::set<Cm> EntrancesOf(const SurveyModel& m) {
  std::set<Cm> e;
  for (int32_t i = 0; i < m.entranceCount; ++i) e.insert(CmOf(m, m.entrances[i]));
  return e;
}

// Every name a reader gives is one of the labels dump3d lists at that
// position (a .lox adds its survey after an '@').
void ExpectNamesFromDump(const SurveyModel& m, const Expected& e) {
  int named = 0;
  for (int32_t r = 0; r < m.StationCount(); ++r) {
    std::string name(m.StationName(r));
    if (name.empty()) continue;
    ++named;
    name = name.substr(0, name.find('@'));
    const auto labels = e.labels.find(CmOf(m, r));
    ASSERT_NE(labels, e.labels.end()) << name;
    EXPECT_EQ(labels->second.count(name), 1u) << name;
  }
  EXPECT_GT(named, m.StationCount() / 2);
}

// survexport writes the underground legs (duplicates included) and no
// flags, so each reader is asked for the same legs.
TEST(Formats, ReadersAgreeWithOneAnotherAndWithDump3d) {
  const LegOptions underground{.splays = false, .surface = false, .duplicates = true};
  for (const auto& [name, source] : {std::pair{"small", "small_v8"},
                                     {"jaskinie_zimna", "jaskinie_zimna"},
                                     {"jaskinie_czarna", "jaskinie_czarna"},
                                     {"jaskinie_all", "jaskinie_all"}}) {
    SCOPED_TRACE(name);
    const Expected e = ParseDump(kDir + "/" + source + ".dump.txt", underground);
    const Legs legs = LegsOf(e.rows);
    const std::set<Cm> entrances(e.entrances.begin(), e.entrances.end());

    const ReadResult survex =
        ReadSurvex3d(ReadBytes(kDir + "/" + source + ".3d"), "3d", underground);
    ASSERT_TRUE(survex.ok()) << survex.ErrorMessage();
    EXPECT_EQ(LegsOf(RowsOf(survex.model)), legs);
    EXPECT_EQ(EntrancesOf(survex.model), entrances);

    const ReadResult plot = ReadCompassPlot(ReadBytes(kDir + "/" + name + ".plt"), "plt");
    ASSERT_TRUE(plot.ok()) << plot.ErrorMessage();
    ExpectDrawable(plot);
    EXPECT_EQ(LegsOf(RowsOf(plot.model)), legs);
    EXPECT_EQ(plot.info.legs, static_cast<int64_t>(legs.size()));
    EXPECT_EQ(plot.model.entranceCount, 0);  // the format marks none
    ExpectNamesFromDump(plot.model, e);

    const ReadResult lox =
        ReadTherionLox(ReadBytes(kDir + "/" + name + ".lox"), "lox", underground);
    ASSERT_TRUE(lox.ok()) << lox.ErrorMessage();
    ExpectDrawable(lox);
    EXPECT_EQ(LegsOf(RowsOf(lox.model)), legs);
    EXPECT_EQ(EntrancesOf(lox.model), entrances);
    ExpectNamesFromDump(lox.model, e);
    EXPECT_EQ(lox.model.title, name);
  }
}

// --- Compass plot files -------------------------------------------------------

TEST(CompassPlot, RecordsFlagsAndUnits) {
  struct Row {
    std::string what, text;
    std::vector<std::vector<int64_t>> rows;  // x (east) in cm along each line row
    std::vector<std::string> names;          // by station row
    int64_t legs, leftOut;
  };
  const Row rows[] = {
      {"feet to metres, north before east",
       "Z 0 0 0 0 0 0\r\nSCave\r\nNA D 1 1 2000 Cfirst\r\nM 0 0 0 SA1 P -9 -9 -9 -9\r\n"
       "D 1000 10 -5 SA2 P 1 2 3 4 I 12.5\r\nX 0 0 0 0 0 0\r\n\x1a",
       {{0, 305}},
       {"A1", "A2"},
       1,
       0},
      {"Ctrl-Z ends the data; LF and lone CR ends",
       "M 0 0 0 Sa\rD 0 10 0 Sb\nD 0 20 0 Sc\x1a"
       "D 0 30 0 Sd\n",
       {{0, 305, 610}},
       {"a", "b", "c"},
       2,
       0},
      {"flags: splay and duplicate kept in rows of their own, not plotted left out",
       "M 0 0 0 Sa\nD 0 10 0 Sb FS\nD 0 20 0 Sc FP\nd 0 30 0 Sd\nD 0 40 0 Se FX\n"
       "D 0 50 0 Sf FLC\n",
       {{0, 305}, {1219, 1524}},
       {"a", "b", "e", "f"},
       5,
       3},
      {"a draw before any move starts the traverse",
       "D 0 0 0 Sa\nD 0 10 0 Sb\n",
       {{0, 305}},
       {"a", "b"},
       1,
       0},
      {"Windows-1252 names become UTF-8",
       "M 0 0 0 S\xa3\x9c\nD 0 10 0 S\x80\n",
       {{0, 305}},
       {"\xc2\xa3\xc5\x93", "\xe2\x82\xac"},
       1,
       0},
      {"UTF-8 names stay", "M 0 0 0 S\xc5\x81\nD 0 10 0 Sb\n", {{0, 305}}, {"\xc5\x81", "b"}, 1, 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    const ReadResult s = ReadCompassPlot(Bytes(r.text), "t.plt");
    ASSERT_TRUE(s.ok()) << s.ErrorMessage();
    std::vector<std::vector<int64_t>> xs;
    for (const auto& row : RowsOf(s.model)) {
      xs.emplace_back();
      for (const Cm& p : row) xs.back().push_back(p[0]);
    }
    EXPECT_EQ(xs, r.rows);
    std::vector<std::string> names;
    for (int32_t i = 0; i < s.model.StationCount(); ++i) names.emplace_back(s.model.StationName(i));
    EXPECT_EQ(names, r.names);
    EXPECT_EQ(s.info.legs, r.legs);
    EXPECT_EQ(s.info.legsLeftOut, r.leftOut);
  }
  // North is y: 1000 feet north is 304.8 m.
  const ReadResult s = ReadCompassPlot(Bytes(rows[0].text), "t.plt");
  EXPECT_DOUBLE_EQ(s.model.Y(1) - s.model.Y(0), 304.8);
  EXPECT_DOUBLE_EQ(s.model.Z(1) - s.model.Z(0), -5 * 0.3048);
  EXPECT_EQ(s.model.title, "Cave");
}

TEST(CompassPlot, FaultsNameTheirLine) {
  const std::string megaLine = "M 0 0 0 Sa\n" + std::string(3 << 20, '7') + "\n";
  const std::pair<std::string, std::string> rows[] = {
      {"", "t.plt: the file holds no survey legs to show (0 left out by their flags)"},
      {"Z 0 0 0 0 0 0\nM 0 0 0 Sa\n\x1a", "t.plt: the file holds no survey legs"},
      {"M 0 0 0 Sa\nD 0 1 Sb\n", "t.plt: line 2: the elevation \"Sb\" is not a number"},
      {"M 0 0 0 Sa\nD 0 x 0 Sb\n", "t.plt: line 2: the easting \"x\" is not a number"},
      {"M 0 0 0 Sa\nD 0 1e999 0 Sb\n", "t.plt: line 2: the easting \"1e999\" is not a number"},
      {"M 0 0 0 Sa\nD 0 nan 0 Sb\n", "t.plt: line 2: the easting \"nan\" is not a number"},
      {"M 0 0 0 Sa\nD 0 1 0\n", "t.plt: line 2: the record has no station name"},
      {"M 0 0 0 Sa\nD 0 1 0 Sb P 1 2\n", "t.plt: line 2: the record ends before its down"},
      {"M 0 0 0 Sa\n\x01\x02\x03\n", "t.plt: line 2: not a plot file record: \"\\x01\\x02\\x03\""},
      {megaLine, "t.plt: line 2: not a plot file record: \"777777777777777777777777...\""},
      {std::string("\x89PNG\r\n\x1a\n", 8), "t.plt: line 1: not a plot file record"},
  };
  for (const auto& [text, error] : rows) {
    const ReadResult s = ReadCompassPlot(Bytes(text), "t.plt");
    EXPECT_FALSE(s.ok());
    EXPECT_EQ(s.ErrorMessage().substr(0, error.size()), error) << s.ErrorMessage();
  }
}

TEST(CompassPlot, TruncatedFileFailsCleanlyOrReadsItsHead) {
  const std::vector<uint8_t> whole = ReadBytes(kDir + "/jaskinie_czarna.plt");
  ASSERT_FALSE(whole.empty());
  for (size_t n = 0; n < whole.size(); ++n) {
    // A copy of exactly n bytes, so that the address sanitizer catches any
    // read beyond it.
    const std::vector<uint8_t> cut(whole.begin(), whole.begin() + n);
    const ReadResult s = ReadCompassPlot(cut, "cut.plt");
    if (s.ok()) {
      ExpectDrawable(s);
    } else {
      ASSERT_EQ(s.ErrorMessage().rfind("cut.plt: ", 0), 0u) << s.ErrorMessage();
    }
  }
}

// --- Therion .lox files -------------------------------------------------------

std::string U32(uint32_t v) {
  std::string b(4, '\0');
  for (int k = 0; k < 4; ++k) b[k] = static_cast<char>(v >> (8 * k));
  return b;
}

std::string F64(double v) {
  uint64_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  return U32(static_cast<uint32_t>(bits)) + U32(static_cast<uint32_t>(bits >> 32));
}

// Records as Therion writes them; a name is (position, size with its zero).
std::string Survey(uint32_t id, uint32_t parent, uint32_t namePos, uint32_t nameSize) {
  return U32(id) + U32(namePos) + U32(nameSize) + U32(parent) + U32(0) + U32(0);
}
std::string Station(uint32_t id, uint32_t namePos, uint32_t nameSize, uint32_t flags, double x,
                    double y = 0) {
  return U32(id) + U32(1) + U32(namePos) + U32(nameSize) + U32(0) + U32(0) + U32(flags) + F64(x) +
         F64(y) + F64(0);
}
std::string Shot(uint32_t from, uint32_t to, uint32_t flags = 0) {
  return U32(from) + U32(to) + std::string(64, '\0') + U32(flags) + U32(0) + U32(1) + F64(60);
}
std::string Chunk(uint32_t type, uint32_t count, const std::string& records,
                  const std::string& data = "") {
  return U32(type) + U32(static_cast<uint32_t>(records.size())) + U32(count) +
         U32(static_cast<uint32_t>(data.size())) + records + data;
}

// Two surveys, three stations (the first an entrance and fixed), a leg, a
// splay, and chunks of walls and of an unknown type to skip.
std::string SmallLox() {
  return Chunk(1, 2, Survey(0, 0, 0, 0) + Survey(1, 0, 0, 5), std::string("cave\0", 5)) +
         Chunk(99, 7, "xxxx", "yyyy") +
         Chunk(2, 3, Station(0, 0, 2, 6, 0) + Station(1, 2, 2, 0, 1) + Station(2, 4, 2, 0, 2),
               std::string("1\0"
                           "2\0"
                           "3\0",
                           6)) +
         Chunk(3, 2, Shot(0, 1) + Shot(1, 2, 16)) + Chunk(4, 1, std::string(32, '\0'), "zz");
}

TEST(TherionLox, ChunksNamesAndFlags) {
  const std::vector<uint8_t> b = Bytes(SmallLox());
  ReadResult s = ReadTherionLox(b, "t.lox");
  ASSERT_TRUE(s.ok()) << s.ErrorMessage();
  const SurveyModel& m = s.model;
  ASSERT_EQ(m.StationCount(), 3);
  EXPECT_EQ(m.StationName(0), "1@cave");
  EXPECT_EQ(m.StationName(1), "2@cave");
  EXPECT_EQ(m.StationFlags(0), kStationEntrance | kStationFixed);
  EXPECT_EQ(m.StationFlags(2), kStationSplayEnd);
  EXPECT_EQ(m.lineFlags, (std::vector<uint8_t>{0, kLegSplay}));
  EXPECT_EQ(m.entranceNames, std::vector<std::string>{"1@cave"});
  EXPECT_EQ(m.title, "cave");
  EXPECT_EQ(s.info.legs, 2);
  EXPECT_EQ(s.info.splayLegs, 1);
  s = ReadTherionLox(b, "t.lox", LegOptions{.splays = false});
  EXPECT_EQ(s.model.StationCount(), 2);  // the splay's end is no station

  // Ids out of order, and a shot Therion draws no line for.
  const std::string shuffled =
      Chunk(2, 3, Station(10, 0, 0, 0, 0) + Station(5, 0, 0, 0, 1) + Station(7, 0, 0, 0, 2)) +
      Chunk(3, 2, Shot(10, 7) + Shot(7, 5, 4));
  s = ReadTherionLox(Bytes(shuffled), "t.lox");
  ASSERT_TRUE(s.ok()) << s.ErrorMessage();
  ASSERT_EQ(s.model.StationCount(), 2);
  EXPECT_EQ(s.model.X(1) - s.model.X(0), 2.0);
  EXPECT_EQ(s.info.legsLeftOut, 1);
  EXPECT_TRUE(s.model.stationNames.empty());
}

// Survey paths: a chain of parents is walked once for all its stations, and
// a cycle of parents ends where it meets itself.
TEST(TherionLox, SurveyTreesDeepOrCircular) {
  const std::string cycle =
      Chunk(1, 2, Survey(1, 2, 0, 2) + Survey(2, 1, 2, 2), std::string("a\0b\0", 4)) +
      Chunk(2, 2, Station(0, 0, 2, 0, 0) + Station(1, 0, 2, 0, 1), std::string("s\0", 2)) +
      Chunk(3, 1, Shot(0, 1));
  ReadResult s = ReadTherionLox(Bytes(cycle), "t.lox");
  ASSERT_TRUE(s.ok()) << s.ErrorMessage();
  EXPECT_EQ(s.model.StationName(0), "s@a.b");

  // 60,000 nested unnamed surveys, a station in each.
  constexpr uint32_t kDepth = 60000;
  std::string surveys, stations, shots;
  for (uint32_t i = 0; i < kDepth; ++i) {
    surveys += Survey(i, i == 0 ? 0 : i - 1, 0, 0);
    stations +=
        U32(i) + U32(i) + U32(0) + U32(2) + std::string(12, '\0') + F64(i) + F64(0) + F64(0);
    if (i > 0) shots += Shot(i - 1, i);
  }
  const std::string deep = Chunk(1, kDepth, surveys) +
                           Chunk(2, kDepth, stations, std::string("s\0", 2)) +
                           Chunk(3, kDepth - 1, shots);
  const auto start = std::chrono::steady_clock::now();
  s = ReadTherionLox(Bytes(deep), "t.lox");
  ASSERT_TRUE(s.ok()) << s.ErrorMessage();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  EXPECT_EQ(s.model.StationCount(), static_cast<int32_t>(kDepth));
  EXPECT_EQ(s.model.StationName(kDepth - 1), "s");
}

TEST(TherionLox, FaultsNameTheirOffset) {
  const std::string stations =
      Chunk(2, 2, Station(0, 0, 2, 0, 0) + Station(1, 0, 0, 0, 1), std::string("a\0", 2));
  const std::string at = "t.lox: byte " + std::to_string(stations.size()) + ": ";
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const std::pair<std::string, std::string> rows[] = {
      {"", "t.lox: the file holds no survey legs to show (0 left out by their flags)"},
      {Chunk(7, 0, "", "data"), "t.lox: the file holds no survey legs"},
      {std::string(10, '\0'), "t.lox: byte 0: a chunk header needs 16 bytes, but only 10 are left"},
      {stations + U32(3) + U32(92) + U32(1) + U32(0),
       at + "the shot chunk (type 3) claims 92 bytes of records and 0 bytes of names, "
            "but only 0 bytes follow"},
      // Sizes that wrap around 32 bits.
      {U32(2) + U32(0xfffffff0u) + U32(1) + U32(0x20) + std::string(16, '\0'),
       "t.lox: byte 0: the station chunk (type 2) claims 4294967280 bytes of records"},
      {U32(2) + U32(52) + U32(0xffffffffu) + U32(0) + std::string(52, '\0'),
       "t.lox: byte 0: the station chunk holds 52 bytes of records, which is not 4294967295 "
       "records of 52 bytes"},
      {stations + Chunk(3, 1, Shot(0, 7)),
       "t.lox: byte " + std::to_string(stations.size() + 16) +
           ": the shot's to station id 7 is not the id of any station"},
      {Chunk(2, 1, Station(0, 0, 0, 0, nan)),
       "t.lox: byte 16: station id 0 has a coordinate that is not a finite number"},
      {Chunk(2, 1, Station(0, 0, 0, 0, 0, -inf)), "t.lox: byte 16: station id 0 has a coordinate"},
      {Chunk(2, 1, Station(0, 1, 3, 0, 0), "ab"),
       "t.lox: byte 16: the name of this record lies outside its chunk's 2 bytes of names"},
      {Chunk(2, 2, Station(4, 0, 0, 0, 0) + Station(4, 0, 0, 0, 1)),
       "t.lox: byte 68: two stations have the same id"},
  };
  for (const auto& [bytes, error] : rows) {
    const ReadResult s = ReadTherionLox(Bytes(bytes), "t.lox");
    EXPECT_FALSE(s.ok());
    EXPECT_EQ(s.ErrorMessage().substr(0, error.size()), error) << s.ErrorMessage();
  }
}

TEST(TherionLox, TruncatedFileFailsWithoutReadingPastEnd) {
  for (const std::vector<uint8_t>& whole : {Bytes(SmallLox()), ReadBytes(kDir + "/small.lox")}) {
    ASSERT_FALSE(whole.empty());
    for (size_t n = 0; n < whole.size(); ++n) {
      const std::vector<uint8_t> cut(whole.begin(), whole.begin() + n);
      const ReadResult s = ReadTherionLox(cut, "cut.lox");
      if (s.ok()) {
        ExpectDrawable(s);  // cut after the shots, in the chunks that follow
        continue;
      }
      unsigned long at = 0;
      if (std::sscanf(s.ErrorMessage().c_str(), "cut.lox: byte %lu: ", &at) == 1) {
        ASSERT_LE(at, n) << s.ErrorMessage();
      } else {
        ASSERT_EQ(s.ErrorMessage().rfind("cut.lox: ", 0), 0u) << s.ErrorMessage();
      }
    }
  }
}

struct NamedSection {
  std::string station;  // without the survey a .lox adds
  float left, right, up, down;
  bool end;
};

std::vector<NamedSection> NamedSections(const SurveyModel& m) {
  std::vector<NamedSection> out;
  for (const CrossSection& c : m.sections) {
    std::string name(m.StationName(c.station));
    out.push_back({name.substr(0, name.find('@')), c.left, c.right, c.up, c.down, c.EndsPassage()});
  }
  return out;
}

// Therion writes one survey with passage sizes as a .lox (sizes at both
// ends of each shot) and a .plt (sizes at each station, in feet, in the
// order left, up, down, right; all four differ at station 1): both give the
// same passages.
TEST(Formats, PassageSizesOfLoxAndPltAgree) {
  const ReadResult lox = ReadTherionLox(ReadBytes(kDir + "/passages.lox"), "passages.lox");
  const ReadResult plt = ReadCompassPlot(ReadBytes(kDir + "/passages.plt"), "passages.plt");
  ASSERT_TRUE(lox.ok()) << lox.ErrorMessage();
  ASSERT_TRUE(plt.ok()) << plt.ErrorMessage();
  const std::vector<NamedSection> a = NamedSections(lox.model), b = NamedSections(plt.model);
  const std::vector<std::string> stations = {"1", "2", "6", "7", "2", "3", "4", "5"};
  ASSERT_EQ(a.size(), stations.size());
  ASSERT_EQ(b.size(), stations.size());
  for (size_t k = 0; k < a.size(); ++k) {
    SCOPED_TRACE(k);
    EXPECT_EQ(a[k].station, stations[k]);
    EXPECT_EQ(b[k].station, stations[k]);
    EXPECT_NEAR(a[k].left, b[k].left, 0.005);
    EXPECT_NEAR(a[k].right, b[k].right, 0.005);
    EXPECT_NEAR(a[k].up, b[k].up, 0.005);
    EXPECT_NEAR(a[k].down, b[k].down, 0.005);
    EXPECT_EQ(a[k].end, k == 3 || k == 7);
    EXPECT_EQ(b[k].end, k == 3 || k == 7);
  }
  // Station 1: left 1, right 2, up 3, down 0.5 metres.
  EXPECT_FLOAT_EQ(a[0].left, 1.0f);
  EXPECT_FLOAT_EQ(a[0].right, 2.0f);
  EXPECT_FLOAT_EQ(a[0].up, 3.0f);
  EXPECT_FLOAT_EQ(a[0].down, 0.5f);
  for (const CrossSection& c : lox.model.sections)
    EXPECT_EQ(c.Shape(), SectionShape::kOval);  // Therion's default
  // The .plt names its splays' ends "." and flags none: they are splays by
  // where they lead, like the .lox's flagged ones.
  for (const ReadResult* r : {&lox, &plt}) {
    int splays = 0;
    for (int32_t row = 0; row < r->model.SurveyLineCount(); ++row)
      if (r->model.LineFlags(row) & kLegSplay) splays += r->model.Line(row)[0];
    EXPECT_EQ(splays, 2);
  }
}

TEST(CompassPlot, SizesAreLeftUpDownRightInFeet) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  // Each row: the records, then the sections (left, right, up, down in
  // feet; -1 for missing) and their passage ends.
  struct Row {
    std::string what, text;
    std::vector<std::array<float, 5>> sections;  // l r u d end
  };
  const Row rows[] = {
      {"the order of the four sizes",
       "M 0 0 0 Sa P 1 2 3 4\nD 0 10 0 Sb P 5 6 7 8\n",
       {{1, 4, 2, 3, 0}, {5, 8, 6, 7, 1}}},
      {"below 0 and above 900 missing, 900 kept",
       "M 0 0 0 Sa P -9 999 900 -9999\nD 0 10 0 Sb P 1 1 1 1\n",
       {{-1, -1, 999, 900, 0}, {1, 1, 1, 1, 1}}},
      {"a station without sizes ends the passage",
       "M 0 0 0 Sa P 1 1 1 1\nD 0 10 0 Sb P -9 -9 -9 -9\nD 0 20 0 Sc P 2 2 2 2\nD 0 30 0 Sd P 3 3 "
       "3 3\n",
       {{1, 1, 1, 1, 1}, {2, 2, 2, 2, 0}, {3, 3, 3, 3, 1}}},
      {"a splay and a move back do not",
       "M 0 0 0 Sa P 1 1 1 1\nD 0 10 0 Sb P 2 2 2 2\nD 5 10 0 Sw P 9 9 9 9 FS\n"
       "M 0 10 0 Sb P 2 2 2 2\nD 0 20 0 Sc P 3 3 3 3\nM 0 0 0 Sa P 1 1 1 1\nD 9 0 0 Sz P 4 4 4 4\n",
       {{1, 1, 1, 1, 0}, {2, 2, 2, 2, 0}, {3, 3, 3, 3, 1}, {1, 1, 1, 1, 0}, {4, 4, 4, 4, 1}}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    const ReadResult s = ReadCompassPlot(Bytes(r.text), "t.plt");
    ASSERT_TRUE(s.ok()) << s.ErrorMessage();
    ASSERT_EQ(s.model.sections.size(), r.sections.size());
    for (size_t k = 0; k < r.sections.size(); ++k) {
      const CrossSection& c = s.model.sections[k];
      const float got[] = {c.left, c.right, c.up, c.down};
      for (int i = 0; i < 4; ++i) {
        const float feet = r.sections[k][i];
        const float want = feet < 0 || feet > 900 ? nan : feet * 0.3048f;
        if (std::isnan(want)) {
          EXPECT_TRUE(std::isnan(got[i])) << k << " " << i;
        } else {
          EXPECT_FLOAT_EQ(got[i], want) << k << " " << i;
        }
      }
      EXPECT_EQ(c.EndsPassage(), r.sections[k][4] != 0) << k;
    }
  }
}

// A scrap record: `points` points from byte 0 of the chunk's data, then
// `triangles` triangles after them.
std::string Scrap(uint32_t points, uint32_t triangles, uint32_t pointBytes, uint32_t triangleAt) {
  return U32(0) + U32(1) + U32(points) + U32(0) + U32(pointBytes) + U32(triangles) +
         U32(triangleAt) + U32(12 * triangles);
}

TEST(TherionLox, ScrapsAreWallMeshes) {
  const std::string points =
      F64(0) + F64(0) + F64(0) + F64(1) + F64(0) + F64(0) + F64(0) + F64(1) + F64(-1);
  const std::string triangle = U32(0) + U32(1) + U32(2);
  const std::string base = SmallLox();
  ReadResult s =
      ReadTherionLox(Bytes(base + Chunk(4, 1, Scrap(3, 1, 72, 72), points + triangle)), "t.lox");
  ASSERT_TRUE(s.ok()) << s.ErrorMessage();
  ASSERT_EQ(s.model.meshes.size(), 1u);  // SmallLox's own scrap is empty
  const WallMesh& w = s.model.meshes[0];
  EXPECT_EQ(w.triangles, (std::vector<uint32_t>{0, 1, 2}));
  // Relative to the origin (0, 0, 0 here: x and y round down, z up).
  EXPECT_EQ(w.xyz, (std::vector<float>{0, 0, 0, 1, 0, 0, 0, 1, -1}));
  EXPECT_EQ(SurveyPath(s.model, w.survey), "cave");
  EXPECT_EQ(s.info.wallTriangles, 1);

  const size_t at = base.size() + 16;
  const std::pair<std::string, std::string> bad[] = {
      {Chunk(4, 1, Scrap(3, 1, 72, 72), points + U32(0) + U32(3) + U32(1)),
       "triangle 0 of this scrap names point 3 of its 3"},
      {Chunk(4, 1, Scrap(3, 1, 71, 72), points + triangle),
       "this scrap's points take 71 bytes, which is not 3 of 24 bytes"},
      {Chunk(4, 1, Scrap(3, 1, 72, 80), points + triangle),
       "this scrap's triangles lie outside its chunk's 84 bytes of data"},
      {Chunk(4, 1, Scrap(3, 1, 72, 72), F64(NAN) + points.substr(8) + triangle),
       "point 0 of this scrap is not at a finite place"},
  };
  for (const auto& [chunk, error] : bad) {
    s = ReadTherionLox(Bytes(base + chunk), "t.lox");
    EXPECT_EQ(s.ErrorMessage(), "t.lox: byte " + std::to_string(at) + ": " + error);
  }

  // Therion's own walls, made from the passage sizes.
  s = ReadTherionLox(ReadBytes(kDir + "/passages.lox"), "passages.lox");
  ASSERT_TRUE(s.ok()) << s.ErrorMessage();
  EXPECT_EQ(s.model.meshes.size(), 3u);
  for (const WallMesh& m : s.model.meshes)
    for (const uint32_t t : m.triangles) EXPECT_LT(t, m.xyz.size() / 3);
}

// Coordinates no survey has, or a span that overflows, are refused instead
// of giving a station at infinity.
TEST(TherionLox, StationsBeyondAnySurveyAreRefused) {
  const std::string far = Chunk(2, 2, Station(0, 0, 0, 0, 1e308) + Station(1, 0, 0, 0, -1e308)) +
                          Chunk(3, 1, Shot(0, 1));
  const ReadResult s = ReadTherionLox(Bytes(far), "t.lox");
  EXPECT_FALSE(s.ok());
  EXPECT_NE(s.ErrorMessage().find("more than 1000000000 m apart"), std::string::npos)
      << s.ErrorMessage();
}

// Kilobytes resident now (unused where the sanitizers' memory would count).
[[maybe_unused]] long ResidentKb() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0, resident = 0;
  statm >> pages >> resident;
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// 8,000 surveys nested in one another, each with a long name and a station:
// a 14.6 MB file. Every station's name would carry the names of all the
// surveys around it; read, it takes a few times its size, not gigabytes.
TEST(TherionLox, DeepSurveyTreesTakeMemoryInProportion) {
  constexpr uint32_t kDepth = 8000;
  constexpr size_t kNameBytes = 1650;
  std::string surveys, names, stations, shots;
  for (uint32_t i = 0; i < kDepth; ++i) {
    std::string name = "n" + std::to_string(i) + "_";
    name.resize(kNameBytes, 'x');
    name += '\0';
    surveys += Survey(i, i == 0 ? 0 : i - 1, static_cast<uint32_t>(names.size()),
                      static_cast<uint32_t>(name.size()));
    names += name;
    stations +=
        U32(i) + U32(i) + U32(0) + U32(2) + std::string(12, '\0') + F64(i) + F64(0) + F64(0);
    if (i > 0) shots += Shot(i - 1, i);
  }
  const std::vector<uint8_t> file =
      Bytes(Chunk(1, kDepth, surveys, names) + Chunk(2, kDepth, stations, std::string("s\0", 2)) +
            Chunk(3, kDepth - 1, shots));
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
  // The peak, in a child process that reads nothing else.
  const long before = ResidentKb();
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) _exit(ReadTherionLox(file, "deep.lox").ok() ? 0 : 1);
  int status = 0;
  rusage usage{};
  ASSERT_EQ(wait4(child, &status, 0, &usage), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  const long extraKb = usage.ru_maxrss - before;
  EXPECT_LT(extraKb, static_cast<long>(6 * file.size() / 1024)) << extraKb << " kB";
  RecordProperty("peak_kb_above_the_test", std::to_string(extraKb));
#endif

  ASSERT_GT(file.size(), 14500000u);
  const ReadResult s = ReadTherionLox(file, "deep.lox");
  ASSERT_TRUE(s.ok()) << s.ErrorMessage();
  EXPECT_EQ(s.model.SurveyCount(), static_cast<int32_t>(kDepth) + 1);
  // A station's name carries no survey name longer than a few hundred
  // bytes; the tree has them all.
  EXPECT_EQ(s.model.StationName(kDepth - 1), "s@...");
  EXPECT_EQ(SurveyPath(s.model, s.model.StationSurvey(kDepth - 1)).size(),
            kDepth * (kNameBytes + 1) - 1);
}

}  // namespace
}  // namespace mv
