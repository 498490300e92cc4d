// The menus, toolbar, panels and key handling of the main window.
#pragma once

#include <memory>

#include "ui/host.h"

class QKeyEvent;

namespace mv::ui {

class Controls {
 public:
  explicit Controls(Host& host);
  ~Controls();
  Controls(const Controls&) = delete;
  Controls& operator=(const Controls&) = delete;

  // Shows the captions, hints and enabled states of the state's texts.
  void SyncTexts();
  // Re-places the visible panels for a window of outer size w x h.
  void PlacePanels(int w, int h);
  // A key event of the main window; true when it was used.
  bool KeyPress(QKeyEvent* e);

 private:
  struct Impl;
  std::unique_ptr<Impl> d_;
};

}  // namespace mv::ui
