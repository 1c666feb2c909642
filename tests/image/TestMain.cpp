// The image tests run inside a QGuiApplication (offscreen): drawing SVG text needs its fonts.

#include <gtest/gtest.h>

#include <QGuiApplication>

int main(int argc, char** argv) {
  // Also when CTest lists the tests, which runs without the test environment.
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
