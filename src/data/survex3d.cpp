#include "data/survex3d.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <limits>
#include <new>
#include <unordered_set>
#include <utility>

namespace mv {

namespace {

constexpr std::string_view kFileId = "Survex 3D Image File\n";
constexpr int kOldestVersion = 3;
constexpr int kNewestVersion = 8;

// Flags of a leg (low bits of a LINE item's code) and of a station (LABEL).
constexpr unsigned kLegSurface = 0x01;
constexpr unsigned kLegDuplicate = 0x02;
constexpr unsigned kLegSplay = 0x04;
constexpr unsigned kStationEntrance = 0x04;
// Version 8: a LINE item with this flag reuses the label buffer unchanged.
constexpr unsigned kLegNoLabel = 0x20;

constexpr int kMaxShotsPerRow = kLineColumns - 2;

// Unwinds the reader to ReadSurvex3d, which turns it into the error line.
struct FormatError {
  size_t offset;
  std::string what;
};

// A position in centimetres, as the file holds it.
struct Point {
  int32_t x, y, z;
  bool operator==(const Point&) const = default;
};

struct PointHash {
  size_t operator()(const Point& p) const noexcept {
    uint64_t h = static_cast<uint32_t>(p.x);
    h = h * 0x9E3779B97F4A7C15ull ^ static_cast<uint32_t>(p.y);
    h = h * 0x9E3779B97F4A7C15ull ^ static_cast<uint32_t>(p.z);
    h ^= h >> 29;
    h *= 0xBF58476D1CE4E5B9ull;
    return static_cast<size_t>(h ^ (h >> 32));
  }
};

// The row of each distinct position: open addressing over a power-of-two
// table of rows, kept at most half full. Much faster than a node-based map
// for the tens of thousands of stations of a large survey.
class PointRows {
 public:
  int32_t FindOrAdd(Point p, std::vector<Point>& points) {
    if (2 * (points.size() + 1) > slots_.size()) Grow(points);
    const size_t mask = slots_.size() - 1;
    const size_t start = PointHash()(p) & mask;
    for (size_t i = start;; i = (i + 1) & mask) {
      const int32_t row = slots_[i];
      if (row < 0) {
        slots_[i] = static_cast<int32_t>(points.size());
        points.push_back(p);
        return slots_[i];
      }
      if (points[row] == p) return row;
    }
  }

 private:
  void Grow(const std::vector<Point>& points) {
    slots_.assign(std::max<size_t>(64, 2 * slots_.size()), -1);
    const size_t mask = slots_.size() - 1;
    for (size_t r = 0; r < points.size(); ++r) {
      size_t i = PointHash()(points[r]) & mask;
      while (slots_[i] >= 0) i = (i + 1) & mask;
      slots_[i] = static_cast<int32_t>(r);
    }
  }

  std::vector<int32_t> slots_;
};

int64_t FloorDiv(int64_t a, int64_t b) {
  int64_t q = a / b;
  if (a % b != 0 && (a < 0) != (b < 0)) --q;
  return q;
}

std::string Hex(unsigned v) {
  static const char digits[] = "0123456789abcdef";
  return std::string("0x") + digits[(v >> 4) & 15] + digits[v & 15];
}

// A piece of the file fit to quote in a message: short, printable ASCII.
std::string Quote(std::string_view s) {
  std::string q = "'";
  for (size_t i = 0; i < s.size() && i < 24; ++i) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    q += (c >= 0x20 && c < 0x7f) ? static_cast<char>(c) : '?';
  }
  if (s.size() > 24) q += "...";
  return q + "'";
}

class Reader {
 public:
  Reader(std::span<const uint8_t> bytes, const Survex3dOptions& options, Survex3dSurvey& out)
      : b_(bytes), options_(options), out_(out) {}

  void Run() {
    ReadHeader();
    if (out_.version >= 8) {
      ReadItems8();
    } else {
      ReadItemsOld();
    }
    Finish();
  }

 private:
  // --- bytes -------------------------------------------------------------

  void Begin(const char* item) {
    itemStart_ = pos_;
    item_ = item;
  }

  void Need(size_t n) {
    if (b_.size() - pos_ < n) {
      throw FormatError{itemStart_, std::string(item_) +
                                        " cut short by the end of the file at byte " +
                                        std::to_string(b_.size())};
    }
  }

  uint8_t U8() {
    Need(1);
    return b_[pos_++];
  }

  uint32_t LittleEndian(size_t n) {
    Need(n);
    uint32_t v = 0;
    for (size_t i = 0; i < n; ++i) v |= static_cast<uint32_t>(b_[pos_ + i]) << (8 * i);
    pos_ += n;
    return v;
  }

