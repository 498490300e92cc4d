// The passage walls: closed tubes through every measured point, facing out,
// on real and made-up surveys, through shafts, hairpins, junctions and bad
// sizes.
#include "data/passage_walls.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "data/reader_table.h"

namespace mv {
namespace {

using P3 = std::array<double, 3>;

P3 Sub(P3 a, P3 b) {
  return {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
}
double Dot(P3 a, P3 b) {
  return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}
P3 Cross(P3 a, P3 b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
P3 Scaled(P3 a, double k) {
  return {a[0] * k, a[1] * k, a[2] * k};
}
P3 Add(P3 a, P3 b) {
  return {a[0] + b[0], a[1] + b[1], a[2] + b[2]};
}
double Norm(P3 a) {
  return std::sqrt(Dot(a, a));
}

P3 At(const PassageWalls& w, uint32_t i) {
  const WallVertex& v = w.vertices[i];
  return {v.x, v.y, v.z};
}
P3 NormalAt(const PassageWalls& w, uint32_t i) {
  const WallVertex& v = w.vertices[i];
  return {v.nx / 127.0, v.ny / 127.0, v.nz / 127.0};
}

std::vector<uint32_t> TubeTriangles(const PassageWalls& w, int32_t tube, WallDetail detail) {
  std::vector<uint32_t> out;
  for (const WallChunk& c : w.chunks)
    if (c.tube == tube) AppendChunkTriangles(w, c, detail, out);
  return out;
}

// Distance from p to the triangle abc (the closest point by regions).
double PointTriangle(P3 p, P3 a, P3 b, P3 c) {
  const P3 ab = Sub(b, a), ac = Sub(c, a), ap = Sub(p, a);
  const double d1 = Dot(ab, ap), d2 = Dot(ac, ap);
  if (d1 <= 0 && d2 <= 0) return Norm(ap);
  const P3 bp = Sub(p, b);
  const double d3 = Dot(ab, bp), d4 = Dot(ac, bp);
  if (d3 >= 0 && d4 <= d3) return Norm(bp);
  const double vc = d1 * d4 - d3 * d2;
  if (vc <= 0 && d1 >= 0 && d3 <= 0) return Norm(Sub(p, Add(a, Scaled(ab, d1 / (d1 - d3)))));
  const P3 cp = Sub(p, c);
  const double d5 = Dot(ab, cp), d6 = Dot(ac, cp);
  if (d6 >= 0 && d5 <= d6) return Norm(cp);
  const double vb = d5 * d2 - d1 * d6;
  if (vb <= 0 && d2 >= 0 && d6 <= 0) return Norm(Sub(p, Add(a, Scaled(ac, d2 / (d2 - d6)))));
  const double va = d3 * d6 - d5 * d4;
  if (va <= 0 && d4 - d3 >= 0 && d5 - d6 >= 0)
    return Norm(Sub(p, Add(b, Scaled(Sub(c, b), (d4 - d3) / ((d4 - d3) + (d5 - d6))))));
  const double denom = 1 / (va + vb + vc);
  return Norm(Sub(p, Add(a, Add(Scaled(ab, vb * denom), Scaled(ac, vc * denom)))));
}

// Whether a ray from p crosses the triangles an odd number of times.
bool InsideOf(const PassageWalls& w, const std::vector<uint32_t>& tris, P3 p) {
  const P3 dir{0.5773, 0.5771, 0.5779};
  int crossings = 0;
  for (size_t t = 0; t + 2 < tris.size(); t += 3) {
    const P3 a = At(w, tris[t]), b = At(w, tris[t + 1]), c = At(w, tris[t + 2]);
    const P3 e1 = Sub(b, a), e2 = Sub(c, a), h = Cross(dir, e2);
    const double det = Dot(e1, h);
    if (std::abs(det) < 1e-15) continue;
    const P3 s = Sub(p, a);
    const double u = Dot(s, h) / det;
    if (u < 0 || u > 1) continue;
    const P3 q = Cross(s, e1);
    const double v = Dot(dir, q) / det;
    if (v < 0 || u + v > 1) continue;
    if (Dot(e2, q) / det > 0) ++crossings;
  }
  return crossings % 2 == 1;
}

// Vertices at one place are one point of the surface.
class Weld {
 public:
  int Id(P3 p) {
    for (double& c : p) c += 0.0;  // -0 and +0 are one place
    return ids_.emplace(p, static_cast<int>(ids_.size())).first->second;
  }

 private:
  std::map<P3, int> ids_;
};

double Degrees(P3 a, P3 b) {
  const double c = Dot(a, b) / (Norm(a) * Norm(b));
  return std::acos(std::clamp(c, -1.0, 1.0)) * 180 / 3.14159265358979323846;
}

// Everything the walls promise, checked against the survey they came from.
// Counts the junction mouths: tube ends left open inside another tube.
void CheckWalls(const SurveyModel& m, const PassageWalls& w,
                const std::vector<WallRingFrame>& frames, int* mouths = nullptr) {
  int open = 0;
  for (const WallVertex& v : w.vertices) {
    ASSERT_TRUE(std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z));
    const double n = std::sqrt(double(v.nx) * v.nx + double(v.ny) * v.ny + double(v.nz) * v.nz);
    EXPECT_NEAR(n, 127, 2);
  }
  // Frames come tube by tube, ring by ring.
  std::vector<std::vector<const WallRingFrame*>> ringsOf(w.tubes.size());
  for (const WallRingFrame& f : frames) ringsOf[static_cast<size_t>(f.tube)].push_back(&f);

  for (size_t t = 0; t < w.tubes.size(); ++t) {
    SCOPED_TRACE("tube " + std::to_string(t));
    const WallTube& tube = w.tubes[t];
    const auto& rings = ringsOf[t];
    ASSERT_EQ(rings.size(), static_cast<size_t>(tube.rings));

    for (size_t r = 0; r < rings.size(); ++r) {
      const WallRingFrame& f = *rings[r];
      const P3 side{f.side[0], f.side[1], f.side[2]}, roof{f.roof[0], f.roof[1], f.roof[2]};
      EXPECT_NEAR(Norm(side), 1, 1e-9);
      EXPECT_NEAR(Norm(roof), 1, 1e-9);
      EXPECT_NEAR(Dot(side, roof), 0, 1e-9);
      if (!f.tilted) {
        // Upright: the roof straight up, the walls level.
        EXPECT_EQ(roof, (P3{0, 0, 1}));
        EXPECT_EQ(side[2], 0);
      }
      // Ring points face away from the station.
      const P3 centre{f.x, f.y, f.z};
      for (int j = 0; j < kRingPoints; ++j) {
        const uint32_t i = static_cast<uint32_t>(tube.Ring(static_cast<int32_t>(r)) + j);
        const P3 out = Sub(At(w, i), centre);
        // (A point on a flat side faces square to the way out: 0 then. The
        // station itself, a float, may be a fraction of a millimetre off.)
        if (Norm(out) > 1e-3) {
          EXPECT_GT(Dot(NormalAt(w, i), out) / Norm(out), -0.02) << "ring " << r << " point " << j;
        }
      }
      if (r == 0) continue;
      // No twist beyond 45 degrees from ring to ring.
      const WallRingFrame& g = *rings[r - 1];
      const P3 facing = Cross(roof, side);
      const P3 before{g.start[0], g.start[1], g.start[2]};
      const P3 carried = Sub(before, Scaled(facing, Dot(before, facing)));
      EXPECT_LE(Degrees(carried, P3{f.start[0], f.start[1], f.start[2]}), 45.01) << "ring " << r;
    }

    for (const WallDetail detail : {WallDetail::kFine, WallDetail::kCoarse}) {
      SCOPED_TRACE(detail == WallDetail::kFine ? "fine" : "coarse");
      const std::vector<uint32_t> tris = TubeTriangles(w, static_cast<int32_t>(t), detail);
      int32_t expected = 0;
      for (const WallChunk& c : w.chunks)
        if (c.tube == static_cast<int32_t>(t)) expected += ChunkTriangleCount(w, c, detail);
      EXPECT_EQ(tris.size(), 3 * static_cast<size_t>(expected));

      // Closed: every edge of a face is the reverse edge of one other face.
      Weld weld;
      std::map<std::pair<int, int>, int> edges;
      double volume = 0;
      for (size_t k = 0; k + 2 < tris.size(); k += 3) {
        const P3 a = At(w, tris[k]), b = At(w, tris[k + 1]), c = At(w, tris[k + 2]);
        volume += Dot(a, Cross(b, c)) / 6;
        const int ia = weld.Id(a), ib = weld.Id(b), ic = weld.Id(c);
        if (ia == ib || ib == ic || ia == ic) continue;  // no face
        for (const auto& e : {std::pair{ia, ib}, std::pair{ib, ic}, std::pair{ic, ia}}) ++edges[e];
        // Faces out, as their corners' normals say.
        // Three points in a line face nowhere: a triangle less than a tenth
        // of a millimetre high (its corners are floats of a few hundred
        // metres, good to about that).
        const P3 face = Cross(Sub(b, a), Sub(c, a));
        const double longest = std::max({Norm(Sub(b, a)), Norm(Sub(c, b)), Norm(Sub(a, c))});
        if (Norm(face) < 1e-4 * longest) continue;
        const P3 normals =
            Add(NormalAt(w, tris[k]), Add(NormalAt(w, tris[k + 1]), NormalAt(w, tris[k + 2])));
        EXPECT_GT(Dot(face, normals), 0) << "triangle " << k / 3 << " is inside out";
      }
      std::set<int> loose;
      for (const auto& [e, n] : edges) {
        EXPECT_LE(n, 1) << "an edge used twice the same way";
        const auto back = edges.find({e.second, e.first});
        if (back == edges.end()) loose.insert({e.first, e.second});
      }
      if (loose.empty()) {
        EXPECT_GT(volume, 0) << "a closed tube turned inside out";
        continue;
      }
      // Open only at a mouth: an uncapped end whose ring lies inside
      // another tube.
      int end = -1;
      for (const int r : {0, tube.rings - 1}) {
        if (r == 0 ? tube.startTip >= 0 : tube.endTip >= 0) continue;
        std::set<int> ring;
        for (int j = 0; j < kRingPoints; ++j)
          ring.insert(weld.Id(At(w, static_cast<uint32_t>(tube.Ring(r) + j))));
        if (std::includes(ring.begin(), ring.end(), loose.begin(), loose.end())) end = r;
      }
      ASSERT_GE(end, 0) << loose.size() << " points on open edges away from the tube's ends";
      if (detail == WallDetail::kCoarse) continue;
      ++open;
      bool inside = false;
      for (size_t u = 0; u < w.tubes.size() && !inside; ++u) {
        if (u == t) continue;
        const std::vector<uint32_t> other = TubeTriangles(w, static_cast<int32_t>(u), detail);
        bool all = true;
        for (int j = 0; j < kRingPoints && all; ++j)
          all = InsideOf(w, other, At(w, static_cast<uint32_t>(tube.Ring(end) + j)));
        inside = all;
      }
      EXPECT_TRUE(inside) << "the open end of the tube lies outside every other tube";
    }

    // Every measured point of every ring lies on the tube, fine and coarse.
    for (const WallDetail detail : {WallDetail::kFine, WallDetail::kCoarse}) {
      const std::vector<uint32_t> tris = TubeTriangles(w, static_cast<int32_t>(t), detail);
      for (const WallRingFrame* f : rings) {
        if (f->section < 0) continue;
        const CrossSection& s = m.sections[static_cast<size_t>(f->section)];
        const P3 centre{f->x, f->y, f->z};
        const P3 side{f->side[0], f->side[1], f->side[2]}, roof{f->roof[0], f->roof[1], f->roof[2]};
        const std::pair<float, P3> measured[] = {
            {s.right, side}, {s.left, Scaled(side, -1)}, {s.up, roof}, {s.down, Scaled(roof, -1)}};
        const float used[] = {f->right, f->left, f->up, f->down};
        for (size_t k = 0; k < 4; ++k) {
          const float size = measured[k].first;
          if (!(size >= 0 && size <= kMaxPassageSize)) continue;  // missing
          EXPECT_NEAR(used[k], size, 0.001);
          const P3 p = Add(centre, Scaled(measured[k].second, used[k]));
          double nearest = INFINITY;
          for (size_t q = 0; q + 2 < tris.size(); q += 3)
            nearest = std::min(
                nearest, PointTriangle(p, At(w, tris[q]), At(w, tris[q + 1]), At(w, tris[q + 2])));
          EXPECT_LE(nearest, 0.001) << "section " << f->section << " wall " << k;
        }
      }
    }
  }

  // Every section with room in it has a ring.
  std::vector<bool> ringed(m.sections.size(), false);
  for (const WallRingFrame& f : frames)
    if (f.section >= 0) ringed[static_cast<size_t>(f.section)] = true;
  for (size_t k = 0; k < m.sections.size(); ++k) {
    const CrossSection& s = m.sections[k];
    if (m.ValidStation(s.station) &&
        std::isfinite(m.X(s.station) + m.Y(s.station) + m.Z(s.station)) && s.left + s.right > 0 &&
        s.up + s.down > 0) {
      EXPECT_TRUE(ringed[k]) << "section " << k << " has no ring";
    }
  }
  if (mouths) *mouths = open;
}

SurveyModel Load(const std::string& file) {
  LoadResult r = LoadSurveySource(std::string(MV_TEST_DATA_DIR) + "/" + file);
  EXPECT_TRUE(r.ok) << r.error;
  return std::move(r.model);
}

TEST(PassageWalls, RealAndMadeSurveysMakeClosedTubesThroughEveryMeasuredPoint) {
  const struct {
    const char* file;
    size_t sections;
  } cases[] = {{"survex/jaskinie_all.3d", 378}, {"walls/walls.3d", 18}, {"survex/passages.3d", 10}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    const SurveyModel m = Load(c.file);
    EXPECT_EQ(m.sections.size(), c.sections);
    std::vector<WallRingFrame> frames;
    const PassageWalls w = BuildPassageWalls(m, &frames);
    EXPECT_FALSE(w.empty());
    CheckWalls(m, w, frames);
  }
}

// A survey made in code: stations, legs and sections.
struct Made {
  SurveyModel m;
  int32_t Station(double x, double y, double z) {
    m.stations.insert(m.stations.end(), {x, y, z});
    return m.StationCount() - 1;
  }
  void Leg(int32_t a, int32_t b) {
    std::array<int32_t, kLineColumns> row{};
    row[0] = 1, row[1] = a, row[2] = b;
    m.lines.insert(m.lines.end(), row.begin(), row.end());
  }
  // A passage through `stations` (joined by legs), all of one size.
  void Passage(const std::vector<int32_t>& stations, std::array<float, 4> lrud) {
    for (size_t i = 0; i < stations.size(); ++i) {
      if (i > 0) Leg(stations[i - 1], stations[i]);
      Section(stations[i], lrud, i + 1 == stations.size());
    }
  }
  void Section(int32_t station, std::array<float, 4> lrud, bool end) {
    m.sections.push_back(
        {station, lrud[0], lrud[1], lrud[2], lrud[3], static_cast<uint8_t>(end ? kSectionEnd : 0)});
  }
};

struct Built {
  PassageWalls walls;
  std::vector<WallRingFrame> frames;
  int mouths = 0;
};

Built Build(const SurveyModel& m) {
  Built b;
  b.walls = BuildPassageWalls(m, &b.frames);
  CheckWalls(m, b.walls, b.frames, &b.mouths);
  return b;
}

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

TEST(PassageWalls, ShapesOfPassages) {
  const struct {
    const char* what;
    void (*make)(Made&);
    void (*check)(const Built&);
  } cases[] = {
      {"a level passage: one tube, upright rings, both ends capped",
       [](Made& s) {
         s.Passage({s.Station(0, 0, 0), s.Station(10, 0, 0), s.Station(20, 2, 1)}, {1, 1, 2, 1});
       },
       [](const Built& b) {
         ASSERT_EQ(b.walls.tubes.size(), 1u);
         EXPECT_EQ(b.walls.tubes[0].rings, 3);
         EXPECT_TRUE(b.walls.tubes[0].startTip >= 0 && b.walls.tubes[0].endTip >= 0);
         for (const WallRingFrame& f : b.frames) EXPECT_FALSE(f.tilted);
       }},
      {"a vertical shaft: the rings lie level, untwisted",
       [](Made& s) {
         s.Passage({s.Station(0, 0, 0), s.Station(0.5, 0, -3), s.Station(0.5, 0, -13),
                    s.Station(0.5, 0, -23), s.Station(0.4, 0.1, -30), s.Station(0.5, 0.2, -40)},
                   {1, 1.5, 2, 0.5});
       },
       [](const Built& b) {
         ASSERT_EQ(b.walls.tubes.size(), 1u);
         for (const WallRingFrame& f : b.frames) {
           EXPECT_TRUE(f.tilted);
           EXPECT_NEAR(f.side[2], 0, 0.2);
           EXPECT_NEAR(f.roof[2], 0, 0.2);
         }
       }},
      {"a climb of 70 degrees leans its rings, one of 50 does not",
       [](Made& s) {
         const double t70 = std::tan(70 * 3.14159265358979 / 180);
         const double t50 = std::tan(50 * 3.14159265358979 / 180);
         s.Passage({s.Station(0, 0, 0), s.Station(5, 0, 5 * t70), s.Station(10, 0, 10 * t70)},
                   {1, 1, 1, 1});
         s.Passage({s.Station(0, 50, 0), s.Station(5, 50, 5 * t50), s.Station(10, 50, 10 * t50)},
                   {1, 1, 1, 1});
       },
       [](const Built& b) {
         ASSERT_EQ(b.frames.size(), 6u);
         for (size_t k = 0; k < 6; ++k) EXPECT_EQ(b.frames[k].tilted, k < 3) << k;
       }},
      {"a hairpin ends one tube and starts another, each capped",
       [](Made& s) {
         s.Passage({s.Station(0, 0, 0), s.Station(10, 0, 0), s.Station(0.5, 1.5, 0)},
                   {1, 1, 1, 0.5});
       },
       [](const Built& b) {
         ASSERT_EQ(b.walls.tubes.size(), 2u);
         for (const WallTube& t : b.walls.tubes) EXPECT_TRUE(t.startTip >= 0 && t.endTip >= 0);
       }},
      {"a side passage leaves from inside the main one without a cap",
       [](Made& s) {
         const int32_t j = s.Station(10, 0, 0);
         s.Passage({s.Station(0, 0, 0), j, s.Station(20, 0, 0)}, {2, 2, 2, 2});
         s.Passage({j, s.Station(10, 10, 0), s.Station(12, 20, 0)}, {1, 1, 1, 1});
       },
       [](const Built& b) {
         ASSERT_EQ(b.walls.tubes.size(), 2u);
         EXPECT_LT(b.walls.tubes[1].startTip, 0);
         EXPECT_GE(b.walls.tubes[1].endTip, 0);
         EXPECT_EQ(b.mouths, 1);
       }},
      {"a side passage wider than the main one keeps its cap",
       [](Made& s) {
         const int32_t j = s.Station(10, 0, 0);
         s.Passage({s.Station(0, 0, 0), j, s.Station(20, 0, 0)}, {1, 1, 1, 1});
         s.Passage({j, s.Station(10, 10, 0)}, {3, 3, 3, 3});
       },
       [](const Built& b) {
         ASSERT_EQ(b.walls.tubes.size(), 2u);
         EXPECT_GE(b.walls.tubes[1].startTip, 0);
         EXPECT_EQ(b.mouths, 0);
       }},
      {"one section: a stub along its leg, as long as it is wide, half the leg at most",
       [](Made& s) {
         const int32_t a = s.Station(0, 0, 0), b = s.Station(0, 8, 0);
         s.Leg(a, b);
         s.Section(a, {1, 1, 0.5, 0.5}, true);
         const int32_t c = s.Station(50, 0, 0), d = s.Station(50, 0.6, 0);
         s.Leg(c, d);
         s.Section(c, {1, 1, 0.5, 0.5}, true);
       },
       [](const Built& b) {
         ASSERT_EQ(b.walls.tubes.size(), 2u);
         ASSERT_EQ(b.frames.size(), 4u);
         EXPECT_EQ(b.frames[1].section, -1);
         EXPECT_NEAR(b.frames[1].y - b.frames[0].y, 2, 1e-9);
         EXPECT_NEAR(b.frames[3].y - b.frames[2].y, 0.3, 1e-9);
         EXPECT_NEAR(b.frames[1].x, b.frames[0].x, 1e-9);
       }},
      {"a passage pinching out to nothing is closed by its point, not capped",
       [](Made& s) {
         s.Passage({s.Station(0, 0, 0), s.Station(10, 0, 0)}, {1, 1, 1, 1});
         s.m.sections.back() = {1, 0, 0, 0, 0, kSectionEnd};
       },
       [](const Built& b) {
         ASSERT_EQ(b.walls.tubes.size(), 1u);
         EXPECT_GE(b.walls.tubes[0].startTip, 0);
         EXPECT_LT(b.walls.tubes[0].endTip, 0);
       }},
      {"sizes of nothing and flat passages leave only the survey line",
       [](Made& s) {
         s.Passage({s.Station(0, 0, 0), s.Station(10, 0, 0), s.Station(20, 0, 0)}, {0, 0, 0, 0});
         s.Passage({s.Station(0, 10, 0), s.Station(10, 10, 0)}, {1, 1, 0, 0});
         s.Passage({s.Station(0, 20, 0), s.Station(10, 20, 0)}, {0, 0, 2, 0});
         s.Passage({s.Station(0, 30, 0)}, {0, 0, 0, 0});
       },
       [](const Built& b) { EXPECT_TRUE(b.walls.empty()); }},
      {"a missing size comes from the neighbours along the passage, else the other wall",
       [](Made& s) {
         s.Passage({s.Station(0, 0, 0), s.Station(10, 0, 0), s.Station(30, 0, 0)}, {1, kNaN, 1, 1});
         s.m.sections[0].left = 1, s.m.sections[1].left = kNaN, s.m.sections[2].left = 4;
         s.m.sections[1].up = -5;  // impossible: missing
       },
       [](const Built& b) {
         ASSERT_EQ(b.frames.size(), 3u);
         EXPECT_NEAR(b.frames[1].left, 2, 1e-6);
         EXPECT_EQ(b.frames[1].up, 1);
         for (const WallRingFrame& f : b.frames) EXPECT_EQ(f.right, f.left);
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Made s;
    c.make(s);
    c.check(Build(s.m));
  }
}

TEST(PassageWalls, BadSizesAndStationsMakeNoBrokenMesh) {
  Made s;
  const float inf = std::numeric_limits<float>::infinity();
  const int32_t a = s.Station(0, 0, 0), b = s.Station(10, 0, 0), c = s.Station(20, 5, 0);
  const int32_t same = s.Station(20, 5, 0.00001), d = s.Station(30, 5, -2);
  const int32_t lost = s.Station(std::nan(""), 0, 0), far = s.Station(1e9, 0, 0);
  const std::array<float, 4> rows[] = {{-1, 2, inf, -inf}, {kNaN, 1e6f, 0, 3}, {1, 1, 1, 1},
                                       {2, 0, 0, 0},       {1e-7f, 1, 1, 1},   {9999, 1, 1, 1},
                                       {1, 1, 1, 1},       {1, 1, 1, 1}};
  const int32_t stations[] = {a, b, -7, c, same, d, lost, 1 << 30};
  for (size_t k = 0; k < std::size(rows); ++k) s.Section(stations[k], rows[k], false);
  s.Section(far, {1, 1, 1, 1}, false);
  s.Section(a, {1, 1, 1, 1}, false);  // back to the start, the last without its end flag
  const Built built = Build(s.m);
  EXPECT_FALSE(built.walls.empty());
  // Nothing reaches beyond the sizes a survey may give.
  for (const WallVertex& v : built.walls.vertices) EXPECT_LT(std::abs(v.y), 20000);

  // No sections at all, and a model with nothing in it.
  EXPECT_TRUE(BuildPassageWalls(SurveyModel{}).empty());
  Made only;
  only.Section(0, {1, 1, 1, 1}, true);
  EXPECT_TRUE(BuildPassageWalls(only.m).empty());
}

TEST(PassageWalls, MeshesOfTheSurveyAsTheyAreLitByTheirFaces) {
  // Therion's mesh of the test survey: one tetrahedron, and two meshes of
  // one point whose triangles have no area.
  const SurveyModel lox = Load("survex/passages.lox");
  ASSERT_EQ(lox.meshes.size(), 3u);
  // And a mesh made here with a triangle that names a point it lacks.
  SurveyModel m = lox;
  m.meshes.push_back({{0, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 1, 2, 0, 1, 7}, 0});
  const PassageWalls w = BuildPassageWalls(m);
  ASSERT_EQ(w.meshParts.size(), 2u);
  EXPECT_EQ(w.meshParts[0].indices, 12);
  EXPECT_EQ(w.meshParts[1].indices, 3);
  for (const WallMeshPart& part : w.meshParts) {
    for (int32_t t = part.firstIndex; t < part.firstIndex + part.indices; t += 3) {
      const uint32_t* c = &w.meshTriangles[static_cast<size_t>(t)];
      const P3 a = At(w, c[0]), b = At(w, c[1]), d = At(w, c[2]);
      const P3 face = Cross(Sub(b, a), Sub(d, a));
      for (int k = 0; k < 3; ++k) {
        // Each corner carries the face's own normal, the way it is wound.
        const P3 n = NormalAt(w, c[k]);
        EXPECT_GT(Dot(n, face) / Norm(face), 0.99);
      }
    }
  }
  // The tetrahedron's corners are the mesh's points.
  const WallMesh& given = lox.meshes[0];
  for (int32_t i = 0; i < 12; ++i) {
    const uint32_t corner = given.triangles[static_cast<size_t>(i)];
    EXPECT_EQ(At(w, w.meshTriangles[static_cast<size_t>(i)]),
              (P3{given.xyz[3 * corner], given.xyz[3 * corner + 1], given.xyz[3 * corner + 2]}));
  }
}

TEST(PassageWalls, MemoryPerSectionWithinTwoHundredBytes) {
  // A long winding passage with branches, as in a large system.
  Made s;
  int32_t previous = s.Station(0, 0, 0);
  double heading = 0, x = 0, y = 0, z = 0;
  for (int i = 1; i <= 20000; ++i) {
    heading += std::sin(i * 0.37) * 0.6;
    x += 5 * std::cos(heading), y += 5 * std::sin(heading), z += std::sin(i * 0.11);
    const int32_t next = s.Station(x, y, z);
    s.Leg(previous, next);
    s.Section(previous, {1.0f + i % 3, 1.5f, 2.0f, 0.5f + i % 2}, i % 40 == 0);
    previous = next;
  }
  s.Section(previous, {1, 1, 1, 1}, true);
  const PassageWalls w = BuildPassageWalls(s.m);
  EXPECT_EQ(w.sections, 20001);
  EXPECT_LE(static_cast<double>(w.Bytes()) / w.sections, 200);
}

}  // namespace
}  // namespace mv
