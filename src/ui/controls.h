// The menus, toolbar, panels, about box and key handling of the main window.
#pragma once

#include <QColor>
#include <functional>
#include <memory>
#include <optional>

#include "ui/command_scope.h"
#include "ui/commands.h"
#include "ui/host.h"
#include "ui/menu_toolbar.h"

class QAction;
class QKeyEvent;
class QMenu;

namespace mv::ui {

class Controls {
 public:
  // Asks the user for a colour, starting from `preset`; nullopt on cancel.
  using ColourChooser = std::function<std::optional<QColor>(const QColor& preset, QWidget* parent)>;

  explicit Controls(Host& host);
  ~Controls();
  Controls(const Controls&) = delete;
  Controls& operator=(const Controls&) = delete;

  // Shows the captions, hints and enabled states of the state's texts.
  void SyncTexts();
  // Re-places the visible panels for a window of outer size w x h.
  void PlacePanels(int w, int h);
  // A key event that reached the main window; true when it was used.
  bool KeyPress(QKeyEvent* e);
  // One command of the menu, its shortcut or its toolbar button: switches
  // the command's toggle, or runs its action from the command table.
  void Run(Command c);

  // Replaces the system colour chooser (tests answer without a person).
  void SetColourChooser(ColourChooser chooser);
  // Asks for a station by name; the row found, or nullopt when the user gave
  // up. Tests answer instead of the dialog.
  using StationAsker = std::function<std::optional<int32_t>(const SurveyModel&, QWidget* parent)>;
  void SetStationAsker(StationAsker asker);
  const ColourDialogs& Dialogs() const;

  MenuToolbar& Menu();
  AxisPanels& Axis();
  KeyHelpPanel& KeyHelp();
  AboutBox& About();

 private:
  struct Impl;
  std::unique_ptr<Impl> d_;
};

}  // namespace mv::ui
