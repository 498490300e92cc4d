// The passages' walls as a scene element: built once per survey, each frame
// drawn at the detail its size on the picture needs, lit from the eye, under
// the survey lines.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "data/passage_walls.h"
#include "render/depth_colours.h"
#include "render/gl_api.h"
#include "view/projection.h"
#include "view/view_state.h"

namespace mv {

class SceneCache;

// The light: a little everywhere, the rest from the eye.
inline constexpr float kWallAmbient = 0.3f;
inline constexpr float kWallDiffuse = 0.7f;
// A chunk narrower than this on the picture (pixels) is left to its survey
// line, which is a pixel wide: a tube would add a fringe of a pixel at most,
// for as many triangles as a wide one (the software renderer sets up some
// ten million triangles a second). One narrower than kFineWallPixels is
// drawn with its four measured points a ring only.
inline constexpr double kLeastWallPixels = 2.0;
inline constexpr double kFineWallPixels = 12.0;

// The walls' colour for a line colour, or for a depth colour: lighter, so
// the lines drawn over them stand out.
Rgb WallShade(const Rgb& c);
// The depth colour ramp as the walls show it, three bytes a texel.
std::array<uint8_t, 3 * kDepthRampTexels> WallRampTable();

// The walls of the survey, built on first use after each load, with what
// each frame needs besides.
class WallsCache {
 public:
  const PassageWalls& Walls(const SurveyModel& m);
  uint64_t Version() const { return version_; }
  std::vector<WallDetail>& Detail() { return detail_; }
  std::vector<uint8_t>& MeshDrawn() { return meshDrawn_; }
  // The part of them drawn in one pass beside a highlighted survey part.
  std::vector<WallDetail>& PassDetail() { return passDetail_; }
  std::vector<uint8_t>& PassMeshDrawn() { return passMeshDrawn_; }

 private:
  PassageWalls walls_;
  uint64_t generation_ = 0;
  uint64_t version_ = 0;
  bool valid_ = false;
  std::vector<WallDetail> detail_;
  std::vector<uint8_t> meshDrawn_;
  std::vector<WallDetail> passDetail_;
  std::vector<uint8_t> passMeshDrawn_;
};

// The detail of each chunk and whether each mesh part shows, for a frame
// seen through `modelView` (of the walls' own coordinates) and `projection`
// in a viewport `high` pixels high: parts outside the view or under a pixel
// wide are skipped, parts under kFineWallPixels wide drawn coarse. With `v`,
// so are the parts of surveys it hides.
void ChooseWallDetail(const PassageWalls& w, const Mat4& modelView, const Mat4& projection,
                      int high, std::vector<WallDetail>& detail, std::vector<uint8_t>& meshDrawn,
                      const ViewState* v = nullptr);

// Draws the walls of `m` and clears the depth, so that the lines and
// everything after them stay visible over the walls. Beside a highlighted
// part of the survey tree the other parts' walls are dimmed as their lines
// are.
void DrawPassageWalls(GlApi& gl, const ViewState& v, const SurveyModel& m, SceneCache& cache);

}  // namespace mv
