// Building the survey model from what a reader finds, the same way for every
// format.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "data/read_result.h"
#include "data/real48.h"
#include "data/survey_model.h"

namespace mv {

// A position in the file's own units and axes turned to x east, y north,
// z up.
struct RawPoint {
  double x, y, z;
  bool operator==(const RawPoint&) const = default;
};

// Positions numbered in the order they are first added, found again
// through an open-addressing table kept at most half full. -0 and +0 are the
// same place.
class PointIndex {
 public:
  explicit PointIndex(size_t minSlots) : minSlots_(minSlots) {}

  // The number of p; -1 when it was never added or the table was dropped.
  int32_t Find(RawPoint p) const;
  // The number of p, added when new (then `added` is set). Numbers are
  // 32-bit everywhere in the model: past them it throws ModelLimit.
  int32_t Add(RawPoint p, bool* added = nullptr);

  const std::vector<RawPoint>& Points() const { return points_; }
  size_t Size() const { return points_.size(); }
  // Frees the table; the points stay, Find no longer finds them.
  void DropTable() { std::vector<int32_t>().swap(slots_); }
  void DropPoints() { std::vector<RawPoint>().swap(points_); }

 private:
  void Grow();

  size_t minSlots_;
  std::vector<RawPoint> points_;  // by number
  std::vector<int32_t> slots_;    // numbers, -1 for a free slot
};

// Builds the model from positions: one station row per distinct position
// that a kept leg or a kept entrance touches; consecutive legs share a
// survey-line row (at most 29 shots each) until a move, a left-out leg, or a
// leg of another kind (flags) or survey breaks the chain. Names, flags,
// surveys and cross-sections may be given for any position before or after
// its legs; they go to the station there, if there is one. The first name
// given for a position is the station's own, later different ones its
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

  // A leg's survey that the builder finds from its stations' surveys.
  static constexpr int32_t kSurveyOfStations = -1;

  ModelBuilder() : ModelBuilder(Units{1.0, 1.0}) {}
  explicit ModelBuilder(Units units);

  // The name bytes kept, pending names and survey names included, may not
  // exceed `bytes`; past it the builder throws ModelLimit. Readers set it
  // from their input's size, so a file cannot make its names take far more
  // memory than itself.
  void SetNameBudget(size_t bytes) { nameBudget_ = bytes; }

  // Starts a new chain at p.
  void MoveTo(RawPoint p);
  // A kept leg from the current point to p, of LegFlag kind `flags`, in
  // survey node `survey`; there must be a current point.
  void LineTo(RawPoint p, uint8_t flags = 0, int32_t survey = 0);
  // A left-out leg to p: the chain breaks and p becomes the current point.
  void LeaveOut(RawPoint p);
  // A kept leg that continues the chain when `from` is its current point and
  // starts a new one otherwise.
  void Leg(RawPoint from, RawPoint to, uint8_t flags = 0, int32_t survey = 0);
  bool HasCurrentPoint() const { return haveAt_; }
  bool HasLegs() const { return !lines_.empty(); }

  // A name of the station at p, and the survey it names it in (see
  // InSurvey; -1 for none).
  void Name(RawPoint p, std::string_view name, int32_t survey = -1);
  void Flag(RawPoint p, uint8_t flags);
  // An entrance: distinct positions count once, each a station with its
  // name; the first kMaxEntrances fill the model's entrance slots, the rest
  // go to moreEntrances.
  void Entrance(RawPoint p, std::string_view name);
  int64_t EntrancesFound() const { return entrancesFound_; }

  // Survey nodes. Node 0 is the root (named at Finish). The same name under
  // the same parent is the same node.
  int32_t SurveyChild(int32_t parent, std::string_view name);
  // The node of a path of names joined by `separator` ("cave.main"), each
  // prefix a node; an empty path is the root. The path's bytes count
  // against the name budget, each call.
  int32_t SurveyPath(std::string_view path, char separator);
  // The nodes so far (the root's name is given at Finish).
  const std::vector<SurveyNode>& Surveys() const { return surveys_; }
  // The station at p belongs to `survey` (the first survey given wins). A
  // station given none takes the survey of its first leg.
  void InSurvey(RawPoint p, int32_t survey);

