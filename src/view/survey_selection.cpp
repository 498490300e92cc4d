#include "view/survey_selection.h"

#include <algorithm>
#include <cmath>

#include "view/fit.h"
#include "view/overlay_layout.h"

namespace mv {

std::vector<uint8_t> Subtree(const SurveyModel& m, int32_t node) {
  const size_t n = static_cast<size_t>(m.SurveyCount());
  std::vector<uint8_t> in(n, 0);
  if (node < 0 || static_cast<size_t>(node) >= n) return in;
  in[static_cast<size_t>(node)] = 1;
  // Every node's parent comes before it.
  for (size_t k = static_cast<size_t>(node) + 1; k < n; ++k) {
    const int32_t parent = m.surveys[k].parent;
    if (parent >= 0 && in[static_cast<size_t>(parent)]) in[k] = 1;
  }
  return in;
}

std::vector<SurveyCheck> SurveyChecks(const ViewState& v, const SurveyModel& m) {
  const size_t n = static_cast<size_t>(m.SurveyCount());
  // Counts of shown and hidden nodes at and below each node.
  std::vector<int64_t> shown(n, 0), hidden(n, 0);
  for (size_t k = 0; k < n; ++k) (SurveyShown(v, static_cast<int32_t>(k)) ? shown : hidden)[k] = 1;
  for (size_t k = n; k-- > 1;) {
    const int32_t parent = m.surveys[k].parent;
    if (parent < 0) continue;
    shown[static_cast<size_t>(parent)] += shown[k];
    hidden[static_cast<size_t>(parent)] += hidden[k];
  }
  std::vector<SurveyCheck> checks(n);
  for (size_t k = 0; k < n; ++k)
    checks[k] = hidden[k] == 0  ? SurveyCheck::Shown
                : shown[k] == 0 ? SurveyCheck::Hidden
                                : SurveyCheck::Partly;
  return checks;
}

void SetSurveyShown(ViewState& v, const SurveyModel& m, int32_t node, bool shown) {
  const std::vector<uint8_t> in = Subtree(m, node);
  v.HiddenSurveys.resize(in.size(), 0);
  for (size_t k = 0; k < in.size(); ++k)
    if (in[k]) v.HiddenSurveys[k] = shown ? 0 : 1;
  if (std::none_of(v.HiddenSurveys.begin(), v.HiddenSurveys.end(), [](uint8_t h) { return h; }))
    v.HiddenSurveys.clear();
}

void ShowOnlySurvey(ViewState& v, const SurveyModel& m, int32_t node) {
  const std::vector<uint8_t> in = Subtree(m, node);
  v.HiddenSurveys.resize(in.size());
  for (size_t k = 0; k < in.size(); ++k) v.HiddenSurveys[k] = in[k] ? 0 : 1;
}

void ShowAllSurveys(ViewState& v) {
  v.HiddenSurveys.clear();
}

bool FitToSurvey(AppState& s, const PictureGeometry& g, int32_t node) {
  const SurveyModel& m = s.survey;
  const std::vector<uint8_t> in = Subtree(m, node);
  if (in.empty()) return false;
  double lo[3] = {INFINITY, INFINITY, INFINITY}, hi[3] = {-INFINITY, -INFINITY, -INFINITY};
  for (int32_t row = 0; row < m.StationCount(); ++row) {
    if (!in[static_cast<size_t>(m.StationSurvey(row))]) continue;
    const double p[3] = {m.X(row), m.Y(row), m.Z(row)};
    for (int k = 0; k < 3; ++k) lo[k] = std::min(lo[k], p[k]), hi[k] = std::max(hi[k], p[k]);
  }
  if (!(lo[0] <= hi[0])) return false;
  ViewState& v = s.view;
  v.CentreX = hi[0] - (hi[0] - lo[0]) * 0.5;
  v.CentreY = hi[1] - (hi[1] - lo[1]) * 0.5;
  SurveyCylinder c;
  c.radius = std::hypot(hi[0] - lo[0], hi[1] - lo[1]) / 2;
  c.bottom = lo[2] - m.originZ.AsDouble();
  c.top = hi[2] - m.originZ.AsDouble();
  const FitResult r = FitView(v, c, g, v.MapStyle ? MapFitArea(v, g) : SceneArea(g));
  v.ZoomScale = r.ZoomScale;
  v.TargetY = r.TargetY;
  v.TargetZ = r.TargetZ;
  v.Fitted = true;
  // Not the whole survey's fit: a change of the window keeps this view.
  s.framing.last.valid = false;
  s.framing.pending = FitRequest::None;
  return true;
}

}  // namespace mv