  uint32_t U16() { return LittleEndian(2); }
  uint32_t U32() { return LittleEndian(4); }
  void Skip(size_t n) {
    Need(n);
    pos_ += n;
  }

  Point ReadPoint() {
    Point p;
    p.x = static_cast<int32_t>(U32());
    p.y = static_cast<int32_t>(U32());
    p.z = static_cast<int32_t>(U32());
    return p;
  }

  // One header line without its linefeed.
  std::string_view HeaderLine(const char* what) {
    Begin(what);
    const uint8_t* start = b_.data() + pos_;
    const void* nl = std::memchr(start, '\n', b_.size() - pos_);
    if (nl == nullptr) {
      throw FormatError{itemStart_,
                        std::string(what) + " has no end of line before the end of the file"};
    }
    const size_t len = static_cast<const uint8_t*>(nl) - start;
    pos_ += len + 1;
    return {reinterpret_cast<const char*>(start), len};
  }

  // --- header ------------------------------------------------------------

  void ReadHeader() {
    const size_t have = std::min(b_.size(), kFileId.size());
    if (have == 0 || std::memcmp(b_.data(), kFileId.data(), have) != 0) {
      throw FormatError{0,
                        "not a Survex .3d file (it does not begin with \"Survex 3D Image File\")"};
    }
    if (have < kFileId.size()) {
      throw FormatError{0, "the file ends at byte " + std::to_string(b_.size()) +
                               ", inside the file identification"};
    }
    pos_ = kFileId.size();

    const size_t versionAt = pos_;
    const std::string_view v = HeaderLine("the format version line");
    int version = 0;
    if (v.size() == 2 && v[0] == 'v' && v[1] >= '0' && v[1] <= '9') version = v[1] - '0';
    if (version < kOldestVersion || version > kNewestVersion) {
      throw FormatError{versionAt, "format version " + Quote(v) +
                                       " is not supported (this reader takes v3 to v8)"};
    }
    out_.version = version;

    if (version >= 8) {
      // Title and coordinate system, separated by zero bytes; later items are
      // for newer writers and are ignored.
      std::string_view meta = HeaderLine("the title line");
      const size_t z = meta.find('\0');
      out_.title = meta.substr(0, z);
      if (z != std::string_view::npos) {
        meta.remove_prefix(z + 1);
        out_.coordinateSystem = meta.substr(0, meta.find('\0'));
      }
      HeaderLine("the timestamp line");
      Begin("the file-wide flags");
      out_.extendedElevation = (U8() & 0x80) != 0;
    } else {
      out_.title = HeaderLine("the title line");
      HeaderLine("the timestamp line");
    }
  }

  // --- items, version 8 --------------------------------------------------

  // Drops the last D bytes of the label buffer and appends the next A bytes.
  void Label8() {
    size_t drop, add;
    const uint8_t first = U8();
    if (first != 0) {
      drop = first >> 4;
      add = first & 0x0f;
    } else {
      const uint8_t d = U8();
      drop = d != 255 ? d : U32();
      const uint8_t a = U8();
      add = a != 255 ? a : U32();
    }
    if (drop > label_.size()) {
      throw FormatError{itemStart_, std::string(item_) + " removes " + std::to_string(drop) +
                                        " bytes from a label of " + std::to_string(label_.size())};
    }
    label_.resize(label_.size() - drop);
    AppendLabel(add);
  }

  void AppendLabel(size_t n) {
    Need(n);
    label_.append(reinterpret_cast<const char*>(b_.data() + pos_), n);
    pos_ += n;
  }

  void ReadItems8() {
    // No style is in force until the first style item, so a first 0x00 sets
    // the normal style instead of ending the data.
    int style = -1;
    for (;;) {
      if (pos_ == b_.size()) {
        throw FormatError{pos_, "the file ends before the end-of-data item"};
      }
      Begin("item");
      const unsigned code = U8();
      if (code == 0x00) {
        if (style == 0) return;
        style = 0;
      } else if (code <= 0x04) {
        style = static_cast<int>(code);
      } else if (code == 0x0f) {
        item_ = "MOVE item";
        Move(ReadPoint());
      } else if (code >= 0x10 && code <= 0x13) {
        item_ = "DATE item";
        static constexpr size_t kDateSize[] = {0, 2, 3, 4};
        Skip(kDateSize[code - 0x10]);
      } else if (code == 0x1f) {
        item_ = "ERROR item";
        Skip(20);
      } else if (code >= 0x30 && code <= 0x33) {
        item_ = "XSECT item";
        Label8();
        Skip(code <= 0x31 ? 8 : 16);
      } else if (code >= 0x40 && code <= 0x7f) {
        item_ = "LINE item";
        if ((code & kLegNoLabel) == 0) Label8();
        Leg(ReadPoint(), code & 0x1f);
      } else if (code >= 0x80) {
        item_ = "LABEL item";
        Label8();
        Station(ReadPoint(), code & 0x7f);
      } else {
        throw FormatError{itemStart_, "unknown item code " + Hex(code)};
      }
    }
  }

