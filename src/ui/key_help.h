// The key-help panel Panel21 over the picture.
#pragma once

#include <QStringList>

class QFrame;
class QPlainTextEdit;
class QWidget;

namespace mv::ui {

// The panel's text, line by line: the program's original key help, then the
// keys of the commands added since, from the command table, and the mouse.
QStringList KeyHelpLines();

class KeyHelpPanel {
 public:
  KeyHelpPanel(QWidget* overlay, QWidget* window);

  // Shows the panel, placed for a window of outer size w x h.
  void Klawiszologiaprogram1Click(int w, int h);
  // OK: hides it.
  void BitBtn9Click();
  // Re-places the panel when shown.
  void Place(int w, int h);

  QFrame* Panel21() const { return panel21_; }
  QPlainTextEdit* Memo1() const { return memo1_; }

 private:
  QWidget* window_;
  QFrame* panel21_ = nullptr;
  QPlainTextEdit* memo1_ = nullptr;
};

}  // namespace mv::ui
