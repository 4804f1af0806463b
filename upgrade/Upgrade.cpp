#include "upgrade/Upgrade.h"

#include <QCoreApplication>
#include <QFile>

#include "link/LineClock.h"
#include "upgrade/UpgradeViews.h"

upgradeTool* Upgrader = nullptr;

void upgradeTool::Pause(int ms) {
  if (ms <= 0) return;
  if (ms >= 1000 && LongPause) {
    LongPause(ms);
    return;
  }
  SleepLineMs(ms);  // the waits for a device's answer among them
}

void upgradeTool::ProcessEvents() {
  if (QCoreApplication::instance()) QCoreApplication::processEvents();
}

void upgradeTool::Log(const QString& line) {
  if (Views) Views->AppendUpgradeEvent(line);
}

void upgradeTool::LogRed(const QString& line) {
  if (Views) Views->AppendUpgradeRed(line);
}

void upgradeTool::LogTraffic(const QString& line) {
  if (Views) Views->AppendUpgradeTraffic(line);
}

void upgradeTool::LogEvent(const QString& line) {
  if (Views) Views->AppendEvent(line);
}

// The receive dump: "   Rx: " and the bytes in hex; more than 4,096 bytes
// are not dumped.
void upgradeTool::LogRx(const std::uint8_t* bytes, int n) {
  if (n < 0 || n > 4096 || (n > 0 && !bytes)) return;
  static const char kHex[] = "0123456789ABCDEF";
  QString line = QStringLiteral("   Rx: ");
  line.reserve(7 + 3 * n);
  for (int i = 0; i < n; ++i) {
    line += QLatin1Char(kHex[bytes[i] >> 4]);
    line += QLatin1Char(kHex[bytes[i] & 0x0F]);
    line += QLatin1Char(' ');
  }
  Log(line);
}

QString IdText(int id) { return QStringLiteral("   ID") + QString::number(id); }

void upgradeTool::ReportBlock(int row, int rows, std::uint32_t address, int n) {
  if (!Views || rows <= 0) return;
  Views->SetStatusPanel(9, QStringLiteral("Addr: 0x") + HexDigits(address, 8) + QStringLiteral("   Len: ") +
                               QString::number(n));
  Views->SetStatusPanel(8, QStringLiteral("Processing... %1%").arg((row * 100 + 200) / rows));
  Views->SetProgress((row * 100 + 100) / rows);
}

int upgradeTool::EndStream(std::int32_t length, const QString& shortText) {
  if (TotalSent < length) {
    Log(shortText);
    return 1;
  }
  TotalSent = length;
  Log(QStringLiteral("   Total Hex Length: ") + QString::number(TotalSent));
  if (Views) {
    Views->SetStatusPanel(8, QStringLiteral("Processing... 100%"));
    Views->SetProgress(100);
  }
  return 0;
}

std::int32_t HexTextToInt(const QString& text) {
  QString t = text.trimmed();
  if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) t = t.mid(2);
  if (t.isEmpty() || t.size() > 8) return 0;
  bool ok = false;
  const std::uint32_t v = t.toUInt(&ok, 16);
  return ok ? static_cast<std::int32_t>(v) : 0;
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
