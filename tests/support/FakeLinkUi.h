#pragma once
#include <QString>
#include <QStringList>
#include <array>

#include "link/LinkUi.h"

// Records what the link shows, for tests that run the link without a window.
// Installs itself while alive.
class FakeLinkUi : public LinkUi {
 public:
  FakeLinkUi() { SetLinkUi(this); }
  ~FakeLinkUi() override { SetLinkUi(nullptr); }

  std::array<QString, 11> status;
  QStringList lines;
  bool traceOpen = true;
  int staleRuns = 0;
  int restoreRuns = 0;

  void SetStatus(int panel, const QString& text) override {
    if (panel >= 0 && panel < 11) status[panel] = text;
  }
  bool TraceEnabled() override { return traceOpen; }
  void Trace(const QString& line) override { lines << line; }
  void MarkViewsStale() override { ++staleRuns; }
  void RestoreStaleViews() override { ++restoreRuns; }
};
