#include <gtest/gtest.h>

#include "app/Startup.h"

// Every test runs headless inside one QApplication, as the tool runs on the GUI thread.
int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  ::testing::InitGoogleTest(&argc, argv);
  QorvaneApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
