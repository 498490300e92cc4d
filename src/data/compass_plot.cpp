#include "data/compass_plot.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "data/model_builder.h"
#include "data/reader_kit.h"

namespace mv {

namespace {

// Feet to metres, exactly.
constexpr double kMetresPerFoot = 0.3048;
// Control-Z ends the data, as it ended text files under DOS.
constexpr uint8_t kEndOfFile = 0x1a;
// Passage sizes (feet) above this, or below 0, are placeholders for none
// (Compass itself writes 999, other writers -9 or -9999).
constexpr double kMaxSizeFeet = 900;

// A record starts with its letter, then a blank or the end of the line.
bool RecordLetter(std::string_view line) {
  const char c = line.empty() ? 0 : line[0];
  const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
  return letter && (line.size() == 1 || IsBlank(line[1]) || line[0] == 'N' || line[0] == 'S');
}

class Reader {
 public:
  Reader(std::span<const uint8_t> bytes, std::string_view name, const LegOptions& options,
         ReadResult& out, uint64_t& lineNo)
      : text_(reinterpret_cast<const char*>(bytes.data()), bytes.size()),
        name_(name),
        options_(options),
        out_(out),
        info_(out.info),
        lineNo_(lineNo),
        builder_(ModelBuilder::Units{kMetresPerFoot, 1.0}) {}

  void Run() {
    info_.format = SourceFormat::kCompassPlot;
    const size_t end = text_.find(static_cast<char>(kEndOfFile));
    if (end != std::string_view::npos) text_ = text_.substr(0, end);
    utf8_ = IsUtf8(text_);
    builder_.SetNameBudget(NameBudget(text_.size(), 32));
    lineNo_ = 0;
    for (size_t pos = 0; pos < text_.size();) {
      // Lines end in CR LF, LF or a lone CR.
      size_t eol = text_.find_first_of("\r\n", pos);
      if (eol == std::string_view::npos) eol = text_.size();
      ++lineNo_;
      Record(Trim(text_.substr(pos, eol - pos)));
      pos = eol;
      if (pos < text_.size() && text_[pos] == '\r') ++pos;
      if (pos < text_.size() && text_[pos] == '\n') ++pos;
    }
    if (!builder_.HasLegs())
      throw ReadFault{SourceError::Place::kFile, 0, NoLegsToShow(info_.legsLeftOut)};
    EndPassage();
    out_.model = builder_.Finish(std::move(title_), name_);
    info_.warnings = builder_.TakeWarnings(name_);
  }

 private:
  [[noreturn]] void Fail(std::string what) {
    throw ReadFault{SourceError::Place::kLine, lineNo_, std::move(what)};
  }

  void Record(std::string_view line) {
    if (line.empty()) return;
    if (!RecordLetter(line)) Fail("not a plot file record: " + Quoted(line, 24));
    switch (line[0]) {
      case 'M':
      case 'D':
      case 'd':
        Shot(line);
        break;
      case 'S':
        // A section name: the first one is the survey's title.
        if (title_.empty()) title_ = Name(Trim(line.substr(1)));
        break;
      case 'N':
        SurveyHeader(line.substr(1));
        break;
      default:
        // Bounds (Z, X), features (F, L), datum and zone (O, G) and the rest
        // say nothing about the legs.
        break;
    }
  }

  // "N<name> D <month> <day> <year> C<comment>": a survey, whose shots
  // follow. Without a section name the first comment is the title.
  void SurveyHeader(std::string_view rest) {
    EndPassage();
    size_t n = 0;
    while (n < rest.size() && !IsBlank(rest[n])) ++n;
    survey_ = builder_.SurveyChild(0, Name(rest.substr(0, n)));
    previous_ = {NAN, NAN, NAN};
    if (!title_.empty() || haveComment_) return;
    const size_t c = rest.find(" C");
    if (c == std::string_view::npos) return;
    haveComment_ = true;
    title_ = Name(Trim(rest.substr(c + 2)));
  }

  // The sections given so far make a passage.
  void EndPassage() {
    if (passageOpen_) builder_.EndPassage();
    passageOpen_ = false;
  }

