// What dump3d lists for a .3d file, parsed for the tests, and the same view
// of a model read by any reader.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "data/read_result.h"
#include "data/survey_model.h"

namespace mv {

// A position in centimetres.
using Cm = std::array<int64_t, 3>;

inline Cm CmOf(const SurveyModel& m, int32_t row) {
  return {std::llround(m.X(row) * 100), std::llround(m.Y(row) * 100), std::llround(m.Z(row) * 100)};
}

// An XSECT line of a dump: sizes in metres (-0.01 for omitted ones).
struct DumpSection {
  double left, right, up, down;
  std::string station;
  bool end = false;
};

// What a dump3d listing says about the legs and entrances, and the survey
// lines the model should hold for the given options.
struct Expected {
  std::vector<std::vector<Cm>> rows;  // station positions of each line row
  std::vector<uint8_t> rowFlags;      // LegFlag bits of each row
  std::set<Cm> stations;
  std::vector<Cm> entrances;  // first ten distinct, in file order
  std::vector<std::string> entranceNames;
  std::map<Cm, std::string> names;             // the first label at each position
  std::map<Cm, uint8_t> flags;                 // StationFlag bits at each position
  std::map<Cm, std::set<std::string>> labels;  // every label at each position
  int64_t legs = 0, splays = 0, surface = 0, duplicates = 0, leftOut = 0, entrancesFound = 0;
  std::string coordinateSystem;
  int version = 0;
  std::vector<DumpSection> sections;
};

// Parses a dump3d listing; the rows are those a reader keeping the legs
// `options` keep would build.
Expected ParseDump(const std::string& path, const LegOptions& options);

// The positions of each survey-line row of a model.
std::vector<std::vector<Cm>> RowsOf(const SurveyModel& m);

// Legs as unordered pairs of positions, whatever their order and chaining.
using Legs = std::multiset<std::pair<Cm, Cm>>;
Legs LegsOf(const std::vector<std::vector<Cm>>& rows);

// Whatever a reader accepts must be safe to draw.
void ExpectDrawable(const ReadResult& s);

// The whole of a file; empty when it cannot be read.
std::vector<uint8_t> ReadBytes(const std::string& path);

}  // namespace mv
