// What the commands of the command table act on: the main window, and the
// panels, boxes and colour dialogs of the controls.
#pragma once

#include <functional>
#include <optional>

#include "ui/commands.h"
#include "ui/host.h"

namespace mv::ui {

class AboutBox;
class AxisPanels;
class KeyHelpPanel;

// The three colour dialogs with their remembered selections, first the
// start colours (the scale's apart).
struct ColourDialogs {
  ColourDialog ColorDialog1{JoinColour(kStartLineColour)};  // survey lines
  ColourDialog ColorDialog2{JoinColour(kStartAxisColour)};  // rotation axis
  ColourDialog ColorDialog3{clGreen};                       // simulation scale
};

struct CommandScope {
  Host& host;
  AxisPanels& axis;
  KeyHelpPanel& keyHelp;
  AboutBox& about;
  ColourDialogs& dialogs;
  // Runs `dialog` and puts a confirmed colour into `target`.
  std::function<void(ColourDialog& dialog, Rgb& target)> chooseColour;
  // Asks for a station by name: its row, or nullopt when the user gave up.
  std::function<std::optional<int32_t>(const SurveyModel&, QWidget* parent)> askForStation;

  ViewState& View() { return host.State().view; }
};

}  // namespace mv::ui
