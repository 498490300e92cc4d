// The in-memory survey: stations, survey lines, origin and entrances, with
// the names and flags of the stations kept apart from their positions.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "data/real48.h"

namespace mv {

// Columns of one survey-line row: the shot count n, then up to 30 station rows.
inline constexpr int kLineColumns = 31;
inline constexpr int kMaxEntrances = 10;

// What a survey says about a station, where its format says it.
enum StationFlag : uint8_t {
  kStationEntrance = 1,
  kStationFixed = 2,
  // Every leg at the station is a splay: a point on the wall, not a survey
  // station (set when a load finishes, whatever the station's name).
  kStationSplayEnd = 4,
  // The format says the station has no name of its own (a wall point).
  kStationAnonymous = 8,
};

// The kind of a leg, as far as any format gives it; one byte per survey-line
// row (SurveyModel::lineFlags).
enum LegFlag : uint8_t {
  kLegSurface = 0x01,
  kLegDuplicate = 0x02,
  kLegSplay = 0x04,  // a shot from a station to the wall
};

// One node of the survey hierarchy. Node 0 is the root, the whole survey,
// named by the survey's title or its file's name; every other node's parent
// comes before it.
struct SurveyNode {
  int32_t parent;    // -1 for the root
  std::string name;  // this level's part only ("main", not "cave.main")
  bool operator==(const SurveyNode&) const = default;
};

// The shape a passage's section is drawn with, where the format says.
enum class SectionShape : uint8_t { kUnknown = 0, kOval, kSquare, kDiamond, kTunnel };

// CrossSection::flags.
enum SectionFlag : uint8_t {
  kSectionEnd = 0x01,  // the last section of its passage
  // Bits 1-3 hold the SectionShape.
  kSectionShapeShift = 1,
  kSectionShapeMask = 0x0e,
};

// The passage's size at a station: distances from it to the walls, in
// metres; NaN where the survey gives none. Readers store a measured size as
// a finite value from 0 to kMaxPassageSize; anything else is missing.
struct CrossSection {
  int32_t station;  // row in SurveyModel::stations
  float left, right, up, down;
  uint8_t flags;  // SectionFlag bits

  bool EndsPassage() const { return (flags & kSectionEnd) != 0; }
  SectionShape Shape() const {
    return static_cast<SectionShape>((flags & kSectionShapeMask) >> kSectionShapeShift);
  }
};

// Sizes above this (metres) are taken as faults and stored as missing.
inline constexpr float kMaxPassageSize = 10000.0f;

// A wall surface given as triangles (a Therion scrap).
struct WallMesh {
  // x, y, z of each point in metres, relative to the model's origin (the
  // survey's own coordinates less originX/Y/Z), so floats keep millimetres.
  std::vector<float> xyz;
  // Three point indices per triangle, each below xyz.size() / 3.
  std::vector<uint32_t> triangles;
  int32_t survey = 0;  // node in SurveyModel::surveys
};

// Names by row, in one block of characters: walking the names never touches
// the positions the drawers walk, and a name costs its bytes and one offset.
class NameTable {
 public:
  void Append(std::string_view name) {
    chars_.append(name);
    ends_.push_back(chars_.size());
  }
  std::string_view operator[](size_t row) const {
    const size_t begin = row == 0 ? 0 : ends_[row - 1];
    return std::string_view(chars_).substr(begin, ends_[row] - begin);
  }
  size_t size() const { return ends_.size(); }
  bool empty() const { return ends_.empty(); }
  size_t Bytes() const { return chars_.size(); }
  void Reserve(size_t rows, size_t bytes) {
    ends_.reserve(rows);
    chars_.reserve(bytes);
  }
  bool operator==(const NameTable&) const = default;

 private:
  std::string chars_;
  std::vector<size_t> ends_;
};

struct SurveyModel {
  // Row r holds X, Y, Z of station r at [3r], [3r + 1], [3r + 2]; the origin
  // has already been added.
  std::vector<double> stations;
  // Row r holds kLineColumns integers at [31r .. 31r + 30], exactly as read.
  std::vector<int32_t> lines;
  Real48 originX, originY, originZ;
  int32_t entranceCount = 0;
  std::array<int32_t, kMaxEntrances> entrances{};
  // Changes whenever the model is replaced, so cached geometry can tell.
  uint64_t generation = 0;

  // The survey's own title as its file gives it (the object name of the
  // survey folder); may be empty.
  std::string title;
  // Station names by row: empty when the source names no station (the
  // survey folder's files), else one per row (empty for an unnamed one).
  NameTable stationNames;
  // StationFlag bits by row: empty, or one per row.
  std::vector<uint8_t> stationFlags;
  // Entrances past the first kMaxEntrances, from sources that list more
  // (the survey folder's object file holds at most kMaxEntrances).
  std::vector<int32_t> moreEntrances;
  // The names of entrances[0 .. entranceCount - 1], then of moreEntrances,
  // when the source names them, else empty.
  std::vector<std::string> entranceNames;
  // Names of stations besides the one in stationNames (equated stations of
  // one point), in the order the source gives them: aliasNames[k] belongs to
  // station aliasRows[k], and aliasRows ascends.
  std::vector<int32_t> aliasRows;
  NameTable aliasNames;

