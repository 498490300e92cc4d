// Every command of the menu bar and the toolbar in one table: its object
// name, caption, shortcut key, the toggle it switches, its toolbar button,
// its line in the key help and what it does. The menu, the toolbar, the
// captions, the key help and the command runner all read it.
#pragma once

#include <cstddef>
#include <optional>

#include "ui/glyphs.h"
#include "view/toggles.h"

namespace mv::ui {

enum class Command {
  Zamknij1,
  Rysujliniepomiarowe1,
  Kolorliniipomiarowych1,
  Zaznaczotworyobiektu1,
  Powrtdoparametrwstartowych1,
  Rysujoobrotu1,
  Kolorosiobrotu1,
  Dugoosiobrotu1,
  Zmianapooeniaosiobrotu1,
  Nierysujskalisymulacji1,
  Kolorskalisymulacji1,
  Nierysujpodziaki1,
  Rawiatrw1,
  Klawiszologiaprogram1,
  Oprogramie1,
  OpenSurvey,
  SavePicture,
  FullScreen,
  FitView,
  ShowPlan,
  ShowElevation,
  DepthColours,
  StationNames,
  FindStation,
  CopyPick,
  SaveAnimation,
  SaveDrawing,
  MapOverlays,
  SurveyTree,
  Statistics,
  Connections,
  Walls,
  SplaysShown,
  SplaysFaded,
  SplaysHidden,
  CycleSplays,
  SurfaceLegsShown,
  SurfaceLegsFaded,
  SurfaceLegsHidden,
  CycleSurfaceLegs,
};
inline constexpr size_t kCommandCount = static_cast<size_t>(Command::CycleSurfaceLegs) + 1;

// A toolbar button: its sunken group on the strip, its name and left edge
// within the group, its picture, and its hint while it does not follow a
// toggle.
struct ToolbarSlot {
  int group;  // 0 none; else 1, 2 or 3 from the left
  const char* name;
  int left;
  Glyph glyph;
  const char* hint;
};

struct CommandScope;
// What a command does; null for a toggle, which switches its toggle.
using CommandAction = void (*)(CommandScope& scope);

struct CommandRow {
  Command id;
  const char* objectName;
  const char* caption;  // a toggle's caption comes from its texts instead
  int key;              // a Qt key combination; 0 for none
  std::optional<Toggle> toggle;
  ToolbarSlot button;
  // What the key help says the key does, for the commands added to the
  // program's original key help; null for the others. A command with no key
  // combination names its key after a tab in its caption.
  const char* keyHelp;
  CommandAction action;
};

const CommandRow& CommandRowOf(Command c);

// The state a menu item of the splays or the surface legs chooses.
struct LegChoice {
  LegShow ViewState::*kind;  // &ViewState::Splays or &ViewState::SurfaceLegs
  LegShow show;
};
std::optional<LegChoice> LegChoiceOf(Command c);
// A second key combination that runs the command, which its menu item does
// not show; 0 for none. Ctrl+F6 switches the axis-position mode as Shift+F6
// does, so the key help, which names Ctrl+F6, holds true.
int SecondKeyOf(Command c);
const CommandRow (&AllCommands())[kCommandCount];

}  // namespace mv::ui
