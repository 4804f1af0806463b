#include "logs/DataLog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include "platform/FileText.h"
#include "platform/ProgramFolder.h"
#include "app/Myfunc.h"

namespace {
using enum HeaderFrom;
using enum CellRule;

// The columns, group by group. The clock group splits its date and time
// labels into the cells its header names.
// Group_GetDC1
constexpr DataLogHeaderCell kGetDC1Header[] = {
    {Text, "Vdc1"}, {Text, "Idc1"}, {Text, "Pdc1"},
};
constexpr DataLogRowCell kGetDC1Row[] = {
    {"Label_Vdc1", Value}, {"Label_Idc1", Value}, {"Label_Pdc1", Value},
};
// Group_GetDC2
constexpr DataLogHeaderCell kGetDC2Header[] = {
    {Text, "Vdc2"}, {Text, "Idc2"}, {Text, "Pdc2"},
};
constexpr DataLogRowCell kGetDC2Row[] = {
    {"Label_Vdc2", Value}, {"Label_Idc2", Value}, {"Label_Pdc2", Value},
};
// Group_GetDC3
constexpr DataLogHeaderCell kGetDC3Header[] = {
    {Text, "Vdc3"}, {Text, "Idc3"}, {Text, "Pdc3"},
};
constexpr DataLogRowCell kGetDC3Row[] = {
    {"Label_Vdc3", Value}, {"Label_Idc3", Value}, {"Label_Pdc3", Value},
};
// Group_GetDC4
constexpr DataLogHeaderCell kGetDC4Header[] = {
    {Text, "Vdc4"}, {Text, "Idc4"}, {Text, "Pdc4"},
};
constexpr DataLogRowCell kGetDC4Row[] = {
    {"Label_Vdc4", Value}, {"Label_Idc4", Value}, {"Label_Pdc4", Value},
};
// Group_GetAC1
constexpr DataLogHeaderCell kGetAC1Header[] = {
    {Text, "Vac1"}, {Text, "Iac1"}, {Text, "Pac1"}, {Text, "Fac1"},
};
constexpr DataLogRowCell kGetAC1Row[] = {
    {"Label_VacR_Grid", Value}, {"Label_IacR", Value}, {"Label_PacR", Value}, {"Label_FacR", Value},
};
// Group_GetAC2
constexpr DataLogHeaderCell kGetAC2Header[] = {
    {Text, "Vac2"}, {Text, "Iac2"}, {Text, "Pac2"}, {Text, "Fac2"},
};
constexpr DataLogRowCell kGetAC2Row[] = {
    {"Label_VacS_Grid", Value}, {"Label_IacS", Value}, {"Label_PacS", Value}, {"Label_FacS", Value},
};
// Group_GetAC3
constexpr DataLogHeaderCell kGetAC3Header[] = {
    {Text, "Vac3"}, {Text, "Iac3"}, {Text, "Pac3"}, {Text, "Fac3"},
};
constexpr DataLogRowCell kGetAC3Row[] = {
    {"Label_VacT_Grid", Value}, {"Label_IacT", Value}, {"Label_PacT", Value}, {"Label_FacT", Value},
};
// Group_GetVbus
constexpr DataLogHeaderCell kGetVbusHeader[] = {
    {Text, "Pbus"}, {Text, "Nbus"},
};
constexpr DataLogRowCell kGetVbusRow[] = {
    {"Label_PBus", Value}, {"Label_NBus", Value},
};
// Group_Temper1
constexpr DataLogHeaderCell kTemper1Header[] = {
    {Caption, "Label_TemperTitle11"}, {Caption, "Label_TemperTitle12"}, {Caption, "Label_TemperTitle13"},
    {Caption, "Label_TemperTitle14"},
};
constexpr DataLogRowCell kTemper1Row[] = {
    {"Label_Temperature11", Value}, {"Label_Temperature12", Value}, {"Label_Temperature13", Value},
    {"Label_Temperature14", Value},
};
// Group_Temper2
constexpr DataLogHeaderCell kTemper2Header[] = {
    {Caption, "Label_TemperTitle21"}, {Caption, "Label_TemperTitle22"}, {Caption, "Label_TemperTitle23"},
    {Caption, "Label_TemperTitle24"},
};
constexpr DataLogRowCell kTemper2Row[] = {
    {"Label_Temperature21", Value}, {"Label_Temperature22", Value}, {"Label_Temperature23", Value},
    {"Label_Temperature24", Value},
};
// Group_OutputPower
constexpr DataLogHeaderCell kOutputPowerHeader[] = {
    {Text, "Today Wh"}, {Text, "Today RunTime"}, {Text, "Total Wh"}, {Text, "Total RunTime"},
};
constexpr DataLogRowCell kOutputPowerRow[] = {
    {"Label_TodayWh", Value}, {"Label_Runtime", Value}, {"Label_TotalWh", Value}, {"Label_TotalRuntime", Value},
};
// Group_TestValue
constexpr DataLogHeaderCell kTestValueHeader[] = {
    {Text, "T00"}, {Text, "T01"}, {Text, "T02"}, {Text, "T03"}, {Text, "T04"}, {Text, "T05"}, {Text, "T06"},
    {Text, "T07"}, {Text, "T08"}, {Text, "T09"}, {Text, "T10"}, {Text, "T11"},
};
constexpr DataLogRowCell kTestValueRow[] = {
    {"Label_TestValN0", Whole}, {"Label_TestValN1", Whole}, {"Label_TestValN2", Whole}, {"Label_TestValN3", Whole},
    {"Label_TestValN4", Whole}, {"Label_TestValN5", Whole}, {"Label_TestValN6", Whole}, {"Label_TestValN7", Whole},
    {"Label_TestValN8", Whole}, {"Label_TestValN9", Whole}, {"Label_TestValN10", Whole},
    {"Label_TestValN11", Whole},
};
// Group_TotalPower
constexpr DataLogHeaderCell kTotalPowerHeader[] = {
    {Text, "Total Pin"}, {Text, "Total Pout"},
};
constexpr DataLogRowCell kTotalPowerRow[] = {
    {"Label_TotalInputPower", Value}, {"Label_TotalOutputPower", Value},
};
// Group_LoadPower1
constexpr DataLogHeaderCell kLoadPower1Header[] = {
    {Text, "Load1 Volt"}, {Text, "Load1 Current"}, {Text, "Load1 Power"}, {Text, "Load1 Freq"}, {Text, "Load1 PF"},
};
constexpr DataLogRowCell kLoadPower1Row[] = {
    {"Label_Vload1", Value}, {"Label_Iload1", Value}, {"Label_Pload1", Value}, {"Label_Fload1", Value},
    {"Label_PFload1", Value},
};
// Group_LoadPower2
constexpr DataLogHeaderCell kLoadPower2Header[] = {
    {Text, "Load2 Volt"}, {Text, "Load2 Current"}, {Text, "Load2 Power"}, {Text, "Load2 Freq"}, {Text, "Load2 PF"},
};
constexpr DataLogRowCell kLoadPower2Row[] = {
    {"Label_Vload2", Value}, {"Label_Iload2", Value}, {"Label_Pload2", Value}, {"Label_Fload2", Value},
    {"Label_PFload2", Value},
};
// Group_BT_Info
constexpr DataLogHeaderCell kBT_InfoHeader[] = {
    {Text, "BT SOC"}, {Text, "BT SOH"}, {Text, "BT MaxVolt"}, {Text, "BT MinVolt"}, {Text, "BT MaxT"},
    {Text, "BT MinT"}, {Text, "BT Capacity"}, {Text, "BT Voltage"}, {Text, "BT Current"}, {Text, "BT Power"},
    {Text, "BT MCCL"}, {Text, "BT MDCL"},
};
constexpr DataLogRowCell kBT_InfoRow[] = {
    {"Label_BT_SOC", Value}, {"Label_BT_SOH", Value}, {"Label_BT_MaxVolt", Value}, {"Label_BT_MinVolt", Value},
    {"Label_BT_MaxT", Value}, {"Label_BT_MinT", Value}, {"Label_BT_Capacity", Value}, {"Label_BT_Voltage", Value},
    {"Label_BT_Current", Value}, {"Label_BT_Power", Value}, {"Label_BT_MCCL", Value}, {"Label_BT_MDCL", Value},
};
// Group_InvTime
constexpr DataLogHeaderCell kInvTimeHeader[] = {
    {Text, "Year"}, {Text, "Month"}, {Text, "Day"}, {Text, "Hour"}, {Text, "Minute"}, {Text, "Second"},
    {Text, "RTC"},
};
constexpr DataLogRowCell kInvTimeRow[] = {
    {"Label_InvYMD", Date}, {"Label_InvHMS", Time}, {"Label_InvRTC", Whole},
};
// Group_Insulation
constexpr DataLogHeaderCell kInsulationHeader[] = {
    {Text, "string1"}, {Text, "string2"},
};
constexpr DataLogRowCell kInsulationRow[] = {
    {"Label_String1Ravg", Whole}, {"Label_String2Ravg", Whole},
};
// Group_StringCurr
constexpr DataLogHeaderCell kStringCurrHeader[] = {
    {Text, "sc1"}, {Text, "sc2"}, {Text, "sc3"}, {Text, "sc4"}, {Text, "sc5"}, {Text, "sc6"}, {Text, "sc7"},
    {Text, "sc8"}, {Text, "sc9"}, {Text, "sc10"}, {Text, "sc11"}, {Text, "sc12"}, {Text, "sc13"}, {Text, "sc14"},
    {Text, "sc15"}, {Text, "sc16"}, {Text, "sc17"}, {Text, "sc18"}, {Text, "sc19"}, {Text, "sc20"}, {Text, "sc21"},
    {Text, "sc22"}, {Text, "sc23"}, {Text, "sc24"},
};
constexpr DataLogRowCell kStringCurrRow[] = {
    {"Label_StringCurr1", Value}, {"Label_StringCurr2", Value}, {"Label_StringCurr3", Value},
    {"Label_StringCurr4", Value}, {"Label_StringCurr5", Value}, {"Label_StringCurr6", Value},
    {"Label_StringCurr7", Value}, {"Label_StringCurr8", Value}, {"Label_StringCurr9", Value},
    {"Label_StringCurr10", Value}, {"Label_StringCurr11", Value}, {"Label_StringCurr12", Value},
    {"Label_StringCurr13", Value}, {"Label_StringCurr14", Value}, {"Label_StringCurr15", Value},
    {"Label_StringCurr16", Value}, {"Label_StringCurr17", Value}, {"Label_StringCurr18", Value},
    {"Label_StringCurr19", Value}, {"Label_StringCurr20", Value}, {"Label_StringCurr21", Value},
    {"Label_StringCurr22", Value}, {"Label_StringCurr23", Value}, {"Label_StringCurr24", Value},
};
// Group_MaxOutputValue
constexpr DataLogHeaderCell kMaxOutputValueHeader[] = {
    {Text, "Vac1"}, {Text, "Iac1"}, {Text, "Pac1"}, {Text, "Fac1"}, {Text, "Vac2"}, {Text, "Iac2"}, {Text, "Pac2"},
    {Text, "Fac2"}, {Text, "Vac3"}, {Text, "Iac3"}, {Text, "Pac3"}, {Text, "Fac3"},
};
constexpr DataLogRowCell kMaxOutputValueRow[] = {
    {"Label_MaxVac1", Value}, {"Label_MaxIac1", Value}, {"Label_MaxPac1", Value}, {"Label_MaxFac1", Value},
    {"Label_MaxVac2", Value}, {"Label_MaxIac2", Value}, {"Label_MaxPac2", Value}, {"Label_MaxFac2", Value},
    {"Label_MaxVac3", Value}, {"Label_MaxIac3", Value}, {"Label_MaxPac3", Value}, {"Label_MaxFac3", Value},
};
// Group_Poll01
constexpr DataLogHeaderCell kPoll01Header[] = {
    {Edit, "Edit_PollAddr01"}, {Edit, "Edit_PollAddr02"}, {Edit, "Edit_PollAddr03"}, {Edit, "Edit_PollAddr04"},
    {Edit, "Edit_PollAddr05"}, {Edit, "Edit_PollAddr06"}, {Edit, "Edit_PollAddr07"}, {Edit, "Edit_PollAddr08"},
    {Edit, "Edit_PollAddr09"}, {Edit, "Edit_PollAddr010"},
};
constexpr DataLogRowCell kPoll01Row[] = {
    {"Label_PollVal01", Whole}, {"Label_PollVal02", Whole}, {"Label_PollVal03", Whole}, {"Label_PollVal04", Whole},
    {"Label_PollVal05", Whole}, {"Label_PollVal06", Whole}, {"Label_PollVal07", Whole}, {"Label_PollVal08", Whole},
    {"Label_PollVal09", Whole}, {"Label_PollVal010", Whole},
};
// Group_Poll02
constexpr DataLogHeaderCell kPoll02Header[] = {
    {Edit, "Edit_PollAddr11"}, {Edit, "Edit_PollAddr12"}, {Edit, "Edit_PollAddr13"}, {Edit, "Edit_PollAddr14"},
    {Edit, "Edit_PollAddr15"}, {Edit, "Edit_PollAddr16"}, {Edit, "Edit_PollAddr17"}, {Edit, "Edit_PollAddr18"},
    {Edit, "Edit_PollAddr19"}, {Edit, "Edit_PollAddr110"},
};
constexpr DataLogRowCell kPoll02Row[] = {
    {"Label_PollVal11", Whole}, {"Label_PollVal12", Whole}, {"Label_PollVal13", Whole}, {"Label_PollVal14", Whole},
    {"Label_PollVal15", Whole}, {"Label_PollVal16", Whole}, {"Label_PollVal17", Whole}, {"Label_PollVal18", Whole},
    {"Label_PollVal19", Whole}, {"Label_PollVal110", Whole},
};
// Group_Poll03
constexpr DataLogHeaderCell kPoll03Header[] = {
    {Edit, "Edit_PollAddr21"}, {Edit, "Edit_PollAddr22"}, {Edit, "Edit_PollAddr23"}, {Edit, "Edit_PollAddr24"},
    {Edit, "Edit_PollAddr25"}, {Edit, "Edit_PollAddr26"}, {Edit, "Edit_PollAddr27"}, {Edit, "Edit_PollAddr28"},
    {Edit, "Edit_PollAddr29"}, {Edit, "Edit_PollAddr210"},
};
constexpr DataLogRowCell kPoll03Row[] = {
    {"Label_PollVal21", Whole}, {"Label_PollVal22", Whole}, {"Label_PollVal23", Whole}, {"Label_PollVal24", Whole},
    {"Label_PollVal25", Whole}, {"Label_PollVal26", Whole}, {"Label_PollVal27", Whole}, {"Label_PollVal28", Whole},
    {"Label_PollVal29", Whole}, {"Label_PollVal210", Whole},
};
// Group_Poll04
constexpr DataLogHeaderCell kPoll04Header[] = {
    {Edit, "Edit_PollAddr31"}, {Edit, "Edit_PollAddr32"}, {Edit, "Edit_PollAddr33"}, {Edit, "Edit_PollAddr34"},
    {Edit, "Edit_PollAddr35"}, {Edit, "Edit_PollAddr36"}, {Edit, "Edit_PollAddr37"}, {Edit, "Edit_PollAddr38"},
    {Edit, "Edit_PollAddr39"}, {Edit, "Edit_PollAddr310"},
};
constexpr DataLogRowCell kPoll04Row[] = {
    {"Label_PollVal31", Whole}, {"Label_PollVal32", Whole}, {"Label_PollVal33", Whole}, {"Label_PollVal34", Whole},
    {"Label_PollVal35", Whole}, {"Label_PollVal36", Whole}, {"Label_PollVal37", Whole}, {"Label_PollVal38", Whole},
    {"Label_PollVal39", Whole}, {"Label_PollVal310", Whole},
};

constexpr DataLogGroup kGroups[] = {
    {"Group_GetDC1", kGetDC1Header, kGetDC1Row},
    {"Group_GetDC2", kGetDC2Header, kGetDC2Row},
    {"Group_GetDC3", kGetDC3Header, kGetDC3Row},
    {"Group_GetDC4", kGetDC4Header, kGetDC4Row},
    {"Group_GetAC1", kGetAC1Header, kGetAC1Row},
    {"Group_GetAC2", kGetAC2Header, kGetAC2Row},
    {"Group_GetAC3", kGetAC3Header, kGetAC3Row},
    {"Group_GetVbus", kGetVbusHeader, kGetVbusRow},
    {"Group_Temper1", kTemper1Header, kTemper1Row},
    {"Group_Temper2", kTemper2Header, kTemper2Row},
    {"Group_OutputPower", kOutputPowerHeader, kOutputPowerRow},
    {"Group_TestValue", kTestValueHeader, kTestValueRow},
    {"Group_TotalPower", kTotalPowerHeader, kTotalPowerRow},
    {"Group_LoadPower1", kLoadPower1Header, kLoadPower1Row},
    {"Group_LoadPower2", kLoadPower2Header, kLoadPower2Row},
    {"Group_BT_Info", kBT_InfoHeader, kBT_InfoRow},
    {"Group_InvTime", kInvTimeHeader, kInvTimeRow},
    {"Group_Insulation", kInsulationHeader, kInsulationRow},
    {"Group_StringCurr", kStringCurrHeader, kStringCurrRow},
    {"Group_MaxOutputValue", kMaxOutputValueHeader, kMaxOutputValueRow},
    {"Group_Poll01", kPoll01Header, kPoll01Row},
    {"Group_Poll02", kPoll02Header, kPoll02Row},
    {"Group_Poll03", kPoll03Header, kPoll03Row},
    {"Group_Poll04", kPoll04Header, kPoll04Row},
};

constexpr int kLastNumber = 998;
constexpr int kOpenAttempts = 10;
constexpr int kMaxIntervalSeconds = 24 * 60 * 60;

// The caption up to its first space or carriage return.
QString ValuePart(const QString& caption) {
  qsizetype end = caption.size();
  for (qsizetype i = 0; i < caption.size(); ++i)
    if (caption[i] == QLatin1Char(' ') || caption[i] == QLatin1Char('\r')) {
      end = i;
      break;
    }
  return caption.left(end);
}

// The three parts of a date or time caption; a caption with fewer (a label
// that shows "??") leaves the missing cells empty.
void AppendParts(QString& line, const QString& caption, QChar separator) {
  const QStringList parts = caption.split(separator);
  for (int i = 0; i < 3; ++i) {
    if (i < parts.size()) line += i < 2 ? parts[i] : parts.mid(2).join(separator);
    line += QLatin1Char(',');
  }
}

QByteArray Encoded(QString line) {
  line += QLatin1String("\r\n");
  return EncodeFileText(line, FileEncoding::Windows1252);
}

void PlainPause() { QThread::sleep(2); }

// Writes all of bytes straight to the file (opened unbuffered, so nothing
// is left to be written later by close); false on any short or failed write.
bool WriteAll(QFile& file, const QByteArray& bytes) { return file.write(bytes) == bytes.size(); }
}  // namespace

