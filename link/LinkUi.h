#pragma once
#include <QString>

// What the link layer shows of itself on the main window: status panels, the
// traffic log and the stale display of the value labels. The link code reaches
// the window only through this, so it runs and tests without one.
class LinkUi {
 public:
  virtual ~LinkUi() = default;
  virtual void SetStatus(int panel, const QString& text) = 0;
  // True while the traffic log's panel is open far enough to be read.
  virtual bool TraceEnabled() = 0;
  // Appends one line to the traffic log (also while TraceEnabled is false:
  // some error lines are always written).
  virtual void Trace(const QString& line) = 0;
  // Every blue value label shows a red "??".
  virtual void MarkViewsStale() = 0;
  // Every red value label shows a blue "??", to be filled by the next poll.
  virtual void RestoreStaleViews() = 0;
};

// The one in use: the main window's (doing nothing while there is no window)
// unless a test installed another.
LinkUi& CurrentLinkUi();
// Installs a sink (not owned); nullptr returns to the main window's.
void SetLinkUi(LinkUi* ui);
