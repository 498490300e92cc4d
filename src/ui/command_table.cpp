#include "ui/command_table.h"

#include <Qt>

namespace mv::ui {

namespace {

constexpr int Key(QKeyCombination k) {
  return k.toCombined();
}
constexpr int Ctrl(Qt::Key k) {
  return Key(Qt::CTRL | k);
}

constexpr ToolbarSlot kNoButton{0, nullptr, 0, Glyph::Lines, nullptr};

constexpr CommandRow kCommands[] = {
    {Command::Zamknij1, "Zamknij1", "&Zamknij", Ctrl(Qt::Key_Q), {}, kNoButton},
    {Command::Rysujliniepomiarowe1,
     "Rysujliniepomiarowe1",
     nullptr,
     Ctrl(Qt::Key_L),
     Toggle::Lines,
     {1, "SpeedButton2", 2, Glyph::Lines, nullptr}},
    {Command::Kolorliniipomiarowych1,
     "Kolorliniipomiarowych1",
     "Kolor linii pomiarowych",
     Key(Qt::Key_F5),
     {},
     {1, "SpeedButton3", 54, Glyph::LineColour, "Kolor linii pomiarowych"}},
    {Command::Zaznaczotworyobiektu1,
     "Zaznaczotworyobiektu1",
     nullptr,
     Ctrl(Qt::Key_E),
     Toggle::Entrances,
     {1, "SpeedButton12", 28, Glyph::Entrances, nullptr}},
    {Command::Powrtdoparametrwstartowych1,
     "Powrtdoparametrwstartowych1",
     "Powrót do parametrów startowych",
     Ctrl(Qt::Key_S),
     {},
     kNoButton},
    {Command::Rysujoobrotu1,
     "Rysujoobrotu1",
     nullptr,
     Ctrl(Qt::Key_I),
     Toggle::Axis,
     {2, "SpeedButton4", 2, Glyph::Axis, nullptr}},
    {Command::Kolorosiobrotu1,
     "Kolorosiobrotu1",
     "Kolor osi obrotu",
     Key(Qt::Key_F6),
     {},
     {2, "SpeedButton5", 30, Glyph::AxisColour, "Kolor osi obrotu"}},
    {Command::Dugoosiobrotu1,
     "Dugoosiobrotu1",
     "Długość osi obrotu",
     Key(Qt::SHIFT | Qt::CTRL | Qt::Key_F6),
     {},
     {2, "SpeedButton8", 58, Glyph::AxisLength, "Długość osi"}},
    {Command::Zmianapooeniaosiobrotu1,
     "Zmianapooeniaosiobrotu1",
     "Zmiana położenia osi obrotu",
     Key(Qt::SHIFT | Qt::Key_F6),
     {},
     {2, "SpeedButton9", 86, Glyph::AxisPosition, "Zmiana położenia osi"}},
    {Command::Nierysujskalisymulacji1,
     "Nierysujskalisymulacji1",
     nullptr,
     Ctrl(Qt::Key_D),
     Toggle::Scale,
     {3, "SpeedButton6", 2, Glyph::Scale, nullptr}},
    {Command::Kolorskalisymulacji1,
     "Kolorskalisymulacji1",
     "Kolor skali symulacji",
     Key(Qt::Key_F7),
     {},
     {3, "SpeedButton7", 58, Glyph::ScaleColour, "Kolor skali symulacji"}},
    {Command::Nierysujpodziaki1,
     "Nierysujpodziaki1",
     nullptr,
     Ctrl(Qt::Key_F7),
     Toggle::Graduation,
     {3, "SpeedButton11", 30, Glyph::Graduation, nullptr}},
    {Command::Rawiatrw1,
     "Rawiatrw1",
     nullptr,
     Ctrl(Qt::Key_R),
     Toggle::WindRose,
     {3, "SpeedButton10", 86, Glyph::WindRose, nullptr}},
    {Command::Klawiszologiaprogram1,
     "Klawiszologiaprogram1",
     "Klawiszologia programu",
     0,
     {},
     kNoButton},
    {Command::Oprogramie1, "Oprogramie1", "O programie", 0, {}, kNoButton},
    {Command::OpenSurvey,
     "Otworzdanejaskini1",
     "Otwórz dane jaskini...",
     Ctrl(Qt::Key_O),
     {},
     kNoButton},
    {Command::SavePicture, "Zapiszobraz1", "Zapisz obraz...", Ctrl(Qt::Key_P), {}, kNoButton},
    {Command::FullScreen, "FullScreenKey", nullptr, Key(Qt::Key_F11), {}, kNoButton},
    {Command::FitView, "FitView", "Dopasuj widok", Key(Qt::Key_Home), {}, kNoButton},
    // The letters are the view keys' own, typed like the other keys of the
    // model; the items only name them.
    {Command::ShowPlan, "ShowPlan", "Plan (widok z góry)\tP", 0, {}, kNoButton},
    {Command::ShowElevation, "ShowElevation", "Przekrój (widok z boku)\tL", 0, {}, kNoButton},
    {Command::DepthColours, "DepthColours", nullptr, Ctrl(Qt::Key_G), Toggle::DepthColours,
     kNoButton},
    {Command::StationNames, "StationNames", nullptr, Ctrl(Qt::Key_N), Toggle::StationNames,
     kNoButton},
    {Command::FindStation, "FindStation", "Znajdź stację...", Ctrl(Qt::Key_F), {}, kNoButton},
    {Command::CopyPick, "CopyPick", "Kopiuj wskazane stacje", Ctrl(Qt::Key_C), {}, kNoButton},
    {Command::SaveAnimation, "Zapiszanimacje1", "Zapisz animację obrotu...", 0, {}, kNoButton},
    {Command::SaveDrawing, "ZapiszrysunekSVG1", "Zapisz rysunek SVG...", 0, {}, kNoButton},
    {Command::MapOverlays, "MapOverlays", nullptr, 0, Toggle::MapOverlays, kNoButton},
    {Command::SplaysShown, "Pokazodnogi1", "Pokaż odnogi", 0, {}, kNoButton},
    {Command::SplaysFaded, "Przyciemnijodnogi1", "Przyciemnij odnogi", 0, {}, kNoButton},
    {Command::SplaysHidden, "Ukryjodnogi1", "Ukryj odnogi", 0, {}, kNoButton},
    // The key steps through the three items above.
    {Command::CycleSplays, "CycleSplays", nullptr, Ctrl(Qt::Key_J), {}, kNoButton},
    {Command::SurfaceLegsShown,
     "Pokaznogipowierzchniowe1",
     "Pokaż nogi powierzchniowe",
     0,
     {},
     kNoButton},
    {Command::SurfaceLegsFaded,
     "Przyciemnijnogipowierzchniowe1",
     "Przyciemnij nogi powierzchniowe",
     0,
     {},
     kNoButton},
    {Command::SurfaceLegsHidden,
     "Ukryjnogipowierzchniowe1",
     "Ukryj nogi powierzchniowe",
     0,
     {},
     kNoButton},
    {Command::CycleSurfaceLegs, "CycleSurfaceLegs", nullptr, Ctrl(Qt::Key_K), {}, kNoButton},
};

constexpr bool InOrder() {
  for (size_t i = 0; i < kCommandCount; ++i)
    if (static_cast<size_t>(kCommands[i].id) != i) return false;
  return true;
}
static_assert(std::size(kCommands) == kCommandCount && InOrder());

}  // namespace

const CommandRow& CommandRowOf(Command c) {
  return kCommands[static_cast<size_t>(c)];
}

std::optional<LegChoice> LegChoiceOf(Command c) {
  switch (c) {
    case Command::SplaysShown:
      return LegChoice{&ViewState::Splays, LegShow::Shown};
    case Command::SplaysFaded:
      return LegChoice{&ViewState::Splays, LegShow::Faded};
    case Command::SplaysHidden:
      return LegChoice{&ViewState::Splays, LegShow::Hidden};
    case Command::SurfaceLegsShown:
      return LegChoice{&ViewState::SurfaceLegs, LegShow::Shown};
    case Command::SurfaceLegsFaded:
      return LegChoice{&ViewState::SurfaceLegs, LegShow::Faded};
    case Command::SurfaceLegsHidden:
      return LegChoice{&ViewState::SurfaceLegs, LegShow::Hidden};
    default:
      return std::nullopt;
  }
}

int SecondKeyOf(Command c) {
  return c == Command::Zmianapooeniaosiobrotu1 ? Ctrl(Qt::Key_F6) : 0;
}

const CommandRow (&AllCommands())[kCommandCount] {
  return kCommands;
}

}  // namespace mv::ui
