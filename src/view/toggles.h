// The display toggles: which flag each switches and the texts its menu item
// and toolbar button show. Each toggle decides by its flag alone and writes
// texts that name what the next use will do.
#pragma once

#include <cstddef>
#include <string>

#include "view/view_state.h"

namespace mv {

enum class Toggle {
  Lines,
  Entrances,
  Axis,
  WindRose,
  Scale,
  Graduation,
  DepthColours,
  StationNames,
  MapOverlays,
  Walls
};
inline constexpr size_t kToggleCount = static_cast<size_t>(Toggle::Walls) + 1;

// One control pair of a toggle: the menu item's caption and the toolbar
// button's hint, and whether both are enabled.
struct ToggleTexts {
  std::string caption;
  std::string hint;
  bool enabled = true;
  bool checked = false;  // of a toggle with a check mark
};

// The captions and hints the toggles write. The widgets show these; commands
// and the loader change only this plain record.
struct ControlTexts {
  ControlTexts();  // the start texts of every toggle
  ToggleTexts& operator[](Toggle t);
  const ToggleTexts& operator[](Toggle t) const;

  ToggleTexts lines, entrances, axis, windRose, scale, graduation, depthColours, stationNames,
      mapOverlays, walls;
};

struct ToggleRow {
  Toggle id;
  bool ViewState::*flag;
  ToggleTexts ControlTexts::*texts;
  const char* startCaption;  // the texts before the first use
  const char* startHint;
  const char* whenShown;   // written when the flag goes true
  const char* whenHidden;  // written when the flag goes false
  bool writesCaption;      // false: only the hint follows the flag
  // The menu item shows the flag as a check mark beside its caption.
  bool checkmark = false;
};

const ToggleRow& ToggleRowOf(Toggle t);

// Flips the toggle's flag, writes its texts, and returns the new value.
bool Flip(Toggle t, ViewState& v, ControlTexts& texts);
// Sets the flag and writes the texts of a shown element.
void Show(Toggle t, ViewState& v, ControlTexts& texts);
// Sets the flag to `shown` and writes the matching texts.
void Set(Toggle t, bool shown, ViewState& v, ControlTexts& texts);

}  // namespace mv