std::function<QDateTime()> DataLogClock = [] { return QDateTime::currentDateTime(); };
std::function<void()> DataLogPause = PlainPause;

std::span<const DataLogGroup> DataLogGroups() { return kGroups; }

QByteArray DataLogHeaderLine(const DataLogScreen& screen) {
  QString line = QStringLiteral(",");
  for (const DataLogGroup& g : kGroups) {
    if (!screen.GroupShown(g.panel)) continue;
    for (const DataLogHeaderCell& c : g.header) {
      switch (c.from) {
        case Text: line += QLatin1String(c.text); break;
        case Caption: line += screen.LabelText(c.text); break;
        case Edit: line += screen.EditText(c.text); break;
      }
      line += QLatin1Char(',');
    }
  }
  return Encoded(line);
}

QByteArray DataLogRowLine(const DataLogScreen& screen, const QTime& time) {
  QString line = QString::number(time.hour()) + QLatin1Char(':') + QString::number(time.minute()) +
                 QLatin1Char(':') + QString::number(time.second()) + QLatin1Char(',');
  for (const DataLogGroup& g : kGroups) {
    if (!screen.GroupShown(g.panel)) continue;
    for (const DataLogRowCell& c : g.row) {
      const QString caption = screen.LabelText(c.label);
      switch (c.rule) {
        case Value: line += ValuePart(caption) + QLatin1Char(','); break;
        case Whole: line += caption + QLatin1Char(','); break;
        case Date: AppendParts(line, caption, QLatin1Char('/')); break;
        case Time: AppendParts(line, caption, QLatin1Char(':')); break;
      }
    }
  }
  return Encoded(line);
}

