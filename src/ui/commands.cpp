#include "ui/commands.h"

#include <cctype>
#include <limits>

namespace mv::ui {

namespace {

struct ToggleRow {
  bool ViewState::*flag;
  ToggleTexts ControlTexts::*texts;
  bool writesCaption;
  const char* whenHidden;  // written when the flag goes false
  const char* whenShown;   // written when the flag goes true
};

constexpr ToggleRow kLines{&ViewState::LinesVisible, &ControlTexts::lines, true,
                           "Rysuj linie pomiarowe", "Nie rysuj linii pomiarowych"};
constexpr ToggleRow kAxis{&ViewState::AxisVisible, &ControlTexts::axis, true, "Rysuj oś obrotu",
                          "Nie rysuj osi obrotu"};
constexpr ToggleRow kEntrances{&ViewState::EntrancesVisible, &ControlTexts::entrances, true,
                               "Pokaż otwory obiektu", "Nie pokazuj otworów obiektu"};
constexpr ToggleRow kWindRose{&ViewState::WindRoseVisible, &ControlTexts::windRose, false,
                              "Rysuj różę wiatrów", "Nie rysuj róży wiatrów"};
constexpr ToggleRow kScale{&ViewState::ScaleVisible, &ControlTexts::scale, true,
                           "Rysuj skalę symulacji", "Nie rysuj skali symulacji"};
constexpr ToggleRow kGraduation{&ViewState::GraduationVisible, &ControlTexts::graduation, true,
                                "Rysuj podziałkę symulacji", "Nie rysuj podziałki"};

// Flips the flag and returns its new value.
bool Toggle(const ToggleRow& row, ViewState& v, ControlTexts& t) {
  bool& flag = v.*row.flag;
  flag = !flag;
  ToggleTexts& texts = t.*row.texts;
  const char* text = flag ? row.whenShown : row.whenHidden;
  texts.hint = text;
  if (row.writesCaption) texts.caption = text;
  return flag;
}

}  // namespace

void Rysujliniepomiarowe1Click(ViewState& v, ControlTexts& t) {
  Toggle(kLines, v, t);
}
void Rysujoobrotu1Click(ViewState& v, ControlTexts& t) {
  Toggle(kAxis, v, t);
}
void Zaznaczotworyobiektu1Click(ViewState& v, ControlTexts& t) {
  Toggle(kEntrances, v, t);
}
void Rawiatrw1Click(ViewState& v, ControlTexts& t) {
  Toggle(kWindRose, v, t);
}
void Nierysujpodziaki1Click(ViewState& v, ControlTexts& t) {
  Toggle(kGraduation, v, t);
}

void Nierysujskalisymulacji1Click(ViewState& v, ControlTexts& t) {
  // GraduationVisible itself stays: a graduation switched off stays off when
  // the scale comes back.
  t.graduation.enabled = Toggle(kScale, v, t);
}

Rgb SplitColour(ColourValue c) {
  const int32_t blue = c / 65536;
  const int32_t green = (c - blue * 65536) / 256;
  const int32_t red = c - blue * 65536 - green * 256;
  return {red, green, blue};
}

ColourValue JoinColour(const Rgb& c) {
  return (c.r & 0xFF) | (c.g & 0xFF) << 8 | (c.b & 0xFF) << 16;
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
  auto blank = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
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

int32_t BitBtn2Click(const ViewState& v) {
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
