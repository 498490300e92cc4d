// Tests of the Survex .3d reader: real and generated surveys checked against
// their dump3d text dumps, hand-made byte sequences for each kind of item,
// truncation and random mutation.
#include "data/survex3d.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "byte_mutator.h"
#include "data/survey_folder.h"
#include "data/survey_writer.h"
#include "dump_listing.h"

namespace mv {
namespace {

const std::string kDir = MV_SURVEX_TEST_DIR;

ReadResult ReadFile3d(const std::string& path, const LegOptions& options = {}) {
  return ReadSurvex3d(ReadBytes(path), path, options);
}

struct DumpCase {
  std::string file;
  LegOptions options;
};

std::string CaseName(const DumpCase& c) {
  return c.file + (c.options.splays ? "" : "_nosplays") + (c.options.surface ? "" : "_nosurface") +
         (c.options.duplicates ? "" : "_noduplicates");
}

void PrintTo(const DumpCase& c, std::ostream* os) {
  *os << CaseName(c);
}

// The model's legs, stations, names, flags and entrances are what the
// dump lists.
void ExpectAgrees(const ReadResult& s, const Expected& e) {
  ASSERT_TRUE(s.ok()) << s.ErrorMessage();
  ExpectDrawable(s);
  const SurveyModel& m = s.model;
  EXPECT_EQ(s.info.version, e.version);
  EXPECT_EQ(s.info.coordinateSystem, e.coordinateSystem);
  EXPECT_EQ(s.info.legs, e.legs);
  EXPECT_EQ(s.info.splayLegs, e.splays);
  EXPECT_EQ(s.info.surfaceLegs, e.surface);
  EXPECT_EQ(s.info.duplicateLegs, e.duplicates);
  EXPECT_EQ(s.info.legsLeftOut, e.leftOut);

  // Legs in file order, chained and split into rows as the dump implies.
  EXPECT_EQ(RowsOf(m), e.rows);

  // One row per distinct position, none left unused, each with the first
  // name given there.
  std::set<Cm> stations;
  for (int32_t r = 0; r < m.StationCount(); ++r) {
    const Cm p = CmOf(m, r);
    stations.insert(p);
    const auto name = e.names.find(p);
    EXPECT_EQ(m.StationName(r), name == e.names.end() ? "" : name->second);
    const auto flags = e.flags.find(p);
    EXPECT_EQ(m.StationFlags(r), flags == e.flags.end() ? 0 : flags->second);
  }
  EXPECT_EQ(stations.size(), static_cast<size_t>(m.StationCount()));
  EXPECT_EQ(stations, e.stations);

  std::vector<Cm> entrances;
  for (int32_t i = 0; i < m.entranceCount; ++i) entrances.push_back(CmOf(m, m.entrances[i]));
  EXPECT_EQ(entrances, e.entrances);
  EXPECT_EQ(m.entranceNames, e.entranceNames);
  EXPECT_EQ(s.info.entrancesFound, e.entrancesFound);
}

class AgreesWithDump : public testing::TestWithParam<DumpCase> {};

TEST_P(AgreesWithDump, SameLegsEntrancesAndOrigin) {
  const DumpCase& c = GetParam();
  const Expected e = ParseDump(kDir + "/" + c.file + ".dump.txt", c.options);
  const ReadResult s = ReadFile3d(kDir + "/" + c.file + ".3d", c.options);
  ExpectAgrees(s, e);
  const SurveyModel& m = s.model;

  // Origin: lower corner in x and y, top in z, on whole metres, within a
  // metre of the stations' box.
  int64_t minX = INT64_MAX, minY = INT64_MAX, maxZ = INT64_MIN;
  for (const Cm& p : e.stations) {
    minX = std::min(minX, p[0]);
    minY = std::min(minY, p[1]);
    maxZ = std::max(maxZ, p[2]);
  }
  const long double ox = m.originX, oy = m.originY, oz = m.originZ;
  EXPECT_EQ(ox, std::floor(ox));
  EXPECT_EQ(oy, std::floor(oy));
  EXPECT_EQ(oz, std::floor(oz));
  EXPECT_TRUE(ox * 100 <= minX && minX < ox * 100 + 100) << ox << " " << minX;
  EXPECT_TRUE(oy * 100 <= minY && minY < oy * 100 + 100) << oy << " " << minY;
  EXPECT_TRUE(oz * 100 - 100 < maxZ && maxZ <= oz * 100) << oz << " " << maxZ;
}

constexpr LegOptions kDefault;
constexpr LegOptions kNoSplays{.splays = false};
constexpr LegOptions kUnderground{.splays = false, .surface = false, .duplicates = false};

INSTANTIATE_TEST_SUITE_P(
    Surveys, AgreesWithDump,
    testing::Values(DumpCase{"jaskinie_zimna", kDefault}, DumpCase{"jaskinie_czarna", kDefault},
                    DumpCase{"jaskinie_all", kDefault}, DumpCase{"jaskinie_all", kNoSplays},
                    DumpCase{"jaskinie_all", kUnderground}, DumpCase{"small_v3", kDefault},
                    DumpCase{"small_v4", kDefault}, DumpCase{"small_v5", kDefault},
                    DumpCase{"small_v6", kDefault}, DumpCase{"small_v7", kDefault},
                    DumpCase{"small_v8", kDefault}, DumpCase{"small_v8", kNoSplays},
                    DumpCase{"small_v8", kUnderground}, DumpCase{"small_v3", kNoSplays}),
    [](const testing::TestParamInfo<DumpCase>& i) { return CaseName(i.param); });

// Survex's own test surveys, every format version among them: each file
// reads as its dump lists it, or is refused because it has no legs to show.
TEST(Survex3d, SurvexCorpusAgreesWithDump3d) {
  int agreed = 0, refused = 0;
  for (const auto& entry : std::filesystem::directory_iterator(MV_SURVEX_CORPUS_DIR)) {
    const std::filesystem::path file = entry.path();
    if (file.extension() != ".3d") continue;
    SCOPED_TRACE(file.filename().string());
    std::filesystem::path dump = file;
    const Expected e = ParseDump(dump.replace_extension(".dump.txt"), LegOptions{});
    const ReadResult s = ReadFile3d(file);
    if (e.rows.empty()) {
      EXPECT_NE(s.ErrorMessage().find("holds no survey legs to show"), std::string::npos)
          << s.ErrorMessage();
      ++refused;
      continue;
    }
    const testing::TestResult& result =
        *testing::UnitTest::GetInstance()->current_test_info()->result();
    const int faultsBefore = result.total_part_count();
    ExpectAgrees(s, e);
    agreed += result.total_part_count() == faultsBefore;
  }
  EXPECT_EQ(agreed, 122);
  EXPECT_EQ(refused, 22);
}

TEST(Survex3d, WrittenOutAndReadBackTheModelIsUnchanged) {
  // The origin keeps every offset within the station file's 8-character
  // fields, and the stations are the origin plus the offset the file holds.
  for (const char* name : {"jaskinie_all.3d", "jaskinie_zimna.3d", "small_v3.3d"}) {
    const ReadResult s = ReadFile3d(kDir + "/" + name);
    ASSERT_TRUE(s.ok()) << s.ErrorMessage();
    SurveyFiles files;
    std::string error;
    ASSERT_TRUE(EncodeSurvey(s.model, WriteOptions{}, files, error)) << name << ": " << error;
    const ReadResult read =
        ReadSurveyBytes({files.stations, files.lines, files.object}, ReadOptions{});
    ASSERT_TRUE(read.ok()) << name << ": " << read.ErrorMessage();
    const SurveyModel& back = read.model;
    EXPECT_EQ(back.stations, s.model.stations) << name;
    EXPECT_EQ(back.lines, s.model.lines) << name;
    EXPECT_EQ(back.entranceCount, s.model.entranceCount) << name;
    EXPECT_EQ(back.entrances, s.model.entrances) << name;
  }
}

// --- hand-made files --------------------------------------------------------

// Writes .3d bytes item by item.
class Bytes3d {
 public:
  explicit Bytes3d(int version = 8, std::string_view meta = "test") {
    Text("Survex 3D Image File\nv" + std::to_string(version) + "\n");
    Text(meta);
    Text("\n@1700000000\n");
    if (version >= 8) Byte(0);  // file-wide flags
  }
  Bytes3d& Byte(uint8_t b) {
    b_.push_back(b);
    return *this;
  }
  Bytes3d& Text(std::string_view s) {
    b_.insert(b_.end(), s.begin(), s.end());
    return *this;
  }
  Bytes3d& U32(uint32_t v) {
    for (int i = 0; i < 4; ++i) Byte(static_cast<uint8_t>(v >> (8 * i)));
    return *this;
  }
  Bytes3d& Point(int32_t x, int32_t y, int32_t z) {
    return U32(static_cast<uint32_t>(x))
        .U32(static_cast<uint32_t>(y))
        .U32(static_cast<uint32_t>(z));
  }
  // A version 8 label change, in the short form when it fits.
  Bytes3d& Label(uint32_t drop, std::string_view add, bool longForm = false) {
    if (!longForm && drop < 16 && add.size() < 16 && (drop | add.size()) != 0) {
      Byte(static_cast<uint8_t>(drop << 4 | add.size()));
    } else {
      Byte(0);
      if (drop < 255 && !longForm) {
        Byte(static_cast<uint8_t>(drop));
      } else {
        Byte(255).U32(drop);
      }
      if (add.size() < 255 && !longForm) {
        Byte(static_cast<uint8_t>(add.size()));
      } else {
        Byte(255).U32(static_cast<uint32_t>(add.size()));
      }
    }
    return Text(add);
  }
  Bytes3d& Move(int32_t x, int32_t y, int32_t z) { return Byte(0x0f).Point(x, y, z); }
  Bytes3d& Line(int32_t x, int32_t y, int32_t z, uint8_t flags = 0) {
    return Byte(0x40 | 0x20 | flags).Point(x, y, z);
  }
  Bytes3d& Station(int32_t x, int32_t y, int32_t z, uint8_t flags, uint32_t drop,
                   std::string_view add) {
    return Byte(0x80 | flags).Label(drop, add).Point(x, y, z);
  }
  Bytes3d& End() { return Byte(0).Byte(0); }  // normal style, then the end
  const std::vector<uint8_t>& bytes() const { return b_; }
  size_t size() const { return b_.size(); }

