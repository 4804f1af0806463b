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

// Names the lines left out for their value: the first few, and how many in all.
QString LeftOutText(const QStringList& lines) {
  constexpr int kNamed = 5;
  const qsizetype count = lines.size();
  QString text = QString::number(count) + (count == 1 ? QStringLiteral(" line") : QStringLiteral(" lines")) +
                 QStringLiteral(" left out, value not a whole number from -32768 to 65535: ") +
                 lines.mid(0, kNamed).join(QStringLiteral(", "));
  if (count > kNamed) text += QStringLiteral(" and ") + QString::number(count - kNamed) + QStringLiteral(" more");
  return text;
}

}  // namespace

UploadLineKind ParseUploadLine(const QString& text, UploadLine& out) {
  const QStringList fields = SplitDelimited(text);
  if (fields.size() < 3) return UploadLineKind::Skipped;
  const int reg = SafeStrToInt(fields[1]);
  if (reg < 1 || reg > 65536) return UploadLineKind::Skipped;
  QString value = fields[2];
  const bool bitTest = value.startsWith(u'b') || value.startsWith(u'B');
  if (bitTest) value[0] = u'0';
  // A typing error must never become a 0 or a wrapped value in a setting:
  // the value is used only as a whole number a register can hold, as the
  // editors on the pages take it.
  int number = 0;
  const bool held = StrictStrToInt(value, number) && number >= -32768 && number <= 65535;
  out = {fields[0], reg, static_cast<uint16_t>(held ? number : 0), bitTest};
  return held ? UploadLineKind::Setting : UploadLineKind::BadValue;
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
  QStringList leftOut;
  for (qsizetype k = 0; k < file.lines.size(); ++k) {
    UploadLine line;
    const UploadLineKind kind = ParseUploadLine(file.lines[k], line);
    if (kind == UploadLineKind::Skipped) continue;
    if (kind == UploadLineKind::BadValue) {
      leftOut << line.name + QStringLiteral(" (line ") + QString::number(k + 1) + u')';
      continue;
    }
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
  ShowMessage(leftOut.isEmpty() ? QStringLiteral("Done") : LeftOutText(leftOut));
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