  // A passage's size at the station at p, or at the station with the name
  // `station` (own name or alias); `s.station` is ignored. Sizes outside
  // 0..kMaxPassageSize, NaN included, are kept as missing. A section whose
  // station is not in the model is dropped with a warning; a passage's end
  // flag then passes to the section before it.
  void Section(RawPoint p, CrossSection s);
  void Section(std::string_view station, CrossSection s);
  // Ends the passage at the last section given, if any.
  void EndPassage() {
    if (!sections_.empty()) sections_.back().s.flags |= kSectionEnd;
  }
  // A wall mesh in raw units; indices must lie within its points.
  void Mesh(std::vector<RawPoint> points, std::vector<uint32_t> triangles, int32_t survey);

  // The model (origin rule applied, splays classified); the builder is
  // spent afterwards. The root survey is named `title`, or `sourceName`'s
  // file name when the title is empty. Throws ModelLimit when the positions
  // span more than kMaxSpan metres.
  SurveyModel Finish(std::string title, std::string_view sourceName = {});
  // What Finish skipped, one line each beginning with `file` (at most
  // kMaxWarnings lines and one saying how many more).
  std::vector<std::string> TakeWarnings(std::string_view file);

  // Coordinates (metres) further apart than this are a broken file.
  static constexpr double kMaxSpan = 1e9;
  static constexpr size_t kMaxWarnings = 100;

 private:
  int32_t RowOf(RawPoint p) { return rows_.Add(p); }           // adds the position when new
  int32_t FindRow(RawPoint p) const { return rows_.Find(p); }  // -1 when absent
  void StartRow(int32_t first, uint8_t flags, int32_t survey);
  void Spend(size_t nameBytes);
  void Warn(std::string line);
  void FinishSurveys(SurveyModel& m, std::string rootName);
  void FinishSections(SurveyModel& m);
  void FinishMeshes(SurveyModel& m, double ox, double oy, double oz);

  Units units_;
  PointIndex rows_{64};  // station positions by row
  std::vector<int32_t> lines_;
  std::vector<uint8_t> lineFlags_;
  std::vector<int32_t> lineSurvey_;
  size_t rowBase_ = 0;
  RawPoint at_{};
  bool haveAt_ = false;
  bool chainOpen_ = false;

  struct Pending {
    RawPoint p;
    size_t begin, size;  // in pendingChars_; size 0 with flags or survey only
    int32_t survey;      // -1 for none
    uint8_t flags;
  };
  std::vector<Pending> pending_;
  std::string pendingChars_;
  size_t nameBudget_ = SIZE_MAX;
  size_t nameBytes_ = 0;

  // Survey nodes, interned by (parent, name); the last path looked up is
  // remembered, since stations of one survey come together.
  std::vector<SurveyNode> surveys_;
  std::unordered_map<std::string, int32_t> surveyIndex_;
  std::string lastPath_;
  int32_t lastPathNode_ = 0;
  char lastSeparator_ = 0;

  struct PendingSection {
    RawPoint p;
    size_t begin, size;  // the station's name in sectionNames_; size 0: by position
    CrossSection s;
  };
  std::vector<PendingSection> sections_;
  std::string sectionNames_;

  struct PendingMesh {
    std::vector<RawPoint> points;
    std::vector<uint32_t> triangles;
    int32_t survey;
  };
  std::vector<PendingMesh> meshes_;

  std::vector<std::string> warnings_;
  size_t warningsDropped_ = 0;

  PointIndex entrancePoints_{16};  // every distinct one seen
  int64_t entrancesFound_ = 0;
  SurveyModel model_;
};

}  // namespace mv
