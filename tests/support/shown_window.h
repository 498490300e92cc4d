// Helpers of the tests that drive the real main window.
#pragma once

#include <QWidget>
#include <QtTest>

#include "shell/main_window.h"

namespace mv::test {

// A failure box that nobody has to close.
inline void NoBox(QWidget*) {}

// Shown, exposed and active, so that shortcuts reach it.
inline bool Show(MainWindow& w) {
  w.show();
  if (!QTest::qWaitForWindowExposed(&w)) return false;
  w.activateWindow();
  if (!QTest::qWaitForWindowActive(&w)) return false;
  w.setFocus();
  return true;
}

}  // namespace mv::test
