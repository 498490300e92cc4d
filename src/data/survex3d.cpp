#include "data/survex3d.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <string>

#include "data/model_builder.h"
#include "data/reader_kit.h"

namespace mv {

namespace {

constexpr std::string_view kFileId = "Survex 3D Image File";
constexpr int kNewestVersion = 8;

// Flags of a station (LABEL items) in every version.
constexpr unsigned kLabelEntrance = 0x04;
constexpr unsigned kLabelFixed = 0x10;
constexpr unsigned kLabelAnonymous = 0x20;
// XSECT items: bit 0 of the code ends the passage; an omitted size is -1 cm.
constexpr unsigned kSectionLast = 0x01;
constexpr int32_t kSizeOmitted = -1;
// Station and survey names are joined by this in every version.
constexpr char kSeparator = '.';
// Version 8: a LINE item with this flag reuses the label buffer unchanged.
constexpr unsigned kLegNoLabel = 0x20;

std::string Hex(unsigned v) {
  static const char digits[] = "0123456789abcdef";
  return std::string("0x") + digits[(v >> 4) & 15] + digits[v & 15];
}

uint8_t ModelFlags(unsigned labelFlags) {
  return MapFlags(labelFlags, {{kLabelEntrance, kStationEntrance},
                               {kLabelFixed, kStationFixed},
                               {kLabelAnonymous, kStationAnonymous}});
}

class Reader {
 public:
  Reader(std::span<const uint8_t> bytes, std::string_view name, const LegOptions& options,
         ReadResult& out, uint64_t& itemStart)
      : b_(bytes),
        name_(name),
        options_(options),
        out_(out),
        info_(out.info),
        itemStart_(itemStart) {}

  void Run() {
    info_.format = SourceFormat::kSurvex3d;
    ReadHeader();
    // Version 0.01 gives metres as text; every later one centimetres.
    builder_ = ModelBuilder(version_ == 0 ? ModelBuilder::Units{} : ModelBuilder::Units{1, 100});
    builder_.SetNameBudget(NameBudget(b_.size(), 32));
    if (version_ >= 8) {
      ReadItems8();
    } else if (version_ >= 3) {
      ReadItems3To7();
    } else if (version_ >= 1) {
      ReadItemsBinary01();
    } else {
      ReadItemsText();
    }
    Finish();
  }

 private:
  // --- bytes -------------------------------------------------------------

  [[noreturn]] void Fail(uint64_t at, std::string what) {
    throw ReadFault{SourceError::Place::kByte, at, std::move(what)};
  }
  [[noreturn]] void FailItem(std::string what) { Fail(itemStart_, std::move(what)); }

  void Begin(const char* item) {
    itemStart_ = pos_;
    item_ = item;
  }

  void Need(size_t n) {
    if (b_.size() - pos_ < n)
      FailItem(std::string(item_) + " cut short by the end of the file at byte " +
               std::to_string(b_.size()));
  }

  uint8_t U8() {
    Need(1);
    return b_[pos_++];
  }

  uint32_t LittleEndian(size_t n) {
    Need(n);
    const auto v = static_cast<uint32_t>(mv::LittleEndian(b_.data() + pos_, n));
    pos_ += n;
    return v;
  }

  uint32_t U16() { return LittleEndian(2); }
  uint32_t U32() { return LittleEndian(4); }
  void Skip(size_t n) {
    Need(n);
    pos_ += n;
  }

  RawPoint ReadPoint() {
    RawPoint p;
    p.x = static_cast<int32_t>(U32());
    p.y = static_cast<int32_t>(U32());
    p.z = static_cast<int32_t>(U32());
    last_ = p;
    return p;
  }

  // The rest of a line up to its linefeed (not included), which is skipped.
  std::string_view LineText(const char* what) {
    const uint8_t* start = b_.data() + pos_;
    const void* nl = std::memchr(start, '\n', b_.size() - pos_);
    if (nl == nullptr)
      FailItem(std::string(what) + " has no end of line before the end of the file");
    const size_t len = static_cast<const uint8_t*>(nl) - start;
    pos_ += len + 1;
    return {reinterpret_cast<const char*>(start), len};
  }

