#pragma once
#include <QString>

// What the image loaders and procedures show on the firmware page: its labels
// by control name, the traffic log, the upgrade log, message boxes and the
// start button. The page implements it; tests record it. Keeps the upgrade
// code free of widgets.
class UpgradeViews {
 public:
  virtual ~UpgradeViews() = default;
  // Sets the text of a label (or of the delay combo's edit) by object name.
  virtual void SetLabel(const QString& name, const QString& text) = 0;
  // One line of the traffic log (List_Event).
  virtual void AppendEvent(const QString& line) = 0;
  // One line of the upgrade log (List_UpgradeEvent).
  virtual void AppendUpgradeEvent(const QString& line) = 0;
  // A modal message box.
  virtual void ShowMessage(const QString& text) = 0;
  // Enables or disables the page's start button.
  virtual void SetStartEnabled(bool enabled) = 0;
};
