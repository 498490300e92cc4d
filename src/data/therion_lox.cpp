#include "data/therion_lox.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <unordered_map>
#include <vector>

#include "data/model_builder.h"
#include "data/reader_kit.h"

namespace mv {

namespace {

enum ChunkType : uint32_t { kSurveys = 1, kStations = 2, kShots = 3, kScraps = 4 };
constexpr size_t kChunkTypes = 4;
// Surface grids (5) and surface pictures (6) are skipped like any chunk of
// an unknown type.

constexpr size_t kHeaderSize = 16;
constexpr size_t kSurveySize = 24;   // id, name, parent, title
constexpr size_t kStationSize = 52;  // id, survey, name, comment, flags, x, y, z
constexpr size_t kShotSize = 92;     // from, to, 8 dimensions, flags, section, survey, threshold
constexpr size_t kScrapSize = 32;    // id, survey, points, point data, triangles, triangle data

constexpr uint32_t kStationEntranceFlag = 2;
constexpr uint32_t kStationFixedFlag = 4;
constexpr uint32_t kShotSurface = 1;
constexpr uint32_t kShotDuplicate = 2;
constexpr uint32_t kShotInvisible = 4;
constexpr uint32_t kShotNoSizes = 8;  // the shot's passage sizes are not to be used
constexpr uint32_t kShotSplay = 16;
// Section shapes 0 (none) to 4 (tunnel), as SectionShape numbers them.
constexpr uint32_t kLastShape = 4;
// Bytes of survey names a station's name carries at most.
constexpr size_t kMaxQualifier = 256;

size_t RecordSize(uint32_t type) {
  switch (type) {
    case kSurveys:
      return kSurveySize;
    case kStations:
      return kStationSize;
    case kShots:
      return kShotSize;
    case kScraps:
      return kScrapSize;
  }
  return 0;
}

const char* ChunkName(uint32_t type) {
  switch (type) {
    case kSurveys:
      return "survey";
    case kStations:
      return "station";
    case kShots:
      return "shot";
    case kScraps:
      return "scrap";
  }
  return "unknown";
}

// The records of one chunk and the block of names they point into.
struct Chunk {
  size_t offset;  // of the first record in the file
  uint32_t count;
  const uint8_t* records;
  std::string_view data;
};

struct Survey {
  uint32_t id, parent;
  std::string_view name, title;
};

struct Station {
  RawPoint p;
  uint32_t survey;
  uint32_t flags;
  std::string_view name;
};

// Index of each id: the ids are usually 0, 1, 2... in order and the table
// is then left empty.
class IdIndex {
 public:
  template <class IdOf>
  bool Build(size_t n, IdOf&& idOf) {
    bool inOrder = true;
    for (size_t i = 0; i < n && inOrder; ++i) inOrder = idOf(i) == i;
    if (inOrder) {
      count_ = n;
      return true;
    }
    map_.reserve(n);
    for (size_t i = 0; i < n; ++i)
      if (!map_.emplace(idOf(i), static_cast<uint32_t>(i)).second) return false;
    return true;
  }
  // -1 when no record has the id.
  int64_t Find(uint32_t id) const {
    if (map_.empty()) return id < count_ ? int64_t{id} : -1;
    const auto it = map_.find(id);
    return it == map_.end() ? -1 : int64_t{it->second};
  }

 private:
  size_t count_ = 0;
  std::unordered_map<uint32_t, uint32_t> map_;
};

class Reader {
 public:
  Reader(std::span<const uint8_t> bytes, std::string_view name, const LegOptions& options,
         ReadResult& out, uint64_t& at)
      : b_(bytes), name_(name), options_(options), out_(out), info_(out.info), at_(at) {}

