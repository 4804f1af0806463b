#include "upgrade/Upgrade.h"

#include <QFile>

#include "upgrade/UpgradeViews.h"

upgradeTool* Upgrader = nullptr;

void upgradeTool::Log(const QString& line) {
  if (Views) Views->AppendUpgradeEvent(line);
}

void upgradeTool::Message(const QString& text) {
  if (Views) Views->ShowMessage(text);
}

void upgradeTool::ClearPage() {
  static const char* const kLabels[] = {"L_METAVERSION", "L_PRODUCTID", "L_PROCESSOR", "L_HVERSION", "L_SVERSION",
                                        "L_STARTADDR",   "L_STOPADDR",  "L_ERASESIZE", "L_PROGRAMSIZE", "Combo_Delay",
                                        "L_FILLVALUE",   "L_CHECKSUM",  "L_BAUDRATE"};
  if (Views)
    for (const char* name : kLabels) Views->SetLabel(QString::fromLatin1(name), QString());
  Grid.Clear();
}

// Nothing of an earlier image may stay ready to send while a new one loads,
// whether the new one loads or not.
void upgradeTool::BeginLoad() {
  if (Views) Views->SetStartEnabled(false);
  Info.Length10 = 0;
  Info.Crc10 = 0;
  Info.Length20 = 0;
  Info.Crc20 = 0;
  Grid.Clear();
}

int upgradeTool::LoadHex(const QString& path) {
  BeginLoad();
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return 1;
  if (file.size() > kMaxHexFileBytes) {
    Message(QStringLiteral("Image Too Large"));
    return 1;
  }
  return LoadHexData(file.readAll());
}

int upgradeTool::LoadBin(const QString& path) {
  BeginLoad();
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return 1;
  if (file.size() > kMaxImageBytes) {
    Message(QStringLiteral("Image Too Large"));
    return 1;
  }
  return LoadBinData(file.readAll());
}
