#include "logs/SettingsUpload.h"

#include <QFileInfo>
#include <algorithm>
#include <chrono>
#include <thread>

#include "app/FormWait.h"
#include "app/Myfunc.h"
#include "link/FunctionCodes.h"
#include "link/Modbus.h"
#include "logs/CsvText.h"
#include "monitor/EventView.h"
#include "monitor/PollFrame.h"
#include "platform/Dialogs.h"

namespace {

enum class Step { Held, NotHeld, Unreadable, LinkFailed };

// Reads the register and judges it; a reply counts only as the whole answer
// to a one-register read (valid, function 3, two data bytes).
Step ReadAndCompare(Modbus& link, const UploadLine& line) {
  if (link.Request(static_cast<uint16_t>(line.reg), 1, kReadHolding)) return Step::LinkFailed;
  if (!ReplyUsable(&link, kReadHolding) || link.Reply[2] != 2) return Step::Unreadable;
  return RegisterHolds(line, ReplyWord(&link, 0)) ? Step::Held : Step::NotHeld;
}

QString Quoted(const QString& text) { return QStringLiteral("\u201C") + text + QStringLiteral("\u201D"); }

}  // namespace

bool ParseUploadLine(const QString& text, UploadLine& out) {
  const QStringList fields = SplitDelimited(text);
  if (fields.size() < 3) return false;
  const int reg = SafeStrToInt(fields[1]);
  if (reg < 1 || reg > 65536) return false;
  QString value = fields[2];
  const bool bitTest = value.startsWith(u'b') || value.startsWith(u'B');
  if (bitTest) value[0] = u'0';
  out = {fields[0], reg, static_cast<uint16_t>(SafeStrToInt(value)), bitTest};
  return true;
}

bool RegisterHolds(const UploadLine& line, uint16_t content) {
  return line.bitTest ? TestSpecBit(line.value, content) != 0 : content == line.value;
}

int UploadSettingsCsv(Modbus& link, InverterListRec inverters, const QString& fileName) {
  // The file is read whole first, so a line is never split at a buffer's end.
  const TextLines file = ReadTextLines(fileName);
  if (!file.opened) {
    ShowMessage(QStringLiteral("Cannot open ") + fileName);
    return 1;
  }
  const QString path = QFileInfo(fileName).absoluteFilePath();
  const int count = std::clamp(inverters.Count, 0, static_cast<int>(inverters.Ids.size()));
  for (const QString& text : file.lines) {
    UploadLine line;
    if (!ParseUploadLine(text, line)) continue;
    for (int i = 0; i < count; ++i) {
      const int id = inverters.Ids[i];
      link.SlaveId = static_cast<uint8_t>(id);
      link.SetBaudIndex(inverters.BaudIndex[i]);
      Step s = ReadAndCompare(link, line);
      if (s == Step::NotHeld) {
        if (link.Request(static_cast<uint16_t>(line.reg), static_cast<int16_t>(line.value), kWriteRegister)) return 1;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        s = ReadAndCompare(link, line);
        if (s == Step::NotHeld) {
          ShowMessage(QStringLiteral("Value of ") + Quoted(line.name) +
                      QStringLiteral(" is illegal , Please check upload excel file at ") + Quoted(path) +
                      QStringLiteral(", follow the setting range to correct the value."));
          return 1;
        }
      }
      if (s == Step::LinkFailed) return 1;
      if (s == Step::Unreadable) {
        ShowMessage(QStringLiteral("Error-Read Address(") + QString::number(line.reg) + QStringLiteral(") - ID") +
                    QString::number(id));
        return 1;
      }
    }
  }
  ShowMessage(QStringLiteral("Done"));
  return 0;
}

void RunSettingsUpload(TForm_Main& f) {
  Modbus& link = f.Link;
  const uint8_t current = link.SlaveId;
  if (Form_wait) Form_wait->show();
  const QString fileName = Dialogs().OpenFileName(QString(), QString(), QStringLiteral("*.csv (*.csv)"));
  if (!fileName.isEmpty()) UploadSettingsCsv(link, f.CommandTargets(), fileName);
  if (Form_wait) Form_wait->hide();
  link.SlaveId = current;
  link.SetBaudIndex(link.IdBaudIndex[current]);
}
