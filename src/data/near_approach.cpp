#include "data/near_approach.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <queue>
#include <utility>

#include "data/survey_stats.h"

namespace mv {

namespace {

struct Leg {
  int32_t a, b;  // station rows
};

const double* At(const SurveyModel& m, int32_t row) {
  return &m.stations[3 * static_cast<size_t>(row)];
}

// The legs of each part, and the graph of every leg of the survey, each
// link tagged with the part its leg is in (0 for none).
struct Parts {
  std::vector<Leg> from, to;
  ApproachResult::Problem problem = ApproachResult::Problem::kNone;
};

class Graph {
 public:
  struct Link {
    int32_t station;
    uint8_t part;
  };

  Graph(const SurveyModel& m, const std::vector<uint8_t>& rowPart)
      : start_(static_cast<size_t>(m.StationCount()) + 1, 0),
        stamp_(static_cast<size_t>(m.StationCount()), 0) {
    const size_t n = stamp_.size();
    for (int32_t r = 0; r < m.SurveyLineCount(); ++r) {
      const int32_t* l = m.Line(r);
      for (int32_t i = 1; i <= l[0]; ++i) {
        ++start_[static_cast<size_t>(l[i]) + 1];
        ++start_[static_cast<size_t>(l[i + 1]) + 1];
      }
    }
    for (size_t k = 0; k < n; ++k) start_[k + 1] += start_[k];
    links_.resize(start_[n]);
    std::vector<size_t> fill(start_.begin(), start_.end() - 1);
    for (int32_t r = 0; r < m.SurveyLineCount(); ++r) {
      const int32_t* l = m.Line(r);
      const uint8_t part = rowPart[static_cast<size_t>(r)];
      for (int32_t i = 1; i <= l[0]; ++i) {
        links_[fill[static_cast<size_t>(l[i])]++] = {l[i + 1], part};
        links_[fill[static_cast<size_t>(l[i + 1])]++] = {l[i], part};
      }
    }
  }

  template <class Each>
  void ForEachLink(int32_t s, Each&& each) const {
    for (size_t k = start_[static_cast<size_t>(s)]; k < start_[static_cast<size_t>(s) + 1]; ++k)
      each(links_[k]);
  }

  // The stations within kJoinedWithinLegs legs (of any kind) of a leg's
  // ends, ascending.
  std::vector<int32_t> Near(const Leg& l) {
    ++generation_;
    std::vector<int32_t> found, frontier = {l.a, l.b}, deeper;
    for (const int32_t s : frontier) Visit(s, found);
    for (int depth = 0; depth < kJoinedWithinLegs && !frontier.empty(); ++depth) {
      deeper.clear();
      for (const int32_t s : frontier)
        ForEachLink(s, [&](const Link& k) {
          if (Visit(k.station, found)) deeper.push_back(k.station);
        });
      frontier.swap(deeper);
    }
    std::sort(found.begin(), found.end());
    return found;
  }

 private:
  bool Visit(int32_t s, std::vector<int32_t>& found) {
    uint32_t& mark = stamp_[static_cast<size_t>(s)];
    if (mark == generation_) return false;
    mark = generation_;
    found.push_back(s);
    return true;
  }

