// The about box Form2: a small window of its own with the program's title,
// version and a page of details. Closing (OK, the close box or Escape) hides
// it; it lives as long as the program.
#pragma once

#include <QDialog>

class QPlainTextEdit;
class QWidget;

namespace mv::ui {

class AboutBox : public QDialog {
  Q_OBJECT
 public:
  AboutBox();

  // Shows the box without blocking the main window, or brings it to the front.
  void Oprogramie1Click();
  // OK: closes (hides) the box.
  void BitBtn1Click();
  // "Więcej ": opens the details page; its OK closes it.
  void BitBtn2Click();
  void BitBtn3Click();

  QWidget* DetailsPage() const { return panel2_; }
  QPlainTextEdit* DetailsText() const { return memo1_; }

 private:
  QWidget* panel2_ = nullptr;
  QPlainTextEdit* memo1_ = nullptr;
  bool placed_ = false;
};

}  // namespace mv::ui
