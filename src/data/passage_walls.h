// The passages' walls as closed surfaces, built once from the survey's
// cross-sections: a tube of rings along each run of sections, each ring
// through its section's four measured points, and the survey's own wall
// meshes beside them; with the pieces the picture draws at coarser detail.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "data/survey_model.h"

namespace mv {

// Points of a ring at full detail, counter-clockwise seen from ahead: every
// other one, from the first, is a measured point (right, up, left, down in
// some turn of that order), so the coarse ring of those four is a subset.
inline constexpr int kRingPoints = 8;
// Tube segments (ring to ring) in one drawing piece at most.
inline constexpr int kChunkSegments = 16;

// A point of the walls: metres relative to the model's origin (the survey's
// coordinates less originX/Y/Z), and the outward unit normal times 127.
struct WallVertex {
  float x, y, z;
  int8_t nx, ny, nz, unused;
};
static_assert(sizeof(WallVertex) == 16);

// One tube: `rings` rings of kRingPoints vertices from `first`. A capped end
// has one more vertex, the tip of a low cone over its end ring. An end is
// left open where its ring has no area (it closes on itself) or lies inside
// another tube that passes through its station (a side passage's mouth).
struct WallTube {
  int32_t first = 0;
  int32_t rings = 0;
  int32_t startTip = -1, endTip = -1;  // vertices, or -1 for an open end

  int32_t Ring(int32_t r) const { return first + r * kRingPoints; }
};

// A run of at most kChunkSegments segments of one tube, with the ball that
// holds it, for the picture's choice of detail. A chunk that holds a tube's
// first or last segment also draws that end's cap.
struct WallChunk {
  int32_t tube = 0;
  int32_t firstSegment = 0;
  int32_t segments = 0;
  float cx = 0, cy = 0, cz = 0;  // centre, as the vertices
  float reach = 0;               // radius of the ball about the centre
  float width = 0;               // the widest ring across, metres
  int32_t survey = -1;           // the survey node of its first measured station
};

// A wall mesh of the survey as triangles of its own (unshared) vertices with
// the face's normal, from `firstIndex` in PassageWalls::meshTriangles.
struct WallMeshPart {
  int32_t firstIndex = 0;
  int32_t indices = 0;
  float cx = 0, cy = 0, cz = 0, reach = 0;
  int32_t survey = -1;  // the mesh's survey node
};

struct PassageWalls {
  std::vector<WallVertex> vertices;
  std::vector<WallTube> tubes;
  std::vector<WallChunk> chunks;
  // Three vertex indices a triangle, counter-clockwise seen from the side
  // the normal points to; the meshes' surfaces need not be closed, so they
  // are lit on both sides.
  std::vector<uint32_t> meshTriangles;
  std::vector<WallMeshPart> meshParts;
  int64_t sections = 0;  // cross-sections that gave a ring

  bool empty() const { return chunks.empty() && meshParts.empty(); }
  // The memory the walls hold, in bytes.
  size_t Bytes() const;
};

// How finely a chunk is drawn: every ring point, or the four measured ones.
enum class WallDetail : uint8_t { kSkip = 0, kCoarse = 1, kFine = 2 };

// Appends the triangles of `c` (three vertex indices each, counter-clockwise
// from outside) at the given detail, caps included. kSkip appends none.
void AppendChunkTriangles(const PassageWalls& w, const WallChunk& c, WallDetail detail,
                          std::vector<uint32_t>& out);
// The same written from `out` on, which must have room for
// 3 x ChunkTriangleCount indices; returns the end of what was written.
uint32_t* WriteChunkTriangles(const PassageWalls& w, const WallChunk& c, WallDetail detail,
                              uint32_t* out);
// Triangles of a chunk at a detail, without making them.
int32_t ChunkTriangleCount(const PassageWalls& w, const WallChunk& c, WallDetail detail);

// How a ring was placed, for tests and diagnostics: its section, its centre
// (the station, relative to the origin), the unit vectors to the right wall
// and to the roof, and the sizes it was drawn with (a missing one
// interpolated). The ring's measured points are centre + right * side,
// centre - left * side, centre + up * roof, centre - down * roof.
struct WallRingFrame {
  int32_t section = 0;  // index into SurveyModel::sections; -1: a stub's far end
  int32_t tube = 0;
  double x = 0, y = 0, z = 0;
  double side[3] = {0, 0, 0};
  double roof[3] = {0, 0, 0};
  float left = 0, right = 0, up = 0, down = 0;
  // The ring leans with its passage (a steep one) instead of standing
  // upright with its roof straight up.
  bool tilted = false;
  // The first ring point's direction from the centre (one of +-side, +-roof).
  double start[3] = {0, 0, 0};
};

// Builds the walls of `m`: tubes from its sections and its meshes as they
// are. With `frames`, also says how every ring was placed, tube by tube
// and ring by ring.
PassageWalls BuildPassageWalls(const SurveyModel& m, std::vector<WallRingFrame>* frames = nullptr);

}  // namespace mv