int NewDataLogFileName(QString& name) {
  const QString folder = ProgramPath(QStringLiteral("DataLog"));
  if (!QDir().mkpath(folder)) return 1;
  const QDate today = DataLogClock().date();
  const QString stem = folder + QLatin1Char('/') + QString::number(today.year()) + QLatin1Char('.') +
                       QString::number(today.month()) + QLatin1Char('.') + QString::number(today.day()) +
                       QLatin1Char('_');
  for (int n = 1; n <= kLastNumber; ++n) {
    const QString candidate = stem + QString::number(n).rightJustified(3, QLatin1Char('0')) + QLatin1String(".csv");
    if (!QFileInfo::exists(candidate)) {
      name = candidate;
      return 0;
    }
  }
  return 1;
}

int WriteDataLogHeader(const DataLogScreen& screen, const QString& fileName) {
  QFile file(fileName);
  // Created new, never opened over a file that exists: an older log is
  // never emptied.
  bool opened = false;
  for (int attempt = 0; attempt < kOpenAttempts && !opened; ++attempt) {
    if (attempt > 0) DataLogPause();
    if (QFileInfo::exists(fileName)) return DataLogOpenFailed;
    opened = file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered);
  }
  if (!opened) return DataLogOpenFailed;
  if (!WriteAll(file, DataLogHeaderLine(screen))) {
    // The file is ours and empty or partial: it goes, so no log starts
    // without its header.
    file.close();
    file.remove();
    return DataLogWriteFailed;
  }
  file.close();
  return DataLogOk;
}

