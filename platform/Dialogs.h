#pragma once
#include <QString>

class QDialog;

// Every modal box of the tool goes through this one interface, so a headless
// test can answer or record it instead of blocking on it.
class DialogHost {
 public:
  virtual ~DialogHost() = default;
  // Plain modal box with one text and an OK button.
  virtual void ShowMessage(const QString& text) = 0;
  // Modal text prompt (at most 255 characters, the proposal selected). Returns
  // true when left with OK, value then holding the text; false for any other
  // way out, value unchanged. When the proposed value is exactly "Password"
  // every character shows as '*'. The edit is named "InputEdit".
  virtual bool InputQuery(const QString& caption, const QString& prompt, QString& value) = 0;
  // File choosers: empty text when the user cancels.
  virtual QString OpenFileName(const QString& caption, const QString& dir, const QString& filter) = 0;
  virtual QString SaveFileName(const QString& caption, const QString& dir, const QString& filter) = 0;
  // Shows one of the tool's own windows modally (the result window) and
  // returns its result code.
  virtual int ExecModal(QDialog* dialog);
};

// The host in use: the Qt one unless a test installed another.
DialogHost& Dialogs();
// Installs a host (not owned); nullptr returns to the Qt host.
void SetDialogHost(DialogHost* host);

// The real, widget-based host.
class QtDialogHost : public DialogHost {
 public:
  void ShowMessage(const QString& text) override;
  bool InputQuery(const QString& caption, const QString& prompt, QString& value) override;
  QString OpenFileName(const QString& caption, const QString& dir, const QString& filter) override;
  QString SaveFileName(const QString& caption, const QString& dir, const QString& filter) override;
};

// Shorthand for the plain message box.
inline void ShowMessage(const QString& text) { Dialogs().ShowMessage(text); }