 private:
  std::vector<uint8_t> b_;
};

ReadResult Read(const Bytes3d& b, const LegOptions& options = {}) {
  return ReadSurvex3d(b.bytes(), "t.3d", options);
}

TEST(Survex3d, HeaderFaultsNameTheirOffset) {
  struct Row {
    std::string bytes;
    std::string error;
  };
  const std::string id = "Survex 3D Image File\n";
  const Row rows[] = {
      {"", "t.3d: byte 0: not a Survex .3d file"},
      {"Survex 3D Image Fil",
       "t.3d: byte 0: the file ends at byte 19, inside the file identification"},
      {"Survex 3D Image File\r\nv8\n", "t.3d: byte 0: not a Survex .3d file"},
      {"PK\x03\x04 something else entirely", "t.3d: byte 0: not a Survex .3d file"},
      {id + "v1\ntitle\n", "t.3d: byte 21: format version \"v1\" is not supported"},
      {id + "v9\ntitle\n", "t.3d: byte 21: format version \"v9\" is not supported"},
      {id + "Bv0.02\n", "t.3d: byte 21: format version \"Bv0.02\" is not supported"},
      {id + "v8", "t.3d: byte 21: the format version line has no end of line"},
      {id + "v8\ntitle", "t.3d: byte 24: the title line has no end of line"},
      {id + "v8\ntitle\n@1", "t.3d: byte 30: the timestamp line has no end of line"},
      {id + "v8\ntitle\n@1\n",
       "t.3d: byte 33: the file-wide flags cut short by the end of the file at byte 33"},
      {id + "v8\ntitle\n@1\n\x80", "t.3d: byte 34: the file ends before the end-of-data item"},
      {id + "v7\ntitle\n@1\n", "t.3d: byte 33: the file ends before the end-of-data item"},
  };
  for (const Row& r : rows) {
    const std::vector<uint8_t> b(r.bytes.begin(), r.bytes.end());
    const ReadResult s = ReadSurvex3d(b, "t.3d");
    EXPECT_FALSE(s.ok());
    EXPECT_EQ(s.ErrorMessage().substr(0, r.error.size()), r.error) << s.ErrorMessage();
  }
}

TEST(Survex3d, HeaderFieldsAreKept) {
  std::string meta("Title\0EPSG:32634\0future item", 28);
  Bytes3d b(8, meta);
  b.Move(0, 0, 0).Line(100, 0, 0).End();
  ReadResult s = Read(b);
  ASSERT_TRUE(s.ok()) << s.ErrorMessage();
  EXPECT_EQ(s.model.title, "Title");
  EXPECT_EQ(s.info.coordinateSystem, "EPSG:32634");
  EXPECT_FALSE(s.info.extendedElevation);

  std::vector<uint8_t> bytes = b.bytes();
  bytes[21 + 3 + meta.size() + 1 + 12] = 0x80;  // the file-wide flags
  s = ReadSurvex3d(bytes, "t.3d");
  ASSERT_TRUE(s.ok()) << s.ErrorMessage();
  EXPECT_TRUE(s.info.extendedElevation);
}

TEST(Survex3d, ItemsThatCarryNoGeometryAreSkipped) {
  // Each row: item bytes placed between two legs of one traverse.
  const std::vector<std::vector<uint8_t>> items = {
      {},
      {0x01},                          // diving style
      {0x02, 0x03, 0x04, 0x00},        // cartesian, cylpolar, nosurvey, normal
      {0x10},                          // no date
      {0x11, 0x10, 0x2a},              // a date
      {0x12, 0x10, 0x2a, 0x07},        // a date and a span
      {0x13, 0x10, 0x2a, 0x20, 0x2a},  // two dates
      {0x1f, 1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 4, 0, 0, 0, 5, 0, 0, 0},  // error
      {0x30, 0x01, 'a', 1, 0, 2, 0, 3, 0, 0xff, 0xff},                     // xsect
      {0x33, 0x01, 'b', 1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 4, 0, 0, 0},   // xsect, long
  };
  for (const auto& item : items) {
    Bytes3d b;
    b.Move(0, 0, 0).Line(100, 0, 0);
    for (uint8_t c : item) b.Byte(c);
    b.Line(200, 0, 0).End();
    const ReadResult s = Read(b);
    ASSERT_TRUE(s.ok()) << s.ErrorMessage();
    // An XSECT leaves its station's name in the label buffer, which the
    // next leg then names as its survey: two rows then, but the same legs.
    EXPECT_EQ(LegsOf(RowsOf(s.model)), LegsOf({{{0, 0, 0}, {100, 0, 0}, {200, 0, 0}}}));
    EXPECT_EQ(s.model.StationCount(), 3);
    // A section at a station no label gives is skipped, with a warning.
    const bool xsect = !item.empty() && item[0] >= 0x30 && item[0] <= 0x33;
    EXPECT_TRUE(s.model.sections.empty());
    ASSERT_EQ(s.info.warnings.size(), xsect ? 1u : 0u);
    if (xsect) {
      EXPECT_EQ(s.info.warnings[0], std::string("t.3d: a passage section at station \"") +
                                        char(item[2]) + "\" that no leg or label gives: skipped");
    }
  }
}

TEST(Survex3d, StyleItemsAndTheEndOfData) {
  // A first 0x00 sets the normal style; a second one ends the data and
  // anything after it is not read.
  Bytes3d b;
  b.Byte(0x00).Move(0, 0, 0).Line(100, 0, 0).Byte(0x00).Byte(0xff).Byte(0xff);
  ReadResult s = Read(b);
  ASSERT_TRUE(s.ok()) << s.ErrorMessage();

  Bytes3d c;
  c.Byte(0x00).Move(0, 0, 0).Line(100, 0, 0).Byte(0x02).Byte(0x00).Line(200, 0, 0);
  s = Read(c);
  EXPECT_FALSE(s.ok());
  EXPECT_NE(s.ErrorMessage().find("the file ends before the end-of-data item"), std::string::npos)
      << s.ErrorMessage();
}

TEST(Survex3d, ReservedItemCodesFailAtTheirOffset) {
  for (uint8_t code : {0x05, 0x0e, 0x14, 0x1e, 0x20, 0x2f, 0x34, 0x3f}) {
    Bytes3d b;
    b.Move(0, 0, 0).Line(100, 0, 0);
    const size_t at = b.size();
    b.Byte(code).End();
    const ReadResult s = Read(b);
    EXPECT_FALSE(s.ok());
    char expected[64];
    std::snprintf(expected, sizeof expected, "t.3d: byte %zu: unknown item code 0x%02x", at, code);
    EXPECT_EQ(s.ErrorMessage(), expected);
  }
}

TEST(Survex3d, LabelsInShortAndLongForm) {
  Bytes3d b;
  b.Move(0, 0, 0)
      .Byte(0x40)
      .Label(0, "cave.a")  // leg label
      .Point(100, 0, 0)
      .Station(0, 0, 0, 0x04, 0, ".1")   // cave.a.1
      .Station(100, 0, 0, 0x04, 1, "2")  // cave.a.2
      .Byte(0x84)
      .Label(3, "b.1", true)
      .Point(200, 0, 0)  // cave.b.1
      .Byte(0x84)
      .Label(0, std::string(300, 'x'))
      .Point(300, 0, 0)
      .Line(200, 0, 0)
      .End();
  const ReadResult s = Read(b);
  ASSERT_TRUE(s.ok()) << s.ErrorMessage();
  EXPECT_EQ(s.model.entranceNames, (std::vector<std::string>{"cave.a.1", "cave.a.2", "cave.b.1",
                                                             "cave.b.1" + std::string(300, 'x')}));
}

TEST(Survex3d, BadLabelsFail) {
  Bytes3d tooMuchDropped;
  tooMuchDropped.Move(0, 0, 0).Station(0, 0, 0, 0, 0, "ab");
  const size_t dropAt = tooMuchDropped.size();
  tooMuchDropped.Station(0, 0, 0, 0, 3, "c").End();
  ReadResult s = Read(tooMuchDropped);
  EXPECT_EQ(s.ErrorMessage(), "t.3d: byte " + std::to_string(dropAt) +
                                  ": LABEL item removes 3 bytes from a label of 2");

  // A length near 4 GiB must fail on the file's end, not try to allocate.
  Bytes3d hugeLabel;
  hugeLabel.Move(0, 0, 0);
  const size_t hugeAt = hugeLabel.size();
  hugeLabel.Byte(0x80).Byte(0).Byte(0).Byte(255).U32(0xfffffff0u).Text("abc");
  s = Read(hugeLabel);
  EXPECT_EQ(s.ErrorMessage(), "t.3d: byte " + std::to_string(hugeAt) +
                                  ": LABEL item cut short by the end of the file at byte " +
                                  std::to_string(hugeLabel.size()));
}

TEST(Survex3d, TraversesSplitIntoRowsOfAtMost29Shots) {
  const std::pair<int, std::vector<int>> cases[] = {
      {1, {1}}, {29, {29}}, {30, {29, 1}}, {58, {29, 29}}, {59, {29, 29, 1}}};
  for (const auto& [legs, shots] : cases) {
    Bytes3d b;
    b.Move(0, 0, 0);
    for (int i = 1; i <= legs; ++i) b.Line(100 * i, 0, 0);
    const ReadResult s = Read(b.End());
    ASSERT_TRUE(s.ok()) << s.ErrorMessage();
    const SurveyModel& m = s.model;
    ASSERT_EQ(m.SurveyLineCount(), static_cast<int32_t>(shots.size())) << legs;
    EXPECT_EQ(m.StationCount(), legs + 1);
    for (int32_t r = 0; r < m.SurveyLineCount(); ++r) {
      const int32_t* l = m.Line(r);
      EXPECT_EQ(l[0], shots[r]);
      EXPECT_EQ(l[1], 29 * r);  // each row starts where the previous one ended
      for (int c = l[0] + 2; c < kLineColumns; ++c) EXPECT_EQ(l[c], 0);
    }
  }
}

TEST(Survex3d, ChainsBreakAtMovesAndLeftOutLegs) {
  // 0 -> 1, splay 1 -> 9, 9 -> 2, move to 1, 1 -> 3, move to 3 and nothing.
  Bytes3d b;
  b.Move(0, 0, 0).Line(100, 0, 0).Line(900, 0, 0, 0x04).Line(200, 0, 0);
  b.Move(100, 0, 0).Line(300, 0, 0).Move(300, 0, 0).End();
  struct Row {
    bool splays;
    std::vector<std::vector<int>> lines;  // positions / 100
  };
  // Kept, the splay has a row of its own.
  const Row rows[] = {{false, {{0, 1}, {9, 2}, {1, 3}}}, {true, {{0, 1}, {1, 9}, {9, 2}, {1, 3}}}};
  for (const Row& r : rows) {
    LegOptions options;
    options.splays = r.splays;
    const ReadResult s = Read(b, options);
    ASSERT_TRUE(s.ok()) << s.ErrorMessage();
    std::vector<std::vector<int>> lines;
    for (const auto& row : RowsOf(s.model)) {
      lines.emplace_back();
      for (const Cm& p : row) lines.back().push_back(static_cast<int>(p[0] / 100));
    }
    EXPECT_EQ(lines, r.lines);
    EXPECT_EQ(s.model.StationCount(), 5);  // the shared station 1 once
    EXPECT_EQ(s.info.splayLegs, 1);
    EXPECT_EQ(s.info.legsLeftOut, r.splays ? 0 : 1);
  }
}

TEST(Survex3d, GeometryFaults) {
  Bytes3d lineFirst;
  lineFirst.Line(100, 0, 0).End();
  Bytes3d onlySplays;
  onlySplays.Move(0, 0, 0).Line(100, 0, 0, 0x04).Line(0, 100, 0, 0x04).End();
  Bytes3d noLegs;
  noLegs.Move(0, 0, 0).Station(0, 0, 0, 0x04, 0, "a").End();
  // Offsets: the LINE item right after the header, and the end-of-data item.
  const std::pair<Bytes3d, std::string> rows[] = {
      {lineFirst,
       "byte " + std::to_string(lineFirst.size() - 15) + ": LINE item with no MOVE before it"},
      {onlySplays, "byte " + std::to_string(onlySplays.size() - 1) +
                       ": the file holds no survey legs to show (2 left out by their flags)"},
      {noLegs, "byte " + std::to_string(noLegs.size() - 1) +
                   ": the file holds no survey legs to show (0 left out by their flags)"},
  };
  for (const auto& [bytes, error] : rows) {
    const ReadResult s = Read(bytes, LegOptions{.splays = false});
    EXPECT_FALSE(s.ok());
    EXPECT_EQ(s.ErrorMessage(), "t.3d: " + error);
  }
}

TEST(Survex3d, EveryDistinctEntranceInFileOrder) {
  Bytes3d b;
  b.Move(0, 0, 0).Line(100, 0, 0);
  b.Station(100, 0, 0, 0x04, 0, "e");
  b.Station(100, 0, 0, 0x04, 0, "");                                    // the same station again
  b.Station(0, 0, 0, 0x02, 0, "");                                      // underground, no entrance
  for (int i = 1; i <= 11; ++i) b.Station(0, 100 * i, 0, 0x04, 0, "");  // off the legs
  const ReadResult s = Read(b.End());
  ASSERT_TRUE(s.ok()) << s.ErrorMessage();
  const SurveyModel& m = s.model;
  EXPECT_EQ(s.info.entrancesFound, 12);
  // The first ten fill the entrance slots, the other two follow them.
  ASSERT_EQ(m.entranceCount, 10);
  EXPECT_EQ(CmOf(m, m.entrances[0]), (Cm{100, 0, 0}));
  for (int i = 1; i < 10; ++i) EXPECT_EQ(CmOf(m, m.entrances[i]), (Cm{0, 100 * i, 0}));
  ASSERT_EQ(m.moreEntrances.size(), 2u);
  EXPECT_EQ(CmOf(m, m.moreEntrances[1]), (Cm{0, 1100, 0}));
  EXPECT_EQ(EntranceRows(m).size(), 12u);
  EXPECT_EQ(EntranceName(m, m.entrances[0]), "e");
  EXPECT_EQ(m.StationCount(), 2 + 11);  // entrances off the legs are stations too
}

TEST(Survex3d, OriginRoundsOutwardToWholeMetres) {
  struct Row {
    std::array<int32_t, 6> legEnds;  // two points, centimetres
    long double x, y, z;
  };
  const Row rows[] = {
      {{0, 0, 0, 100, 100, -100}, 0, 0, 0},
      {{-150, 250, -50, 1000, 1000, -2000}, -2, 2, 0},
      {{-100, -1, 101, 5, 5, 5}, -1, -1, 2},
      {{41784988, 545523869, 132600, 41784990, 545523870, 132599}, 417849, 5455238, 1326},
  };
  for (const Row& r : rows) {
    Bytes3d b;
    b.Move(r.legEnds[0], r.legEnds[1], r.legEnds[2]).Line(r.legEnds[3], r.legEnds[4], r.legEnds[5]);
    const ReadResult s = Read(b.End());
    ASSERT_TRUE(s.ok()) << s.ErrorMessage();
    EXPECT_EQ(static_cast<long double>(s.model.originX), r.x);
    EXPECT_EQ(static_cast<long double>(s.model.originY), r.y);
    EXPECT_EQ(static_cast<long double>(s.model.originZ), r.z);
    // Stations are absolute, and equal to the origin plus the offset in metres.
    const int64_t ox = static_cast<int64_t>(r.x);
    EXPECT_EQ(s.model.X(0),
              static_cast<double>(ox) + static_cast<double>(r.legEnds[0] - 100 * ox) / 100.0);
  }
}

TEST(Survex3d, OldVersionItems) {
  // Version 3 labels are appended and trimmed; 0x00 empties the label before
  // it ends the data. XSECT and dates came in later versions.
  Bytes3d b(3);
  b.Byte(0x0f).Point(0, 0, 0);
  b.Byte(0x80).Byte(6).Text("cave.a").Point(100, 0, 0);  // leg in cave.a
  b.Byte(0x44).Byte(2).Text(".1").Point(0, 0, 0);        // cave.a.1
  b.Byte(0x11);                                          // trim 2: cave.a
  b.Byte(0x44).Byte(2).Text(".2").Point(100, 0, 0);      // cave.a.2
  b.Byte(0x00);                                          // empty the label
  b.Byte(0x40).Byte(0xfe).Byte(21).Byte(0);              // a 275-byte label
  b.Text(std::string(255, 'x') + ".y.z" + "0123456789abcdef").Point(100, 0, 0);
  b.Byte(0x02);  // drop 16, then back to just after the second-last dot
  b.Byte(0x44).Byte(1).Text("q").Point(200, 0, 0);
  b.Byte(0x00).Byte(0x00);
  const ReadResult s = Read(b);
  ASSERT_TRUE(s.ok()) << s.ErrorMessage();
  EXPECT_EQ(s.info.version, 3);
  EXPECT_EQ(s.model.entranceNames,
            (std::vector<std::string>{"cave.a.1", "cave.a.2", std::string(255, 'x') + ".q"}));

  // A cross-section's label extends the label buffer like a station's.
  Bytes3d x(5);
  x.Byte(0x0f).Point(0, 0, 0).Byte(0x80).Byte(1).Text("c").Point(100, 0, 0);
  x.Byte(0x30).Byte(2).Text(".1").U32(0).U32(0);               // c.1, four dimensions
  x.Byte(0x10).Byte(0x44).Byte(1).Text("2").Point(100, 0, 0);  // c.2
  x.Byte(0x00).Byte(0x00);
  const ReadResult xs = Read(x);
  ASSERT_TRUE(xs.ok()) << xs.ErrorMessage();
  EXPECT_EQ(xs.model.entranceNames, std::vector<std::string>{"c.2"});

  struct Row {
    int version;
    std::vector<uint8_t> item;
    std::string error;  // empty: accepted
  };
  const Row rows[] = {
      {3, {0x20, 1, 2, 3, 4}, "unknown item code 0x20 for format version 3"},
      {4, {0x20, 1, 2, 3, 4}, ""},
      {6, {0x21, 1, 2, 3, 4, 5, 6, 7, 8}, ""},
      {7, {0x21, 1, 2, 3}, ""},
      {5, {0x22}, "unknown item code 0x22 for format version 5"},
      {6, {0x22, 1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 4, 0, 0, 0, 5, 0, 0, 0}, ""},
      {7, {0x23, 1, 2, 3, 4, 0x24}, ""},
      {4, {0x30, 1, 'a', 1, 0, 2, 0, 3, 0, 4, 0}, "unknown item code 0x30 for format version 4"},
      {5, {0x30, 1, 'a', 1, 0, 2, 0, 3, 0, 4, 0}, ""},
      {7, {0xc0}, "unknown item code 0xc0 for format version 7"},
      {7, {0x10}, "TRIM item removes 1 bytes from a label of 0"},
  };
  for (const Row& r : rows) {
    Bytes3d o(r.version);
    o.Byte(0x0f).Point(0, 0, 0).Byte(0x80).Byte(0).Point(100, 0, 0);
    const size_t at = o.size();
    for (uint8_t c : r.item) o.Byte(c);
    o.Byte(0x00).Byte(0x00);  // the first empties a label that the item set
    const ReadResult os = Read(o);
    if (r.error.empty()) {
      EXPECT_TRUE(os.ok()) << r.version << ": " << os.ErrorMessage();
    } else {
      EXPECT_EQ(os.ErrorMessage(), "t.3d: byte " + std::to_string(at) + ": " + r.error);
    }
  }
}

TEST(Survex3d, OldestVersions) {
  // Each row: a whole file, then the legs it holds (positions in cm) and
  // the names of its stations at 0 0 0 and 100 0 0.
  const std::string id = "Survex 3D Image File";
  auto i32 = [](int32_t v) {
    std::string b(4, '\0');
    for (int k = 0; k < 4; ++k) b[k] = static_cast<char>(static_cast<uint32_t>(v) >> (8 * k));
    return b;
  };
  auto point = [&](int32_t x) { return i32(x) + i32(0) + i32(0); };
  struct Row {
    std::string what, bytes;
    std::vector<std::vector<int>> legs;  // x / 100 along each line row
    std::string name0, name1;
  };
  const Row rows[] = {
      {"text, CR LF header",
       id + "\r\nv0.01\r\ntitle\r\ndate\r\nline 0 0 0 1 0 0\r\ndraw 2 0 0\r\n"
            "cross 5 5 5\nmove 1 0 0\ndraw 1.00 +1 0\nname \\a.b 0 0 0\nname c 1.0 0 0\n",
       // The unnamed dead end 2 is taken for a wall point: its leg is a splay.
       {{0, 1}, {1, 2}, {1, 1}},
       "a.b",
       "c"},
      {"Bv0.01: a MOVE before label code 2 only places the label",
       id + "\nBv0.01\nt\nd\n" + i32(4) + point(0) + i32(5) + point(100) + i32(4) + point(0) +
           i32(2) + "s.0\n" + i32(5) + point(200) + i32(3) + "s.1\n" + point(100) + i32(-1),
       {{0, 1}, {1, 2}},
       "s.0",
       "s.1"},
      {"v2: labels with flags, by length, and at the last point",
       id + "\nv2\nt\nd\n" + "\x04" + point(0) + "\x06" + i32(3) + "x.1" + point(0) + "\x80" +
           point(100) + "\x02" + "x.2\n" + "\x44" + "\n" + std::string(1, '\0'),
       {{0, 1}},
       "x.1",
       "x.2"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    const std::vector<uint8_t> b(r.bytes.begin(), r.bytes.end());
    const ReadResult s = ReadSurvex3d(b, "old.3d");
    ASSERT_TRUE(s.ok()) << s.ErrorMessage();
    std::vector<std::vector<int>> legs;
    for (const auto& row : RowsOf(s.model)) {
      legs.emplace_back();
      for (const Cm& p : row) legs.back().push_back(static_cast<int>(p[0] / 100));
    }
    EXPECT_EQ(legs, r.legs);
    for (int32_t row = 0; row < s.model.StationCount(); ++row) {
      const Cm p = CmOf(s.model, row);
      const std::string name = p == Cm{0, 0, 0} ? r.name0 : p == Cm{100, 0, 0} ? r.name1 : "";
      EXPECT_EQ(s.model.StationName(row), name);
    }
  }
}

// --- damaged files ------------------------------------------------------------

TEST(Survex3d, TruncatedFileFailsWithoutReadingPastEnd) {
  for (const char* name : {"small_v8.3d", "small_v3.3d", "small_v7.3d", "jaskinie_czarna.3d"}) {
    const std::vector<uint8_t> whole = ReadBytes(kDir + "/" + name);
    ASSERT_FALSE(whole.empty());
    for (size_t n = 0; n < whole.size(); ++n) {
      // A copy of exactly n bytes, so that the address sanitizer catches any
      // read beyond it.
      const std::vector<uint8_t> cut(whole.begin(), whole.begin() + n);
      const ReadResult s = ReadSurvex3d(cut, "cut.3d");
      ASSERT_FALSE(s.ok()) << name << " cut at " << n;
      unsigned long at = 0;
      ASSERT_EQ(std::sscanf(s.ErrorMessage().c_str(), "cut.3d: byte %lu: ", &at), 1)
          << s.ErrorMessage();
      ASSERT_LE(at, n) << s.ErrorMessage();
    }
  }
}

TEST(Survex3d, RandomlyDamagedFilesNeverCrash) {
  // A fixed seed keeps the run repeatable; a failure prints the case number.
  std::mt19937 rng(20240615);
  int accepted = 0;
  for (const char* name :
       {"small_v8.3d", "small_v3.3d", "small_v6.3d", "jaskinie_czarna.3d", "passages.3d"}) {
    const std::vector<uint8_t> whole = ReadBytes(kDir + "/" + name);
    for (int i = 0; i < 2000; ++i) {
      std::vector<uint8_t> b = whole;
      test::MutateBytes(b, rng, 4, 21);  // past the file's mark
      const ReadResult s = ReadSurvex3d(b, "damaged.3d");
      if (s.ok()) {
        ++accepted;
        ExpectDrawable(s);
      } else {
        ASSERT_EQ(s.ErrorMessage().rfind("damaged.3d: byte ", 0), 0u)
            << name << " case " << i << ": " << s.ErrorMessage();
      }
    }
  }
  EXPECT_GT(accepted, 0);  // some damage leaves a readable file, and it is drawable
}

// Passage sections as dump3d lists them: the same stations, sizes (an
// omitted one, -0.01 in the dump, missing) and passage ends.
TEST(Survex3d, PassageSectionsAgreeWithDump3d) {
  for (const char* file : {"small_v5", "small_v6", "small_v7", "small_v8", "jaskinie_all"}) {
    SCOPED_TRACE(file);
    const Expected e = ParseDump(kDir + "/" + file + ".dump.txt", LegOptions{});
    const ReadResult s = ReadFile3d(kDir + "/" + file + ".3d");
    ASSERT_TRUE(s.ok()) << s.ErrorMessage();
    const SurveyModel& m = s.model;
    ASSERT_EQ(m.sections.size(), e.sections.size());
    EXPECT_EQ(s.info.sectionsFound, static_cast<int64_t>(e.sections.size()));
    EXPECT_TRUE(s.info.warnings.empty());
    for (size_t k = 0; k < e.sections.size(); ++k) {
      const CrossSection& c = m.sections[k];
      const DumpSection& d = e.sections[k];
      const std::vector<std::string_view> names = StationNames(m, c.station);
      EXPECT_NE(std::find(names.begin(), names.end(), d.station), names.end()) << d.station;
      const double dump[] = {d.left, d.right, d.up, d.down};
      const float got[] = {c.left, c.right, c.up, c.down};
      for (int i = 0; i < 4; ++i) {
        if (dump[i] == -0.01) {
          EXPECT_TRUE(std::isnan(got[i])) << d.station << " " << i;
        } else {
          EXPECT_NEAR(got[i], dump[i], 0.006) << d.station << " " << i;
        }
      }
      EXPECT_EQ(c.EndsPassage(), d.end) << k;
    }
  }
  // small_v3 and _v4 predate sections.
  EXPECT_TRUE(ReadFile3d(kDir + "/small_v4.3d").model.sections.empty());
}

TEST(Survex3d, SurveyTreeFromTheNames) {
  const ReadResult s = ReadFile3d(kDir + "/small_v8.3d");
  ASSERT_TRUE(s.ok()) << s.ErrorMessage();
  const SurveyModel& m = s.model;
  std::vector<std::string> paths;
  for (int32_t n = 0; n < m.SurveyCount(); ++n) paths.push_back(SurveyPath(m, n));
  EXPECT_EQ(paths, (std::vector<std::string>{"", "small", "small.main", "small.surf", "small.side",
                                             "small.long"}));
  EXPECT_EQ(m.surveys[0].name, "small");  // the title
  // Every leg's survey is the one its LINE item names; every named
  // station's the prefix of its name.
  const Expected e = ParseDump(kDir + "/small_v8.dump.txt", LegOptions{});
  ASSERT_EQ(m.lineSurvey.size(), static_cast<size_t>(m.SurveyLineCount()));
  for (int32_t r = 0; r < m.StationCount(); ++r) {
    const std::string name(m.StationName(r));
    if (name.empty()) continue;
    EXPECT_EQ(SurveyPath(m, m.StationSurvey(r)), name.substr(0, name.rfind('.'))) << name;
  }
  int32_t sideLegs = 0;
  for (int32_t r = 0; r < m.SurveyLineCount(); ++r)
    if (SurveyPath(m, m.LineSurvey(r)) == "small.side") sideLegs += m.Line(r)[0];
  EXPECT_EQ(sideLegs, 3);
}

}  // namespace
}  // namespace mv
