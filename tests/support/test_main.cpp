#include <gtest/gtest.h>

#include "app/Startup.h"

#ifdef QORVANE_SANITIZE
// In the sanitizer build any finding, a leak included, ends the test program
// and fails the test, however the program is started (by CTest, by the test
// discovery while building, or by hand).
extern "C" __attribute__((used, visibility("default"))) const char* __asan_default_options() {
  return "halt_on_error=1:abort_on_error=1:detect_leaks=1:check_initialization_order=1";
}
extern "C" __attribute__((used, visibility("default"))) const char* __ubsan_default_options() {
  return "halt_on_error=1:print_stacktrace=1";
}
#endif

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
