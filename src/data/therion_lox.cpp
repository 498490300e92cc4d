#include "data/therion_lox.h"

#include <cmath>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

#include "data/model_builder.h"

namespace mv {

namespace {

enum ChunkType : uint32_t { kSurveys = 1, kStations = 2, kShots = 3 };
// Scraps (4), surface grids (5) and surface pictures (6) are skipped like
// any chunk of an unknown type.

constexpr size_t kHeaderSize = 16;
constexpr size_t kSurveySize = 24;   // id, name, parent, title
constexpr size_t kStationSize = 52;  // id, survey, name, comment, flags, x, y, z
constexpr size_t kShotSize = 92;     // from, to, 8 dimensions, flags, section, survey, threshold

constexpr uint32_t kStationEntranceFlag = 2;
constexpr uint32_t kStationFixedFlag = 4;
constexpr uint32_t kShotSurface = 1;
constexpr uint32_t kShotDuplicate = 2;
constexpr uint32_t kShotInvisible = 4;
constexpr uint32_t kShotSplay = 16;

uint32_t U32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

double F64(const uint8_t* p) {
  uint64_t bits = 0;
  for (int i = 7; i >= 0; --i) bits = bits << 8 | p[i];
  double v;
  std::memcpy(&v, &bits, sizeof v);
  return v;
}

size_t RecordSize(uint32_t type) {
  switch (type) {
    case kSurveys:
      return kSurveySize;
    case kStations:
      return kStationSize;
    case kShots:
      return kShotSize;
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
  Reader(std::span<const uint8_t> bytes, const LegOptions& options, ReadResult& out, uint64_t& at)
      : b_(bytes), options_(options), out_(out), info_(out.info), at_(at) {}

  void Run() {
    info_.format = SourceFormat::kTherionLox;
    budget_ = (size_t{64} << 20) + 32 * b_.size();
    builder_.SetNameBudget(budget_);
    ReadChunks();
    ReadSurveys();
    ReadStations();
    ReadShots();
    for (const Station& s : stations_) {
      const std::string name = Qualified(s);
      builder_.Name(s.p, name);
      uint8_t flags = 0;
      if (s.flags & kStationEntranceFlag) flags |= kStationEntrance;
      if (s.flags & kStationFixedFlag) flags |= kStationFixed;
      builder_.Flag(s.p, flags);
      if (s.flags & kStationEntranceFlag) builder_.Entrance(s.p, name);
    }
    if (!builder_.HasLegs())
      throw ReadFault{SourceError::Place::kFile, 0,
                      "the file holds no survey legs to show (" +
                          std::to_string(info_.legsLeftOut) + " left out by their flags)"};
    info_.entrancesFound = builder_.EntrancesFound();
    out_.model = builder_.Finish(Title());
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
      const uint32_t type = U32(h), recordBytes = U32(h + 4), count = U32(h + 8),
                     dataBytes = U32(h + 12);
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
    const uint32_t pos = U32(field), size = U32(field + 4);
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
        surveys_.push_back(
            {U32(r), U32(r + 12), Text(c, r + 4, at, "name"), Text(c, r + 16, at, "title")});
      }
    }
    if (!surveyIds_.Build(surveys_.size(), [&](size_t i) { return surveys_[i].id; }))
      Fail(at_, "two surveys have the same id");
    paths_.resize(surveys_.size());
    pathState_.assign(surveys_.size(), 0);
  }