  void Run() {
    info_.format = SourceFormat::kTherionLox;
    builder_.SetNameBudget(NameBudget(b_.size(), 8));
    ReadChunks();
    ReadSurveys();
    ReadStations();
    ReadShots();
    ReadScraps();
    for (const Station& s : stations_) {
      const std::string name = Qualified(s);
      builder_.Name(s.p, name, NodeOfId(s.survey));
      uint8_t flags = MapFlags(
          s.flags, {{kStationEntranceFlag, kStationEntrance}, {kStationFixedFlag, kStationFixed}});
      if (name.empty()) flags |= kStationAnonymous;
      builder_.Flag(s.p, flags);
      if (s.flags & kStationEntranceFlag) builder_.Entrance(s.p, name);
    }
    if (!builder_.HasLegs())
      throw ReadFault{SourceError::Place::kFile, 0, NoLegsToShow(info_.legsLeftOut)};
    info_.entrancesFound = builder_.EntrancesFound();
    at_ = b_.size();
    out_.model = builder_.Finish(Title(), name_);
    info_.warnings = builder_.TakeWarnings(name_);
  }

 private:
  [[noreturn]] void Fail(size_t at, std::string what) {
    throw ReadFault{SourceError::Place::kByte, at, std::move(what)};
  }

  void ReadChunks() {
    for (size_t pos = 0; pos < b_.size();) {
      at_ = pos;
      const size_t left = b_.size() - pos;
      if (left < kHeaderSize)
        Fail(pos, "a chunk header needs " + std::to_string(kHeaderSize) + " bytes, but only " +
                      std::to_string(left) + " are left");
      const uint8_t* h = b_.data() + pos;
      const uint32_t type = LittleEndian32(h), recordBytes = LittleEndian32(h + 4),
                     count = LittleEndian32(h + 8), dataBytes = LittleEndian32(h + 12);
      // 64-bit sums: no field can wrap around past the end.
      const uint64_t body = uint64_t{recordBytes} + dataBytes;
      if (body > left - kHeaderSize)
        Fail(pos, std::string("the ") + ChunkName(type) + " chunk (type " + std::to_string(type) +
                      ") claims " + std::to_string(recordBytes) + " bytes of records and " +
                      std::to_string(dataBytes) + " bytes of names, but only " +
                      std::to_string(left - kHeaderSize) + " bytes follow its header");
      const size_t size = RecordSize(type);
      if (size != 0) {
        if (uint64_t{count} * size != recordBytes)
          Fail(pos, std::string("the ") + ChunkName(type) + " chunk holds " +
                        std::to_string(recordBytes) + " bytes of records, which is not " +
                        std::to_string(count) + " records of " + std::to_string(size) + " bytes");
        const size_t records = pos + kHeaderSize;
        const size_t data = records + recordBytes;
        Chunk c{records, count, b_.data() + records,
                std::string_view(reinterpret_cast<const char*>(b_.data() + data), dataBytes)};
        chunks_[type - 1].push_back(c);
      }
      pos += kHeaderSize + static_cast<size_t>(body);
    }
  }

  // A name in a chunk's block: `size` bytes from `pos`, ending in a zero
  // byte; a size of 0 or 1 is no name.
  std::string_view Text(const Chunk& c, const uint8_t* field, size_t recordAt, const char* what) {
    const uint32_t pos = LittleEndian32(field), size = LittleEndian32(field + 4);
    if (size <= 1) return {};
    if (uint64_t{pos} + size > c.data.size())
      Fail(recordAt, std::string("the ") + what + " of this record lies outside its chunk's " +
                         std::to_string(c.data.size()) + " bytes of names (at " +
                         std::to_string(pos) + ", " + std::to_string(size) + " bytes)");
    const std::string_view s = c.data.substr(pos, size);
    return s.substr(0, s.find('\0'));
  }

  void ReadSurveys() {
    for (const Chunk& c : chunks_[kSurveys - 1]) {
      for (uint32_t i = 0; i < c.count; ++i) {
        const uint8_t* r = c.records + size_t{i} * kSurveySize;
        const size_t at = c.offset + size_t{i} * kSurveySize;
        at_ = at;
        surveys_.push_back({LittleEndian32(r), LittleEndian32(r + 12), Text(c, r + 4, at, "name"),
                            Text(c, r + 16, at, "title")});
      }
    }
    if (!surveyIds_.Build(surveys_.size(), [&](size_t i) { return surveys_[i].id; }))
      Fail(at_, "two surveys have the same id");
    nodes_.assign(surveys_.size(), kNoNode);
  }

