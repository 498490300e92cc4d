// The pictures of the toolbar buttons, the panel buttons and the about box,
// drawn in code.
#pragma once

#include <QIcon>
#include <QPixmap>

namespace mv::ui {

enum class Glyph {
  Lines,         // a survey line: a zigzag of shots with stations
  Entrances,     // an entrance: a sphere on the line
  LineColour,    // palette with a red line
  Axis,          // a vertical arrow
  AxisColour,    // palette with a blue axis
  AxisLength,    // the axis with a double-headed measure beside it
  AxisPosition,  // the axis foot with arrows to four sides
  Scale,         // three axes from one corner
  Graduation,    // a ruler with ticks
  ScaleColour,   // palette with green axes
  WindRose,      // a north arrow with the letter N
  Ok,            // a tick
  Cancel,        // a no-entry sign
  More,          // an "i" in a circle
  AboutIcon,     // the program's icon: a spinning cave model
};

// The glyph on a transparent square of `size` pixels.
QPixmap DrawGlyph(Glyph g, int size);
QIcon GlyphIcon(Glyph g, int size);

}  // namespace mv::ui
