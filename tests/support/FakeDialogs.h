#pragma once
#include <QDialog>
#include <QString>
#include <QStringList>
#include <deque>

#include "platform/Dialogs.h"

// Records every message and answers prompts and file choosers from queues,
// so no headless test ever blocks on a modal box. Installs itself while alive.
class FakeDialogs : public DialogHost {
 public:
  struct Prompt {
    QString caption, prompt, proposed;
  };
  FakeDialogs() { SetDialogHost(this); }
  ~FakeDialogs() override { SetDialogHost(nullptr); }

  QStringList messages;
  std::deque<Prompt> prompts;          // what was asked
  std::deque<QString> answers;         // OK with this text; empty queue = Cancel
  std::deque<QString> files;           // chosen file names; empty queue = cancelled
  QStringList modals;                  // objectNames of the windows shown modally

  void ShowMessage(const QString& text) override { messages << text; }
  bool InputQuery(const QString& caption, const QString& prompt, QString& value) override {
    prompts.push_back({caption, prompt, value});
    if (answers.empty()) return false;
    value = answers.front();
    answers.pop_front();
    return true;
  }
  QString OpenFileName(const QString&, const QString&, const QString&) override { return Next(); }
  QString SaveFileName(const QString&, const QString&, const QString&) override { return Next(); }
  // Records the window and leaves it as a click on its cancel button would.
  int ExecModal(QDialog* dialog) override {
    modals << dialog->objectName();
    return QDialog::Rejected;
  }

 private:
  QString Next() {
    if (files.empty()) return {};
    QString f = files.front();
    files.pop_front();
    return f;
  }
};