int AppendDataLogRow(const DataLogScreen& screen, const QString& fileName) {
  QFile file(fileName);
  bool found = false, opened = false;
  for (int attempt = 0; attempt < kOpenAttempts && !opened; ++attempt) {
    if (!QFileInfo::exists(fileName)) continue;
    found = true;
    opened = file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::ExistingOnly | QIODevice::Unbuffered);
    if (!opened) DataLogPause();
  }
  if (!found) return DataLogMissing;
  if (!opened) return DataLogOpenFailed;
  const qint64 before = file.size();
  const QByteArray row = DataLogRowLine(screen, DataLogClock().time());
  if (!WriteAll(file, row)) {
    // A row cut short by a full disk would join the next one: take it back.
    if (!file.isSequential()) file.resize(before);
    file.close();
    return DataLogWriteFailed;
  }
  file.close();
  return DataLogOk;
}

int DataLogIntervalMs(const QString& answer) {
  // A whole number too long for an int is a long interval too, not a bad one.
  bool whole = false;
  const qulonglong seconds = answer.trimmed().toULongLong(&whole);
  if (whole && seconds > kMaxIntervalSeconds) return -1;
  const int n = SafeStrToInt(answer);
  if (n > kMaxIntervalSeconds) return -1;
  return n >= 1 ? n * 1000 : 2000;
}
