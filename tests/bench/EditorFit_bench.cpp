// Fitting the settings editors to their texts: it runs when the window is
// built, after a language change and whenever the country list is filled (on
// every switch of inverter). Wall time per fit, and per country-list fill.
#include <QApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "app/main.h"
#include "settings/EditorFit.h"
#include "support/FakeDialogs.h"

namespace {

using Clock = std::chrono::steady_clock;

template <typename Fn>
void Report(const char* what, int runs, Fn fn) {
  std::vector<double> ms;
  for (int i = 0; i < runs; ++i) {
    const auto start = Clock::now();
    fn();
    ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  std::sort(ms.begin(), ms.end());
  std::printf("%-28s runs %4d  median %7.3f ms  min %7.3f ms  max %7.3f ms\n", what, runs, ms[ms.size() / 2], ms.front(),
              ms.back());
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QTemporaryDir home;
  qputenv("QORVANE_HOME", home.path().toUtf8());
  QApplication app(argc, argv);
  FakeDialogs dialogs;

  const auto built = Clock::now();
  TForm_Main w;
  std::printf("window built (fit included)   %7.1f ms\n",
              std::chrono::duration<double, std::milli>(Clock::now() - built).count());
  w.LoadedCountryNames[0] = "NONE";  // the built-in country list
  Report("FitEditorsToText", 200, [&] { FitEditorsToText(w); });
  Report("CountryListInit (with fit)", 200, [&] { w.CountryListInit(); });
  return 0;
}
