#include "data/passage_walls.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace mv {

namespace {

struct V3 {
  double x = 0, y = 0, z = 0;
};
V3 operator+(V3 a, V3 b) {
  return {a.x + b.x, a.y + b.y, a.z + b.z};
}
V3 operator-(V3 a, V3 b) {
  return {a.x - b.x, a.y - b.y, a.z - b.z};
}
V3 operator*(double k, V3 a) {
  return {k * a.x, k * a.y, k * a.z};
}
double Dot(V3 a, V3 b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}
V3 Cross(V3 a, V3 b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double Length(V3 a) {
  return std::sqrt(Dot(a, a));
}
V3 Unit(V3 a) {
  const double l = Length(a);
  return l > 0 ? (1 / l) * a : V3{};
}

// Sizes below half a millimetre are no size: the ring closes there.
constexpr float kNoSize = 0.0005f;
// Stations closer than this (metres) stand at one place.
constexpr double kSamePlace = 0.001;
// A section leans with its passage where the passage is steeper than 60
// degrees: its horizontal part is then under cos 60 = 1/2.
constexpr double kSteepHorizontal = 0.5;
// Below this horizontal part (15 degrees from the vertical) a leaning
// section keeps its sides where the ring before had them, as the heading of
// a shaft says little.
constexpr double kShaftHorizontal = 0.26;
// A turn sharper than 120 degrees between legs (cos -1/2) ends one tube and
// starts another instead of bending the ring into a fold.
constexpr double kHairpinCos = -0.5;
// A triangle lower than this (metres) faces nowhere: its corners are floats,
// good to about this far from the origin.
constexpr double kNoHeight = 1e-4;

// The ring's points: cos and sin of every 45 degrees, exact and symmetric, so
// that points which meet (a ring with no height, say) meet bit for bit.
constexpr double kH = 0.70710678118654752440;
constexpr std::array<std::array<double, 2>, kRingPoints> kDirs = {
    {{1, 0}, {kH, kH}, {0, 1}, {-kH, kH}, {-1, 0}, {-kH, -kH}, {0, -1}, {kH, -kH}}};

struct Sizes {
  float left = 0, right = 0, up = 0, down = 0;
  bool Flat() const { return left + right <= 0 || up + down <= 0; }
  bool Point() const { return left + right <= 0 && up + down <= 0; }
  float Widest() const { return std::max(left + right, up + down); }
};

struct Section {
  V3 p;
  Sizes size;
  int32_t index = 0;  // in SurveyModel::sections
};

// A ring placed in space: the plane it lies in (facing), its side and roof
// directions, and which of the four measured points comes first.
struct Ring {
  V3 p;
  Sizes size;
  int32_t section = 0;
  V3 facing, side, roof;
  bool tilted = false;
  int turn = 0;
  std::array<V3, kRingPoints> points{};
  std::array<V3, kRingPoints> normals{};

  V3 Dir(int t) const {
    switch (t & 3) {
      case 0:
        return side;
      case 1:
        return roof;
      case 2:
        return -1 * side;
      default:
        return -1 * roof;
    }
  }
  V3 Start() const { return Dir(turn); }
};

// Where the ring faces `f` (a unit vector along the passage): upright, its
// roof straight up, unless the passage is steep or `lean` asks; a leaning
// ring takes its side from `previousSide` in a shaft.
void Orient(Ring& r, V3 f, const V3* previousSide, bool lean) {
  const double h = std::hypot(f.x, f.y);
  if (!lean && h >= kSteepHorizontal) {
    r.facing = {f.x / h, f.y / h, 0};
    r.side = {r.facing.y, -r.facing.x, 0};
    r.roof = {0, 0, 1};
    r.tilted = false;
    return;
  }
  r.facing = f;
  r.tilted = true;
  V3 side;
  if (previousSide && h < kShaftHorizontal) side = Unit(*previousSide - Dot(*previousSide, f) * f);
  if (Length(side) == 0 && h > 1e-9) side = {f.y / h, -f.x / h, 0};
  if (Length(side) == 0) side = Unit(V3{1, 0, 0} - f.x * f);
  if (Length(side) == 0) side = Unit(V3{0, 1, 0} - f.y * f);
  r.side = side;
  r.roof = Cross(side, f);
}

// The ring's first point: the measured direction nearest to where the ring
// before started, so the tube between them twists by 45 degrees at most.
void Turn(Ring& r, const Ring* before) {
  r.turn = 0;
  if (!before) return;
  const V3 e = before->Start();
  const V3 q = e - Dot(e, r.facing) * r.facing;
  double best = -2;
  for (int t = 0; t < 4; ++t) {
    const double d = Dot(q, r.Dir(t));
    if (d > best) best = d, r.turn = t;
  }
}

float Round(double v) {
  return static_cast<float>(v);
}

// The ring's points and their outward normals: quarter ellipses between the
// measured points, so the ring is smooth and convex and passes through all
// four. Positions are rounded to what the vertices will hold.
void Shape(Ring& r) {
  const Sizes& s = r.size;
  for (int j = 0; j < kRingPoints; ++j) {
    const auto& [c, n] = kDirs[static_cast<size_t>((2 * r.turn + j) % kRingPoints)];
    const double a = c > 0 ? s.right : c < 0 ? s.left : std::max(s.left, s.right);
    const double b = n > 0 ? s.up : n < 0 ? s.down : std::max(s.up, s.down);
    const V3 p = r.p + (a * c) * r.side + (b * n) * r.roof;
    r.points[static_cast<size_t>(j)] = {Round(p.x), Round(p.y), Round(p.z)};
    V3 normal = (b * c) * r.side + (a * n) * r.roof;
    if (Length(normal) < 1e-12) normal = c * r.side + n * r.roof;
    r.normals[static_cast<size_t>(j)] = Unit(normal);
  }
}

// Whether a triangle faces the way its corners' normals say.
bool FacesOut(V3 a, V3 b, V3 c, V3 na, V3 nb, V3 nc) {
  const V3 f = Cross(b - a, c - a);
  const double longest = std::max({Length(b - a), Length(c - b), Length(a - c)});
  if (Length(f) < kNoHeight * longest) return true;
  return Dot(f, na + nb + nc) > 0;
}

// Whether the tube from ring a to ring b is a proper piece of wall: every
// point moves forward along the segment and no triangle, fine or coarse,
// turns inside out.
bool GoodSegment(const Ring& a, const Ring& b) {
  const V3 d = b.p - a.p;
  for (int j = 0; j < kRingPoints; ++j)
    if (Dot(b.points[static_cast<size_t>(j)] - a.points[static_cast<size_t>(j)], d) <= 0)
      return false;
  for (int step = 1; step <= 2; ++step)
    for (int j = 0; j < kRingPoints; j += step) {
      const size_t j0 = static_cast<size_t>(j), j1 = static_cast<size_t>((j + step) % kRingPoints);
      if (!FacesOut(a.points[j0], b.points[j0], b.points[j1], a.normals[j0], b.normals[j0],
                    b.normals[j1]) ||
          !FacesOut(a.points[j0], b.points[j1], a.points[j1], a.normals[j0], b.normals[j1],
                    a.normals[j1]))
        return false;
    }
  return true;
}

// A segment between two rings that enclose nothing: both without width, both
// without height, or a point and a line.
bool Hollowless(const Sizes& a, const Sizes& b) {
  const bool aw = a.left + a.right <= 0, ah = a.up + a.down <= 0;
  const bool bw = b.left + b.right <= 0, bh = b.up + b.down <= 0;
  return (aw && bw) || (ah && bh) || (a.Point() && b.Flat()) || (b.Point() && a.Flat());
}

// Sizes as the walls use them: a missing or impossible size is taken along
// the passage from its nearest measured neighbours (by distance), else from
// the opposite wall of the same section, else none.
void FillSizes(std::vector<Section>& run, const std::vector<CrossSection>& given) {
  const size_t n = run.size();
  std::vector<double> along(n, 0);
  for (size_t i = 1; i < n; ++i) along[i] = along[i - 1] + Length(run[i].p - run[i - 1].p);
  const auto clean = [](float v) {
    return std::isfinite(v) && v >= 0 && v <= kMaxPassageSize
               ? (v < kNoSize ? 0.0f : v)
               : std::numeric_limits<float>::quiet_NaN();
  };
  std::array<std::vector<float>, 4> v;
  for (auto& d : v) d.resize(n);
  for (size_t i = 0; i < n; ++i) {
    const CrossSection& s = given[static_cast<size_t>(run[i].index)];
    v[0][i] = clean(s.left), v[1][i] = clean(s.right), v[2][i] = clean(s.up),
    v[3][i] = clean(s.down);
  }
  for (auto& d : v) {
    size_t before = n;  // the last measured one so far
    for (size_t i = 0; i < n; ++i) {
      if (!std::isnan(d[i])) {
        before = i;
        continue;
      }
      size_t after = i + 1;
      while (after < n && std::isnan(d[after])) ++after;
      if (before < n && after < n) {
        const double span = along[after] - along[before];
        const double t = span > 0 ? (along[i] - along[before]) / span : 0.5;
        d[i] = static_cast<float>(d[before] + t * (d[after] - d[before]));
      } else if (before < n) {
        d[i] = d[before];
      } else if (after < n) {
        d[i] = d[after];
      }
    }
  }
  for (size_t i = 0; i < n; ++i) {
    const auto pick = [](float own, float opposite) {
      return !std::isnan(own) ? own : !std::isnan(opposite) ? opposite : 0.0f;
    };
    run[i].size = {pick(v[0][i], v[1][i]), pick(v[1][i], v[0][i]), pick(v[2][i], v[3][i]),
                   pick(v[3][i], v[2][i])};
  }
}

// What the caps, the junctions and the chunks need of a ring once placed.
struct Placed {
  V3 p, facing, side, roof;
  Sizes size;
  int32_t section = 0;
};

class Builder {
 public:
  Builder(const SurveyModel& m, PassageWalls& w, std::vector<WallRingFrame>* frames)
      : m_(m),
        w_(w),
        frames_(frames),
        ox_(m.originX.AsDouble()),
        oy_(m.originY.AsDouble()),
        oz_(m.originZ.AsDouble()) {}

  void Build();

 private:
  bool Place(int32_t station, V3& p) const {
    if (!m_.ValidStation(station)) return false;
    p = {m_.X(station) - ox_, m_.Y(station) - oy_, m_.Z(station) - oz_};
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
  }
  void Passage(std::vector<Section>& run);
  void Tubes(const std::vector<Section>& run);
  void Stubs();
  // The tube being made: its rings go straight into the vertices; closing it
  // keeps it if it has two rings or more.
  void Push(const Ring& r);
  void Close();
  void Discard();
  bool Inside(V3 q, size_t tube, int32_t k) const;
  void Finish();

  const SurveyModel& m_;
  PassageWalls& w_;
  std::vector<WallRingFrame>* frames_;
  double ox_, oy_, oz_;
  std::vector<Placed> placed_;        // every ring so far, tube by tube
  std::vector<int32_t> firstPlaced_;  // by tube
  struct {
    int32_t rings = 0;
    size_t vertex = 0, placed = 0, frame = 0;
    Ring last;
  } open_;
  std::vector<Section> stubs_;  // passages of one section
};

void Builder::Push(const Ring& r) {
  if (open_.rings == 0) {
    open_.vertex = w_.vertices.size();
    open_.placed = placed_.size();
    open_.frame = frames_ ? frames_->size() : 0;
  }
  ++open_.rings;
  open_.last = r;
  const auto pack = [](double v) {
    return static_cast<int8_t>(std::lround(std::clamp(v, -1.0, 1.0) * 127));
  };
  for (size_t j = 0; j < kRingPoints; ++j) {
    const V3 &q = r.points[j], &n = r.normals[j];
    w_.vertices.push_back({static_cast<float>(q.x), static_cast<float>(q.y),
                           static_cast<float>(q.z), pack(n.x), pack(n.y), pack(n.z), 0});
  }
  placed_.push_back({r.p, r.facing, r.side, r.roof, r.size, r.section});
  if (!frames_) return;
  WallRingFrame f;
  f.section = r.section;
  f.tube = static_cast<int32_t>(w_.tubes.size());
  f.x = r.p.x, f.y = r.p.y, f.z = r.p.z;
  const V3 start = r.Start();
  const V3* from[] = {&r.side, &r.roof, &start};
  double* to[] = {f.side, f.roof, f.start};
  for (size_t k = 0; k < 3; ++k)
    to[k][0] = from[k]->x, to[k][1] = from[k]->y, to[k][2] = from[k]->z;
  f.left = r.size.left, f.right = r.size.right, f.up = r.size.up, f.down = r.size.down;
  f.tilted = r.tilted;
  frames_->push_back(f);
}

void Builder::Discard() {
  if (open_.rings > 0) {
    w_.vertices.resize(open_.vertex);
    placed_.resize(open_.placed);
    if (frames_) frames_->resize(open_.frame);
  }
  open_.rings = 0;
}

void Builder::Close() {
  if (open_.rings < 2) return Discard();
  WallTube t;
  t.first = static_cast<int32_t>(open_.vertex);
  t.rings = open_.rings;
  w_.tubes.push_back(t);
  firstPlaced_.push_back(static_cast<int32_t>(open_.placed));
  open_.rings = 0;
}

void Builder::Passage(std::vector<Section>& run) {
  if (run.empty()) return;
  FillSizes(run, m_.sections);
  // Two sections at one place have no direction between them: the tube
  // stops at the first and starts again at the second.
  size_t begin = 0;
  for (size_t i = 1; i <= run.size(); ++i) {
    if (i < run.size() && Length(run[i].p - run[i - 1].p) >= kSamePlace) continue;
    const std::vector<Section> part(run.begin() + static_cast<std::ptrdiff_t>(begin),
                                    run.begin() + static_cast<std::ptrdiff_t>(i));
    if (part.size() == 1)
      stubs_.push_back(part[0]);
    else
      Tubes(part);
    begin = i;
  }
}

// Walks the passage ring by ring. A ring between two legs faces their
// bisector; where that would fold the tube (always at a hairpin), the tube
// ends at a ring facing the leg and a new one starts there facing the next;
// a segment that folds even so stands alone, both rings square to it.
void Builder::Tubes(const std::vector<Section>& run) {
  const size_t n = run.size();
  std::vector<V3> d(n - 1);
  for (size_t i = 0; i + 1 < n; ++i) d[i] = Unit(run[i + 1].p - run[i].p);
  const auto place = [&](size_t i, V3 f, const Ring* before, bool lean) {
    Ring r;
    r.p = run[i].p;
    r.size = run[i].size;
    r.section = run[i].index;
    Orient(r, f, before ? &before->side : nullptr, lean);
    Turn(r, before);
    Shape(r);
    return r;
  };
  // A new tube from station i, facing its leg.
  const auto open = [&](size_t i, const Ring* before) {
    if (i + 1 < n) Push(place(i, d[i], before, false));
  };
  open(0, nullptr);
  for (size_t i = 0; i + 1 < n && open_.rings > 0; ++i) {
    const Ring last = open_.last;
    const bool interior = i + 2 < n;
    if (Hollowless(last.size, run[i + 1].size)) {
      // Nothing to enclose: the survey line is the passage here.
      Close();
      open(i + 1, nullptr);
      continue;
    }
    const bool bends = interior && Dot(d[i], d[i + 1]) >= kHairpinCos;
    // Tries station i + 1 after `from`: bending with the next leg, else
    // ending the tube square to this one.
    bool ended = false;
    const auto extend = [&](const Ring& from) {
      if (bends) {
        Ring joint = place(i + 1, Unit(d[i] + d[i + 1]), &from, false);
        if (GoodSegment(from, joint)) {
          Push(joint);
          ended = false;
          return true;
        }
      }
      Ring end = place(i + 1, d[i], &from, false);
      if (!GoodSegment(from, end)) return false;
      Push(end);
      ended = true;
      return true;
    };
    bool done = extend(last);
    if (!done && open_.rings > 1) {
      // The ring of station i bends badly for this leg: the tube ends there,
      // and a new one starts square to this leg.
      Close();
      Push(place(i, d[i], &last, false));
      done = extend(open_.last);
    }
    if (!done) {
      // The leg alone, both rings leaning square to it.
      Discard();
      const Ring a = place(i, d[i], &last, true);
      Push(a);
      Push(place(i + 1, d[i], &a, true));
      ended = true;
    }
    if (ended) {
      const Ring end = open_.last;
      Close();
      if (interior) open(i + 1, &end);
    }
  }
  Close();
}

// A passage of one section: a short tube from its station along its first
// leg (a survey leg before a splay), as long as the section is wide but
// half the leg at most.
void Builder::Stubs() {
  if (stubs_.empty()) return;
  std::vector<int32_t> toward(static_cast<size_t>(m_.StationCount()), -1);
  std::vector<uint8_t> bySplay(toward.size(), 0);
  for (const Section& s : stubs_) toward[static_cast<size_t>(m_.sections[s.index].station)] = -2;
  for (int32_t row = 0; row < m_.SurveyLineCount(); ++row) {
    const int32_t* l = m_.Line(row);
    const bool splay = (m_.LineFlags(row) & kLegSplay) != 0;
    const int32_t last = std::min(l[0], kLineColumns - 2);
    for (int32_t k = 1; k <= last; ++k) {
      const int32_t a = l[k], b = l[k + 1];
      if (!m_.ValidStation(a) || !m_.ValidStation(b) || a == b) continue;
      for (const auto& [from, to] : {std::pair{a, b}, std::pair{b, a}}) {
        int32_t& t = toward[static_cast<size_t>(from)];
        if (t == -1) continue;  // not a stub's station
        if (t == -2 || (bySplay[static_cast<size_t>(from)] && !splay)) {
          t = to;
          bySplay[static_cast<size_t>(from)] = splay;
        }
      }
    }
  }
  for (const Section& s : stubs_) {
    if (s.size.Flat()) continue;  // a line, which the survey line draws
    V3 dir{0, 1, 0};
    double reach = s.size.Widest();
    V3 q;
    const int32_t to = toward[static_cast<size_t>(m_.sections[s.index].station)];
    if (to >= 0 && Place(to, q) && Length(q - s.p) >= 2 * kSamePlace) {
      dir = Unit(q - s.p);
      reach = std::min(reach, 0.5 * Length(q - s.p));
    }
    Ring a;
    a.p = s.p;
    a.size = s.size;
    a.section = s.index;
    Orient(a, dir, nullptr, false);
    Shape(a);
    Ring b = a;
    b.p = s.p + reach * dir;
    b.section = -1;  // not a section of the survey
    Shape(b);
    Push(a);
    Push(b);
    Close();
  }
}

// Whether q lies well inside tube `tube` about its interior ring k: within
// nine tenths of the tube's size there (taken between that ring and its
// neighbour on q's side) and of the way to that neighbour.
bool Builder::Inside(V3 q, size_t tube, int32_t k) const {
  const Placed* rings = &placed_[static_cast<size_t>(firstPlaced_[tube])];
  const Placed& r = rings[k];
  const V3 o = q - r.p;
  const double x = Dot(o, r.side), y = Dot(o, r.roof), z = Dot(o, r.facing);
  const Placed& nb = rings[z >= 0 ? k + 1 : k - 1];
  const double reach = std::abs(Dot(nb.p - r.p, r.facing));
  if (std::abs(z) > 0.9 * reach) return false;
  // The neighbour's size along this ring's side and roof, and the tube's
  // size between the two at q.
  const auto along = [&](V3 dir, double sign) {
    const double s = Dot(dir, nb.side), u = Dot(dir, nb.roof);
    if (std::abs(s) >= std::abs(u)) return sign * s >= 0 ? nb.size.right : nb.size.left;
    return sign * u >= 0 ? nb.size.up : nb.size.down;
  };
  const double t = reach > 0 ? std::abs(z) / reach : 0;
  const auto between = [t](double own, double other) { return own + t * (other - own); };
  const double a = between(x >= 0 ? r.size.right : r.size.left, along(r.side, x >= 0 ? 1 : -1));
  const double b = between(y >= 0 ? r.size.up : r.size.down, along(r.roof, y >= 0 ? 1 : -1));
  if (!(a > 0 && b > 0)) return x == 0 && y == 0;
  return (x / a) * (x / a) + (y / b) * (y / b) <= 0.81;
}

void Builder::Build() {
  std::vector<Section> run;
  const size_t count = m_.sections.size();
  // A ring a section, give or take the splits and the stubs.
  w_.vertices.reserve(count * kRingPoints + count / 4);
  placed_.reserve(count + count / 8);
  for (size_t k = 0; k < count; ++k) {
    const CrossSection& c = m_.sections[k];
    Section s;
    s.index = static_cast<int32_t>(k);
    if (Place(c.station, s.p)) run.push_back(s);
    if (c.EndsPassage() || k + 1 == count) {
      Passage(run);
      run.clear();
    }
  }
  Stubs();
  Finish();
}

// Caps where an end stays open, the chunks, and the survey's own meshes.
void Builder::Finish() {
  // Interior rings by station, for the mouths of side passages.
  std::vector<std::pair<int32_t, std::pair<int32_t, int32_t>>> through;
  for (size_t t = 0; t < w_.tubes.size(); ++t)
    for (int32_t k = 1; k + 1 < w_.tubes[t].rings; ++k) {
      const Placed& r = placed_[static_cast<size_t>(firstPlaced_[t] + k)];
      through.push_back(
          {m_.sections[static_cast<size_t>(r.section)].station, {static_cast<int32_t>(t), k}});
    }
  std::sort(through.begin(), through.end());
  const auto capped = [&](size_t t, int32_t k) {
    const Placed& r = placed_[static_cast<size_t>(firstPlaced_[t] + k)];
    if (r.size.Flat()) return false;  // closes on itself
    if (r.section < 0) return true;
    const int32_t station = m_.sections[static_cast<size_t>(r.section)].station;
    const int32_t first = w_.tubes[t].Ring(k);
    auto it =
        std::lower_bound(through.begin(), through.end(), std::pair{station, std::pair{-1, -1}});
    for (; it != through.end() && it->first == station; ++it) {
      const auto [other, j] = it->second;
      if (static_cast<size_t>(other) == t) continue;
      bool inside = true;
      for (int32_t v = first; v < first + kRingPoints && inside; ++v) {
        const WallVertex& q = w_.vertices[static_cast<size_t>(v)];
        inside = Inside({q.x, q.y, q.z}, static_cast<size_t>(other), j);
      }
      if (inside) return false;
    }
    return true;
  };
  const auto pack = [](double v) {
    return static_cast<int8_t>(std::lround(std::clamp(v, -1.0, 1.0) * 127));
  };
  const auto put = [&](V3 p, V3 n) {
    w_.vertices.push_back({static_cast<float>(p.x), static_cast<float>(p.y),
                           static_cast<float>(p.z), pack(n.x), pack(n.y), pack(n.z), 0});
    return static_cast<int32_t>(w_.vertices.size() - 1);
  };
  // A cap is a low cone over the end ring, its tip a fifth of the ring's
  // mean half size beyond the station: lit like a rounded end.
  const auto tip = [&](const Placed& r, double sign) {
    const double half =
        0.5 * std::sqrt(double(r.size.left + r.size.right) * double(r.size.up + r.size.down));
    return put(r.p + (sign * 0.2 * half) * r.facing, sign * r.facing);
  };
  for (size_t t = 0; t < w_.tubes.size(); ++t) {
    WallTube& tube = w_.tubes[t];
    const Placed* rings = &placed_[static_cast<size_t>(firstPlaced_[t])];
    if (capped(t, 0)) tube.startTip = tip(rings[0], -1);
    if (capped(t, tube.rings - 1)) tube.endTip = tip(rings[tube.rings - 1], 1);
    for (int32_t k = 0; k < tube.rings; ++k) w_.sections += rings[k].section >= 0;
    // Chunks of the tube, each with the box round its rings.
    const int32_t segments = tube.rings - 1;
    for (int32_t s = 0; s < segments; s += kChunkSegments) {
      WallChunk c;
      c.tube = static_cast<int32_t>(t);
      c.firstSegment = s;
      c.segments = std::min(kChunkSegments, segments - s);
      V3 lo{INFINITY, INFINITY, INFINITY}, hi{-INFINITY, -INFINITY, -INFINITY};
      const auto hold = [&](int32_t v) {
        const WallVertex& q = w_.vertices[static_cast<size_t>(v)];
        lo = {std::min<double>(lo.x, q.x), std::min<double>(lo.y, q.y),
              std::min<double>(lo.z, q.z)};
        hi = {std::max<double>(hi.x, q.x), std::max<double>(hi.y, q.y),
              std::max<double>(hi.z, q.z)};
      };
      for (int32_t k = s; k <= s + c.segments; ++k) {
        if (c.survey < 0 && rings[k].section >= 0)
          c.survey = m_.StationSurvey(m_.sections[static_cast<size_t>(rings[k].section)].station);
        c.width = std::max(c.width, rings[k].size.Widest());
        for (int32_t v = tube.Ring(k); v < tube.Ring(k) + kRingPoints; ++v) hold(v);
      }
      if (s == 0 && tube.startTip >= 0) hold(tube.startTip);
      if (s + c.segments == segments && tube.endTip >= 0) hold(tube.endTip);
      const V3 centre = 0.5 * (lo + hi);
      c.cx = static_cast<float>(centre.x), c.cy = static_cast<float>(centre.y),
      c.cz = static_cast<float>(centre.z);
      c.reach = static_cast<float>(0.5 * Length(hi - lo)) * 1.0001f;
      w_.chunks.push_back(c);
    }
  }
  std::vector<Placed>().swap(placed_);

  // The survey's own wall meshes, each triangle with its face's normal.
  for (const WallMesh& mesh : m_.meshes) {
    WallMeshPart part;
    part.survey = mesh.survey;
    part.firstIndex = static_cast<int32_t>(w_.meshTriangles.size());
    const size_t points = mesh.xyz.size() / 3;
    V3 lo{INFINITY, INFINITY, INFINITY}, hi{-INFINITY, -INFINITY, -INFINITY};
    for (size_t t = 0; t + 2 < mesh.triangles.size(); t += 3) {
      std::array<V3, 3> c;
      bool ok = true;
      for (size_t k = 0; k < 3 && ok; ++k) {
        const uint32_t i = mesh.triangles[t + k];
        if (i >= points) {
          ok = false;
          break;
        }
        c[k] = {mesh.xyz[3 * i], mesh.xyz[3 * i + 1], mesh.xyz[3 * i + 2]};
        ok = std::isfinite(c[k].x) && std::isfinite(c[k].y) && std::isfinite(c[k].z);
      }
      if (!ok) continue;
      const V3 f = Cross(c[1] - c[0], c[2] - c[0]);
      if (Dot(f, f) == 0) continue;
      const V3 n = Unit(f);
      for (const V3& q : c) {
        w_.meshTriangles.push_back(static_cast<uint32_t>(put(q, n)));
        lo = {std::min(lo.x, q.x), std::min(lo.y, q.y), std::min(lo.z, q.z)};
        hi = {std::max(hi.x, q.x), std::max(hi.y, q.y), std::max(hi.z, q.z)};
      }
    }
    part.indices = static_cast<int32_t>(w_.meshTriangles.size()) - part.firstIndex;
    if (part.indices == 0) continue;
    const V3 centre = 0.5 * (lo + hi);
    part.cx = static_cast<float>(centre.x), part.cy = static_cast<float>(centre.y),
    part.cz = static_cast<float>(centre.z);
    part.reach = static_cast<float>(0.5 * Length(hi - lo)) * 1.0001f;
    w_.meshParts.push_back(part);
  }
  w_.vertices.shrink_to_fit();
  w_.chunks.shrink_to_fit();
  w_.tubes.shrink_to_fit();
}

}  // namespace

size_t PassageWalls::Bytes() const {
  return sizeof(*this) + vertices.capacity() * sizeof(WallVertex) +
         tubes.capacity() * sizeof(WallTube) + chunks.capacity() * sizeof(WallChunk) +
         meshTriangles.capacity() * sizeof(uint32_t) + meshParts.capacity() * sizeof(WallMeshPart);
}

namespace {

int Step(WallDetail detail) {
  return detail == WallDetail::kFine ? 1 : 2;
}

}  // namespace

int32_t ChunkTriangleCount(const PassageWalls& w, const WallChunk& c, WallDetail detail) {
  if (detail == WallDetail::kSkip) return 0;
  const WallTube& t = w.tubes[static_cast<size_t>(c.tube)];
  const int32_t points = kRingPoints / Step(detail);
  int32_t n = 2 * points * c.segments;
  if (c.firstSegment == 0 && t.startTip >= 0) n += points;
  if (c.firstSegment + c.segments == t.rings - 1 && t.endTip >= 0) n += points;
  return n;
}

uint32_t* WriteChunkTriangles(const PassageWalls& w, const WallChunk& c, WallDetail detail,
                              uint32_t* out) {
  if (detail == WallDetail::kSkip) return out;
  const WallTube& t = w.tubes[static_cast<size_t>(c.tube)];
  const int step = Step(detail);
  const auto tri = [&](int32_t a, int32_t b, int32_t d) {
    *out++ = static_cast<uint32_t>(a);
    *out++ = static_cast<uint32_t>(b);
    *out++ = static_cast<uint32_t>(d);
  };
  // Ring points run counter-clockwise seen from behind the ring, so the cone
  // of a cap that looks back turns one way and one that looks ahead the
  // other.
  if (c.firstSegment == 0 && t.startTip >= 0) {
    const int32_t r = t.Ring(0);
    for (int j = 0; j < kRingPoints; j += step)
      tri(t.startTip, r + j, r + (j + step) % kRingPoints);
  }
  for (int32_t s = c.firstSegment; s < c.firstSegment + c.segments; ++s) {
    const int32_t a = t.Ring(s), b = t.Ring(s + 1);
    for (int j = 0; j < kRingPoints; j += step) {
      const int32_t j1 = (j + step) % kRingPoints;
      tri(a + j, b + j, b + j1);
      tri(a + j, b + j1, a + j1);
    }
  }
  if (c.firstSegment + c.segments == t.rings - 1 && t.endTip >= 0) {
    const int32_t r = t.Ring(t.rings - 1);
    for (int j = 0; j < kRingPoints; j += step) tri(t.endTip, r + (j + step) % kRingPoints, r + j);
  }
  return out;
}

void AppendChunkTriangles(const PassageWalls& w, const WallChunk& c, WallDetail detail,
                          std::vector<uint32_t>& out) {
  const size_t had = out.size();
  out.resize(had + 3 * static_cast<size_t>(ChunkTriangleCount(w, c, detail)));
  WriteChunkTriangles(w, c, detail, out.data() + had);
}

PassageWalls BuildPassageWalls(const SurveyModel& m, std::vector<WallRingFrame>* frames) {
  PassageWalls w;
  Builder(m, w, frames).Build();
  return w;
}

}  // namespace mv