  std::vector<size_t> start_;
  std::vector<Link> links_;
  std::vector<uint32_t> stamp_;
  uint32_t generation_ = 0;
};

// Part 1 is the node's, part 2 the other's.
constexpr uint8_t kFromPart = 1, kToPart = 2;

Parts SplitLegs(const SurveyModel& m, const ApproachQuery& q, std::vector<uint8_t>& rowPart) {
  Parts p;
  const int32_t nodes = m.SurveyCount();
  if (q.node < 0 || q.node >= nodes || q.other < -1 || q.other >= nodes) {
    p.problem = ApproachResult::Problem::kNoSuchNode;
    return p;
  }
  if (q.other >= 0 && (InSubtree(m, q.other, q.node) || InSubtree(m, q.node, q.other))) {
    p.problem = ApproachResult::Problem::kOverlap;
    return p;
  }
  std::vector<uint8_t> side(static_cast<size_t>(nodes), q.other < 0 ? kToPart : 0);
  for (int32_t n = 0; n < nodes; ++n) {
    if (InSubtree(m, n, q.node)) {
      side[static_cast<size_t>(n)] = kFromPart;
    } else if (q.other >= 0 && InSubtree(m, n, q.other)) {
      side[static_cast<size_t>(n)] = kToPart;
    }
  }
  rowPart.assign(static_cast<size_t>(m.SurveyLineCount()), 0);
  for (int32_t r = 0; r < m.SurveyLineCount(); ++r) {
    const uint8_t kind = m.LineFlags(r);
    if ((kind & kLegSurface) || ((kind & kLegSplay) && !q.splays)) continue;
    const int32_t node = m.LineSurvey(r);
    const uint8_t part = side[static_cast<size_t>(node >= 0 && node < nodes ? node : 0)];
    rowPart[static_cast<size_t>(r)] = part;
    if (part == 0) continue;
    const int32_t* l = m.Line(r);
    for (int32_t i = 1; i <= l[0]; ++i)
      (part == kFromPart ? p.from : p.to).push_back({l[i], l[i + 1]});
  }
  if (p.from.empty() || p.to.empty()) p.problem = ApproachResult::Problem::kNoLegs;
  return p;
}

// Whether the pair (a, b), closest at s along a and t along b, is where the
// parts come closest locally: when the closest point is a leg's end, no
// other leg of that part at that end comes closer to the other leg. So a
// pair that only leads towards a closer one is no approach of its own.
bool LocalMinimum(const SurveyModel& m, const Graph& g, const Leg& a, uint8_t aPart, const Leg& b,
                  uint8_t bPart, double s, double t, double squared) {
  const auto closer = [&](int32_t end, int32_t skip, uint8_t part, const Leg& other) {
    bool found = false;
    g.ForEachLink(end, [&](const Graph::Link& k) {
      if (found || k.part != part || k.station == skip) return;
      double u, v;
      found = SegmentDistanceSquared(At(m, end), At(m, k.station), At(m, other.a), At(m, other.b),
                                     u, v) < squared * (1 - 1e-12);
    });
    return found;
  };
  if (s <= 0 && closer(a.a, a.b, aPart, b)) return false;
  if (s >= 1 && closer(a.b, a.a, aPart, b)) return false;
  if (t <= 0 && closer(b.a, b.b, bPart, a)) return false;
  if (t >= 1 && closer(b.b, b.a, bPart, a)) return false;
  return true;
}

// The approaches accepted so far, nearest first; a candidate met later is
// farther than all of them.
class Accepted {
 public:
  Accepted(const SurveyModel& m, int k) : m_(m), k_(static_cast<size_t>(std::max(k, 0))) {}
  bool Full() const { return list_.size() >= k_; }
  void Offer(const Approach& a) {
    for (const Approach& b : list_)
      if (Close(a.fromStation, b.fromStation) && Close(a.toStation, b.toStation)) return;
    list_.push_back(a);
  }
  std::vector<Approach> Take() { return std::move(list_); }

 private:
  bool Close(int32_t s, int32_t t) const {
    const double* p = At(m_, s);
    const double* q = At(m_, t);
    const double dx = p[0] - q[0], dy = p[1] - q[1], dz = p[2] - q[2];
    return dx * dx + dy * dy + dz * dz <= kSameApproachMetres * kSameApproachMetres;
  }

