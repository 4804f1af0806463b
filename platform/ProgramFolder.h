#pragma once
#include <QString>

// The folder that holds profile/, DataLog/, ConfigLog/ and UpgradeLog/:
// QORVANE_HOME when set, else the executable's folder. No trailing slash.
QString ProgramFolder();

// ProgramFolder() + "/" + relative path (relative uses '/').
QString ProgramPath(const QString& relative);
