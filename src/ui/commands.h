// What the menu, toolbar and panel commands do to the program's state, apart
// from the widgets: display toggles with their texts, colours, the return to
// the start parameters, the axis panels' logic and where the panels go.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

#include "view/toggles.h"

namespace mv::ui {

// Display toggles. Each decides by its flag alone and writes the caption and
// hint that name what the next use will do.
void ClickToggle(Toggle toggle, ViewState& v, ControlTexts& t);
void Rysujliniepomiarowe1Click(ViewState& v, ControlTexts& t);
void Rysujoobrotu1Click(ViewState& v, ControlTexts& t);
void Zaznaczotworyobiektu1Click(ViewState& v, ControlTexts& t);
void Rawiatrw1Click(ViewState& v, ControlTexts& t);  // changes only the hint
// Also makes the graduation toggle usable only while the scale is shown.
void Nierysujskalisymulacji1Click(ViewState& v, ControlTexts& t);
void Nierysujpodziaki1Click(ViewState& v, ControlTexts& t);

// The scale's colour dialog first opens on dark green (0, 128, 0), not on
// the scale's own start colour.
inline constexpr ColourValue clGreen = 0x008000;

// A colour dialog remembers its last confirmed colour and opens on it.
struct ColourDialog {
  ColourValue selection;
};

// The outcome of one run of a colour dialog: a confirmed colour becomes the
// dialog's selection and the target colour; a cancel (nullopt) changes nothing.
void ApplyColourChoice(ColourDialog& dialog, Rgb& target, std::optional<ColourValue> chosen);

// Start parameters, then the survey loader.
void Powrtdoparametrwstartowych1Click(ViewState& v, const std::function<void()>& reload);

// Axis length: the spin field's text read as an integer within 15..300; text
// that is no integer reads as 15, a number beyond a bound as that bound.
inline constexpr int32_t kAxisLengthMin = 15;
inline constexpr int32_t kAxisLengthMax = 300;
int32_t SpinEdit1Value(std::string_view text);
// OK of the axis-length panel: stores the field's value.
void BitBtn1Click(ViewState& v, std::string_view spinText);
// Anuluj of the axis-length panel: the value the field goes back to.
int32_t StoredAxisLength(const ViewState& v);

// Axis position: enter the mode (saving the centre), accept, or put the
// centre back where it was when the mode was last entered.
void Zmianapooeniaosiobrotu1Click(ViewState& v);
void BitBtn3Click(ViewState& v);
void BitBtn4Click(ViewState& v);

// Panel placement, in client coordinates, from the main window's outer size.
struct PanelPlace {
  int left;
  int top;
  bool operator==(const PanelPlace&) const = default;
};
inline constexpr int kPanel4Width = 217, kPanel4Height = 137;
inline constexpr int kPanel8Width = 153, kPanel8Height = 65;
inline constexpr int kPanel21Width = 449, kPanel21Height = 449;

// A top that would lie less than 38 below the client area's top becomes 40
// on opening and 38 on a resize.
PanelPlace Panel4AtOpen(int w, int h);
PanelPlace Panel4AtResize(int w, int h);
PanelPlace Panel8At(int w, int h);
PanelPlace Panel21At(int w, int h);  // may stick out at the top of a short window

}  // namespace mv::ui