  // --- items, versions 3 to 7 --------------------------------------------

  void LabelOld() {
    const uint8_t first = U8();
    size_t n = first;
    if (first == 0xfe) {
      n = 254 + U16();
    } else if (first == 0xff) {
      n = U32();
    }
    AppendLabel(n);
  }

  void Trim(size_t n) {
    if (n > label_.size()) {
      throw FormatError{itemStart_, "TRIM item removes " + std::to_string(n) +
                                        " bytes from a label of " + std::to_string(label_.size())};
    }
    label_.erase(label_.end() - static_cast<std::ptrdiff_t>(n), label_.end());
  }

  void ReadItemsOld() {
    const int v = out_.version;
    for (;;) {
      if (pos_ == b_.size()) {
        throw FormatError{pos_, "the file ends before the end-of-data item"};
      }
      Begin("item");
      const unsigned code = U8();
      bool known = true;
      if (code == 0x00) {
        if (label_.empty()) return;
        label_.clear();
      } else if (code <= 0x0e) {
        // Drop 16 bytes, then cut back to just after the code-th last dot.
        item_ = "TRIM item";
        Trim(16);
        size_t cut = label_.size();
        for (unsigned i = 0; i < code; ++i) {
          const size_t dot = cut == 0 ? std::string::npos : label_.rfind('.', cut - 1);
          if (dot == std::string::npos) {
            throw FormatError{itemStart_, "TRIM item cuts back " + std::to_string(code) +
                                              " dots in a label with fewer"};
          }
          cut = dot;
        }
        label_.resize(cut + 1);
      } else if (code == 0x0f) {
        item_ = "MOVE item";
        Move(ReadPoint());
      } else if (code <= 0x1f) {
        item_ = "TRIM item";
        Trim(code - 15);
      } else if (code == 0x20 && v >= 4) {
        item_ = "DATE item";
        Skip(v >= 7 ? 2 : 4);
      } else if (code == 0x21 && v >= 4) {
        item_ = "DATE item";
        Skip(v >= 7 ? 3 : 8);
      } else if (code == 0x22 && v >= 6) {
        item_ = "ERROR item";
        Skip(20);
      } else if (code == 0x23 && v >= 7) {
        item_ = "DATE item";
        Skip(4);
      } else if (code == 0x24 && v >= 7) {
        // no date
      } else if (code >= 0x30 && code <= 0x33 && v >= 5) {
        item_ = "XSECT item";
        LabelOld();
        Skip(code <= 0x31 ? 8 : 16);
      } else if (code >= 0x40 && code <= 0x7f) {
        item_ = "LABEL item";
        LabelOld();
        Station(ReadPoint(), code & 0x3f);
      } else if (code >= 0x80 && code <= 0xbf) {
        item_ = "LINE item";
        LabelOld();
        Leg(ReadPoint(), code & 0x3f);
      } else {
        known = false;
      }
      if (!known) {
        throw FormatError{itemStart_, "unknown item code " + Hex(code) + " for format version " +
                                          std::to_string(v)};
      }
    }
  }

  // --- the model ---------------------------------------------------------

  int32_t RowOf(Point p) {
    if (points_.size() >= static_cast<size_t>(std::numeric_limits<int32_t>::max())) {
      throw FormatError{itemStart_, "too many stations"};
    }
    return rows_.FindOrAdd(p, points_);
  }

  void Move(Point p) {
    at_ = p;
    haveAt_ = true;
    chainOpen_ = false;
  }

  void StartRow(int32_t first) {
    rowBase_ = out_.model.lines.size();
    out_.model.lines.resize(rowBase_ + kLineColumns, 0);
    out_.model.lines[rowBase_ + 1] = first;
  }

  void Leg(Point to, unsigned flags) {
    if (!haveAt_) throw FormatError{itemStart_, "LINE item with no MOVE before it"};
    ++out_.legs;
    if (flags & kLegSplay) ++out_.splayLegs;
    if (flags & kLegSurface) ++out_.surfaceLegs;
    if (flags & kLegDuplicate) ++out_.duplicateLegs;
    const bool keep = ((flags & kLegSplay) == 0 || options_.splays) &&
                      ((flags & kLegSurface) == 0 || options_.surface) &&
                      ((flags & kLegDuplicate) == 0 || options_.duplicates);
    if (!keep) {
      ++out_.legsLeftOut;
      chainOpen_ = false;
      at_ = to;
      return;
    }
    std::vector<int32_t>& lines = out_.model.lines;
    if (!chainOpen_) {
      StartRow(RowOf(at_));
      chainOpen_ = true;
    } else if (lines[rowBase_] == kMaxShotsPerRow) {
      StartRow(lines[rowBase_ + 1 + kMaxShotsPerRow]);
    }
    const int32_t end = RowOf(to);
    const int32_t n = ++lines[rowBase_];
    lines[rowBase_ + 1 + n] = end;
    at_ = to;
  }

