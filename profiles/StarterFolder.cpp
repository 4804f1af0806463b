#include "profiles/StarterFolder.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include "platform/ProgramFolder.h"

// The starter files live in this library's resources; a static library needs
// them named once for the linker to keep them (and outside any namespace).
static void InitStarterResource() { Q_INIT_RESOURCE(home); }

namespace {
const QString kStarterRoot = QStringLiteral(":/home");
}

QString FillEmptyProgramFolder() {
  if (qEnvironmentVariableIsEmpty("QORVANE_HOME")) return QString();
  const QString folder = ProgramFolder();
  const QDir dir(folder);
  if (dir.exists() &&
      !dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System).isEmpty())
    return QString();

  InitStarterResource();
  int copied = 0;
  QDirIterator it(kStarterRoot, QDir::Files, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString from = it.next();
    const QString to = folder + from.mid(kStarterRoot.size());
    // Resource files are read-only; the copies must be the user's to change.
    if (!QDir().mkpath(QFileInfo(to).path()) || !QFile::copy(from, to) ||
        !QFile::setPermissions(to, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther))
      return QStringLiteral("Program folder %1 is empty, but the starter file %2 could not be written there")
          .arg(folder, to.mid(folder.size() + 1));
    ++copied;
  }
  return QStringLiteral("Program folder %1 was empty: %2 starter files written (profiles SuperUser and Service)")
      .arg(folder)
      .arg(copied);
}
