// Display toggles, colours, the return to the start parameters, the axis
// panels' logic and panel placement, without widgets.
#include "ui/commands.h"

#include <gtest/gtest.h>

#include "view/app_state.h"

namespace mv::ui {
namespace {

// The state after a successful load: everything shown, start texts.
AppState Loaded() {
  AppState s;
  SetStartParameters(s.view);
  s.view.LinesVisible = true;
  return s;
}

TEST(Toggles, TwoClicksRestoreFlagCaptionAndHint) {
  using Click = void (*)(ViewState&, ControlTexts&);
  struct Row {
    const char* name;
    Click click;
    bool ViewState::*flag;
    ToggleTexts ControlTexts::*texts;
    const char* caption1;  // after the first click
    const char* hint1;
    const char* caption2;  // after the second
  };
  const Row rows[] = {
      {"lines", Rysujliniepomiarowe1Click, &ViewState::LinesVisible, &ControlTexts::lines,
       "Rysuj linie pomiarowe", "Rysuj linie pomiarowe", "Nie rysuj linii pomiarowych"},
      {"axis", Rysujoobrotu1Click, &ViewState::AxisVisible, &ControlTexts::axis, "Rysuj oś obrotu",
       "Rysuj oś obrotu", "Nie rysuj osi obrotu"},
      {"entrances", Zaznaczotworyobiektu1Click, &ViewState::EntrancesVisible,
       &ControlTexts::entrances, "Pokaż otwory obiektu", "Pokaż otwory obiektu",
       "Nie pokazuj otworów obiektu"},  // not the start caption "...obiektów"
      {"wind rose", Rawiatrw1Click, &ViewState::WindRoseVisible, &ControlTexts::windRose,
       "Róża wiatrów", "Rysuj różę wiatrów", "Róża wiatrów"},
      {"scale", Nierysujskalisymulacji1Click, &ViewState::ScaleVisible, &ControlTexts::scale,
       "Rysuj skalę symulacji", "Rysuj skalę symulacji", "Nie rysuj skali symulacji"},
      {"graduation", Nierysujpodziaki1Click, &ViewState::GraduationVisible,
       &ControlTexts::graduation, "Rysuj podziałkę symulacji", "Rysuj podziałkę symulacji",
       "Nie rysuj podziałki"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    AppState s = Loaded();
    const std::string startHint = (s.texts.*r.texts).hint;
    r.click(s.view, s.texts);
    EXPECT_FALSE(s.view.*r.flag);
    EXPECT_EQ((s.texts.*r.texts).caption, r.caption1);
    EXPECT_EQ((s.texts.*r.texts).hint, r.hint1);
    r.click(s.view, s.texts);
    EXPECT_TRUE(s.view.*r.flag);
    EXPECT_EQ((s.texts.*r.texts).caption, r.caption2);
    EXPECT_EQ((s.texts.*r.texts).hint, startHint);
  }
}

TEST(Toggles, DecideByTheFlagNotByTheCaption) {
  // Hide the axis, then return to the start parameters: the axis is drawn
  // again while its texts still offer to draw it.
  AppState s = Loaded();
  Rysujoobrotu1Click(s.view, s.texts);
  Powrtdoparametrwstartowych1Click(s.view, nullptr);
  EXPECT_TRUE(s.view.AxisVisible);
  EXPECT_EQ(s.texts.axis.caption, "Rysuj oś obrotu");
  Rysujoobrotu1Click(s.view, s.texts);
  EXPECT_FALSE(s.view.AxisVisible);
  EXPECT_EQ(s.texts.axis.caption, "Rysuj oś obrotu");
  EXPECT_EQ(s.texts.axis.hint, "Rysuj oś obrotu");
}

TEST(Toggles, ScaleSwitchesTheGraduationControlsButNotTheGraduation) {
  AppState s = Loaded();
  Nierysujpodziaki1Click(s.view, s.texts);  // graduation off
  Nierysujskalisymulacji1Click(s.view, s.texts);
  EXPECT_FALSE(s.texts.graduation.enabled);
  EXPECT_FALSE(s.view.GraduationVisible);
  Nierysujskalisymulacji1Click(s.view, s.texts);
  EXPECT_TRUE(s.texts.graduation.enabled);
  EXPECT_FALSE(s.view.GraduationVisible);  // stays off when the scale comes back
  EXPECT_EQ(s.texts.graduation.caption, "Rysuj podziałkę symulacji");
}

TEST(Colours, ChosenValueSplitsIntoRedGreenBlue) {
  const struct {
    ColourValue c;
    Rgb rgb;
  } rows[] = {
      {0xFF0000, {0, 0, 255}},  // pure blue
      {0x0000FF, {255, 0, 0}},     {clGreen, {0, 128, 0}}, {0x123456, {0x56, 0x34, 0x12}},
      {0xFFFFFF, {255, 255, 255}}, {0, {0, 0, 0}},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(SplitColour(r.c), r.rgb) << std::hex << r.c;
    EXPECT_EQ(JoinColour(r.rgb), r.c);
  }
}

TEST(StartParameters, SetBeforeTheReloadRunsAndKeepTurnAndTicks) {
  AppState s = Loaded();
  s.view.TurnAngle = 12.5L;
  s.view.TickCount = 999;
  s.view.SavedSpinStep = 0.81L;
  s.view.EyeX = 80;
  s.view.AxisMoveMode = true;
  int reloads = 0;
  Powrtdoparametrwstartowych1Click(s.view, [&] {
    ++reloads;
    EXPECT_EQ(s.view.EyeX, 65);  // the loader sees the start values
    EXPECT_FALSE(s.view.AxisMoveMode);
  });
  EXPECT_EQ(reloads, 1);
  EXPECT_EQ(s.view.TurnAngle, Real48(12.5L));
  EXPECT_EQ(s.view.TickCount, 999);
  EXPECT_EQ(s.view.SavedSpinStep, Real48(0.81L));
}

TEST(AxisLength, FieldTextReadsAsAnIntegerWithinBounds) {
  const struct {
    const char* text;
    int32_t value;
  } rows[] = {
      {"", 15},       {"abc", 15},
      {"12a", 15},    {"1 2", 15},
      {"+", 15},      {"200", 200},
      {" 150 ", 150}, {"15", 15},
      {"300", 300},   {"5", 15},
      {"-7", 15},     {"301", 300},
      {"+42", 42},    {"99999999999999999999", 300},
  };
  for (const auto& r : rows) EXPECT_EQ(SpinEdit1Value(r.text), r.value) << '"' << r.text << '"';
}

TEST(AxisPosition, CancelPutsTheAxisWhereTheModeWasLastEntered) {
  ViewState v;
  SetStartParameters(v);
  v.CentreX = 10.0L;
  v.CentreY = 20.0L;
  Zmianapooeniaosiobrotu1Click(v);
  EXPECT_TRUE(v.AxisMoveMode);
  v.CentreX = 11.0L;
  Zmianapooeniaosiobrotu1Click(v);  // saves the moved centre again
  v.CentreX = 12.0L;
  v.CentreY = 22.0L;
  BitBtn4Click(v);
  EXPECT_FALSE(v.AxisMoveMode);
  EXPECT_EQ(v.CentreX, Real48(11.0L));
  EXPECT_EQ(v.CentreY, Real48(20.0L));

  Zmianapooeniaosiobrotu1Click(v);
  v.CentreX = 13.0L;
  BitBtn3Click(v);  // OK keeps the moved axis
  EXPECT_FALSE(v.AxisMoveMode);
  EXPECT_EQ(v.CentreX, Real48(13.0L));

  // The start parameters clear the saved centre: cancel then gives 0, 0.
  Zmianapooeniaosiobrotu1Click(v);
  Powrtdoparametrwstartowych1Click(v, [&] { v.CentreX = 40.0L; });
  BitBtn4Click(v);
  EXPECT_EQ(v.CentreX, Real48(0.0L));
  EXPECT_EQ(v.CentreY, Real48(0.0L));
}

TEST(Placement, PanelsFollowTheOuterSize) {
  const struct {
    const char* name;
    PanelPlace (*place)(int, int);
    int w, h;
    PanelPlace at;
  } rows[] = {
      {"length, start size", Panel4AtOpen, 780, 591, {282, 207}},
      {"length resized, start size", Panel4AtResize, 780, 591, {282, 207}},
      {"position, start size", Panel8At, 780, 591, {590, 451}},
      {"help, start size", Panel21At, 780, 591, {166, 41}},
      // H div 2 - 88 below 38: 40 on opening, 38 after a resize.
      {"length, short", Panel4AtOpen, 400, 251, {92, 40}},
      {"length resized, short", Panel4AtResize, 400, 251, {92, 38}},
      {"length, just tall enough", Panel4AtOpen, 400, 252, {92, 38}},
      {"help, short", Panel21At, 400, 300, {-24, -104}},
      {"another size", Panel8At, 641, 481, {451, 341}},
  };
  for (const auto& r : rows) {
    const PanelPlace p = r.place(r.w, r.h);
    EXPECT_EQ(p.left, r.at.left) << r.name;
    EXPECT_EQ(p.top, r.at.top) << r.name;
  }
}

}  // namespace
}  // namespace mv::ui