  void Station(Point p, unsigned flags) {
    if ((flags & kStationEntrance) == 0) return;
    if (!entrancePoints_.insert(p).second) return;
    ++out_.entrancesFound;
    SurveyModel& m = out_.model;
    if (m.entranceCount < kMaxEntrances) {
      m.entrances[m.entranceCount++] = RowOf(p);
      out_.entranceNames.push_back(label_);
    }
  }

  void Finish() {
    SurveyModel& m = out_.model;
    if (m.lines.empty()) {
      throw FormatError{itemStart_, "the file holds no survey legs to show (" +
                                        std::to_string(out_.legsLeftOut) +
                                        " left out by their flags)"};
    }
    Point lo = points_[0], hi = points_[0];
    for (const Point& p : points_) {
      lo.x = std::min(lo.x, p.x);
      lo.y = std::min(lo.y, p.y);
      hi.z = std::max(hi.z, p.z);
    }
    const int64_t ox = FloorDiv(lo.x, 100), oy = FloorDiv(lo.y, 100),
                  oz = -FloorDiv(-int64_t{hi.z}, 100);
    m.originX = static_cast<long double>(ox);
    m.originY = static_cast<long double>(oy);
    m.originZ = static_cast<long double>(oz);
    // Origin plus the offset from it: the same double the folder loader gets
    // when it adds the origin to the offset written out as text.
    m.stations.resize(3 * points_.size());
    double* s = m.stations.data();
    for (const Point& p : points_) {
      *s++ = static_cast<double>(ox) + static_cast<double>(p.x - ox * 100) / 100.0;
      *s++ = static_cast<double>(oy) + static_cast<double>(p.y - oy * 100) / 100.0;
      *s++ = static_cast<double>(oz) + static_cast<double>(p.z - oz * 100) / 100.0;
    }
  }

  std::span<const uint8_t> b_;
  const Survex3dOptions& options_;
  Survex3dSurvey& out_;
  size_t pos_ = 0;
  size_t itemStart_ = 0;
  const char* item_ = "item";
  std::string label_;

  Point at_{};
  bool haveAt_ = false;
  bool chainOpen_ = false;
  size_t rowBase_ = 0;
  std::vector<Point> points_;
  PointRows rows_;
  std::unordered_set<Point, PointHash> entrancePoints_;
};

}  // namespace

Survex3dSurvey ReadSurvex3d(std::span<const uint8_t> bytes, std::string_view name,
                            const Survex3dOptions& options) {
  Survex3dSurvey out;
  try {
    Reader(bytes, options, out).Run();
    out.ok = true;
  } catch (const FormatError& e) {
    const std::string where = std::string(name) + ": byte " + std::to_string(e.offset) + ": ";
    out = Survex3dSurvey{};
    out.error = where + e.what;
  } catch (const std::bad_alloc&) {
    out = Survex3dSurvey{};
    out.error = std::string(name) + ": not enough memory to read the survey";
  }
  return out;
}

Survex3dSurvey ReadSurvex3dFile(const std::filesystem::path& path, const Survex3dOptions& options) {
  const std::string name = path.string();
  std::ifstream in(path, std::ios::binary);
  std::error_code ec;
  const auto size = std::filesystem::file_size(path, ec);
  if (!in || ec) {
    Survex3dSurvey out;
    out.error = name + ": cannot open the file";
    return out;
  }
  std::vector<uint8_t> bytes;
  try {
    bytes.resize(static_cast<size_t>(size));
  } catch (const std::exception&) {  // bad_alloc, or length_error past max_size
    Survex3dSurvey out;
    out.error = name + ": not enough memory to read the file";
    return out;
  }
  if (!in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size))) {
    Survex3dSurvey out;
    out.error = name + ": cannot read the file";
    return out;
  }
  return ReadSurvex3d(bytes, name, options);
}

LoadResult LoadSurvex3d(const std::filesystem::path& path, const Survex3dOptions& options) {
  Survex3dSurvey s = ReadSurvex3dFile(path, options);
  if (!s.ok) {
    LoadResult r;
    r.error = std::move(s.error);
    return r;
  }
  LoadResult r = FinishLoad(std::move(s.model));
  if (!r.ok) r.error = path.string() + ": " + r.error;
  return r;
}

}  // namespace mv
