// Building blocks of the panels over the picture and of the about box.
#pragma once

#include <QFont>
#include <QRect>
#include <span>

#include "ui/glyphs.h"

class QFrame;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QString;
class QWidget;

namespace mv::ui {

// The font of the panels: a plain sans of 11 pixels, bold where asked.
QFont PanelFont(bool bold = false);

// Fills the widget with the desktop's button-face colour instead of the
// main window's black.
void UseButtonFace(QWidget* w);

// A hidden sunken panel with the program's usual button-face colours.
QFrame* MakePanel(QWidget* parent, const char* name, int width, int height);
// A 2-pixel sunken line across a panel.
QFrame* MakeSeparator(QWidget* parent, const char* name, QRect r);
QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, QRect r,
                  bool bold = false);
// A read-only text box of the given lines, with a vertical scroll bar, on the
// face colour of the buttons.
QPlainTextEdit* MakeMemo(QWidget* parent, const char* name, QRect r,
                         std::span<const char* const> lines);
// A push button with a glyph. Enter presses it while it has the focus.
QPushButton* MakeBitBtn(QWidget* parent, const char* name, const QString& text, QRect r,
                        Glyph glyph);

// Hides a panel; when the keyboard focus was inside it, the main window takes
// the focus back so the keys steer the model again.
void HidePanel(QWidget* panel, QWidget* window);
// Shows a panel above the picture and the toolbar.
void ShowPanel(QWidget* panel);

}  // namespace mv::ui