  // One header line; version 0.01 files may end theirs with CR LF.
  std::string_view HeaderLine(const char* what) {
    Begin(what);
    std::string_view line = LineText(what);
    if (version_ <= 0 && !line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
  }

  // --- header ------------------------------------------------------------

  void ReadHeader() {
    const size_t have = std::min(b_.size(), kFileId.size());
    if (have == 0 || std::memcmp(b_.data(), kFileId.data(), have) != 0)
      Fail(0, "not a Survex .3d file (it does not begin with \"Survex 3D Image File\")");
    if (b_.size() < kFileId.size() + 1)
      Fail(0, "the file ends at byte " + std::to_string(b_.size()) +
                  ", inside the file identification");
    pos_ = kFileId.size();
    // Only version 0.01 files may have a carriage return in their header.
    const std::string_view rest(reinterpret_cast<const char*>(b_.data() + pos_), b_.size() - pos_);
    if (rest.starts_with("\r\nv0.01\r\n")) {
      pos_ += 2;
    } else if (rest[0] == '\n') {
      pos_ += 1;
    } else {
      Fail(0, "not a Survex .3d file (it does not begin with \"Survex 3D Image File\")");
    }

    const size_t versionAt = pos_;
    version_ = -1;  // a CR before the linefeed is taken off only once v0.01 is known
    Begin("the format version line");
    std::string_view v = LineText("the format version line");
    if (!v.empty() && v.back() == '\r') v.remove_suffix(1);
    if (v == "v0.01") {
      version_ = 0;
    } else if (v == "Bv0.01" || v == "bv0.01") {
      version_ = 1;
    } else if (v.size() == 2 && v[0] == 'v' && v[1] >= '2' && v[1] <= '0' + kNewestVersion) {
      version_ = v[1] - '0';
    } else {
      Fail(versionAt, "format version " + Quoted(v, 24) +
                          " is not supported (this reader takes v0.01, Bv0.01 and v2 to v8)");
    }
    info_.version = version_;

    std::string title;
    if (version_ >= 8) {
      // Title and coordinate system, separated by zero bytes; later items are
      // for newer writers and are ignored.
      std::string_view meta = HeaderLine("the title line");
      const size_t z = meta.find('\0');
      title = meta.substr(0, z);
      if (z != std::string_view::npos) {
        meta.remove_prefix(z + 1);
        info_.coordinateSystem = meta.substr(0, meta.find('\0'));
      }
      HeaderLine("the timestamp line");
      Begin("the file-wide flags");
      info_.extendedElevation = (U8() & 0x80) != 0;
    } else {
      title = HeaderLine("the title line");
      HeaderLine("the timestamp line");
      // Before version 8 an extended elevation said so in its title.
      constexpr std::string_view kExtended = " (extended)";
      if (title.size() > kExtended.size() && title.ends_with(kExtended)) {
        title.resize(title.size() - kExtended.size());
        info_.extendedElevation = true;
      }
    }
    title_ = std::move(title);
  }

  // --- the model ---------------------------------------------------------

  void Move(RawPoint p) { builder_.MoveTo(p); }

  // A leg of the survey `survey` names, or, in versions whose legs name no
  // survey, of its stations' survey.
  void Leg(RawPoint to, unsigned flags, std::optional<std::string_view> survey = std::nullopt) {
    if (!builder_.HasCurrentPoint()) FailItem("LINE item with no MOVE before it");
    flags &= kLegSurface | kLegDuplicate | kLegSplay;
    if (info_.CountLeg(flags, options_)) {
      builder_.LineTo(
          to, static_cast<uint8_t>(flags),
          survey ? builder_.SurveyPath(*survey, kSeparator) : ModelBuilder::kSurveyOfStations);
    } else {
      builder_.LeaveOut(to);
    }
  }

  void Station(RawPoint p, unsigned flags, std::string_view label) {
    const size_t dot = label.rfind(kSeparator);
    builder_.Name(
        p, label,
        dot == std::string_view::npos ? -1 : builder_.SurveyPath(label.substr(0, dot), kSeparator));
    builder_.Flag(p, ModelFlags(flags));
    if (flags & kLabelEntrance) builder_.Entrance(p, label);
  }

  // An XSECT item's sizes, after its label: four signed 16- or 32-bit
  // centimetres.
  void Section(unsigned code) {
    const bool wide = code >= 0x32;
    float size[4];
    for (float& v : size) {
      const int32_t cm = wide ? static_cast<int32_t>(U32()) : static_cast<int16_t>(U16());
      v = cm == kSizeOmitted ? std::numeric_limits<float>::quiet_NaN()
                             : static_cast<float>(cm / 100.0);
    }
    CrossSection s{};
    s.left = size[0];
    s.right = size[1];
    s.up = size[2];
    s.down = size[3];
    s.flags = (code & kSectionLast) ? kSectionEnd : 0;
    builder_.Section(label_, s);
    ++info_.sectionsFound;
  }

  void Finish() {
    if (!builder_.HasLegs()) FailItem(NoLegsToShow(info_.legsLeftOut));
    info_.entrancesFound = builder_.EntrancesFound();
    out_.model = builder_.Finish(std::move(title_), name_);
    info_.warnings = builder_.TakeWarnings(name_);
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
    if (drop > label_.size())
      FailItem(std::string(item_) + " removes " + std::to_string(drop) + " bytes from a label of " +
               std::to_string(label_.size()));
    label_.resize(label_.size() - drop);
    ++labelEdits_;
    AppendLabel(add);
  }

  void AppendLabel(size_t n) {
    Need(n);
    label_.append(reinterpret_cast<const char*>(b_.data() + pos_), n);
    ++labelEdits_;
    pos_ += n;
  }

  void ReadItems8() {
    // No style is in force until the first style item, so a first 0x00 sets
    // the normal style instead of ending the data.
    int style = -1;
    for (;;) {
      if (pos_ == b_.size()) Fail(pos_, "the file ends before the end-of-data item");
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
        Section(code);
      } else if (code >= 0x40 && code <= 0x7f) {
        item_ = "LINE item";
        if ((code & kLegNoLabel) == 0) Label8();
        Leg(ReadPoint(), code & 0x1f, label_);
      } else if (code >= 0x80) {
        item_ = "LABEL item";
        Label8();
        Station(ReadPoint(), code & 0x7f, label_);
      } else {
        FailItem("unknown item code " + Hex(code));
      }
    }
  }

