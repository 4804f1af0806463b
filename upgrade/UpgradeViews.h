#pragma once
#include <QString>

#include <cstdint>

// What the image loaders and procedures show on the firmware page: its labels
// by control name, the traffic log, the upgrade log, message boxes, the start
// button, the progress bar and the status bar. The page implements it; tests
// record it. Keeps the upgrade code free of widgets.
class UpgradeViews {
 public:
  virtual ~UpgradeViews() = default;
  // Sets the text of a label (or of the delay combo's edit) by object name.
  virtual void SetLabel(const QString& name, const QString& text) = 0;
  // One line of the traffic log (List_Event) with the traffic-log append (the
  // view is emptied when it holds more than 5,000 lines; no message processing).
  virtual void AppendEvent(const QString& line) = 0;
  // One line of the traffic log with the line append: no line limit, scrolled
  // into view and shown at once (pending window messages are processed).
  virtual void AppendEventLine(const QString& line) { AppendEvent(line); }
  // One line of the upgrade log (List_UpgradeEvent), in the normal colour;
  // shown at once (pending window messages are processed).
  virtual void AppendUpgradeEvent(const QString& line) = 0;
  // The same in red.
  virtual void AppendUpgradeRed(const QString& line) { AppendUpgradeEvent(line); }
  // One line into the upgrade log with the traffic-log append (the view is
  // emptied when it holds more than 5,000 lines; no message processing).
  virtual void AppendUpgradeTraffic(const QString& line) { AppendUpgradeEvent(line); }
  // A modal message box.
  virtual void ShowMessage(const QString& text) = 0;
  // Enables or disables the page's start button.
  virtual void SetStartEnabled(bool enabled) = 0;
  // The page's ProgressBar, 0 to 100.
  virtual void SetProgress(int /*percent*/) {}
  // A panel of the main window's status bar (8: "Processing... n%", 9: address).
  virtual void SetStatusPanel(int /*panel*/, const QString& /*text*/) {}
  // Grid_Dev changed: repaint it.
  virtual void RepaintDeviceGrid() {}
};
