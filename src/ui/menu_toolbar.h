// The menu bar MainMenu1 and the toolbar buttons of Panel1. Menu item,
// shortcut and button of one command all run the same handler.
#pragma once

#include <QString>
#include <array>
#include <functional>
#include <initializer_list>

#include "ui/command_table.h"

class QAction;
class QMainWindow;
class QMenu;
class QToolButton;
class QWidget;

namespace mv::ui {

class MenuToolbar {
 public:
  using Runner = std::function<void(Command)>;

  // Builds the menu bar of `window` and the buttons on `strip`.
  MenuToolbar(QMainWindow* window, QWidget* strip, Runner run);

  // The menu item of a command.
  QAction* Action(Command c) const { return actions_[Index(c)]; }
  // The toolbar button of a command, or nullptr when it has none.
  QToolButton* Button(Command c) const { return buttons_[Index(c)]; }

  QMenu* FileMenu() const { return file_; }
  QMenu* RecentMenu() const { return recent_; }
  QMenu* ObjectMenu() const { return object_; }

  // Shows a command's menu caption and button hint, enables or disables both,
  // and checks or clears the item where it has a check mark.
  void SetTexts(Command c, const QString& caption, const QString& hint, bool enabled,
                bool checked = false);

 private:
  static int Index(Command c) { return static_cast<int>(c); }
  // The command's action, in `menu` or, without one, on the window alone.
  QAction* Item(QMenu* menu, Command c, QWidget* window = nullptr);
  // Checkable items of which one is checked.
  void Choice(QMenu* menu, std::initializer_list<Command> items);
  void BuildToolbar(QWidget* strip);

  Runner run_;
  std::array<QAction*, kCommandCount> actions_{};
  std::array<QToolButton*, kCommandCount> buttons_{};
  QMenu* file_ = nullptr;
  QMenu* recent_ = nullptr;
  QMenu* object_ = nullptr;
};

}  // namespace mv::ui
