// main() of the tests that draw with real OpenGL: they need a Qt GUI
// application for their offscreen surfaces.
#include <gtest/gtest.h>

#include <QGuiApplication>

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // Listing the tests at build time needs no display.
  if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
  QGuiApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