  void ReadStations() {
    for (const Chunk& c : chunks_[kStations - 1]) {
      for (uint32_t i = 0; i < c.count; ++i) {
        const uint8_t* r = c.records + size_t{i} * kStationSize;
        const size_t at = c.offset + size_t{i} * kStationSize;
        at_ = at;
        Station s;
        s.survey = U32(r + 4);
        s.name = Text(c, r + 8, at, "name");
        Text(c, r + 16, at, "comment");
        s.flags = U32(r + 24);
        s.p = {F64(r + 28), F64(r + 36), F64(r + 44)};
        if (!std::isfinite(s.p.x) || !std::isfinite(s.p.y) || !std::isfinite(s.p.z))
          Fail(at, "station id " + std::to_string(U32(r)) +
                       " has a coordinate that is not a finite number");
        stations_.push_back(s);
        ids_.push_back(U32(r));
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
        const Station& from = StationOf(U32(r), at, "from");
        const Station& to = StationOf(U32(r + 4), at, "to");
        const uint32_t shot = U32(r + 72);
        if (shot & kShotInvisible) {
          // Joins passage outlines for Therion's viewer; never a leg drawn.
          ++info_.legs;
          ++info_.legsLeftOut;
          continue;
        }
        unsigned flags = 0;
        if (shot & kShotSurface) flags |= kLegSurface;
        if (shot & kShotDuplicate) flags |= kLegDuplicate;
        if (shot & kShotSplay) flags |= kLegSplay;
        if (info_.CountLeg(flags, options_)) builder_.Leg(from.p, to.p);
      }
    }
  }

  // The survey's dotted path up to the unnamed root: "entrance.cave". Each
  // path is its survey's name before its parent's path, so every survey is
  // walked once however deep the tree; a cycle of parents ends where it
  // meets itself.
  const std::string& Path(size_t survey) {
    enum : uint8_t { kNotYet, kWalking, kDone };
    std::vector<size_t> chain;
    for (size_t s = survey; pathState_[s] == kNotYet;) {
      pathState_[s] = kWalking;
      chain.push_back(s);
      const int64_t parent = surveyIds_.Find(surveys_[s].parent);
      if (parent < 0) break;
      s = static_cast<size_t>(parent);
    }
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
      const Survey& v = surveys_[*it];
      const int64_t parent = surveyIds_.Find(v.parent);
      const bool above = parent >= 0 && pathState_[static_cast<size_t>(parent)] == kDone;
      static const std::string kRoot;
      const std::string& up = above ? paths_[static_cast<size_t>(parent)] : kRoot;
      std::string path(v.name);
      if (!path.empty() && !up.empty()) path += '.';
      path += up;
      pathBytes_ += path.size();
      if (pathBytes_ > budget_)
        throw ModelLimit{"the survey names take far more room than the file itself"};
      paths_[*it] = std::move(path);
      pathState_[*it] = kDone;
    }
    return paths_[survey];
  }

  std::string Qualified(const Station& s) {
    if (s.name.empty()) return {};
    const int64_t survey = surveyIds_.Find(s.survey);
    std::string name(s.name);
    if (survey >= 0) {
      const std::string& path = Path(static_cast<size_t>(survey));
      if (!path.empty()) name += "@" + path;
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
  const LegOptions& options_;
  ReadResult& out_;
  SourceInfo& info_;
  uint64_t& at_;
  ModelBuilder builder_;
  size_t budget_ = 0;

  std::vector<Chunk> chunks_[3];
  std::vector<Survey> surveys_;
  IdIndex surveyIds_;
  std::vector<std::string> paths_;
  std::vector<uint8_t> pathState_;
  size_t pathBytes_ = 0;
  std::vector<Station> stations_;
  std::vector<uint32_t> ids_;
  IdIndex stationIds_;
};

}  // namespace

bool LooksLikeTherionLox(std::span<const uint8_t> head) {
  if (head.size() < kHeaderSize) return false;
  const uint32_t type = U32(head.data()), recordBytes = U32(head.data() + 4),
                 count = U32(head.data() + 8);
  const size_t size = RecordSize(type);
  return size != 0 && count > 0 && uint64_t{count} * size == recordBytes;
}

ReadResult ReadTherionLox(std::span<const uint8_t> bytes, std::string_view name,
                          const LegOptions& options) {
  uint64_t at = 0;
  return GuardedRead(name, SourceError::Place::kByte, at,
                     [&](ReadResult& r) { Reader(bytes, options, r, at).Run(); });
}

}  // namespace mv
