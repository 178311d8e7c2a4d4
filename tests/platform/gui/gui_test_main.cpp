// Test main for tests that need a QApplication: the offscreen platform unless
// the environment names another.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "platform/gui/application.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  orv::TApplication::Instance().Initialize(argc, argv);
  orv::TApplication::Instance().SetTitle("Orvanne");
  return RUN_ALL_TESTS();
}
