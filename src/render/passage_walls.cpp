#include "render/passage_walls.h"

#include <algorithm>
#include <cmath>

#include "render/draw_helpers.h"
#include "render/scene_cache.h"
#include "view/survey_selection.h"

namespace mv {

namespace {

// How far the walls' colour goes from the lines' towards white.
constexpr int kLighterPercent = 45;

uint64_t NextWallsVersion() {
  static uint64_t v = 0;
  return ++v;
}

}  // namespace

Rgb WallShade(const Rgb& c) {
  const auto lighter = [](int32_t v) {
    v &= 0xFF;
    return v + (255 - v) * kLighterPercent / 100;
  };
  return {lighter(c.r), lighter(c.g), lighter(c.b)};
}

std::array<uint8_t, 3 * kDepthRampTexels> WallRampTable() {
  std::array<uint8_t, 3 * kDepthRampTexels> t = DepthRampTable();
  for (size_t i = 0; i < t.size(); i += 3) {
    const Rgb c = WallShade({t[i], t[i + 1], t[i + 2]});
    t[i] = static_cast<uint8_t>(c.r), t[i + 1] = static_cast<uint8_t>(c.g);
    t[i + 2] = static_cast<uint8_t>(c.b);
  }
  return t;
}

const PassageWalls& WallsCache::Walls(const SurveyModel& m) {
  if (!valid_ || generation_ != m.generation) {
    walls_ = BuildPassageWalls(m);
    generation_ = m.generation;
    version_ = NextWallsVersion();
    valid_ = true;
  }
  return walls_;
}

void ChooseWallDetail(const PassageWalls& w, const Mat4& modelView, const Mat4& projection,
                      int high, std::vector<WallDetail>& detail, std::vector<uint8_t>& meshDrawn,
                      const ViewState* v) {
  const auto& a = modelView.m;
  // The model-view turns and scales alike in every direction.
  const double scale = std::sqrt(a[0] * a[0] + a[1] * a[1] + a[2] * a[2]);
  const double fx = projection.m[0], fy = projection.m[5];
  const double slopeX = std::sqrt(1 + fx * fx), slopeY = std::sqrt(1 + fy * fy);
  const double pixels = 0.5 * std::max(1, high) * fy;  // a unit across at distance 1
  // How wide `across` metres at a ball of `reach` about (x, y, z) show at
  // their nearest, in pixels; negative when the ball lies out of view.
  const auto shown = [&](double x, double y, double z, double reach, double across) {
    const double ex = a[0] * x + a[4] * y + a[8] * z + a[12];
    const double ey = a[1] * x + a[5] * y + a[9] * z + a[13];
    const double dist = -(a[2] * x + a[6] * y + a[10] * z + a[14]);
    const double r = reach * scale;
    if (dist + r < kNearPlane || dist - r > kFarPlane) return -1.0;
    // Beyond a side of the view by more than its radius.
    if (fx * std::abs(ex) - dist > r * slopeX || fy * std::abs(ey) - dist > r * slopeY) return -1.0;
    return across * scale * pixels / std::max(dist - r, kNearPlane);
  };
  detail.resize(w.chunks.size());
  for (size_t i = 0; i < w.chunks.size(); ++i) {
    const WallChunk& c = w.chunks[i];
    const double px =
        v && !SurveyShown(*v, c.survey) ? -1 : shown(c.cx, c.cy, c.cz, c.reach, c.width);
    detail[i] = px < kLeastWallPixels  ? WallDetail::kSkip
                : px < kFineWallPixels ? WallDetail::kCoarse
                                       : WallDetail::kFine;
  }
  meshDrawn.resize(w.meshParts.size());
  for (size_t i = 0; i < w.meshParts.size(); ++i) {
    const WallMeshPart& p = w.meshParts[i];
    meshDrawn[i] = (!v || SurveyShown(*v, p.survey)) &&
                   shown(p.cx, p.cy, p.cz, p.reach, 2 * p.reach) >= kLeastWallPixels;
  }
}

void DrawPassageWalls(GlApi& gl, const ViewState& v, const SurveyModel& m, SceneCache& cache) {
  WallsCache& walls = cache.Walls();
  const PassageWalls& w = walls.Walls(m);
  if (w.empty()) return;
  WallsBatch b;
  b.walls = &w;
  b.version = walls.Version();
  b.shift[0] = ToFloat(Extended(m.originX) - Extended(v.CentreX));
  b.shift[1] = ToFloat(Extended(m.originY) - Extended(v.CentreY));
  int viewport[4] = {0, 0, 0, 0};
  gl.GetViewport(viewport);
  ChooseWallDetail(w, FrameModelView(v) * Translation(b.shift[0], b.shift[1], 0),
                   FrameProjection(viewport[2], viewport[3]), viewport[3], walls.Detail(),
                   walls.MeshDrawn(), &v);
  b.detail = walls.Detail().data();
  b.meshDrawn = walls.MeshDrawn().data();
  if (v.DepthColours) {
    // The lines' altitudes, with the walls' heights from the origin's.
    cache.SurveyLines(m, v.CentreX, v.CentreY, true);
    const DepthRange& r = cache.Depths();
    const double span = r.top - r.bottom;
    b.shaded = true;
    if (span > 0) {
      b.shade[2] = static_cast<float>(-1 / span);
      b.shade[3] = static_cast<float>((r.top - m.originZ.AsDouble()) / span);
    } else {
      b.shade[3] = 0.5f;
    }
  } else {
    const Rgb c = WallShade(v.LineColor);
    b.colour[0] = static_cast<uint8_t>(c.r), b.colour[1] = static_cast<uint8_t>(c.g);
    b.colour[2] = static_cast<uint8_t>(c.b);
  }
  if (v.HighlightedSurvey < 0 || v.HighlightedSurvey >= m.SurveyCount()) {
    gl.DrawWalls(b);
    gl.ClearDepth();
    return;
  }
  const std::vector<uint8_t> lit = Subtree(m, v.HighlightedSurvey);
  // The highlighted part as it is, then the rest dimmed.
  const auto inLit = [&lit](int32_t survey) {
    return survey >= 0 && static_cast<size_t>(survey) < lit.size() &&
           lit[static_cast<size_t>(survey)] != 0;
  };
  const Rgb plain{b.colour[0], b.colour[1], b.colour[2]};
  std::vector<WallDetail>& detail = walls.PassDetail();
  std::vector<uint8_t>& meshDrawn = walls.PassMeshDrawn();
  for (const bool litPass : {true, false}) {
    detail = walls.Detail();
    meshDrawn = walls.MeshDrawn();
    for (size_t i = 0; i < w.chunks.size(); ++i)
      if (inLit(w.chunks[i].survey) != litPass) detail[i] = WallDetail::kSkip;
    for (size_t i = 0; i < w.meshParts.size(); ++i)
      if (inLit(w.meshParts[i].survey) != litPass) meshDrawn[i] = 0;
    b.detail = detail.data();
    b.meshDrawn = meshDrawn.data();
    const float scale = litPass ? 1.0f : kDimmedLines;
    b.shadeScale = scale;
    const Rgb c = ScaledColour(plain, scale);
    b.colour[0] = static_cast<uint8_t>(c.r), b.colour[1] = static_cast<uint8_t>(c.g);
    b.colour[2] = static_cast<uint8_t>(c.b);
    gl.DrawWalls(b);
  }
  gl.ClearDepth();
}

}  // namespace mv
