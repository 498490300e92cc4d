#include "survey_text.h"

#include <algorithm>
#include <charconv>
#include <istream>
#include <ostream>
#include <span>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "data/reader_kit.h"
#include "data/records.h"
#include "data/survey_writer.h"

namespace mv {

namespace {

std::vector<std::string_view> Words(std::string_view s) {
  std::vector<std::string_view> words;
  size_t i = 0;
  while (i < s.size()) {
    while (i < s.size() && IsBlank(s[i])) ++i;
    const size_t start = i;
    while (i < s.size() && !IsBlank(s[i])) ++i;
    if (i > start) words.push_back(s.substr(start, i - start));
  }
  return words;
}

std::string Shortest(double v) {
  char buf[32];
  const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
  return ec == std::errc() ? std::string(buf, end) : std::string("0");
}

// A station's number as the writer would store it; a number the writer could
// not store (a file may hold "1e9") is still shown, in full.
std::string Coordinate(double v) {
  const std::string s = FormatCoordinate(v);
  return s.empty() ? Shortest(v) : s;
}

class Parser {
 public:
  bool Statement(std::string_view text) {
    text = Trim(text);
    if (text.empty() || text.front() == '#') return true;
    const size_t space = text.find_first_of(" \t");
    const std::string_view keyword = text.substr(0, space);
    if (keyword == "name")
      return Name(space == std::string_view::npos ? std::string_view() : Trim(text.substr(space)));
    const size_t hash = text.find('#');
    const std::vector<std::string_view> words = Words(text.substr(0, hash));
    const std::span<const std::string_view> args(words.begin() + 1, words.end());
    if (keyword == "origin") return Origin(args);
    if (keyword == "station") return Station(args);
    if (keyword == "line") return Line(args);
    if (keyword == "entrance") return Entrance(args);
    return Fail("unknown statement " + Quoted(keyword) +
                " (expected name, origin, station, line or entrance)");
  }

  bool Finish(SurveyText& out) {
    survey_.model.entranceCount = entrances_;
    out = std::move(survey_);
    return true;
  }

  int lineNumber = 0;
  std::string error;

 private:
  bool Fail(const std::string& what) {
    error = "line " + std::to_string(lineNumber) + ": " + what;
    return false;
  }

  bool Number(std::string_view word, const char* what, double& v) {
    const NumberError e = ParseNumber(word, ".", v);
    if (e == NumberError::kNone) return true;
    return Fail(std::string(what) + " " + Quoted(word) + " " + Describe(e));
  }

  bool Row(std::string_view word, int32_t& row) {
    const auto it = rows_.find(std::string(word));
    if (it == rows_.end())
      return Fail("unknown station " + Quoted(word) + " (stations must be defined before use)");
    row = it->second;
    return true;
  }

  bool Name(std::string_view name) {
    if (haveName_) return Fail("a second name");
    if (name.size() > static_cast<size_t>(kNameCapacity))
      return Fail("the name has " + std::to_string(name.size()) + " bytes; at most " +
                  std::to_string(kNameCapacity) + " fit");
    haveName_ = true;
    survey_.name = name;
    return true;
  }

  bool Origin(std::span<const std::string_view> args) {
    if (haveOrigin_) return Fail("a second origin");
    if (args.size() != 3) return Fail("origin needs three numbers: origin X Y Z");
    double v[3];
    if (!Number(args[0], "X", v[0]) || !Number(args[1], "Y", v[1]) || !Number(args[2], "Z", v[2]))
      return false;
    haveOrigin_ = true;
    survey_.model.originX = v[0];
    survey_.model.originY = v[1];
    survey_.model.originZ = v[2];
    return true;
  }