  // LegFlag bits of every leg of a survey-line row (a row never mixes kinds):
  // empty when every row holds plain legs, else one per row.
  std::vector<uint8_t> lineFlags;

  // The survey hierarchy: empty, or the root and its descendants. Each
  // station and each survey-line row belongs to one node (a row never spans
  // two); empty per-row vectors put everything in the root.
  std::vector<SurveyNode> surveys;
  std::vector<int32_t> stationSurvey;  // by station row
  std::vector<int32_t> lineSurvey;     // by survey-line row

  // Passage sizes in the order the source gives them: a passage is a run of
  // sections ending at one flagged kSectionEnd.
  std::vector<CrossSection> sections;
  // Wall surfaces the source gives ready made.
  std::vector<WallMesh> meshes;

  int32_t StationCount() const { return static_cast<int32_t>(stations.size() / 3); }
  int32_t SurveyLineCount() const { return static_cast<int32_t>(lines.size() / kLineColumns); }
  double X(int32_t row) const { return stations[3 * static_cast<size_t>(row)]; }
  double Y(int32_t row) const { return stations[3 * static_cast<size_t>(row) + 1]; }
  double Z(int32_t row) const { return stations[3 * static_cast<size_t>(row) + 2]; }
  const int32_t* Line(int32_t row) const { return &lines[kLineColumns * static_cast<size_t>(row)]; }
  bool ValidStation(int64_t row) const { return row >= 0 && row < StationCount(); }
  std::string_view StationName(int32_t row) const {
    return static_cast<size_t>(row) < stationNames.size() ? stationNames[row] : std::string_view();
  }
  uint8_t StationFlags(int32_t row) const {
    return static_cast<size_t>(row) < stationFlags.size() ? stationFlags[row] : 0;
  }
  uint8_t LineFlags(int32_t row) const {
    return static_cast<size_t>(row) < lineFlags.size() ? lineFlags[row] : 0;
  }
  int32_t SurveyCount() const { return surveys.empty() ? 1 : static_cast<int32_t>(surveys.size()); }
  int32_t StationSurvey(int32_t row) const {
    return static_cast<size_t>(row) < stationSurvey.size() ? stationSurvey[row] : 0;
  }
  int32_t LineSurvey(int32_t row) const {
    return static_cast<size_t>(row) < lineSurvey.size() ? lineSurvey[row] : 0;
  }
};

// The name of survey node `node` with its ancestors' below the root,
// joined by `separator` ("cave.main"); empty for the root.
std::string SurveyPath(const SurveyModel& m, int32_t node, char separator = '.');

// Rows of the survey nodes' children: children[k] lists the nodes whose
// parent is k, ascending. A model with no tree has the root alone.
std::vector<std::vector<int32_t>> SurveyChildren(const SurveyModel& m);

// Every entrance of the survey, each row once, ascending: the valid rows of
// the first entranceCount slots (at most kMaxEntrances), then the rest.
std::vector<int32_t> EntranceRows(const SurveyModel& m);

// The name the source gives entrance `row`, or empty.
std::string_view EntranceName(const SurveyModel& m, int32_t row);

// Every name of station `row`: the descriptive ones first (a name that is
// more than a survey path and a station number, such as an entrance's
// name), otherwise in the order the source gives them. Empty where the
// source names the station not at all.
std::vector<std::string_view> StationNames(const SurveyModel& m, int32_t row);

// Whether a name says more than where a station lies in its survey: its
// last dotted part has at least three letters and more letters than digits
// ("otwor_polnocny", not "glowny.c130" or "12a").
bool DescriptiveName(std::string_view name);

// The first promise of the model's shape that `m` breaks, or an empty
// string: line rows within their stations, per-row and per-station vectors
// empty or full, the survey tree with each parent before its child,
// sections at stations with sizes missing or within range, mesh corners
// among their points, every coordinate finite. Whatever a reader returns
// keeps them all.
std::string ModelFault(const SurveyModel& m);

// A new value for SurveyModel::generation, different from every earlier one.
uint64_t NextModelGeneration();

// Two stations at the origin joined by one line; in force before the first
// load and after a failed one.
SurveyModel PlaceholderModel();

// Bounding box of the stations and the origin point.
struct Extents {
  Real48 minX, maxX, minY, maxY, minZ, maxZ;
  bool operator==(const Extents&) const = default;
};

// The box starts at the origin (so the origin always lies inside) and widens
// by every station. Each bound is held as a six-byte real.
Extents ComputeExtents(const SurveyModel& m);

// The middle between two bounds of the box: Max - (Max - Min) * 0.5, in
// extended precision.
long double MiddleOf(Real48 min, Real48 max);
// The same held as a six-byte real, as the rotation axis is.
Real48 CentreOf(Real48 min, Real48 max);

// The largest side of the box; a later side replaces an earlier only when
// strictly greater.
long double ModelSize(const Extents& e);

// exp(2.56437 - 0.834415 ln(size)); size must be positive.
Real48 FittedZoom(long double size);

}  // namespace mv
