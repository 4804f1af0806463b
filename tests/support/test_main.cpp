#include <gtest/gtest.h>

#include "app/Startup.h"

// Every test runs headless inside one QApplication, as the tool runs on the GUI thread.
int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // Tests talk to loopback only: a Wi-Fi open that forgot to name the
  // simulator's address meets a closed local port, never the module's address.
  if (qEnvironmentVariableIsEmpty("QORVANE_WIFI_ADDR")) qputenv("QORVANE_WIFI_ADDR", "127.0.0.1:9");
  ::testing::InitGoogleTest(&argc, argv);
  QorvaneApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
