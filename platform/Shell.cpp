#include "platform/Shell.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QProcess>
#include <QUrl>

namespace {
ShellOpener& Opener() {
  static ShellOpener opener;
  return opener;
}
ProgramStarter& Starter() {
  static ProgramStarter starter;
  return starter;
}
}  // namespace

void ShellOpen(const QString& path) {
  if (Opener()) {
    Opener()(path);
    return;
  }
  QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

bool StartProgramAgain() {
  if (Starter()) return Starter()();
  return QProcess::startDetached(QCoreApplication::applicationFilePath(), {});
}

void SetShellOpener(ShellOpener opener) { Opener() = std::move(opener); }
void SetProgramStarter(ProgramStarter starter) { Starter() = std::move(starter); }
