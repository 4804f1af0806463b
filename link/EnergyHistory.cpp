// Copying an inverter's energy history (366 days, 120 months and the energy
// totals) into the tool and back into another inverter, through the
// inverter's windowed history registers.
#include "link/EnergyHistory.h"

#include <QLabel>
#include <QPushButton>

#include "app/ControlTable.h"
#include "app/main.h"
#include "link/CommandCodes.h"
#include "link/Executor.h"
#include "link/LinkUi.h"
#include "link/Modbus.h"
#include "platform/CFormat.h"
#include "platform/Dialogs.h"

namespace {

constexpr int kDayWords = 732;    // two words per day, 366 days
constexpr int kMonthWords = 240;  // two words per month, 120 months
constexpr uint16_t kDayWindowReg = 809;
constexpr uint16_t kMonthWindowReg = 810;
constexpr uint16_t kDayWindow = 2048;    // 0x0800, 64 registers
constexpr uint16_t kMonthWindow = 2112;  // 0x0840, 48 registers
constexpr uint16_t kTotalsInput = 1076;  // four words
constexpr uint16_t kTotalsWritable = 0xACC0;
constexpr uint16_t kExtraWords = 0x6100;  // seven words
constexpr uint16_t kMarker = 0x6059;

EnergyProgressSink& Sink() {
  static EnergyProgressSink sink;
  return sink;
}

void ShowProgress(const QString& text) {
  if (Sink()) {
    Sink()(text);
    return;
  }
  if (!Form_Main) return;
  if (auto* label = Form_Main->Ctl<QLabel>(QStringLiteral("Label_EnergyDsp"))) label->setText(text);
}

uint16_t Word(const Modbus& m, int k) { return static_cast<uint16_t>(m.Reply[3 + 2 * k] << 8 | m.Reply[4 + 2 * k]); }

// One request whose reply must be there and valid for its function; every
// reply of a history transfer is checked, so nothing unread is ever stored
// or written on. 0 = usable reply, 1 = the link failed, 2 = no usable reply.
int Checked(Modbus& m, uint16_t reg, int value, uint8_t function) {
  if (m.Request(reg, static_cast<int16_t>(static_cast<uint16_t>(value)), function)) return 1;
  if (m.RxLength == 0 || m.ReplyValid != 1 || m.Reply[1] != function) return kHistoryNoReply;
  return 0;
}

// Reads a history through its window: `words` words in windows of `window`
// registers, moving the window register by window / 2 entries each time.
int ReadHistory(Modbus& m, uint16_t windowReg, uint16_t first, int window, int* store, int words,
                const char* name, bool labelFirst) {
  if (int r = Checked(m, windowReg, 0, 6)) return r;
  int i = 0;
  while (i < words) {
    if (int r = Checked(m, first, window, 4)) return r;
    for (int k = 0; k < window && i < words; ++k, ++i) {
      store[i] = Word(m, k);
      const QString line = CFormat("%s%d: %d", name, i / 2, store[i]);
      const QString label = CFormat("%s: %d", name, i / 2);
      if (labelFirst) ShowProgress(label);
      CurrentLinkUi().Trace(line);
      if (!labelFirst) ShowProgress(label);
    }
    if (i < words) {
      if (int r = Checked(m, windowReg, i / 2, 6)) return r;
    }
  }
  return 0;
}

int WriteHistory(Modbus& m, uint16_t windowReg, uint16_t first, int window, const int* store, int words,
                 const char* name) {
  if (int r = Checked(m, windowReg, 0, 6)) return r;
  for (int a = 0; a < words; a += window) {
    for (int k = 0; k < window && a + k < words; ++k) {
      if (int r = Checked(m, static_cast<uint16_t>(first + k), store[a + k], 6)) return r;
      ShowProgress(CFormat("%s: %d", name, (a + k) / 2));
    }
    if (a + window < words) {
      if (int r = Checked(m, windowReg, (a + window) / 2, 6)) return r;
    }
  }
  return 0;
}

}  // namespace

void SetEnergyProgressSink(EnergyProgressSink sink) { Sink() = std::move(sink); }