  void ReadStations() {
    for (const Chunk& c : chunks_[kStations - 1]) {
      for (uint32_t i = 0; i < c.count; ++i) {
        const uint8_t* r = c.records + size_t{i} * kStationSize;
        const size_t at = c.offset + size_t{i} * kStationSize;
        at_ = at;
        Station s;
        s.survey = LittleEndian32(r + 4);
        s.name = Text(c, r + 8, at, "name");
        Text(c, r + 16, at, "comment");
        s.flags = LittleEndian32(r + 24);
        s.p = {LittleEndianDouble(r + 28), LittleEndianDouble(r + 36), LittleEndianDouble(r + 44)};
        if (!std::isfinite(s.p.x) || !std::isfinite(s.p.y) || !std::isfinite(s.p.z))
          Fail(at, "station id " + std::to_string(LittleEndian32(r)) +
                       " has a coordinate that is not a finite number");
        stations_.push_back(s);
        ids_.push_back(LittleEndian32(r));
      }
    }
    if (!stationIds_.Build(ids_.size(), [&](size_t i) { return ids_[i]; }))
      Fail(at_, "two stations have the same id");
  }

  const Station& StationOf(uint32_t id, size_t shotAt, const char* end) {
    const int64_t i = stationIds_.Find(id);
    if (i < 0)
      Fail(shotAt, std::string("the shot's ") + end + " station id " + std::to_string(id) +
                       " is not the id of any station");
    return stations_[static_cast<size_t>(i)];
  }

  void ReadShots() {
    for (const Chunk& c : chunks_[kShots - 1]) {
      for (uint32_t i = 0; i < c.count; ++i) {
        const uint8_t* r = c.records + size_t{i} * kShotSize;
        const size_t at = c.offset + size_t{i} * kShotSize;
        at_ = at;
        const uint32_t fromId = LittleEndian32(r), toId = LittleEndian32(r + 4);
        const Station& from = StationOf(fromId, at, "from");
        const Station& to = StationOf(toId, at, "to");
        const uint32_t shot = LittleEndian32(r + 72);
        // Walls may be built along shots that are not drawn, but never along
        // a shot to a wall point.
        if (!(shot & (kShotNoSizes | kShotSplay))) ShotSections(r, from, to, fromId, toId);
        if (shot & kShotInvisible) {
          // Joins passage outlines for Therion's viewer; never a leg drawn.
          ++info_.legs;
          ++info_.legsLeftOut;
          continue;
        }
        // The splay bit itself: 0x16 would take duplicate and hidden shots too.
        const uint8_t flags = MapFlags(shot, {{kShotSurface, kLegSurface},
                                              {kShotDuplicate, kLegDuplicate},
                                              {kShotSplay, kLegSplay}});
        if (info_.CountLeg(flags, options_))
          builder_.Leg(from.p, to.p, flags, NodeOfId(LittleEndian32(r + 80)));
      }
    }
    info_.sectionsFound = static_cast<int64_t>(sections_.size());
    for (const PendingSection& p : sections_) builder_.Section(p.p, p.s);
    std::vector<PendingSection>().swap(sections_);
  }

