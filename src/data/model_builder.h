// Building the survey model from what a reader finds, the same way for every
// format, and finishing a load (box, centre, zoom).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "data/real48.h"
#include "data/source_reader.h"
#include "data/survey_model.h"

namespace mv {

// A position in the file's own units and axes turned to x east, y north,
// z up.
struct RawPoint {
  double x, y, z;
  bool operator==(const RawPoint&) const = default;
};

// Builds the model from positions: one station row per distinct position
// that a kept leg or a kept entrance touches; consecutive legs share a
// survey-line row (at most 29 shots each) until a move or a left-out leg
// breaks the chain. Names and flags may be given for any position before or
// after its legs; they go to the station there, if there is one. The first
// name given for a position is the station's own, later different ones its
// aliases.
//
// The origin is the lower corner of the stations' box in x and y rounded
// down to whole metres and the top of the box rounded up to a whole metre in
// z, so every station lies within the box's size of it and z never exceeds
// it. Each station is the origin plus its offset from it.
class ModelBuilder {
 public:
  // metres = raw * multiply / divide: a .3d gives centimetres (divide 100),
  // a .plt feet (multiply 0.3048). Dividing by 100 keeps the offsets of a
  // .3d the same doubles the survey folder's files give once written.
  struct Units {
    double multiply = 1.0;
    double divide = 1.0;
  };

  ModelBuilder() : ModelBuilder(Units{1.0, 1.0}) {}
  explicit ModelBuilder(Units units);

  // The name bytes kept, pending names included, may not exceed `bytes`;
  // past it the builder throws ModelLimit. Readers set it from their input's
  // size, so a file cannot make its names take far more memory than itself.
  void SetNameBudget(size_t bytes) { nameBudget_ = bytes; }

  // Starts a new chain at p.
  void MoveTo(RawPoint p);
  // A kept leg from the current point to p; there must be a current point.
  void LineTo(RawPoint p);
  // A left-out leg to p: the chain breaks and p becomes the current point.
  void LeaveOut(RawPoint p);
  // A kept leg that continues the chain when `from` is its current point and
  // starts a new one otherwise.
  void Leg(RawPoint from, RawPoint to);
  bool HasCurrentPoint() const { return haveAt_; }
  bool HasLegs() const { return !lines_.empty(); }

  void Name(RawPoint p, std::string_view name);
  void Flag(RawPoint p, uint8_t flags);
  // An entrance: distinct positions count once, each a station with its
  // name; the first kMaxEntrances fill the model's entrance slots, the rest
  // go to moreEntrances.
  void Entrance(RawPoint p, std::string_view name);
  int64_t EntrancesFound() const { return entrancesFound_; }

  // The model (origin rule applied); the builder is spent afterwards.
  SurveyModel Finish(std::string title);

 private:
  int32_t RowOf(RawPoint p);          // adds the position when new
  int32_t FindRow(RawPoint p) const;  // -1 when absent
  void Grow();
  void StartRow(int32_t first);
  void Spend(size_t nameBytes);

  Units units_;
  std::vector<RawPoint> points_;  // by row
  std::vector<int32_t> slots_;    // open addressing over rows, at most half full
  std::vector<int32_t> lines_;
  size_t rowBase_ = 0;
  RawPoint at_{};
  bool haveAt_ = false;
  bool chainOpen_ = false;

  struct Pending {
    RawPoint p;
    size_t begin, size;  // in pendingChars_; size 0 with flags only
    uint8_t flags;
  };
  std::vector<Pending> pending_;
  std::string pendingChars_;
  size_t nameBudget_ = SIZE_MAX;
  size_t nameBytes_ = 0;

  std::vector<RawPoint> entrancePoints_;  // every distinct one seen
  std::vector<int32_t> entranceSlots_;
  int64_t entrancesFound_ = 0;
  SurveyModel model_;
};

struct LoadResult {
  bool ok = false;
  SurveyModel model;  // the loaded survey when ok
  SourceInfo info;
  Extents box;
  Real48 centreX, centreY;
  Real48 zoom;
  // The files were read and the lines switched on before the load failed
  // (a survey with no extent): the failure keeps the lines visible.
  bool linesShown = false;
  // When not ok: one line saying what failed, naming the file and the place.
  std::string error;
};

// The common end of every load: bounding box, centre, size and zoom of an
// already filled model. Fails only when the model has no extent.
LoadResult FinishLoad(SurveyModel&& model);

// A reader's result finished the same way; a failed read stays failed, and
// a survey without extent is named after `source`.
LoadResult FinishLoad(ReadResult&& read, std::string_view source);

}  // namespace mv
