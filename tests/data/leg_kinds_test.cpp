// Splays by their flags and by where they lead, the same for every format.
#include "data/leg_kinds.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "data/compass_plot.h"
#include "data/model_builder.h"
#include "data/survex3d.h"
#include "data/therion_lox.h"

namespace mv {
namespace {

// The far end 9 of the leg 1 -> 9 hangs off the traverse 0 -> 1 -> 2.
struct TopologyCase {
  std::string what;
  std::string farName;  // of station 9
  uint8_t farFlags;
  bool farSection;
  bool named;     // the other stations have names
  bool isolated;  // 1 -> 9 alone, no traverse
  bool splay;     // 1 -> 9 becomes a splay
};

SurveyModel Built(const TopologyCase& c) {
  ModelBuilder b;
  if (!c.isolated) b.Leg({0, 0, 0}, {1, 0, 0});
  b.Leg({1, 0, 0}, {9, 0, 0});
  if (!c.isolated) b.Leg({1, 0, 0}, {2, 0, 0});
  if (c.named)
    for (int i : {0, 1, 2}) b.Name({double(i), 0, 0}, std::to_string(i));
  b.Name({9, 0, 0}, c.farName);
  b.Flag({9, 0, 0}, c.farFlags);
  if (c.farSection) b.Section(RawPoint{9, 0, 0}, CrossSection{0, 1, 1, 1, 1, kSectionEnd});
  return b.Finish("");
}

TEST(LegKinds, LegsToWallPointsBecomeSplays) {
  const TopologyCase cases[] = {
      {"nameless end where stations have names", "", 0, false, true, false, true},
      {"an end the format calls anonymous", "x.-", kStationAnonymous, false, true, false, true},
      {"a named dead end is a passage's end", "9", 0, false, true, false, false},
      {"a nameless entrance", "", kStationEntrance, false, true, false, false},
      {"a nameless fixed point", "", kStationFixed, false, true, false, false},
      {"a nameless end with a passage section", "", 0, true, true, false, false},
      {"a leg alone: no survey station at either end", "", 0, false, false, true, false},
      {"a source that names no station (survey folder)", "", 0, false, false, false, false},
  };
  for (const TopologyCase& c : cases) {
    SCOPED_TRACE(c.what);
    const SurveyModel m = Built(c);
    bool splay = false;
    for (int32_t r = 0; r < m.SurveyLineCount(); ++r) {
      const int32_t* l = m.Line(r);
      for (int32_t i = 1; i <= l[0]; ++i)
        if (m.X(l[i + 1]) == 9 || m.X(l[i]) == 9) splay = (m.LineFlags(r) & kLegSplay) != 0;
    }
    EXPECT_EQ(splay, c.splay);
    for (int32_t s = 0; s < m.StationCount(); ++s)
      EXPECT_EQ((m.StationFlags(s) & kStationSplayEnd) != 0, c.splay && m.X(s) == 9) << s;
  }
}

TEST(LegKinds, StationsWhoseEveryLegIsASplayAreWallPoints) {
  // A named wall point shot from two stations, and a survey station with
  // splays and a leg.
  ModelBuilder b;
  b.Leg({0, 0, 0}, {1, 0, 0});
  b.Leg({0, 0, 0}, {5, 5, 0}, kLegSplay);
  b.Leg({1, 0, 0}, {5, 5, 0}, kLegSplay);
  b.Leg({1, 0, 0}, {6, 6, 0}, kLegSplay | kLegDuplicate);
  b.Name({5, 5, 0}, "w1");
  b.Name({6, 6, 0}, "w2");
  const SurveyModel m = b.Finish("");
  for (int32_t s = 0; s < m.StationCount(); ++s)
    EXPECT_EQ(m.StationFlags(s) == kStationSplayEnd, m.X(s) >= 5) << s;
  EXPECT_EQ(m.lineFlags,
            (std::vector<uint8_t>{0, kLegSplay, kLegSplay, kLegSplay | kLegDuplicate}));
}

std::vector<uint8_t> Bytes(const std::string& s) {
  return {s.begin(), s.end()};
}

std::string U32(uint32_t v) {
  std::string b(4, '\0');
  for (int k = 0; k < 4; ++k) b[k] = static_cast<char>(v >> (8 * k));
  return b;
}

// The kinds each format's flags give: the row flags of a model whose legs
// 0 -> 1 -> 2 -> 3 have the given flags in the file.
TEST(LegKinds, EachFormatsFlags) {
  // .lox: shot flags; 16 alone is a splay, 2 a duplicate, 4 hidden (left
  // out), 1 surface; 0x16 is not a splay mask.
  const auto lox = [](std::vector<uint32_t> flags) {
    std::string stations, shots;
    for (uint32_t i = 0; i <= flags.size(); ++i) {
      stations += U32(i) + U32(0) + U32(0) + U32(2) + std::string(12, '\0');
      for (double v : {double(i), 0.0, 0.0}) {
        uint64_t bits;
        std::memcpy(&bits, &v, 8);
        stations += U32(uint32_t(bits)) + U32(uint32_t(bits >> 32));
      }
    }
    for (uint32_t i = 0; i < flags.size(); ++i)
      shots += U32(i) + U32(i + 1) + std::string(64, '\0') + U32(flags[i]) + U32(0) + U32(0) +
               std::string(8, '\0');
    const auto chunk = [](uint32_t type, size_t n, const std::string& r, const std::string& d) {
      return U32(type) + U32(uint32_t(r.size())) + U32(uint32_t(n)) + U32(uint32_t(d.size())) + r +
             d;
    };
    return chunk(2, flags.size() + 1, stations, std::string("s\0", 2)) +
           chunk(3, flags.size(), shots, "");
  };
  struct Row {
    std::string what;
    ReadResult read;
    std::vector<uint8_t> rowFlags;
  };
  const Row rows[] = {
      {".lox 16 splay, 2 duplicate, 1 surface",
       ReadTherionLox(Bytes(lox({16, 2, 1})), "t.lox"),
       {kLegSplay, kLegDuplicate, kLegSurface}},
      {".lox 18 splay and duplicate, 6 hidden",
       ReadTherionLox(Bytes(lox({0, 18, 6})), "t.lox"),
       {0, kLegSplay | kLegDuplicate}},
      {".plt S splay, L duplicate",
       ReadCompassPlot(Bytes("M 0 0 0 Sa\nD 0 1 0 Sb FS\nM 0 1 0 Sb\nD 0 2 0 Sc FL\n"), "t.plt"),
       {kLegSplay, kLegDuplicate}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    ASSERT_TRUE(r.read.ok()) << r.read.ErrorMessage();
    EXPECT_EQ(r.read.model.lineFlags, r.rowFlags);
  }
}

}  // namespace
}  // namespace mv
