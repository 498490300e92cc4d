// The axis-length panel Panel4 and the axis-position panel Panel8, lying over
// the picture.
#pragma once

#include <QSpinBox>

#include "ui/host.h"

class QFrame;
class QPushButton;

namespace mv::ui {

// The axis-length field. Its text is read as typed when OK is pressed, so it
// is neither corrected when the focus leaves it nor by Enter; Enter and
// Escape go on to the panels' buttons.
class SpinEdit : public QSpinBox {
  Q_OBJECT
 public:
  using QSpinBox::QSpinBox;

 protected:
  void focusOutEvent(QFocusEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
};

class AxisPanels {
 public:
  explicit AxisPanels(Host& host);

  // Axis length: open, OK, Anuluj.
  void Dugoosiobrotu1Click();
  void BitBtn1Click();
  void BitBtn2Click();
  // Axis position: enter the mode, OK, Anuluj.
  void Zmianapooeniaosiobrotu1Click();
  void BitBtn3Click();
  void BitBtn4Click();

  // Re-places the shown panels for a window of outer size w x h.
  void Place(int w, int h);

  QFrame* Panel4() const { return panel4_; }
  QFrame* Panel8() const { return panel8_; }
  SpinEdit* SpinEdit1() const { return spinEdit1_; }

 private:
  Host& host_;
  QFrame* panel4_ = nullptr;
  QFrame* panel8_ = nullptr;
  SpinEdit* spinEdit1_ = nullptr;
};

}  // namespace mv::ui
