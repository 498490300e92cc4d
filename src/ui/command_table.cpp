#include "ui/command_table.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLocale>
#include <QMainWindow>
#include <Qt>

#include "ui/about_box.h"
#include "ui/axis_panels.h"
#include "ui/command_scope.h"
#include "ui/key_actions.h"
#include "ui/key_help.h"
#include "view/picking.h"

namespace mv::ui {

namespace {

constexpr int Key(QKeyCombination k) {
  return k.toCombined();
}
constexpr int Ctrl(Qt::Key k) {
  return Key(Qt::CTRL | k);
}

constexpr ToolbarSlot kNoButton{0, nullptr, 0, Glyph::Lines, nullptr};

void ChooseLineColour(CommandScope& s) {
  s.chooseColour(s.dialogs.ColorDialog1, s.View().LineColor);
}
void ChooseAxisColour(CommandScope& s) {
  s.chooseColour(s.dialogs.ColorDialog2, s.View().AxisColor);
}
void ChooseScaleColour(CommandScope& s) {
  s.chooseColour(s.dialogs.ColorDialog3, s.View().ScaleColor);
}

void BackToStart(CommandScope& s) {
  // The loader writes the survey-lines texts and shows them itself.
  Powrtdoparametrwstartowych1Click(s.View(), [&s] { s.host.Reload(); });
}

void ShowKeyHelp(CommandScope& s) {
  const QSize outer = s.host.OuterSize();
  s.keyHelp.Klawiszologiaprogram1Click(outer.width(), outer.height());
}

void FindStation(CommandScope& s) {
  const SurveyModel& m = s.host.State().survey;
  const std::optional<int32_t> row = s.askForStation(m, s.host.Window());
  if (!row) return;
  // Picked as a click would, and the model spins about it.
  ViewState& v = s.View();
  PickStation(v, *row, false);
  v.CentreX = m.X(*row);
  v.CentreY = m.Y(*row);
}

// The decimal mark of the user's locale, which their spreadsheet reads
// (QLocale's default is the system's); a dot where the mark is not one
// ASCII character.
char SpreadsheetDecimalPoint() {
  const QString mark = QLocale().decimalPoint();
  return mark.size() == 1 && mark[0].unicode() < 0x80 ? static_cast<char>(mark[0].unicode()) : '.';
}

void CopyPick(CommandScope& s) {
  const ViewState& v = s.View();
  const std::string text = PickClipboardText(s.host.State().survey, v.PickedFirst, v.PickedSecond,
                                             SpreadsheetDecimalPoint());
  if (text.empty()) {
    s.host.ShowNote("Nie wskazano stacji do skopiowania: najpierw kliknij stację na rysunku.");
    return;
  }
  QGuiApplication::clipboard()->setText(QString::fromStdString(text));
}

// The state of splays or surface legs that the item of command C chooses.
template <Command C>
void ChooseLegShow(CommandScope& s) {
  const LegChoice choice = *LegChoiceOf(C);
  s.View().*choice.kind = choice.show;
}

constexpr CommandRow kCommands[] = {
    {Command::Zamknij1,
     "Zamknij1",
     "&Zamknij",
     Ctrl(Qt::Key_Q),
     {},
     kNoButton,
     nullptr,
     [](CommandScope& s) { s.host.Close(); }},
    {Command::Rysujliniepomiarowe1,
     "Rysujliniepomiarowe1",
     nullptr,
     Ctrl(Qt::Key_L),
     Toggle::Lines,
     {1, "SpeedButton2", 2, Glyph::Lines, nullptr},
     nullptr,
     nullptr},
    {Command::Kolorliniipomiarowych1,
     "Kolorliniipomiarowych1",
     "Kolor linii pomiarowych",
     Key(Qt::Key_F5),
     {},
     {1, "SpeedButton3", 54, Glyph::LineColour, "Kolor linii pomiarowych"},
     nullptr,
     ChooseLineColour},
    {Command::Zaznaczotworyobiektu1,
     "Zaznaczotworyobiektu1",
     nullptr,
     Ctrl(Qt::Key_E),
     Toggle::Entrances,
     {1, "SpeedButton12", 28, Glyph::Entrances, nullptr},
     nullptr,
     nullptr},
    {Command::Powrtdoparametrwstartowych1,
     "Powrtdoparametrwstartowych1",
     "Powrót do parametrów startowych",
     Ctrl(Qt::Key_S),
     {},
     kNoButton,
     nullptr,
     BackToStart},
    {Command::Rysujoobrotu1,
     "Rysujoobrotu1",
     nullptr,
     Ctrl(Qt::Key_I),
     Toggle::Axis,
     {2, "SpeedButton4", 2, Glyph::Axis, nullptr},
     nullptr,
     nullptr},
    {Command::Kolorosiobrotu1,
     "Kolorosiobrotu1",
     "Kolor osi obrotu",
     Key(Qt::Key_F6),
     {},
     {2, "SpeedButton5", 30, Glyph::AxisColour, "Kolor osi obrotu"},
     nullptr,
     ChooseAxisColour},
    {Command::Dugoosiobrotu1,
     "Dugoosiobrotu1",
     "Długość osi obrotu",
     Key(Qt::SHIFT | Qt::CTRL | Qt::Key_F6),
     {},
     {2, "SpeedButton8", 58, Glyph::AxisLength, "Długość osi"},
     nullptr,
     [](CommandScope& s) { s.axis.Dugoosiobrotu1Click(); }},
    {Command::Zmianapooeniaosiobrotu1,
     "Zmianapooeniaosiobrotu1",
     "Zmiana położenia osi obrotu",
     Key(Qt::SHIFT | Qt::Key_F6),
     {},
     {2, "SpeedButton9", 86, Glyph::AxisPosition, "Zmiana położenia osi"},
     nullptr,
     [](CommandScope& s) { s.axis.Zmianapooeniaosiobrotu1Click(); }},
    {Command::Nierysujskalisymulacji1,
     "Nierysujskalisymulacji1",
     nullptr,
     Ctrl(Qt::Key_D),
     Toggle::Scale,
     {3, "SpeedButton6", 2, Glyph::Scale, nullptr},
     nullptr,
     nullptr},
    {Command::Kolorskalisymulacji1,
     "Kolorskalisymulacji1",
     "Kolor skali symulacji",
     Key(Qt::Key_F7),
     {},
     {3, "SpeedButton7", 58, Glyph::ScaleColour, "Kolor skali symulacji"},
     nullptr,
     ChooseScaleColour},
    {Command::Nierysujpodziaki1,
     "Nierysujpodziaki1",
     nullptr,
     Ctrl(Qt::Key_F7),
     Toggle::Graduation,
     {3, "SpeedButton11", 30, Glyph::Graduation, nullptr},
     nullptr,
     nullptr},
    {Command::Rawiatrw1,
     "Rawiatrw1",
     nullptr,
     Ctrl(Qt::Key_R),
     Toggle::WindRose,
     {3, "SpeedButton10", 86, Glyph::WindRose, nullptr},
     nullptr,
     nullptr},
    {Command::Klawiszologiaprogram1,
     "Klawiszologiaprogram1",
     "Klawiszologia programu",
     0,
     {},
     kNoButton,
     nullptr,
     ShowKeyHelp},
    {Command::Oprogramie1,
     "Oprogramie1",
     "O programie",
     0,
     {},
     kNoButton,
     nullptr,
     [](CommandScope& s) { s.about.Oprogramie1Click(); }},
    {Command::OpenSurvey,
     "Otworzdanejaskini1",
     "Otwórz dane jaskini...",
     Ctrl(Qt::Key_O),
     {},
     kNoButton,
     "Otwarcie pomiarów: plik .3d albo folder z plikami Dane.",
     [](CommandScope& s) { s.host.OpenSurvey(); }},
    {Command::SavePicture,
     "Zapiszobraz1",
     "Zapisz obraz...",
     Ctrl(Qt::Key_P),
     {},
     kNoButton,
     "Zapisanie obrazu do pliku PNG.",
     [](CommandScope& s) { s.host.SavePicture(); }},
    {Command::FullScreen,
     "FullScreenKey",
     nullptr,
     Key(Qt::Key_F11),
     {},
     kNoButton,
     "Pełny ekran i powrót do okna.",
     [](CommandScope& s) { s.host.ToggleFullScreen(); }},
    {Command::FitView,
     "FitView",
     "Dopasuj widok",
     Key(Qt::Key_Home),
     {},
     kNoButton,
     "Dopasowanie widoku: cała jaskinia na środku ekranu.",
     [](CommandScope& s) { s.host.FitView(); }},
    // The letters are the view keys' own, typed like the other keys of the
    // model; the items only name them.
    {Command::ShowPlan,
     "ShowPlan",
     "Plan (widok z góry)\tP",
     0,
     {},
     kNoButton,
     "Plan: widok z góry.",
     [](CommandScope& s) { ShowPlan(s.View()); }},
    {Command::ShowElevation,
     "ShowElevation",
     "Przekrój (widok z boku)\tL",
     0,
     {},
     kNoButton,
     "Przekrój: widok z boku.",
     [](CommandScope& s) { ShowElevation(s.View()); }},
    {Command::DepthColours, "DepthColours", nullptr, Ctrl(Qt::Key_G), Toggle::DepthColours,
     kNoButton, "Kolorowanie linii pomiarowych według głębokości.", nullptr},
    {Command::StationNames, "StationNames", nullptr, Ctrl(Qt::Key_N), Toggle::StationNames,
     kNoButton, "Nazwy stacji na rysunku.", nullptr},
    {Command::FindStation,
     "FindStation",
     "Znajdź stację...",
     Ctrl(Qt::Key_F),
     {},
     kNoButton,
     "Znalezienie stacji po nazwie; jaskinia obraca się wokół niej.",
     FindStation},
    {Command::CopyPick,
     "CopyPick",
     "Kopiuj wskazane stacje",
     Ctrl(Qt::Key_C),
     {},
     kNoButton,
     "Skopiowanie wskazanych stacji do schowka (dla arkusza).",
     CopyPick},
    {Command::SaveAnimation,
     "Zapiszanimacje1",
     "Zapisz animację obrotu...",
     0,
     {},
     kNoButton,
     nullptr,
     [](CommandScope& s) { s.host.SaveAnimation(); }},
    {Command::SaveDrawing,
     "ZapiszrysunekSVG1",
     "Zapisz rysunek SVG...",
     0,
     {},
     kNoButton,
     nullptr,
     [](CommandScope& s) { s.host.SaveDrawing(); }},
    {Command::MapOverlays, "MapOverlays", nullptr, 0, Toggle::MapOverlays, kNoButton, nullptr,
     nullptr},
    {Command::SurveyTree,
     "SurveyTree",
     "Pomiary",
     Ctrl(Qt::Key_T),
     {},
     kNoButton,
     "Panel pomiarów: drzewo jaskiń i ciągów, ich pokazywanie i ukrywanie.",
     [](CommandScope& s) { s.host.ToggleSurveyTree(); }},
    {Command::Statistics,
     "Statistics",
     "Statystyki",
     0,
     {},
     kNoButton,
     nullptr,
     [](CommandScope& s) { s.host.ShowStatistics(); }},
    {Command::Connections,
     "Connections",
     "Znajdź możliwe połączenia...",
     0,
     {},
     kNoButton,
     nullptr,
     [](CommandScope& s) { s.host.FindConnections(); }},
    {Command::Walls, "ScianyKorytarzy", nullptr, Ctrl(Qt::Key_W), Toggle::Walls, kNoButton,
     "Ściany korytarzy: włączenie / wyłączenie.", nullptr},
    {Command::SplaysShown,
     "Pokazodnogi1",
     "Pokaż odnogi",
     0,
     {},
     kNoButton,
     nullptr,
     ChooseLegShow<Command::SplaysShown>},
    {Command::SplaysFaded,
     "Przyciemnijodnogi1",
     "Przyciemnij odnogi",
     0,
     {},
     kNoButton,
     nullptr,
     ChooseLegShow<Command::SplaysFaded>},
    {Command::SplaysHidden,
     "Ukryjodnogi1",
     "Ukryj odnogi",
     0,
     {},
     kNoButton,
     nullptr,
     ChooseLegShow<Command::SplaysHidden>},
    // The key steps through the three items above.
    {Command::CycleSplays,
     "CycleSplays",
     nullptr,
     Ctrl(Qt::Key_J),
     {},
     kNoButton,
     "Odnogi: pokazane, przyciemnione, ukryte (po kolei).",
     [](CommandScope& s) { CycleSplays(s.View()); }},
    {Command::SurfaceLegsShown,
     "Pokaznogipowierzchniowe1",
     "Pokaż nogi powierzchniowe",
     0,
     {},
     kNoButton,
     nullptr,
     ChooseLegShow<Command::SurfaceLegsShown>},
    {Command::SurfaceLegsFaded,
     "Przyciemnijnogipowierzchniowe1",
     "Przyciemnij nogi powierzchniowe",
     0,
     {},
     kNoButton,
     nullptr,
     ChooseLegShow<Command::SurfaceLegsFaded>},
    {Command::SurfaceLegsHidden,
     "Ukryjnogipowierzchniowe1",
     "Ukryj nogi powierzchniowe",
     0,
     {},
     kNoButton,
     nullptr,
     ChooseLegShow<Command::SurfaceLegsHidden>},
    {Command::CycleSurfaceLegs,
     "CycleSurfaceLegs",
     nullptr,
     Ctrl(Qt::Key_K),
     {},
     kNoButton,
     "Nogi powierzchniowe: pokazane, przyciemnione, ukryte.",
     [](CommandScope& s) { CycleSurfaceLegs(s.View()); }},
};

constexpr bool InOrder() {
  for (size_t i = 0; i < kCommandCount; ++i)
    if (static_cast<size_t>(kCommands[i].id) != i) return false;
  return true;
}
// Every command either switches a toggle or has an action.
constexpr bool EveryCommandActs() {
  for (const CommandRow& row : kCommands)
    if (row.toggle.has_value() == (row.action != nullptr)) return false;
  return true;
}
static_assert(std::size(kCommands) == kCommandCount && InOrder() && EveryCommandActs());

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
