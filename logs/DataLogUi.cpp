// The data-log recorder in the main window: the record icon's click, the row
// timer and the icon's animation. The files are written by logs/DataLog.cpp.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTimer>

#include "app/GroupPanel.h"
#include "app/Prompt.h"
#include "app/ToolbarIcons.h"
#include "app/main.h"
#include "logs/DataLog.h"
#include "logs/DataLogActive.h"
#include "platform/Dialogs.h"
#include "platform/ImageBox.h"
#include "platform/ProgramFolder.h"
#include "profiles/Designmode.h"

namespace {

// The main window's panels and controls as the log reads them.
class WindowScreen : public DataLogScreen {
 public:
  explicit WindowScreen(const TForm_Main& w) : w_(w) {}
  bool GroupShown(const char* panel) const override {
    const GroupPanel* p = w_.Panel(QLatin1String(panel));
    return p && !p->isHidden();
  }
  QString LabelText(const char* name) const override {
    const auto* label = w_.Ctl<QLabel>(QLatin1String(name));
    return label ? label->text() : QString();
  }
  QString EditText(const char* name) const override {
    const auto* edit = w_.Ctl<QLineEdit>(QLatin1String(name));
    return edit ? edit->text() : QString();
  }

 private:
  const TForm_Main& w_;
};

bool TabShown(const TForm_Main& w, const char* sheet) {
  auto* pages = w.Ctl<QTabWidget>("PageControl");
  const int qt = pages ? pages->indexOf(w.Control(sheet)) : -1;
  return qt >= 0 && pages->isTabVisible(qt);
}

}  // namespace

void TForm_Main::BindDataLog() {
  auto* record = new QTimer(this);
  record->setObjectName("Timer_Record");
  record->setInterval(2000);
  connect(record, &QTimer::timeout, this, &TForm_Main::Timer_RecordTimer);
  auto* icon = new QTimer(this);
  icon->setObjectName("Timer_Datalog");
  icon->setInterval(1000);
  icon->setProperty("Tag", 0);
  connect(icon, &QTimer::timeout, this, &TForm_Main::Timer_DatalogTimer);
  if (auto* pic = Ctl<ImageBox>("Image_DataLog")) connect(pic, &ImageBox::Click, this, &TForm_Main::Image_DataLogClick);
}

void TForm_Main::StopDataLog() {
  DataLogActive = 0;
  findChild<QTimer*>("Timer_Record")->stop();
  findChild<QTimer*>("Timer_Datalog")->stop();
  auto* pages = Ctl<QTabWidget>("PageControl");
  const QSignalBlocker block(pages);
  if (IsSuperUser == 0) {
    const char* sheets[] = {"TabSheet2", "TabSheet3", "TabSheet4", "TabSheet5", "TabSheet6", "TabSheet7"};
    for (int i = 0; i < 6; ++i) SetTabVisible(pages, Control(sheets[i]), i < 2);
  }
  SetTabVisible(pages, Control("Tab_Firmware"), false);
}

void TForm_Main::Image_DataLogClick() {
  if (IsSuperUser == 0) {
    const auto* open = Ctl<QPushButton>("OpenPort");
    if (open && open->isEnabled()) {
      ShowMessage("You have to communicate with Inverters first");
      return;
    }
    if (!TabShown(*this, "TabSheet1")) {
      ShowMessage("Please Select Monitor Mode");
      return;
    }
  }
  if (DataLogActive == 1) {
    StopDataLog();
    return;
  }

  // A recording needs a file of its own: without a free name it does not
  // start, and no earlier log is touched.
  QString fileName;
  if (NewDataLogFileName(fileName) != 0) {
    ShowMessage("Cannot create a new data log file in \"" + ProgramPath("DataLog") + "\"");
    return;
  }

  DataLogActive = 1;
  if (IsSuperUser == 0) {
    auto* pages = Ctl<QTabWidget>("PageControl");
    {
      const QSignalBlocker block(pages);
      SetCurrentTabIndex(pages, 0);
    }
    PageControlChange();
    const QSignalBlocker block(pages);
    const char* sheets[] = {"TabSheet1", "TabSheet2", "TabSheet3", "TabSheet4",
                            "TabSheet5", "TabSheet6", "TabSheet7", "Tab_Firmware"};
    for (int i = 0; i < 8; ++i) SetTabVisible(pages, Control(sheets[i]), i == 0);
  }
  DataLogRowCount = 0;
  DataLogFileName = fileName;
  // The header lists the groups of the page just shown.
  if (WriteDataLogHeader(WindowScreen(*this), DataLogFileName) != DataLogOk) {
    StopDataLog();
    ShowMessage("Cannot write data log file \"" + DataLogFileName + "\"");
    return;
  }
  auto* record = findChild<QTimer*>("Timer_Record");
  record->start();
  findChild<QTimer*>("Timer_Datalog")->start();

  // The prompt is modal and pumps messages: rows go on at the timer's
  // previous interval while it is open.
  const QString answer = InputBox("Period", "Please Input Interval(sec)", "2");
  int ms = DataLogIntervalMs(answer);
  if (ms < 0) {
    ShowMessage("Interval too long: at most 86400 sec (24 h); 2 sec used");
    ms = 2000;
  }
  record->setInterval(ms);
}

void TForm_Main::Timer_RecordTimer() {
  if (!TabShown(*this, "TabSheet1")) return;
  auto* record = findChild<QTimer*>("Timer_Record");
  if (PollStop == 1) record->stop();
  ++DataLogRowCount;
  SetStatus(9, "Report: " + QString::number(DataLogRowCount));
  if (AppendDataLogRow(WindowScreen(*this), DataLogFileName) == DataLogWriteFailed) {
    // Stopped before the message, whose modal loop would let the timer write
    // (and fail) again behind it.
    StopDataLog();
    ShowMessage("Cannot write data log file \"" + DataLogFileName + "\" (disk full?): recording stopped");
  }
}

void TForm_Main::Timer_DatalogTimer() {
  auto* icon = findChild<QTimer*>("Timer_Datalog");
  if (PollStop == 1) icon->stop();
  const int tag = icon->property("Tag").toInt() + 1;
  icon->setProperty("Tag", tag);
  auto* pic = Ctl<ImageBox>("Image_DataLog");
  if (!pic) return;
  const IconTable& frame = RecordIconFrame(tag % 3);
  for (int x = 0; x < kIconColumns; ++x)
    for (int y = 0; y < kIconRows; ++y) pic->SetPixel(x, y, TableColor(frame[x * kIconRows + y]));
}