  // --- items, versions 3 to 7 --------------------------------------------

  void Label3To7() {
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
    if (n > label_.size())
      FailItem("TRIM item removes " + std::to_string(n) + " bytes from a label of " +
               std::to_string(label_.size()));
    label_.erase(label_.end() - static_cast<std::ptrdiff_t>(n), label_.end());
    ++labelEdits_;
  }

  void ReadItems3To7() {
    const int v = version_;
    for (;;) {
      if (pos_ == b_.size()) Fail(pos_, "the file ends before the end-of-data item");
      Begin("item");
      const unsigned code = U8();
      bool known = true;
      if (code == 0x00) {
        if (label_.empty()) return;
        label_.clear();
        ++labelEdits_;
      } else if (code <= 0x0e) {
        // Drop 16 bytes, then cut back to just after the code-th last dot.
        item_ = "TRIM item";
        Trim(16);
        size_t cut = label_.size();
        for (unsigned i = 0; i < code; ++i) {
          const size_t dot = cut == 0 ? std::string::npos : label_.rfind('.', cut - 1);
          if (dot == std::string::npos)
            FailItem("TRIM item cuts back " + std::to_string(code) + " dots in a label with fewer");
          cut = dot;
        }
        label_.resize(cut + 1);
        ++labelEdits_;
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
        Label3To7();
        Section(code);
      } else if (code >= 0x40 && code <= 0x7f) {
        item_ = "LABEL item";
        Label3To7();
        Station(ReadPoint(), code & 0x3f, label_);
      } else if (code >= 0x80 && code <= 0xbf) {
        item_ = "LINE item";
        Label3To7();
        Leg(ReadPoint(), code & 0x3f, label_);
      } else {
        known = false;
      }
      if (!known)
        FailItem("unknown item code " + Hex(code) + " for format version " + std::to_string(v));
    }
  }

  // --- items, versions Bv0.01 and 2 ----------------------------------------

  // A label ending at a linefeed; an empty one is skipped with no
  // coordinates after it (old writers made such labels by mistake).
  std::string_view TextLabel(bool backslash) {
    std::string_view label = LineText(item_);
    if (backslash && !label.empty() && label[0] == '\\') label.remove_prefix(1);
    return label;
  }

  void ReadItemsBinary01() {
    // Bv0.01 codes are 32-bit; version 2 codes one byte.
    const bool wide = version_ == 1;
    for (;;) {
      if (pos_ == b_.size()) Fail(pos_, "the file ends before the end-of-data item");
      Begin("item");
      const int64_t code = wide ? static_cast<int32_t>(U32()) : U8();
      if (code == 4 && wide) {
        MoveOrPlacedLabelBv01();
      } else if (!ItemBinary01(code, wide)) {
        return;
      }
    }
  }

  // Bv0.01 writes a MOVE before every label of code 2, and that MOVE only
  // places the label.
  void MoveOrPlacedLabelBv01() {
    item_ = "MOVE item";
    const RawPoint p = ReadPoint();
    const size_t next = pos_;
    if (b_.size() - pos_ >= 4 && LittleEndian(4) == 2) {
      itemStart_ = next;
      item_ = "LABEL item";
      const std::string_view label = TextLabel(true);
      if (!label.empty()) Station(p, 0, label);
      return;
    }
    pos_ = next;
    Move(p);
  }

