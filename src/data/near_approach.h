// Where two parts of a survey come closest: the k closest approaches
// between the legs of a node of the survey tree and those of another node
// or of the rest of the survey, the places to look for a connection.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "data/survey_model.h"

namespace mv {

struct ApproachQuery {
  int32_t node = 0;    // one part: this node and its descendants
  int32_t other = -1;  // the other: a node and its descendants, or -1 for the rest
  int k = 10;
  bool splays = false;  // whether splays count as passage
};

// One approach: the closest points of a leg of each part.
struct Approach {
  double distance = 0;                 // metres
  std::array<double, 3> from{}, to{};  // the closest points, `node`'s side first
  double dx() const { return to[0] - from[0]; }
  double dy() const { return to[1] - from[1]; }
  double dz() const { return to[2] - from[2]; }
  // The nearer end of each leg to its closest point.
  int32_t fromStation = -1, toStation = -1;
};

struct ApproachResult {
  enum class Problem {
    kNone,
    kNoSuchNode,  // a node that the survey has not
    kOverlap,     // the two parts share legs (one node lies within the other)
    kNoLegs,      // a part has no legs to compare (surface legs never count)
  };
  Problem problem = Problem::kNone;
  std::vector<Approach> approaches;  // nearest first, at most k
};

// Two legs joined through the survey by at most this many legs between
// their nearest ends are neighbours, not an approach.
inline constexpr int kJoinedWithinLegs = 3;
// Approaches whose stations lie this close (metres) on both sides are one.
inline constexpr double kSameApproachMetres = 5.0;

// The k closest approaches, each the closest pair of legs not joined within
// kJoinedWithinLegs and not the same approach as a closer one; surface legs
// are never part of either side. A pair counts only where the parts come
// closest locally: if its closest point is a leg's end and another leg of
// that part at that end comes closer, the pair merely leads to a closer one. Pairs are met nearest
// first, through a bounding-volume tree over the larger part's legs, so only legs near the answer
// are ever measured.
ApproachResult FindApproaches(const SurveyModel& m, const ApproachQuery& q);

// The same answer by measuring every pair; for tests.
ApproachResult FindApproachesBruteForce(const SurveyModel& m, const ApproachQuery& q);

// The closest points of segments p0-p1 and q0-q1: the parameters s, t in
// [0, 1] along each; the squared distance is returned.
double SegmentDistanceSquared(const double* p0, const double* p1, const double* q0,
                              const double* q1, double& s, double& t);

}  // namespace mv