  // A shot's sizes at both its ends (left, right, up, down in metres; a
  // negative one is missing). Consecutive shots whose sizes agree at the
  // station they share make one passage. A shot whose eight sizes are all
  // zero has none: that is how Therion writes a shot without them.
  void ShotSections(const uint8_t* r, const Station& from, const Station& to, uint32_t fromId,
                    uint32_t toId) {
    float size[8];
    bool any = false;
    for (int k = 0; k < 8; ++k) {
      const double v = LittleEndianDouble(r + 8 + 8 * k);
      any |= v != 0;
      size[k] = v < 0 ? std::numeric_limits<float>::quiet_NaN() : static_cast<float>(v);
    }
    if (!any) return;
    const uint32_t shape = LittleEndian32(r + 76);
    const uint8_t flags =
        static_cast<uint8_t>((shape <= kLastShape ? shape : 0) << kSectionShapeShift);
    const auto section = [&](const float* s) {
      CrossSection c{};
      c.left = s[0];
      c.right = s[1];
      c.up = s[2];
      c.down = s[3];
      c.flags = flags;
      return c;
    };
    const CrossSection start = section(size), end = section(size + 4);
    const auto same = [](const CrossSection& a, const CrossSection& b) {
      const auto eq = [](float x, float y) { return x == y || (x != x && y != y); };
      return eq(a.left, b.left) && eq(a.right, b.right) && eq(a.up, b.up) && eq(a.down, b.down) &&
             a.flags == (b.flags | kSectionEnd);
    };
    if (!sections_.empty() && lastSectionId_ == fromId && same(sections_.back().s, start)) {
      sections_.back().s.flags &= static_cast<uint8_t>(~kSectionEnd);
    } else {
      sections_.push_back({from.p, start});
    }
    sections_.push_back({to.p, end});
    sections_.back().s.flags |= kSectionEnd;
    lastSectionId_ = toId;
  }

  // Scraps: triangle meshes of the passage walls.
  void ReadScraps() {
    for (const Chunk& c : chunks_[kScraps - 1]) {
      for (uint32_t i = 0; i < c.count; ++i) {
        const uint8_t* r = c.records + size_t{i} * kScrapSize;
        const size_t at = c.offset + size_t{i} * kScrapSize;
        at_ = at;
        const uint32_t points = LittleEndian32(r + 8), triangles = LittleEndian32(r + 20);
        const std::string_view pointBytes = Block(c, r + 12, at, "points", points, 24);
        const std::string_view triangleBytes = Block(c, r + 24, at, "triangles", triangles, 12);
        std::vector<RawPoint> xyz(points);
        for (uint32_t k = 0; k < points; ++k) {
          const auto* q = reinterpret_cast<const uint8_t*>(pointBytes.data()) + 24 * size_t{k};
          xyz[k] = {LittleEndianDouble(q), LittleEndianDouble(q + 8), LittleEndianDouble(q + 16)};
          if (!std::isfinite(xyz[k].x) || !std::isfinite(xyz[k].y) || !std::isfinite(xyz[k].z))
            Fail(at, "point " + std::to_string(k) + " of this scrap is not at a finite place");
        }
        std::vector<uint32_t> corners(3 * size_t{triangles});
        for (size_t k = 0; k < corners.size(); ++k) {
          corners[k] =
              LittleEndian32(reinterpret_cast<const uint8_t*>(triangleBytes.data()) + 4 * k);
          if (corners[k] >= points)
            Fail(at, "triangle " + std::to_string(k / 3) + " of this scrap names point " +
                         std::to_string(corners[k]) + " of its " + std::to_string(points));
        }
        if (triangles > 0)
          builder_.Mesh(std::move(xyz), std::move(corners), NodeOfId(LittleEndian32(r + 4)));
        info_.wallTriangles += triangles;
      }
    }
  }

  // A block of `count` items of `itemSize` bytes in a chunk's data, from a
  // {position, size} field.
  std::string_view Block(const Chunk& c, const uint8_t* field, size_t recordAt, const char* what,
                         uint32_t count, size_t itemSize) {
    const uint32_t pos = LittleEndian32(field), size = LittleEndian32(field + 4);
    if (uint64_t{count} * itemSize != size)
      Fail(recordAt, std::string("this scrap's ") + what + " take " + std::to_string(size) +
                         " bytes, which is not " + std::to_string(count) + " of " +
                         std::to_string(itemSize) + " bytes");
    if (uint64_t{pos} + size > c.data.size())
      Fail(recordAt, std::string("this scrap's ") + what + " lie outside its chunk's " +
                         std::to_string(c.data.size()) + " bytes of data");
    return c.data.substr(pos, size);
  }