  const SurveyModel& m_;
  size_t k_;
  std::vector<Approach> list_;
};

Approach Between(const SurveyModel& m, const Leg& a, const Leg& b, bool swapped,
                 double* sOut = nullptr, double* tOut = nullptr) {
  double s = 0, t = 0;
  const double* p0 = At(m, a.a);
  const double* p1 = At(m, a.b);
  const double* q0 = At(m, b.a);
  const double* q1 = At(m, b.b);
  Approach r;
  r.distance = std::sqrt(SegmentDistanceSquared(p0, p1, q0, q1, s, t));
  for (int i = 0; i < 3; ++i) {
    r.from[static_cast<size_t>(i)] = p0[i] + s * (p1[i] - p0[i]);
    r.to[static_cast<size_t>(i)] = q0[i] + t * (q1[i] - q0[i]);
  }
  r.fromStation = s <= 0.5 ? a.a : a.b;
  r.toStation = t <= 0.5 ? b.a : b.b;
  if (sOut) *sOut = s;
  if (tOut) *tOut = t;
  if (swapped) {
    std::swap(r.from, r.to);
    std::swap(r.fromStation, r.toStation);
  }
  return r;
}

bool Joined(const std::vector<int32_t>& near, const Leg& b) {
  return std::binary_search(near.begin(), near.end(), b.a) ||
         std::binary_search(near.begin(), near.end(), b.b);
}

// A box in single precision around the model's origin, rounded outwards,
// so that the gap between two boxes is never more than the true one.
struct FloatBox {
  float lo[3], hi[3];

  static FloatBox Around(const double* p, const double* q, const double* origin) {
    FloatBox b;
    for (int i = 0; i < 3; ++i) {
      const double x = p[i] - origin[i], y = q[i] - origin[i];
      b.lo[i] = std::nextafter(static_cast<float>(std::min(x, y)), -INFINITY);
      b.hi[i] = std::nextafter(static_cast<float>(std::max(x, y)), INFINITY);
    }
    return b;
  }
  static FloatBox Empty() {
    return {{INFINITY, INFINITY, INFINITY}, {-INFINITY, -INFINITY, -INFINITY}};
  }
  void Add(const FloatBox& o) {
    for (int i = 0; i < 3; ++i) {
      lo[i] = std::min(lo[i], o.lo[i]);
      hi[i] = std::max(hi[i], o.hi[i]);
    }
  }
  // The square of the least distance between a point of each box; the
  // differences of two floats are exact in double.
  double DistanceSquared(const FloatBox& o) const {
    double d = 0;
    for (int i = 0; i < 3; ++i) {
      const double gap =
          std::max({0.0, double(o.lo[i]) - double(hi[i]), double(lo[i]) - double(o.hi[i])});
      d += gap * gap;
    }
    return d;
  }
};

// A bounding-volume tree over legs: each node a box over a range of legs
// (a leaf) or over its two children.
class LegTree {
 public:
  struct Item {
    FloatBox box;
    Leg leg;
  };
  struct Node {
    FloatBox box;
    int32_t first, count;  // items of a leaf; count 0 for an inner node
    int32_t left, right;
  };

  LegTree(const SurveyModel& m, const std::vector<Leg>& legs, const double* origin) {
    items_.reserve(legs.size());
    for (const Leg& l : legs)
      items_.push_back({FloatBox::Around(At(m, l.a), At(m, l.b), origin), l});
    nodes_.reserve(2 * legs.size() / kLeafSize + 2);
    Build(0, static_cast<int32_t>(items_.size()));
  }

  const std::vector<Node>& Nodes() const { return nodes_; }
  const Item& ItemAt(int32_t i) const { return items_[static_cast<size_t>(i)]; }

 private:
  static constexpr int32_t kLeafSize = 4;

  int32_t Build(int32_t first, int32_t end) {
    const int32_t index = static_cast<int32_t>(nodes_.size());
    nodes_.push_back({FloatBox::Empty(), first, 0, -1, -1});
    FloatBox box = FloatBox::Empty(), centres = FloatBox::Empty();
    for (int32_t i = first; i < end; ++i) {
      const FloatBox& b = items_[static_cast<size_t>(i)].box;
      box.Add(b);
      FloatBox c;
      for (int k = 0; k < 3; ++k) c.lo[k] = c.hi[k] = b.lo[k] + b.hi[k];
      centres.Add(c);
    }
    nodes_[static_cast<size_t>(index)].box = box;
    if (end - first <= kLeafSize) {
      nodes_[static_cast<size_t>(index)].count = end - first;
      return index;
    }
    int axis = 0;
    for (int k = 1; k < 3; ++k)
      if (centres.hi[k] - centres.lo[k] > centres.hi[axis] - centres.lo[axis]) axis = k;
    const int32_t middle = first + (end - first) / 2;
    std::nth_element(items_.begin() + first, items_.begin() + middle, items_.begin() + end,
                     [axis](const Item& x, const Item& y) {
                       return x.box.lo[axis] + x.box.hi[axis] < y.box.lo[axis] + y.box.hi[axis];
                     });
    const int32_t left = Build(first, middle);
    const int32_t right = Build(middle, end);
    nodes_[static_cast<size_t>(index)].left = left;
    nodes_[static_cast<size_t>(index)].right = right;
    return index;
  }