int Modbus::ReadDayHistory() {
  if (int r = ReadHistory(*this, kDayWindowReg, kDayWindow, 64, DayEnergy, kDayWords, "Day", false)) return r;
  if (int r = Checked(*this, kTotalsInput, 4, 4)) return r;
  for (int k = 0; k < 4; ++k) EnergyTotals[k] = Word(*this, k);
  if (int r = Checked(*this, kExtraWords, 7, 3)) return r;
  for (int k = 0; k < 7; ++k) EnergyTotals[4 + k] = Word(*this, k);
  return 0;
}

int Modbus::ReadMonthHistory() {
  return ReadHistory(*this, kMonthWindowReg, kMonthWindow, 48, MonthEnergy, kMonthWords, "Month", true);
}

int Modbus::WriteDayHistory() {
  if (int r = Checked(*this, kMarker, 0x1010, 6)) return r;
  if (int r = WriteHistory(*this, kDayWindowReg, kDayWindow, 64, DayEnergy, kDayWords, "Day")) return r;
  if (int r = Checked(*this, kMarker, 0x1011, 6)) return r;
  for (int k = 0; k < 4; ++k)
    if (int r = Checked(*this, static_cast<uint16_t>(kTotalsWritable + k), EnergyTotals[k], 6)) return r;
  for (int k = 0; k < 7; ++k)
    if (int r = Checked(*this, static_cast<uint16_t>(kExtraWords + k), EnergyTotals[4 + k], 6)) return r;
  return Checked(*this, kMarker, 0x55AA, 6);
}

int Modbus::WriteMonthHistory() {
  if (int r = Checked(*this, kMarker, 0x1012, 6)) return r;
  if (int r = WriteHistory(*this, kMonthWindowReg, kMonthWindow, 48, MonthEnergy, kMonthWords, "Month")) return r;
  return Checked(*this, kMarker, 0x1013, 6);
}

// ---------------------------------------------------------------------------
// The Energy Clone panel and the executor's work for its two commands.

namespace {

constexpr ControlDecl kEnergyCloneRows[] = {
    {Kind::Button, "Btn_ReadEnergy", 10, 30, 75, 28, "Read"},
    {Kind::Button, "Btn_WriteEnergy", 95, 30, 75, 28, "Write", 0, kDisabled},
    {Kind::Label, "Label_EnergyDsp", 10, 70, 160, 20, ""},
};

}  // namespace

extern const PanelControls kEnergyClonePanel{"Group_EnergyClone", kEnergyCloneRows};

void EnableEnergyButtons(TForm_Main& f, bool read, bool write) {
  if (auto* b = f.Ctl<QPushButton>(QStringLiteral("Btn_ReadEnergy"))) b->setEnabled(read);
  if (auto* b = f.Ctl<QPushButton>(QStringLiteral("Btn_WriteEnergy"))) b->setEnabled(write);
}

namespace {

// However a transfer ends, both windows go back to today: the daily and
// monthly views label what the windows show as the newest days and months.
void ResetHistoryWindows(Modbus& m) {
  m.Request(kDayWindowReg, 0, 6);
  m.Request(kMonthWindowReg, 0, 6);
}

}  // namespace

int TForm_Main::ExeReadEnergy() {
  int r = Link.ReadDayHistory();
  if (r == 0) r = Link.ReadMonthHistory();
  ResetHistoryWindows(Link);
  // A history read only in part is never written to another inverter.
  EnergyHistoryRead = r == 0;
  if (r != 0) ShowMessage(QStringLiteral("Read Energy Fail"));
  // The buttons come back however the command ended.
  EnableEnergyButtons(*this, true, EnergyHistoryRead);
  return r == 1 ? 1 : 0;
}

int TForm_Main::ExeWriteEnergy() {
  int r = EnergyHistoryRead ? Link.WriteDayHistory() : kHistoryNoReply;
  if (r == 0) r = Link.WriteMonthHistory();
  if (EnergyHistoryRead) ResetHistoryWindows(Link);
  if (r != 0) ShowMessage(QStringLiteral("Write Energy Fail"));
  EnableEnergyButtons(*this, true, EnergyHistoryRead);
  return r == 1 ? 1 : 0;
}

void BindEnergyHandlers(TForm_Main& f) {
  // A click disables both buttons until its command has run; a command that
  // never runs gives them back as well.
  f.Link.CmdCode.OnDrop([&f](int code) {
    if (code == CmdReadEnergy || code == CmdWriteEnergy) EnableEnergyButtons(f, true, f.EnergyHistoryRead);
  });
}
