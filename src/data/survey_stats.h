// How long, deep and wide each part of a survey is: counts, lengths and
// extents per node of the survey tree, its descendants included.
#pragma once

#include <cstdint>
#include <vector>

#include "data/survey_model.h"

namespace mv {

// Where a survey reaches furthest one way: the coordinate (metres) and the
// station there (-1 when the part has no legs).
struct Reach {
  double at = 0;
  int32_t station = -1;
};

struct SurveyStats {
  // Legs of each kind: `legs` counts them all; a leg with two flags (a
  // surface splay) counts in both kinds.
  int64_t legs = 0;
  int64_t splays = 0;
  int64_t duplicates = 0;
  int64_t surfaceLegs = 0;
  // Survey stations (wall points, whose every leg is a splay, not counted)
  // and entrances.
  int64_t stations = 0;
  int64_t entrances = 0;

  // Metres between the stations' positions. `length`, `horizontalLength`
  // and `verticalLength` count the plain legs only: no splay, duplicate or
  // surface leg. The other three count each kind apart.
  double length = 0;
  double horizontalLength = 0;
  double verticalLength = 0;
  double splayLength = 0;
  double duplicateLength = 0;
  double surfaceLength = 0;

  // Extents over the stations of the legs underground (all but surface
  // legs: splays reach the walls, as cavern counts them too): top and bottom
  // in z, north and south in y, east and west in x. Stations -1 when there
  // are none.
  Reach highest, lowest, north, south, east, west;

  bool HasExtent() const { return highest.station >= 0; }
  double VerticalRange() const { return HasExtent() ? highest.at - lowest.at : 0; }
  double NorthSouthRange() const { return HasExtent() ? north.at - south.at : 0; }
  double EastWestRange() const { return HasExtent() ? east.at - west.at : 0; }
};

// The figures of every node (index = node; a model without a tree has the
// root alone), each with its descendants'. One pass over the legs and
// stations, then one over the nodes.
std::vector<SurveyStats> ComputeSurveyStats(const SurveyModel& m);

// Whether `node` is `ancestor` or lies below it.
bool InSubtree(const SurveyModel& m, int32_t node, int32_t ancestor);

// The node whose path (SurveyPath with `separator`) is `path`, or -1; the
// empty path is the root.
int32_t FindSurvey(const SurveyModel& m, std::string_view path, char separator = '.');

}  // namespace mv