  std::vector<Item> items_;
  std::vector<Node> nodes_;
};

// The legs of the tree in order of their distance from one leg: a queue of
// tree nodes (by the distance of their boxes) and of legs (by their own).
class Nearest {
 public:
  struct Entry {
    double key;     // squared; a lower bound for a node, exact for a leg
    int32_t index;  // node, or item when `leg`
    bool leg;
    bool operator>(const Entry& o) const { return key > o.key; }
  };

  Nearest(const SurveyModel& m, const LegTree& tree, const Leg& query, const double* origin)
      : query_(query), box_(FloatBox::Around(At(m, query.a), At(m, query.b), origin)) {
    Push({box_.DistanceSquared(tree.Nodes()[0].box), 0, false});
  }

  bool Empty() const { return heap_.empty(); }
  double Key() const { return heap_.front().key; }

  // One step: a node opens into its children or legs; a leg comes out.
  // Returns the leg's item when one does, else -1.
  int32_t Step(const SurveyModel& m, const LegTree& tree) {
    std::pop_heap(heap_.begin(), heap_.end(), std::greater<>());
    const Entry e = heap_.back();
    heap_.pop_back();
    if (e.leg) return e.index;
    const LegTree::Node& n = tree.Nodes()[static_cast<size_t>(e.index)];
    if (n.count == 0) {
      for (const int32_t c : {n.left, n.right})
        Push({box_.DistanceSquared(tree.Nodes()[static_cast<size_t>(c)].box), c, false});
      return -1;
    }
    for (int32_t i = n.first; i < n.first + n.count; ++i) {
      const Leg& l = tree.ItemAt(i).leg;
      double s, t;
      Push({SegmentDistanceSquared(At(m, query_.a), At(m, query_.b), At(m, l.a), At(m, l.b), s, t),
            i, true});
    }
    return -1;
  }

 private:
  void Push(const Entry& e) {
    heap_.push_back(e);
    std::push_heap(heap_.begin(), heap_.end(), std::greater<>());
  }

