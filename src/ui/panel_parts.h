// Building blocks of the panels over the picture and of the about box.
#pragma once

#include <QFont>
#include <QRect>
#include <QStringList>
#include <span>

#include "ui/glyphs.h"

class QFrame;
class QLabel;
class QPaintDevice;
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
// Text is never set smaller than this, in points, to make it fit.
inline constexpr qreal kMinLinePointSize = 7.0;
// kMinLinePointSize on `device`, to the nearest whole pixel.
int MinLinePixelSize(const QPaintDevice* device);

// How wide the widest of `lines` is in `font` on `device`, in pixels.
qreal WidestLine(const QFont& font, const QStringList& lines, const QPaintDevice* device);
// `base`, or the largest smaller size of it in which every one of `lines`
// fits `room` pixels; MinLinePixelSize() where none does.
QFont FitLinesFont(const QFont& base, const QStringList& lines, qreal room,
                   const QPaintDevice* device);

// A read-only text box of the given lines, with a vertical scroll bar, on the
// face colour of the buttons. The lines are never wrapped: the text is set
// smaller where the longest would not fit, and scrolls sideways only where
// no readable size fits.
QPlainTextEdit* MakeMemo(QWidget* parent, const char* name, QRect r, const QStringList& lines);
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
