#include "ui/panel_parts.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringList>
#include <algorithm>

namespace mv::ui {

QFont PanelFont(bool bold) {
  QFont f = QApplication::font();
  f.setPixelSize(11);
  f.setBold(bold);
  return f;
}

void UseButtonFace(QWidget* w) {
  // The main window's background is black and its children inherit it;
  // giving the colour explicitly is what makes it stick.
  QPalette pal = w->palette();
  pal.setColor(QPalette::Window, QApplication::palette().color(QPalette::Window));
  w->setPalette(pal);
  w->setAutoFillBackground(true);
}

QFrame* MakePanel(QWidget* parent, const char* name, int width, int height) {
  auto* panel = new QFrame(parent);
  panel->setObjectName(name);
  panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  UseButtonFace(panel);
  panel->setFont(PanelFont());
  panel->resize(width, height);
  panel->hide();
  return panel;
}

QFrame* MakeSeparator(QWidget* parent, const char* name, QRect r) {
  auto* line = new QFrame(parent);
  line->setObjectName(name);
  line->setFrameStyle(QFrame::HLine | QFrame::Sunken);
  line->setGeometry(r);
  return line;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, QRect r, bool bold) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  if (bold) label->setFont(PanelFont(true));
  // The desktop's font may run wider than the one the panels were laid out
  // for: let the text have the room it needs.
  label->setGeometry(r.x(), r.y(), std::max(r.width(), label->sizeHint().width()), r.height());
  return label;
}

QPlainTextEdit* MakeMemo(QWidget* parent, const char* name, QRect r,
                         std::span<const char* const> lines) {
  QStringList text;
  for (const char* line : lines) text << QString::fromUtf8(line);
  auto* memo = new QPlainTextEdit(parent);
  memo->setObjectName(name);
  memo->setGeometry(r);
  memo->setPlainText(text.join('\n'));
  memo->setReadOnly(true);
  memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  QPalette pal = memo->palette();
  pal.setColor(QPalette::Base, pal.color(QPalette::Button));
  memo->setPalette(pal);
  return memo;
}

QPushButton* MakeBitBtn(QWidget* parent, const char* name, const QString& text, QRect r,
                        Glyph glyph) {
  auto* button = new QPushButton(GlyphIcon(glyph, 16), text, parent);
  button->setObjectName(name);
  button->setGeometry(r);
  button->setAutoDefault(true);
  return button;
}

void HidePanel(QWidget* panel, QWidget* window) {
  QWidget* focus = QApplication::focusWidget();
  const bool hadFocus = focus && panel->isAncestorOf(focus);
  panel->hide();
  if (hadFocus) window->setFocus(Qt::OtherFocusReason);
}

void ShowPanel(QWidget* panel) {
  panel->show();
  panel->raise();
}

}  // namespace mv::ui
