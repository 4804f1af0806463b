#include "platform/ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>

QString ProgramFolder() {
  const QByteArray home = qgetenv("QORVANE_HOME");
  QString folder = home.isEmpty() ? QCoreApplication::applicationDirPath()
                                  : QString::fromLocal8Bit(home);
  while (folder.size() > 1 && folder.endsWith('/')) folder.chop(1);
  return folder;
}

QString ProgramPath(const QString& relative) {
  return ProgramFolder() + '/' + relative;
}
