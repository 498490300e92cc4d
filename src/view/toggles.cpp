#include "view/toggles.h"

namespace mv {

namespace {

constexpr ToggleRow kToggles[] = {
    {Toggle::Lines, &ViewState::LinesVisible, &ControlTexts::lines, "Nie rysuj linii pomiarowych",
     "Nie rysuj linii pomiarowych", "Nie rysuj linii pomiarowych", "Rysuj linie pomiarowe", true},
    // The start caption says "obiektów"; once used, the item says "obiektu".
    {Toggle::Entrances, &ViewState::EntrancesVisible, &ControlTexts::entrances,
     "Nie pokazuj otworów obiektów", "Nie pokazuj otworów obiektu", "Nie pokazuj otworów obiektu",
     "Pokaż otwory obiektu", true},
    {Toggle::Axis, &ViewState::AxisVisible, &ControlTexts::axis, "Nie rysuj osi obrotu",
     "Nie rysuj osi obrotu", "Nie rysuj osi obrotu", "Rysuj oś obrotu", true},
    // The menu item keeps the element's name; only the button's hint follows.
    {Toggle::WindRose, &ViewState::WindRoseVisible, &ControlTexts::windRose, "Róża wiatrów",
     "Nie rysuj róży wiatrów", "Nie rysuj róży wiatrów", "Rysuj różę wiatrów", false},
    {Toggle::Scale, &ViewState::ScaleVisible, &ControlTexts::scale, "Nie rysuj skali symulacji",
     "Nie rysuj skali symulacji", "Nie rysuj skali symulacji", "Rysuj skalę symulacji", true},
    {Toggle::Graduation, &ViewState::GraduationVisible, &ControlTexts::graduation,
     "Nie rysuj podziałki", "Nie rysuj podziałki", "Nie rysuj podziałki",
     "Rysuj podziałkę symulacji", true},
    {Toggle::DepthColours, &ViewState::DepthColours, &ControlTexts::depthColours,
     "Koloruj według głębokości", "Koloruj według głębokości", "Nie koloruj według głębokości",
     "Koloruj według głębokości", true},
    {Toggle::StationNames, &ViewState::StationNamesVisible, &ControlTexts::stationNames,
     "Pokaż nazwy stacji", "Pokaż nazwy stacji", "Nie pokazuj nazw stacji", "Pokaż nazwy stacji",
     true},
    {Toggle::MapOverlays, &ViewState::MapOverlaysVisible, &ControlTexts::mapOverlays,
     "Pokaż pasek skali i kompas", "Pokaż pasek skali i kompas",
     "Nie pokazuj paska skali i kompasu", "Pokaż pasek skali i kompas", true},
    // The item keeps the element's name, checked while the walls show.
    {Toggle::Walls, &ViewState::WallsVisible, &ControlTexts::walls, "Ściany korytarzy",
     "Ściany korytarzy", "Ściany korytarzy", "Ściany korytarzy", false, true},
};
static_assert(std::size(kToggles) == kToggleCount);

void Write(const ToggleRow& row, bool shown, ControlTexts& texts) {
  ToggleTexts& t = texts.*row.texts;
  const char* text = shown ? row.whenShown : row.whenHidden;
  t.hint = text;
  if (row.writesCaption) t.caption = text;
  if (row.checkmark) t.checked = shown;
}

}  // namespace

const ToggleRow& ToggleRowOf(Toggle t) {
  return kToggles[static_cast<size_t>(t)];
}

ControlTexts::ControlTexts() {
  for (const ToggleRow& row : kToggles) {
    ToggleTexts& t = this->*row.texts;
    t.caption = row.startCaption;
    t.hint = row.startHint;
  }
}

ToggleTexts& ControlTexts::operator[](Toggle t) {
  return this->*ToggleRowOf(t).texts;
}

const ToggleTexts& ControlTexts::operator[](Toggle t) const {
  return this->*ToggleRowOf(t).texts;
}

bool Flip(Toggle t, ViewState& v, ControlTexts& texts) {
  const ToggleRow& row = ToggleRowOf(t);
  bool& flag = v.*row.flag;
  flag = !flag;
  Write(row, flag, texts);
  return flag;
}

void Show(Toggle t, ViewState& v, ControlTexts& texts) {
  Set(t, true, v, texts);
}

void Set(Toggle t, bool shown, ViewState& v, ControlTexts& texts) {
  const ToggleRow& row = ToggleRowOf(t);
  v.*row.flag = shown;
  Write(row, shown, texts);
}

}  // namespace mv
