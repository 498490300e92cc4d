#include "view/picking.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "view/fit.h"
#include "view/projection.h"
#include "view/scene_geometry.h"

namespace mv {

namespace {

// Squared distances on the picture closer than this are the same.
constexpr double kSamePlacePixels2 = 1e-6;

// Metres as shown: one decimal unless asked otherwise, a decimal comma.
std::string Metres(double v, int decimals = 1) {
  return DecimalText(v, decimals, ',');
}

}  // namespace

std::string DecimalText(double v, int decimals, char point) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
  std::string s = buf;
  if (s.find_first_not_of("-0.") == std::string::npos && s[0] == '-') s.erase(0, 1);
  std::replace(s.begin(), s.end(), '.', point);
  return s;
}

namespace {

std::vector<int32_t> StationsOfRows(const SurveyModel& m, const ViewState* v) {
  std::vector<uint8_t> used(static_cast<size_t>(m.StationCount()), 0);
  for (int32_t i = 0; i < m.SurveyLineCount(); ++i) {
    if (v && !RowDrawn(*v, m, i)) continue;
    const int32_t* line = m.Line(i);
    const int32_t last = std::min(line[0] + 1, kLineColumns - 1);
    // A line stops at its first station outside the survey, as it is drawn.
    for (int32_t k = 1; k <= last && m.ValidStation(line[k]); ++k)
      used[static_cast<size_t>(line[k])] = 1;
  }
  std::vector<int32_t> rows;
  for (size_t r = 0; r < used.size(); ++r)
    if (used[r]) rows.push_back(static_cast<int32_t>(r));
  return rows;
}

}  // namespace

std::vector<int32_t> LineStations(const SurveyModel& m) {
  return StationsOfRows(m, nullptr);
}

std::vector<int32_t> LineStations(const SurveyModel& m, const ViewState& v) {
  return StationsOfRows(m, &v);
}

std::vector<int32_t> ShownEntrances(const SurveyModel& m, const ViewState& v) {
  std::vector<int32_t> rows = EntranceRows(m);
  std::erase_if(rows, [&](int32_t row) { return !SurveyShown(v, m.StationSurvey(row)); });
  return rows;
}

int32_t NearestStation(const ViewState& v, const SurveyModel& m, const PictureGeometry& g,
                       std::initializer_list<const std::vector<int32_t>*> candidates, double x,
                       double y) {
  if (g.outerWidth <= 0 || g.outerHeight <= 0) return -1;
  const Mat4 modelView = FrameModelView(v);
  const Mat4 projection = FrameProjection(g.outerWidth, g.outerHeight);
  const double cx = v.CentreX.AsDouble(), cy = v.CentreY.AsDouble(), oz = m.originZ.AsDouble();
  // The pointer in viewport pixels, y up from the picture's bottom.
  const double wx = x, wy = g.height - y;
  int32_t best = -1;
  double bestDistance = kPickRadius * kPickRadius, bestDepth = INFINITY;
  for (const std::vector<int32_t>* list : candidates) {
    for (const int32_t row : *list) {
      if (!m.ValidStation(row)) continue;
      const WindowPoint p = Project(modelView, projection, g.outerWidth, g.outerHeight,
                                    m.X(row) - cx, m.Y(row) - cy, m.Z(row) - oz);
      if (!p.visible || p.depth > kFarPlane) continue;
      const double d = (p.x - wx) * (p.x - wx) + (p.y - wy) * (p.y - wy);
      // Equally near on the picture (to a millionth of a pixel, whatever the
      // rounding of two projections of one place): the one nearer the eye,
      // then the lower row.
      const bool same = std::abs(d - bestDistance) <= kSamePlacePixels2;
      if ((d < bestDistance && !same) ||
          (same && (p.depth < bestDepth || (p.depth == bestDepth && row < best)))) {
        best = row;
        bestDistance = d;
        bestDepth = p.depth;
      }
    }
  }
  return best;
}

double EntranceMarkRadius(const ViewState& v, const PictureGeometry& g, double depth) {
  if (v.MapStyle) return kEntranceMarkRadius;
  return static_cast<double>(EntranceRadius(v.Box)) * PixelsPerMetre(v, g, depth);
}

int32_t StationAt(const ViewState& v, const SurveyModel& m, const PictureGeometry& g,
                  const std::vector<int32_t>& lines, const std::vector<int32_t>& entrances,
                  double x, double y) {
  static const std::vector<int32_t> kNone;
  if (g.outerWidth <= 0 || g.outerHeight <= 0) return -1;
  if (v.EntrancesVisible) {
    const Mat4 modelView = FrameModelView(v);
    const Mat4 projection = FrameProjection(g.outerWidth, g.outerHeight);
    const double cx = v.CentreX.AsDouble(), cy = v.CentreY.AsDouble(), oz = m.originZ.AsDouble();
    const double wx = x, wy = g.height - y;
    int32_t best = -1;
    double bestDistance = INFINITY;
    for (const int32_t row : entrances) {
      if (!m.ValidStation(row)) continue;
      const WindowPoint p = Project(modelView, projection, g.outerWidth, g.outerHeight,
                                    m.X(row) - cx, m.Y(row) - cy, m.Z(row) - oz);
      if (!p.visible || p.depth > kFarPlane) continue;
      const double d = std::hypot(p.x - wx, p.y - wy);
      // The edge of a mark is drawn half a pixel out.
      if (d <= EntranceMarkRadius(v, g, p.depth) + 0.5 && d < bestDistance) {
        best = row;
        bestDistance = d;
      }
    }
    if (best >= 0) return best;
  }
  return NearestStation(
      v, m, g, {v.LinesVisible ? &lines : &kNone, v.EntrancesVisible ? &entrances : &kNone}, x, y);
}

