#include "ui/commands.h"

#include <limits>

#include "data/reader_kit.h"

namespace mv::ui {

void ClickToggle(Toggle toggle, ViewState& v, ControlTexts& t) {
  const bool shown = Flip(toggle, v, t);
  // GraduationVisible itself stays: a graduation switched off stays off when
  // the scale comes back.
  if (toggle == Toggle::Scale) t.graduation.enabled = shown;
}

void Rysujliniepomiarowe1Click(ViewState& v, ControlTexts& t) {
  ClickToggle(Toggle::Lines, v, t);
}
void Rysujoobrotu1Click(ViewState& v, ControlTexts& t) {
  ClickToggle(Toggle::Axis, v, t);
}
void Zaznaczotworyobiektu1Click(ViewState& v, ControlTexts& t) {
  ClickToggle(Toggle::Entrances, v, t);
}
void Rawiatrw1Click(ViewState& v, ControlTexts& t) {
  ClickToggle(Toggle::WindRose, v, t);
}
void Nierysujskalisymulacji1Click(ViewState& v, ControlTexts& t) {
  ClickToggle(Toggle::Scale, v, t);
}
void Nierysujpodziaki1Click(ViewState& v, ControlTexts& t) {
  ClickToggle(Toggle::Graduation, v, t);
}

void ApplyColourChoice(ColourDialog& dialog, Rgb& target, std::optional<ColourValue> chosen) {
  if (!chosen) return;
  dialog.selection = *chosen;
  target = SplitColour(*chosen);
}

void Powrtdoparametrwstartowych1Click(ViewState& v, const std::function<void()>& reload) {
  SetStartParameters(v);
  if (reload) reload();
}

int32_t SpinEdit1Value(std::string_view text) {
  text = Trim(text, kWhiteSpace);
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return kAxisLengthMin;
  // Digits beyond the bounds only need to stay beyond them: saturate.
  int64_t n = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return kAxisLengthMin;
    if (n < std::numeric_limits<int32_t>::max()) n = n * 10 + (c - '0');
  }
  if (negative) n = -n;
  if (n < kAxisLengthMin) return kAxisLengthMin;
  if (n > kAxisLengthMax) return kAxisLengthMax;
  return static_cast<int32_t>(n);
}

void BitBtn1Click(ViewState& v, std::string_view spinText) {
  v.AxisLengthPercent = SpinEdit1Value(spinText);
}

int32_t StoredAxisLength(const ViewState& v) {
  return v.AxisLengthPercent;
}

void Zmianapooeniaosiobrotu1Click(ViewState& v) {
  v.SavedCentreX = v.CentreX;
  v.SavedCentreY = v.CentreY;
  v.AxisMoveMode = true;
}

void BitBtn3Click(ViewState& v) {
  v.AxisMoveMode = false;
}

void BitBtn4Click(ViewState& v) {
  v.CentreX = v.SavedCentreX;
  v.CentreY = v.SavedCentreY;
  v.AxisMoveMode = false;
}

PanelPlace Panel4AtOpen(int w, int h) {
  PanelPlace p{w / 2 - kPanel4Width / 2, h / 2 - kPanel4Height / 2 - 20};
  if (p.top < 38) p.top = 40;
  return p;
}

PanelPlace Panel4AtResize(int w, int h) {
  PanelPlace p{w / 2 - kPanel4Width / 2, h / 2 - kPanel4Height / 2 - 20};
  if (p.top < 38) p.top = 38;
  return p;
}

PanelPlace Panel8At(int w, int h) {
  return {w - 190, h - 140};
}

PanelPlace Panel21At(int w, int h) {
  return {w / 2 - kPanel21Width / 2, h / 2 - kPanel21Height / 2 - 30};
}

}  // namespace mv::ui
