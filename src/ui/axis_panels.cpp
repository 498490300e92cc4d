#include "ui/axis_panels.h"

#include <QCoreApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <algorithm>

#include "ui/commands.h"
#include "ui/panel_parts.h"

namespace mv::ui {

void SpinEdit::focusOutEvent(QFocusEvent* e) {
  // Only the caret and selection of the text follow the focus.
  QCoreApplication::sendEvent(lineEdit(), e);
  QWidget::focusOutEvent(e);
}

void SpinEdit::keyPressEvent(QKeyEvent* e) {
  switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
      e->ignore();
      return;
    default:
      QSpinBox::keyPressEvent(e);
  }
}

AxisPanels::AxisPanels(Host& host) : host_(host) {
  QWidget* overlay = host.Overlay();

  panel4_ = MakePanel(overlay, "Panel4", kPanel4Width, kPanel4Height);
  panel4_->move(552, 40);
  MakeLabel(panel4_, "Label1", "Określ długość osi obrotu:", {32, 8, 151, 13}, true);
  MakeSeparator(panel4_, "Panel5", {16, 24, 185, 2});
  spinEdit1_ = new SpinEdit(panel4_);
  spinEdit1_->setObjectName("SpinEdit1");
  spinEdit1_->setRange(kAxisLengthMin, kAxisLengthMax);
  spinEdit1_->setSingleStep(1);
  spinEdit1_->setValue(kStartAxisLengthPercent);
  // Wide enough for "300" beside its arrows in the desktop's font.
  const int spinWidth = std::max(41, spinEdit1_->sizeHint().width());
  spinEdit1_->setGeometry(16, 56, spinWidth, 22);
  MakeLabel(panel4_, "Label2", "% deniwelacji obiektu.",
            {std::max(60, 16 + spinWidth + 3), 58, 104, 13});
  MakeSeparator(panel4_, "Panel6", {8, 96, 201, 2});
  QPushButton* ok4 = MakeBitBtn(panel4_, "BitBtn1", "OK", {112, 104, 97, 25}, Glyph::Ok);
  QPushButton* cancel4 = MakeBitBtn(panel4_, "BitBtn2", "Anuluj", {8, 104, 97, 25}, Glyph::Cancel);
  QObject::connect(ok4, &QPushButton::clicked, panel4_, [this] { BitBtn1Click(); });
  QObject::connect(cancel4, &QPushButton::clicked, panel4_, [this] { BitBtn2Click(); });

  panel8_ = MakePanel(overlay, "Panel8", kPanel8Width, kPanel8Height);
  panel8_->move(600, 460);
  MakeLabel(panel8_, "Label3", "Zaakceptuj oś obrotu:", {12, 8, 126, 13}, true);
  MakeSeparator(panel8_, "Panel9", {4, 24, 141, 2});
  QPushButton* ok8 = MakeBitBtn(panel8_, "BitBtn3", "OK", {80, 32, 67, 25}, Glyph::Ok);
  // Alt+A presses it wherever the focus is; a plain A while the focus takes
  // no typed text is handled with the other keys.
  QPushButton* cancel8 = MakeBitBtn(panel8_, "BitBtn4", "&Anuluj", {8, 32, 67, 25}, Glyph::Cancel);
  QObject::connect(ok8, &QPushButton::clicked, panel8_, [this] { BitBtn3Click(); });
  QObject::connect(cancel8, &QPushButton::clicked, panel8_, [this] { BitBtn4Click(); });
}

void AxisPanels::Dugoosiobrotu1Click() {
  const QSize outer = host_.OuterSize();
  const PanelPlace p = Panel4AtOpen(outer.width(), outer.height());
  panel4_->move(p.left, p.top);
  ShowPanel(panel4_);
}

void AxisPanels::BitBtn1Click() {
  ui::BitBtn1Click(host_.State().view, spinEdit1_->text().toStdString());
  HidePanel(panel4_, host_.Window());
}

void AxisPanels::BitBtn2Click() {
  spinEdit1_->setValue(StoredAxisLength(host_.State().view));
  HidePanel(panel4_, host_.Window());
}

void AxisPanels::Zmianapooeniaosiobrotu1Click() {
  ui::Zmianapooeniaosiobrotu1Click(host_.State().view);
  const QSize outer = host_.OuterSize();
  const PanelPlace p = Panel8At(outer.width(), outer.height());
  panel8_->move(p.left, p.top);
  ShowPanel(panel8_);
}

void AxisPanels::BitBtn3Click() {
  HidePanel(panel8_, host_.Window());
  ui::BitBtn3Click(host_.State().view);
}

void AxisPanels::BitBtn4Click() {
  HidePanel(panel8_, host_.Window());
  ui::BitBtn4Click(host_.State().view);
}

void AxisPanels::Place(int w, int h) {
  if (!panel4_->isHidden()) {
    const PanelPlace p = Panel4AtResize(w, h);
    panel4_->move(p.left, p.top);
  }
  if (!panel8_->isHidden()) {
    const PanelPlace p = Panel8At(w, h);
    panel8_->move(p.left, p.top);
  }
}

}  // namespace mv::ui