  // A station record's sizes (left, up, down, right in feet, or none). A
  // passage runs along drawn legs from one station with sizes to the next;
  // a move back to its last station (after splays, say) does not break it,
  // a move elsewhere or a leg from a station without sizes does. Splays,
  // shots not drawn and stations without sizes add nothing.
  void PassageSizes(RawPoint p, bool move, bool drawn, const double* size) {
    const auto metres = [](double v) {
      return v >= 0 && v <= kMaxSizeFeet ? static_cast<float>(v * kMetresPerFoot)
                                         : std::numeric_limits<float>::quiet_NaN();
    };
    CrossSection c{};
    bool any = false;
    if (size != nullptr) {
      c.left = metres(size[0]);
      c.up = metres(size[1]);
      c.down = metres(size[2]);
      c.right = metres(size[3]);
      any = !(std::isnan(c.left) && std::isnan(c.up) && std::isnan(c.down) && std::isnan(c.right));
    }
    const bool atLast = passageOpen_ && p == lastSection_.first;
    if (move) {
      if (atLast && (!any || SameSizes(c, lastSection_.second))) return;
      EndPassage();
    } else if (!drawn) {
      return;
    } else if (!(passageOpen_ && previous_ == lastSection_.first)) {
      EndPassage();
    }
    if (!any) {
      EndPassage();
      return;
    }
    builder_.Section(p, c);
    ++info_.sectionsFound;
    lastSection_ = {p, c};
    passageOpen_ = true;
  }

  static bool SameSizes(const CrossSection& a, const CrossSection& b) {
    const auto same = [](float x, float y) { return x == y || (std::isnan(x) && std::isnan(y)); };
    return same(a.left, b.left) && same(a.right, b.right) && same(a.up, b.up) &&
           same(a.down, b.down);
  }

  // A station name as UTF-8.
  std::string Name(std::string_view raw) {
    if (utf8_) return std::string(raw);
    std::string s;
    AppendWindows1252(s, raw);
    return s;
  }

  double Number(std::string_view& rest, const char* what) {
    rest = Trim(rest);
    size_t n = 0;
    while (n < rest.size() && !IsBlank(rest[n])) ++n;
    const std::string_view word = rest.substr(0, n);
    if (word.empty()) Fail(std::string("the record ends before its ") + what);
    const std::optional<double> v = DecimalNumber(word);
    if (!v) Fail(std::string("the ") + what + " " + Quoted(word, 24) + " is not a number");
    rest.remove_prefix(n);
    return *v;
  }

  // What a shot's fields after its station say.
  struct ShotFields {
    uint8_t flags = 0;
    bool plotted = true;
    bool sized = false;
    double size[4];  // left, up, down, right
  };

  // "[P <l> <u> <d> <r>] [I <distance>] [F<flags>]", in any order; later
  // fields (comments and the like) are not read.
  ShotFields Fields(std::string_view rest, bool plotted) {
    ShotFields f;
    f.plotted = plotted;
    for (rest = Trim(rest); !rest.empty(); rest = Trim(rest)) {
      if (rest[0] == 'P') {
        rest.remove_prefix(1);
        int k = 0;
        for (const char* what : {"left", "up", "down", "right"}) f.size[k++] = Number(rest, what);
        f.sized = true;
      } else if (rest[0] == 'I') {
        rest.remove_prefix(1);
        Number(rest, "distance from the entrance");
      } else if (rest[0] == 'F') {
        size_t k = 1;
        for (; k < rest.size() && !IsBlank(rest[k]); ++k) ShotFlag(rest[k], f);
        rest.remove_prefix(k);
      } else {
        break;
      }
    }
    return f;
  }

  static void ShotFlag(char letter, ShotFields& f) {
    switch (letter) {
      case 'L':  // left out of the cave's length: a duplicate
        f.flags |= kLegDuplicate;
        break;
      case 'S':
        f.flags |= kLegSplay;
        break;
      case 'P':  // not to be plotted
      case 'X':  // left out of everything
        f.plotted = false;
        break;
      default:  // C (not adjusted by loop closure) changes nothing drawn
        break;
    }
  }