  bool Station(std::span<const std::string_view> args) {
    if (args.size() != 4) return Fail("station needs a name and three numbers: station NAME X Y Z");
    static const char* const kAxis[3] = {"X", "Y", "Z"};
    double v[3];
    for (int i = 0; i < 3; ++i) {
      if (!Number(args[1 + i], kAxis[i], v[i])) return false;
      if (FormatCoordinate(v[i]).empty())
        return Fail(std::string(kAxis[i]) + " " + Quoted(args[1 + i]) + " does not fit in " +
                    std::to_string(kCoordinateCapacity) + " characters");
    }
    const int32_t row = survey_.model.StationCount();
    if (!rows_.emplace(std::string(args[0]), row).second)
      return Fail("station " + Quoted(args[0]) + " is defined twice");
    survey_.model.stations.insert(survey_.model.stations.end(), v, v + 3);
    return true;
  }

  bool Line(std::span<const std::string_view> args) {
    if (args.empty()) return Fail("line needs at least one station: line NAME NAME ...");
    std::vector<int32_t> chain(args.size());
    for (size_t i = 0; i < args.size(); ++i)
      if (!Row(args[i], chain[i])) return false;
    AppendChain(survey_.model.lines, chain);
    return true;
  }

  bool Entrance(std::span<const std::string_view> args) {
    if (args.size() != 1) return Fail("entrance needs one station: entrance NAME");
    if (entrances_ == kMaxEntrances)
      return Fail("more than " + std::to_string(kMaxEntrances) + " entrances");
    return Row(args[0], survey_.model.entrances[entrances_++]);
  }

  SurveyText survey_;
  std::unordered_map<std::string, int32_t> rows_;
  int entrances_ = 0;
  bool haveName_ = false, haveOrigin_ = false;
};

}  // namespace

bool ParseSurveyText(std::istream& in, SurveyText& out, std::string& error) {
  Parser p;
  std::string line;
  while (std::getline(in, line)) {
    ++p.lineNumber;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!p.Statement(line)) {
      error = p.error;
      return false;
    }
  }
  if (in.bad()) {
    error = "line " + std::to_string(p.lineNumber + 1) + ": cannot be read";
    return false;
  }
  return p.Finish(out);
}

void PrintSurveyText(std::ostream& out, const SurveyText& survey) {
  const SurveyModel& m = survey.model;
  if (!survey.name.empty()) {
    // A name that would not survive being read back as one line is shown
    // only as a comment.
    const bool plain = survey.name.find_first_of("\r\n") == std::string::npos &&
                       Trim(survey.name).size() == survey.name.size();
    out << (plain ? "name " + survey.name : "# name " + Quoted(survey.name)) << '\n';
  }
  out << "origin " << Shortest(m.originX.AsDouble()) << ' ' << Shortest(m.originY.AsDouble()) << ' '
      << Shortest(m.originZ.AsDouble()) << '\n';
  for (int32_t r = 0; r < m.StationCount(); ++r)
    out << "station S" << r << ' ' << Coordinate(m.X(r)) << ' ' << Coordinate(m.Y(r)) << ' '
        << Coordinate(m.Z(r)) << '\n';
  for (int32_t r = 0; r < m.SurveyLineCount(); ++r) {
    const int32_t* line = m.Line(r);
    if (line[0] < 0) {
      out << "# line record " << r + 1 << " has " << line[0] << " shots\n";
      continue;
    }
    out << "line";
    for (int32_t c = 1; c <= line[0] + 1 && c < kLineColumns; ++c) out << " S" << line[c];
    out << '\n';
  }
  if (m.entranceCount < 0 || m.entranceCount > kMaxEntrances)
    out << "# the object file counts " << m.entranceCount << " entrances\n";
  const int32_t count = std::clamp(m.entranceCount, 0, kMaxEntrances);
  for (int32_t k = 0; k < count; ++k) {
    const int32_t row = m.entrances[k];
    if (m.ValidStation(row))
      out << "entrance S" << row << '\n';
    else
      out << "# entrance " << k << " names station row " << row << ", which does not exist\n";
  }
}

}  // namespace mv
