// The menu bar MainMenu1 and the toolbar buttons of Panel1. Menu item,
// shortcut and button of one command all run the same handler.
#pragma once

#include <QKeySequence>
#include <QString>
#include <array>
#include <functional>

class QAction;
class QMainWindow;
class QMenu;
class QToolButton;
class QWidget;

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
};
inline constexpr int kCommandCount = static_cast<int>(Command::Oprogramie1) + 1;

class MenuToolbar {
 public:
  using Runner = std::function<void(Command)>;

  // Builds the menu bar of `window` and the buttons on `strip`.
  MenuToolbar(QMainWindow* window, QWidget* strip, Runner run);

  // The menu item of a command.
  QAction* Action(Command c) const { return actions_[Index(c)]; }
  // The toolbar button of a command, or nullptr when it has none.
  QToolButton* Button(Command c) const { return buttons_[Index(c)]; }

  // The "&Plik" menu and its item N4, before which further file commands go.
  QMenu* FileMenu() const { return file_; }
  QAction* FileMenuAnchor() const { return n4_; }
  QMenu* ObjectMenu() const { return object_; }

  // Shows a command's menu caption and button hint, and enables or disables both.
  void SetTexts(Command c, const QString& caption, const QString& hint, bool enabled);

 private:
  static int Index(Command c) { return static_cast<int>(c); }
  QAction* Item(QMenu* menu, Command c, const char* name, const QString& caption,
                const QKeySequence& shortcut);
  void BuildToolbar(QWidget* strip);

  Runner run_;
  std::array<QAction*, kCommandCount> actions_{};
  std::array<QToolButton*, kCommandCount> buttons_{};
  QMenu* file_ = nullptr;
  QMenu* object_ = nullptr;
  QAction* n4_ = nullptr;
};

}  // namespace mv::ui