  // "M|D|d <north> <east> <up> S<name> [fields]"
  void Shot(std::string_view line) {
    const char command = line[0];
    std::string_view rest = line.substr(1);
    RawPoint p;
    p.y = Number(rest, "northing");
    p.x = Number(rest, "easting");
    p.z = Number(rest, "elevation");
    rest = Trim(rest);
    if (rest.empty() || rest[0] != 'S') Fail("the record has no station name after its position");
    size_t n = 1;
    while (n < rest.size() && !IsBlank(rest[n])) ++n;
    const std::string_view station = rest.substr(1, n - 1);
    const ShotFields f = Fields(rest.substr(n), command != 'd');

    bool drawn = false;  // a leg of the passage's own traverse (no splay)
    const bool move = command == 'M' || !builder_.HasCurrentPoint();
    if (move) {
      // A draw with no point before it starts the first traverse.
      builder_.MoveTo(p);
    } else if (!f.plotted) {
      ++info_.legs;
      ++info_.legsLeftOut;
      builder_.LeaveOut(p);
    } else if (info_.CountLeg(f.flags, options_)) {
      builder_.LineTo(p, f.flags, survey_);
      drawn = !(f.flags & kLegSplay);
    } else {
      builder_.LeaveOut(p);
    }
    // Survex and Therion name a station they know no name for "." or "-"
    // (".." and "..." too) when they write a plot file: a wall point, with
    // no passage through it.
    const bool anonymous = station == "." || station == ".." || station == "..." || station == "-";
    if (anonymous) builder_.Flag(p, kStationAnonymous);
    PassageSizes(p, move, drawn && !anonymous, f.sized ? f.size : nullptr);
    previous_ = p;
    // Names in UTF-8 or plain ASCII go to the builder without a copy.
    if (utf8_ || std::all_of(station.begin(), station.end(),
                             [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
      builder_.Name(p, station, survey_);
    } else {
      builder_.Name(p, Name(station), survey_);
    }
  }

  std::string_view text_;
  std::string_view name_;
  const LegOptions& options_;
  ReadResult& out_;
  SourceInfo& info_;
  uint64_t& lineNo_;
  ModelBuilder builder_;
  bool utf8_ = false;
  bool haveComment_ = false;
  bool passageOpen_ = false;
  std::pair<RawPoint, CrossSection> lastSection_{};
  RawPoint previous_{};
  int32_t survey_ = 0;
  std::string title_;
};

// Code points of bytes 0x80 to 0x9f; the five bytes Windows-1252 leaves
// undefined keep their own value.
constexpr uint16_t kHigh1252[32] = {0x20ac, 0x0081, 0x201a, 0x0192, 0x201e, 0x2026, 0x2020, 0x2021,
                                    0x02c6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008d, 0x017d, 0x008f,
                                    0x0090, 0x2018, 0x2019, 0x201c, 0x201d, 0x2022, 0x2013, 0x2014,
                                    0x02dc, 0x2122, 0x0161, 0x203a, 0x0153, 0x009d, 0x017e, 0x0178};

}  // namespace

void AppendWindows1252(std::string& out, std::string_view text) {
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    const unsigned cp = (c >= 0x80 && c < 0xa0) ? kHigh1252[c - 0x80] : c;
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (cp < 0x800) {
      out += static_cast<char>(0xc0 | (cp >> 6));
      out += static_cast<char>(0x80 | (cp & 0x3f));
    } else {
      out += static_cast<char>(0xe0 | (cp >> 12));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3f));
      out += static_cast<char>(0x80 | (cp & 0x3f));
    }
  }
}

bool IsUtf8(std::string_view text) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const auto* end = p + text.size();
  while (p < end) {
    const unsigned c = *p;
    if (c < 0x80) {
      ++p;
      continue;
    }
    size_t n;
    unsigned cp;
    if (c >= 0xc2 && c <= 0xdf) {
      n = 1;
      cp = c & 0x1f;
    } else if (c >= 0xe0 && c <= 0xef) {
      n = 2;
      cp = c & 0x0f;
    } else if (c >= 0xf0 && c <= 0xf4) {
      n = 3;
      cp = c & 0x07;
    } else {
      return false;
    }
    if (static_cast<size_t>(end - p) <= n) return false;
    for (size_t i = 1; i <= n; ++i) {
      if ((p[i] & 0xc0) != 0x80) return false;
      cp = cp << 6 | (p[i] & 0x3f);
    }
    // Overlong forms, surrogates and code points past U+10FFFF.
    if ((n == 2 && cp < 0x800) || (n == 3 && cp < 0x10000) || (cp >= 0xd800 && cp < 0xe000) ||
        cp > 0x10ffff)
      return false;
    p += n + 1;
  }
  return true;
}

bool LooksLikeCompassPlot(std::span<const uint8_t> head) {
  std::string_view text(reinterpret_cast<const char*>(head.data()), head.size());
  const size_t eol = text.find_first_of("\r\n");
  const std::string_view first = Trim(text.substr(0, eol));
  return !first.empty() && std::strchr("ZSNMDX", first[0]) != nullptr && RecordLetter(first);
}

ReadResult ReadCompassPlot(std::span<const uint8_t> bytes, std::string_view name,
                           const LegOptions& options) {
  uint64_t line = 0;
  return GuardedRead(name, SourceError::Place::kLine, line,
                     [&](ReadResult& r) { Reader(bytes, name, options, r, line).Run(); });
}

}  // namespace mv
