#include "data/stats_table.h"

#include <cstdio>

namespace mv {

namespace {

std::string Number(double v, char mark) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.2f", v);
  std::string s = buf;
  if (s == "-0.00") s = "0.00";
  for (char& c : s)
    if (c == '.') c = mark;
  return s;
}

}  // namespace

std::string SurveyTitle(const SurveyModel& m, int32_t node) {
  if (node > 0) return SurveyPath(m, node);
  if (!m.surveys.empty() && !m.surveys[0].name.empty()) return m.surveys[0].name;
  return m.title;
}

std::vector<StatsRow> StatsTable(const SurveyModel& m, int32_t node, const SurveyStats& s,
                                 char mark) {
  const auto count = [](int64_t n) { return std::to_string(n); };
  const auto metres = [&](double v) { return Number(v, mark); };
  const auto at = [&](const Reach& r) {
    return r.station < 0 ? std::string() : std::string(m.StationName(r.station));
  };
  std::vector<StatsRow> rows = {
      {"survey", "pomiar", SurveyTitle(m, node), {}},
      {"legs", "nogi", count(s.legs), {}},
      {"splays", "odnogi", count(s.splays), {}},
      {"duplicate legs", "nogi powtórzone", count(s.duplicates), {}},
      {"surface legs", "nogi powierzchniowe", count(s.surfaceLegs), {}},
      {"stations", "stacje", count(s.stations), {}},
      {"entrances", "otwory", count(s.entrances), {}},
      {"length (m)", "długość (m)", metres(s.length), {}},
      {"horizontal length (m)", "długość w poziomie (m)", metres(s.horizontalLength), {}},
      {"vertical length (m)", "długość w pionie (m)", metres(s.verticalLength), {}},
      {"splay length (m)", "długość odnóg (m)", metres(s.splayLength), {}},
      {"duplicate length (m)", "długość nóg powtórzonych (m)", metres(s.duplicateLength), {}},
      {"surface length (m)", "długość nóg powierzchniowych (m)", metres(s.surfaceLength), {}},
      {"highest (m)", "najwyżej (m)", metres(s.highest.at), at(s.highest)},
      {"lowest (m)", "najniżej (m)", metres(s.lowest.at), at(s.lowest)},
      {"vertical range (m)", "głębokość (m)", metres(s.VerticalRange()), {}},
      {"north (m)", "najdalej na północ (m)", metres(s.north.at), at(s.north)},
      {"south (m)", "najdalej na południe (m)", metres(s.south.at), at(s.south)},
      {"north-south range (m)", "rozciągłość północ-południe (m)", metres(s.NorthSouthRange()), {}},
      {"east (m)", "najdalej na wschód (m)", metres(s.east.at), at(s.east)},
      {"west (m)", "najdalej na zachód (m)", metres(s.west.at), at(s.west)},
      {"east-west range (m)", "rozciągłość wschód-zachód (m)", metres(s.EastWestRange()), {}},
  };
  return rows;
}

std::string StatsText(const std::vector<StatsRow>& rows, bool polish) {
  std::string text;
  for (const StatsRow& r : rows) {
    text += polish ? r.polish : r.english;
    text += '\t' + r.value;
    if (!r.station.empty()) text += '\t' + r.station;
    text += '\n';
  }
  return text;
}

}  // namespace mv
