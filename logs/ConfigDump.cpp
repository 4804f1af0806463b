#include "logs/ConfigDump.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <cstdio>

#include <unistd.h>

#include "app/FormWait.h"
#include "app/Myfunc.h"
#include "app/main.h"
#include "link/FunctionCodes.h"
#include "link/Modbus.h"
#include "logs/CsvText.h"
#include "monitor/PollFrame.h"
#include "platform/Dialogs.h"
#include "platform/FileText.h"
#include "platform/ProgramFolder.h"
#include "platform/ValueLabel.h"

namespace {

QString Field(const QStringList& fields, int k, int width) {
  return k < fields.size() ? fields[k].left(width) : QString();
}

QByteArray Cp1252(const QString& text) { return EncodeFileText(text, FileEncoding::Windows1252); }

// A one-register read is used only as the whole answer to it: valid,
// function 3 (not an exception) and two data bytes.
bool OneRegisterReply(const Modbus& link) { return ReplyUsable(&link, kReadHolding) && link.Reply[2] == 2; }

// Why the link failed, as the port or the Wi-Fi client tells it.
QString LinkFailureReason(const Modbus& link) {
  const QString why = link.LinkError();
  return why.isEmpty() ? QStringLiteral("The link failed") : why;
}

// All of the file on the disk, so a power cut cannot leave the new name on
// a file that lacks its end.
bool Settle(QFile& file) { return file.flush() && ::fsync(file.handle()) == 0; }

void PaintGridSetLog(TForm_Main& f, QRgb colour) {
  if (auto* l = f.Ctl<ValueLabel>(QStringLiteral("Label_GridSetLog"))) l->setFontColor(colour);
}

}  // namespace

QList<ConfigArch> ParseConfigModel(const QStringList& lines) {
  QList<ConfigArch> rows;
  for (const QString& line : lines) {
    const QStringList fields = SplitDelimited(line);
    if (fields.isEmpty()) continue;
    rows.append({Field(fields, 0, ConfigArch::kNameWidth), Field(fields, 1, ConfigArch::kAddressWidth),
                 Field(fields, 2, ConfigArch::kExtraWidth)});
  }
  return rows;
}

QString ConfigModelPath() { return ProgramPath(QStringLiteral("profile/ConfigModel.csv")); }

QString ConfigLogFileName(int id) {
  QDir(ProgramFolder()).mkdir(QStringLiteral("ConfigLog"));
  return ProgramPath(QStringLiteral("ConfigLog/Config_ID") + QString::number(id) + QStringLiteral(".csv"));
}

QString ConfigLogPartName(const QString& fileName) { return fileName + QStringLiteral(".part"); }

ConfigLogResult WriteConfigLog(const QString& fileName, Modbus& link) {
  const TextLines model = ReadTextLines(ConfigModelPath());
  if (!model.opened) return ConfigLogResult::NoModel;
  const QList<ConfigArch> rows = ParseConfigModel(model.lines);

  // A dump cut short must not take the place of the last complete one.
  const QString part = ConfigLogPartName(fileName);
  QFile out(part);
  if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) return ConfigLogResult::NotOpened;
  const auto discard = [&](ConfigLogResult r) {
    out.close();
    QFile::remove(part);
    return r;
  };
  for (const ConfigArch& row : rows) {
    QString line = row.Name + u',' + row.Address + u',';
    const int n = SafeStrToInt(row.Address);
    bool unreadable = false;
    if (n < 1 || n > 65535) {
      line += row.Extra;
    } else {
      if (link.Request(static_cast<uint16_t>(n), 1, kReadHolding)) return discard(ConfigLogResult::LinkFailed);
      if (OneRegisterReply(link)) {
        line += QString::number(ReplyWord(&link, 0));
      } else {
        line += QStringLiteral("Error");
        unreadable = true;
      }
    }
    if (!WriteAll(out, Cp1252(line) + "\r\n")) return discard(ConfigLogResult::WriteFailed);
    if (unreadable) ShowMessage(QStringLiteral("Error-Read Address(") + row.Address + u')');
  }
  if (!Settle(out)) return discard(ConfigLogResult::WriteFailed);
  out.close();
  // One step replaces the old file: a reader finds the old dump or the new one.
  if (std::rename(QFile::encodeName(part).constData(), QFile::encodeName(fileName).constData()) != 0)
    return discard(ConfigLogResult::NotOpened);
  return ConfigLogResult::Written;
}

void RunConfigDump(TForm_Main& f) {
  Modbus& link = f.Link;
  const uint8_t current = link.SlaveId;
  PaintGridSetLog(f, clRed);
  if (Form_wait) Form_wait->show();
  bool allWritten = true;
  const InverterListRec list = f.CommandTargets();
  const int count = std::clamp(list.Count, 0, static_cast<int>(list.Ids.size()));
  for (int i = 0; i < count; ++i) {
    const int id = list.Ids[i];
    link.SlaveId = static_cast<uint8_t>(id);
    link.SetBaudIndex(list.BaudIndex[i]);
    const QString name = ConfigLogFileName(id);
    const ConfigLogResult r = WriteConfigLog(name, link);
    if (r == ConfigLogResult::Written) continue;
    allWritten = false;
    // Without a model no inverter can be dumped: say so once, with the file
    // that was looked for.
    if (r == ConfigLogResult::NoModel) {
      ShowMessage(QStringLiteral("Error-No Config Model: ") + ConfigModelPath());
      break;
    }
    ShowMessage(QStringLiteral("Error - ID") + QString::number(id));
    switch (r) {
      case ConfigLogResult::LinkFailed:
        ShowMessage(LinkFailureReason(link));
        break;
      case ConfigLogResult::WriteFailed:
        ShowMessage(WriteErrorText(name));
        break;
      default:
        ShowMessage(QStringLiteral("Please Close Config File"));
        break;
    }
    // A lost link reaches no other inverter either: one message, not one per
    // inverter left.
    if (r == ConfigLogResult::LinkFailed) break;
  }
  if (Form_wait) Form_wait->hide();
  if (allWritten) ShowMessage(QStringLiteral("Done"));
  PaintGridSetLog(f, clGreen);
  link.SlaveId = current;
  link.SetBaudIndex(link.IdBaudIndex[current]);
}
