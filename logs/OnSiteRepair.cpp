#include "logs/OnSiteRepair.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>

#include "app/ControlTable.h"
#include "app/main.h"
#include "link/Executor.h"
#include "link/FunctionCodes.h"
#include "link/Modbus.h"
#include "logs/CsvText.h"
#include "monitor/PollFrame.h"
#include "platform/Dialogs.h"
#include "platform/FileText.h"
#include "platform/ProgramFolder.h"

namespace {

constexpr int kInstallDateReg = 1168;

constexpr ControlDecl kOnSiteRepairRows[] = {
    {Kind::Button, "Btn_OnSiteRepair", 30, 30, 75, 28, "RUN"},
};

constexpr const char* kHeaderCells[] = {
    "Tarvo P/N", "1P/3P", "S/N", "Fault description 1", "Fault description 2", "Fault description 3",
    "Fault description 4", "Fault description 5", "Out of Wanrranty(Y/N)", "Install date", "Treatment",
    "Site repaired detail", "Treated date(YYYY/MM/DD)", "Warehourse location", "Replaced Date(YYYY/MM/DD)",
    "Replaced SN", "New unit(Y/N)", "DSP Ver.", "Red Ver.", "Comm Ver.", "Country setting", "Total Energy",
    "Total Runtime",
};

QString Caption(TForm_Main& f, const char* name) {
  auto* l = f.Ctl<QLabel>(QLatin1String(name));
  return l ? l->text() : QString();
}

// Year/month/day from the inverter, or an empty cell when the reply is not
// the whole answer to the read.
QString InstallDate(const Modbus& link) {
  if (!ReplyUsable(&link, kReadInput) || link.Reply[2] != 6) return {};
  return QString::number(ReplyWord(&link, 0)) + u'/' + QString::number(ReplyWord(&link, 1)) + u'/' +
         QString::number(ReplyWord(&link, 2));
}

}  // namespace

extern const PanelControls kOnSiteRepairPanel{"Group_OnSiteRepair", kOnSiteRepairRows};

QString RepairLogFileName(const QString&) {
  QDir(ProgramFolder()).mkdir(QStringLiteral("ConfigLog"));
  return ProgramPath(QStringLiteral("ConfigLog/OnSiteRepair.csv"));
}

RepairLogResult WriteRepairLog(TForm_Main& f, const QString& fileName, Modbus& link) {
  if (link.Request(kInstallDateReg, 3, kReadInput)) return RepairLogResult::LinkFailed;
  const QString blank = QStringLiteral(" ");
  const QStringList cells = {
      blank, QString::number(f.PhaseCount) + u'P', Caption(f, "Label_TarvoSN"), Caption(f, "Label_Event0"),
      Caption(f, "Label_Event1"), Caption(f, "Label_Event2"), Caption(f, "Label_Event3"), Caption(f, "Label_Event4"),
      blank, InstallDate(link), blank, blank, blank, blank, blank, blank, blank, Caption(f, "Label_DSP_Rev"),
      Caption(f, "Label_Redundant_Rev"), Caption(f, "Label_Display_Rev"), blank, Caption(f, "Label_TotalWh"),
      Caption(f, "Label_TotalRuntime"),
  };

  QFile file(fileName);
  const bool isNew = !file.exists();
  if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) return RepairLogResult::NotOpened;
  const qint64 before = file.size();
  QByteArray bytes;
  if (isNew) {
    for (const char* cell : kHeaderCells) bytes += QByteArray(cell) + ',';
    bytes += "\r\n";
  }
  bytes += EncodeFileText(cells.join(u','), FileEncoding::Windows1252) + "\r\n";
  if (!WriteAll(file, bytes)) {
    // Whatever part of the row reached the disk goes again: the rows before stay as they were.
    file.close();
    QFile::resize(fileName, before);
    return RepairLogResult::WriteFailed;
  }
  return RepairLogResult::Written;
}

void RunOnSiteRepair(TForm_Main& f) {
  const QString name = RepairLogFileName(Caption(f, "Label_TarvoSN"));
  switch (WriteRepairLog(f, name, f.Link)) {
    case RepairLogResult::Written:
      ShowMessage(QStringLiteral("Done"));
      break;
    case RepairLogResult::NotOpened:
      ShowMessage(QStringLiteral("Cannot open ") + name);
      break;
    case RepairLogResult::LinkFailed:
      ShowMessage(QStringLiteral("Error - ID") + QString::number(f.Link.SlaveId));
      break;
    case RepairLogResult::WriteFailed:
      ShowMessage(WriteErrorText(name));
      break;
  }
}

void BindOnSiteRepair(TForm_Main& f) {
  if (auto* b = f.Ctl<QPushButton>(QStringLiteral("Btn_OnSiteRepair")))
    QObject::connect(b, &QPushButton::clicked, &f, [&f] { PostCommand(f.Link, CmdOnSiteRepair); });
}