void PickStation(ViewState& v, int32_t row, bool second) {
  if (second && v.PickedFirst >= 0) {
    v.PickedSecond = row == v.PickedFirst ? -1 : row;
    return;
  }
  v.PickedFirst = row;
  v.PickedSecond = -1;
}

PicturePoint StationOnPicture(const ViewState& v, const SurveyModel& m, const PictureGeometry& g,
                              int32_t row) {
  if (!m.ValidStation(row) || g.outerWidth <= 0 || g.outerHeight <= 0) return {};
  const WindowPoint p = Project(FrameModelView(v), FrameProjection(g.outerWidth, g.outerHeight),
                                g.outerWidth, g.outerHeight, m.X(row) - v.CentreX.AsDouble(),
                                m.Y(row) - v.CentreY.AsDouble(), m.Z(row) - m.originZ.AsDouble());
  return {p.x, g.height - p.y, p.visible && p.depth <= kFarPlane};
}

double DepthReference(const SurveyModel& m) {
  const std::vector<int32_t> entrances = EntranceRows(m);
  double top = -INFINITY;
  for (const int32_t row : entrances) top = std::max(top, m.Z(row));
  if (!entrances.empty()) return top;
  for (int32_t row = 0; row < m.StationCount(); ++row) top = std::max(top, m.Z(row));
  return std::isfinite(top) ? top : 0;
}

namespace {

// A tab or line break in a name would split the line it is shown in or the
// spreadsheet row it is copied to.
std::string Printable(std::string_view name) {
  std::string label(name);
  for (char& c : label)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
  return label;
}

}  // namespace

std::string StationLabel(const SurveyModel& m, int32_t row) {
  const std::vector<std::string_view> names = StationNames(m, row);
  if (names.empty()) return std::to_string(static_cast<int64_t>(row) + 1);
  return Printable(names.front());
}

std::string StationNamesText(const SurveyModel& m, int32_t row) {
  const std::vector<std::string_view> names = StationNames(m, row);
  if (names.empty()) return StationLabel(m, row);
  std::string text;
  for (const std::string_view name : names) {
    if (!text.empty()) text += " = ";
    text += Printable(name);
  }
  return text;
}

std::vector<std::string> PickDescription(const SurveyModel& m, int32_t first, int32_t second) {
  std::vector<std::string> lines;
  const double top = DepthReference(m);
  for (const int32_t row : {first, second}) {
    if (!m.ValidStation(row)) continue;
    const double depth = top - m.Z(row);
    std::string line = StationNamesText(m, row) + ":  x " + Metres(m.X(row), 2) + " m,  y " +
                       Metres(m.Y(row), 2) + " m,  wysokość " + Metres(m.Z(row)) + " m,  ";
    line += depth >= 0 ? "głębokość " + Metres(depth) + " m"
                       : Metres(-depth) + " m nad najwyższym otworem";
    lines.push_back(std::move(line));
  }
  if (m.ValidStation(first) && m.ValidStation(second)) {
    const double dx = m.X(second) - m.X(first), dy = m.Y(second) - m.Y(first),
                 dz = m.Z(second) - m.Z(first);
    const double h = std::hypot(dx, dy);
    lines.push_back("odległość " + Metres(std::hypot(h, dz), 2) + " m:  w poziomie " +
                    Metres(h, 2) + " m,  w pionie " + Metres(std::abs(dz), 2) + " m");
  }
  return lines;
}

std::string PickClipboardText(const SurveyModel& m, int32_t first, int32_t second, char point) {
  // Metres as a spreadsheet reads them: two decimals, the user's decimal mark.
  const auto Plain = [point](double v) { return DecimalText(v, 2, point); };
  std::string text;
  for (const int32_t row : {first, second}) {
    if (!m.ValidStation(row)) continue;
    text += StationLabel(m, row) + "\t" + Plain(m.X(row)) + "\t" + Plain(m.Y(row)) + "\t" +
            Plain(m.Z(row)) + "\n";
  }
  if (m.ValidStation(first) && m.ValidStation(second)) {
    const double dx = m.X(second) - m.X(first), dy = m.Y(second) - m.Y(first),
                 dz = m.Z(second) - m.Z(first);
    const double h = std::hypot(dx, dy);
    text += "odległość\t" + Plain(std::hypot(h, dz)) + "\tpoziomo\t" + Plain(h) + "\tpionowo\t" +
            Plain(std::abs(dz)) + "\n";
  }
  return text;
}

}  // namespace mv