  Leg query_;
  FloatBox box_;
  std::vector<Entry> heap_;
};

}  // namespace

double SegmentDistanceSquared(const double* p0, const double* p1, const double* q0,
                              const double* q1, double& s, double& t) {
  double d1[3], d2[3], r[3];
  for (int i = 0; i < 3; ++i) {
    d1[i] = p1[i] - p0[i];
    d2[i] = q1[i] - q0[i];
    r[i] = p0[i] - q0[i];
  }
  const auto dot = [](const double* x, const double* y) {
    return x[0] * y[0] + x[1] * y[1] + x[2] * y[2];
  };
  const double a = dot(d1, d1), e = dot(d2, d2), f = dot(d2, r);
  constexpr double kTiny = 1e-18;
  if (a <= kTiny && e <= kTiny) {
    s = t = 0;
  } else if (a <= kTiny) {
    s = 0;
    t = std::clamp(f / e, 0.0, 1.0);
  } else {
    const double c = dot(d1, r);
    if (e <= kTiny) {
      t = 0;
      s = std::clamp(-c / a, 0.0, 1.0);
    } else {
      const double b = dot(d1, d2), denom = a * e - b * b;
      s = denom > kTiny * a * e ? std::clamp((b * f - c * e) / denom, 0.0, 1.0) : 0.0;
      t = (b * s + f) / e;
      if (t < 0) {
        t = 0;
        s = std::clamp(-c / a, 0.0, 1.0);
      } else if (t > 1) {
        t = 1;
        s = std::clamp((b - c) / a, 0.0, 1.0);
      }
    }
  }
  double d = 0;
  for (int i = 0; i < 3; ++i) {
    const double g = p0[i] + s * d1[i] - (q0[i] + t * d2[i]);
    d += g * g;
  }
  return d;
}

ApproachResult FindApproaches(const SurveyModel& m, const ApproachQuery& q) {
  ApproachResult result;
  std::vector<uint8_t> rowPart;
  Parts parts = SplitLegs(m, q, rowPart);
  result.problem = parts.problem;
  if (parts.problem != ApproachResult::Problem::kNone || q.k <= 0) return result;
  Graph graph(m, rowPart);
  std::vector<uint8_t>().swap(rowPart);

  // The tree goes over the larger part; the smaller one asks.
  const bool swapped = parts.from.size() > parts.to.size();
  if (swapped) std::swap(parts.from, parts.to);
  const uint8_t askingPart = swapped ? kToPart : kFromPart,
                treePart = swapped ? kFromPart : kToPart;
  const double origin[3] = {m.originX.AsDouble(), m.originY.AsDouble(), m.originZ.AsDouble()};
  const LegTree tree(m, parts.to, origin);
  std::vector<Leg>().swap(parts.to);
  std::vector<Nearest> searches;
  searches.reserve(parts.from.size());
  for (const Leg& l : parts.from) searches.emplace_back(m, tree, l, origin);

  // Every search's next step, nearest first over all of them: the legs
  // come out in order of distance over every pair.
  using Head = std::pair<double, int32_t>;
  std::priority_queue<Head, std::vector<Head>, std::greater<>> heads;
  for (size_t i = 0; i < searches.size(); ++i) heads.push({searches[i].Key(), int32_t(i)});
  std::vector<std::vector<int32_t>> nearby(searches.size());
  std::vector<bool> nearKnown(searches.size(), false);
  Accepted accepted(m, q.k);
  while (!heads.empty() && !accepted.Full()) {
    const size_t i = static_cast<size_t>(heads.top().second);
    heads.pop();
    Nearest& search = searches[i];
    const int32_t item = search.Step(m, tree);
    if (item >= 0) {
      const Leg& a = parts.from[i];
      const Leg& b = tree.ItemAt(item).leg;
      if (!nearKnown[i]) {
        nearby[i] = graph.Near(a);
        nearKnown[i] = true;
      }
      if (!Joined(nearby[i], b)) {
        double s, t;
        const Approach x = Between(m, a, b, swapped, &s, &t);
        if (LocalMinimum(m, graph, a, askingPart, b, treePart, s, t, x.distance * x.distance))
          accepted.Offer(x);
      }
    }
    if (!search.Empty()) heads.push({search.Key(), int32_t(i)});
  }
  result.approaches = accepted.Take();
  return result;
}

ApproachResult FindApproachesBruteForce(const SurveyModel& m, const ApproachQuery& q) {
  ApproachResult result;
  std::vector<uint8_t> rowPart;
  const Parts parts = SplitLegs(m, q, rowPart);
  result.problem = parts.problem;
  if (parts.problem != ApproachResult::Problem::kNone) return result;
  Graph graph(m, rowPart);
  struct Pair {
    double d;
    size_t a, b;
  };
  std::vector<Pair> pairs;
  for (size_t i = 0; i < parts.from.size(); ++i) {
    const std::vector<int32_t> near = graph.Near(parts.from[i]);
    for (size_t j = 0; j < parts.to.size(); ++j) {
      if (Joined(near, parts.to[j])) continue;
      pairs.push_back({Between(m, parts.from[i], parts.to[j], false).distance, i, j});
    }
  }
  std::stable_sort(pairs.begin(), pairs.end(),
                   [](const Pair& x, const Pair& y) { return x.d < y.d; });
  Accepted accepted(m, q.k);
  for (size_t k = 0; k < pairs.size() && !accepted.Full(); ++k) {
    const Leg& a = parts.from[pairs[k].a];
    const Leg& b = parts.to[pairs[k].b];
    double s, t;
    const Approach x = Between(m, a, b, false, &s, &t);
    if (LocalMinimum(m, graph, a, kFromPart, b, kToPart, s, t, x.distance * x.distance))
      accepted.Offer(x);
  }
  result.approaches = accepted.Take();
  return result;
}

}  // namespace mv