  // The node of the survey tree for a survey id; the root for none. The
  // file's own root (a survey without a name, usually id 0) is the tree's.
  int32_t NodeOfId(uint32_t id) {
    const int64_t s = surveyIds_.Find(id);
    return s < 0 ? 0 : NodeOf(static_cast<size_t>(s));
  }

  int32_t NodeOf(size_t survey) {
    if (nodes_[survey] >= 0) return nodes_[survey];
    // Up to a survey whose node is known, or the top, or a cycle; then down
    // again, each node under its parent's.
    std::vector<size_t> chain;
    int32_t top = 0;
    for (size_t s = survey;;) {
      if (nodes_[s] >= 0) {
        top = nodes_[s];
        break;
      }
      if (nodes_[s] == kOnChain) break;  // a cycle: its first survey hangs from the root
      nodes_[s] = kOnChain;
      chain.push_back(s);
      const int64_t parent = surveyIds_.Find(surveys_[s].parent);
      if (parent < 0 || static_cast<size_t>(parent) == s) break;
      s = static_cast<size_t>(parent);
    }
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
      const Survey& v = surveys_[*it];
      if (!v.name.empty()) top = builder_.SurveyChild(top, v.name);
      nodes_[*it] = top;
    }
    return nodes_[survey];
  }

  // "name@survey.parent.grandparent", the names of the surveys from the
  // station's own outwards up to the unnamed root. A path that would pass
  // kMaxQualifier bytes keeps its inner parts and ends in "...": surveys
  // nested thousands deep would otherwise give every station a name of
  // megabytes (the survey tree keeps every level).
  std::string Qualified(const Station& s) {
    if (s.name.empty()) return {};
    std::string name(s.name);
    const std::vector<SurveyNode>& nodes = builder_.Surveys();
    char joint = '@';
    for (int32_t n = NodeOfId(s.survey); n > 0; n = nodes[static_cast<size_t>(n)].parent) {
      const std::string& part = nodes[static_cast<size_t>(n)].name;
      if (name.size() - s.name.size() + part.size() + 1 > kMaxQualifier) {
        name += joint;
        name += "...";
        break;
      }
      name += joint;
      name += part;
      joint = '.';
    }
    return name;
  }

  // The first survey title the file gives, else the first survey name.
  std::string Title() const {
    for (const Survey& s : surveys_)
      if (!s.title.empty()) return std::string(s.title);
    for (const Survey& s : surveys_)
      if (!s.name.empty()) return std::string(s.name);
    return {};
  }

  std::span<const uint8_t> b_;
  std::string_view name_;
  const LegOptions& options_;
  ReadResult& out_;
  SourceInfo& info_;
  uint64_t& at_;
  ModelBuilder builder_;

  std::vector<Chunk> chunks_[kChunkTypes];
  std::vector<Survey> surveys_;
  IdIndex surveyIds_;
  std::vector<Station> stations_;
  std::vector<uint32_t> ids_;
  IdIndex stationIds_;

  static constexpr int32_t kNoNode = -1, kOnChain = -2;
  std::vector<int32_t> nodes_;  // tree node of each survey record

  struct PendingSection {
    RawPoint p;
    CrossSection s;
  };
  std::vector<PendingSection> sections_;
  uint32_t lastSectionId_ = 0;
};

}  // namespace

bool LooksLikeTherionLox(std::span<const uint8_t> head) {
  if (head.size() < kHeaderSize) return false;
  const uint32_t type = LittleEndian32(head.data()), recordBytes = LittleEndian32(head.data() + 4),
                 count = LittleEndian32(head.data() + 8);
  const size_t size = RecordSize(type);
  return size != 0 && count > 0 && uint64_t{count} * size == recordBytes;
}

ReadResult ReadTherionLox(std::span<const uint8_t> bytes, std::string_view name,
                          const LegOptions& options) {
  uint64_t at = 0;
  return GuardedRead(name, SourceError::Place::kByte, at,
                     [&](ReadResult& r) { Reader(bytes, name, options, r, at).Run(); });
}

}  // namespace mv