  // One item of versions Bv0.01 to 2 after its code; false for the end of
  // the data.
  bool ItemBinary01(int64_t code, bool wide) {
    switch (code) {
      case -1:
      case 0:
        return false;
      case 1:
        item_ = "CROSS item";
        Skip(12);
        break;
      case 2:
      case 3: {
        item_ = "LABEL item";
        const std::string label(TextLabel(true));
        if (label.empty()) break;
        const RawPoint p = code == 3 ? ReadPoint() : last_;
        Station(p, 0, label);
        break;
      }
      case 6:
      case 7: {
        item_ = "LABEL item";
        const unsigned flags = code == 7 ? U8() : 0;
        const size_t n = U32();
        if (n == 0) break;
        Need(n);
        const std::string label(reinterpret_cast<const char*>(b_.data() + pos_), n);
        pos_ += n;
        Station(ReadPoint(), flags, label);
        break;
      }
      case 4:
        item_ = "MOVE item";
        Move(ReadPoint());
        break;
      case 5:
        item_ = "LINE item";
        Leg(ReadPoint(), 0);
        break;
      default:
        if (code >= 0x80 && code <= 0xbf) {
          item_ = "LINE item";
          Leg(ReadPoint(), code & 0x3f);
        } else if (code >= 0x40 && code <= 0x7f) {
          item_ = "LABEL item";
          const std::string label(TextLabel(false));
          if (!label.empty()) Station(ReadPoint(), code & 0x3f, label);
        } else {
          FailItem("unknown item code " + std::to_string(code) + " for format version " +
                   (wide ? std::string("Bv0.01") : std::to_string(version_)));
        }
    }
    return true;
  }

  // --- items, version 0.01 (text) --------------------------------------------

  void SkipBlanks() {
    while (pos_ < b_.size() && (b_[pos_] == ' ' || (b_[pos_] >= '\t' && b_[pos_] <= '\r'))) ++pos_;
  }

  std::string_view Word() {
    SkipBlanks();
    const size_t start = pos_;
    while (pos_ < b_.size() && !(b_[pos_] == ' ' || (b_[pos_] >= '\t' && b_[pos_] <= '\r'))) ++pos_;
    return {reinterpret_cast<const char*>(b_.data() + start), pos_ - start};
  }

  double Number() {
    const std::string_view w = Word();
    if (w.empty()) FailItem(std::string(item_) + " cut short by the end of the file");
    const std::optional<double> v = DecimalNumber(w);
    if (!v) FailItem(std::string(item_) + " has " + Quoted(w, 24) + " where a coordinate belongs");
    return *v;
  }

  RawPoint TextPoint() {
    RawPoint p;
    p.x = Number();
    p.y = Number();
    p.z = Number();
    return p;
  }

  void ReadItemsText() {
    for (;;) {
      SkipBlanks();
      if (pos_ == b_.size()) return;
      Begin("item");
      const std::string_view word = Word();
      if (word == "move") {
        item_ = "move item";
        Move(TextPoint());
      } else if (word == "draw") {
        item_ = "draw item";
        Leg(TextPoint(), 0);
      } else if (word == "line") {
        item_ = "line item";
        Move(TextPoint());
        Leg(TextPoint(), 0);
      } else if (word == "cross") {
        item_ = "cross item";
        TextPoint();
      } else if (word == "name") {
        // One blank, then the label up to the next blank.
        item_ = "name item";
        if (pos_ < b_.size() && b_[pos_] == ' ') ++pos_;
        const size_t start = pos_;
        while (pos_ < b_.size() && b_[pos_] != ' ') {
          if (b_[pos_] == '\n') FailItem("name item has a line end inside its label");
          ++pos_;
        }
        std::string label(reinterpret_cast<const char*>(b_.data() + start), pos_ - start);
        if (!label.empty() && label[0] == '\\') label.erase(0, 1);
        Station(TextPoint(), 0, label);
      } else {
        FailItem("unknown item " + Quoted(word, 24) + " for format version 0.01");
      }
    }
  }

  std::span<const uint8_t> b_;
  std::string_view name_;
  const LegOptions& options_;
  ReadResult& out_;
  SourceInfo& info_;
  uint64_t& itemStart_;
  size_t pos_ = 0;
  const char* item_ = "item";
  int version_ = 0;
  std::string title_;
  std::string label_;
  uint64_t labelEdits_ = 0;      // changes of label_ so far
  uint64_t lineLabelEdits_ = 0;  // ... when lineSurvey_ was found
  int32_t lineSurvey_ = -1;
  RawPoint last_{};  // the last coordinates read, where a Bv0.01 label may stand
  ModelBuilder builder_;
};

}  // namespace

bool LooksLikeSurvex3d(std::span<const uint8_t> head) {
  return head.size() >= kFileId.size() &&
         std::memcmp(head.data(), kFileId.data(), kFileId.size()) == 0;
}

ReadResult ReadSurvex3d(std::span<const uint8_t> bytes, std::string_view name,
                        const LegOptions& options) {
  uint64_t at = 0;
  return GuardedRead(name, SourceError::Place::kByte, at,
                     [&](ReadResult& r) { Reader(bytes, name, options, r, at).Run(); });
}

}  // namespace mv
