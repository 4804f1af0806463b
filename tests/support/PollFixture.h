#pragma once
// The main window with its link open on the simulated inverter's pty, slave 1
// current and the version panel shown: what the polling tests start from.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QByteArray>
#include <QTemporaryDir>
#include <initializer_list>
#include <stdexcept>
#include <vector>

#include "app/GroupPanel.h"
#include "app/main.h"
#include "monitor/PollFrame.h"
#include "platform/ValueLabel.h"
#include "sim/SimInverter.h"
#include "support/FakeDialogs.h"

namespace polltest {

// Sets QORVANE_HOME before the window reads anything from the program folder.
struct TempHome {
  QTemporaryDir dir;
  TempHome() { qputenv("QORVANE_HOME", dir.path().toUtf8()); }
  ~TempHome() { qunsetenv("QORVANE_HOME"); }
};

struct LinkedWindow {
  TempHome home;
  FakeDialogs dialogs;
  sim::SimInverter sim;
  TForm_Main w;

  explicit LinkedWindow(bool open = true) {
    sim.AddSlave(1);
    // Start values of the show handler, without the rest of its work.
    w.PowerMul = 1;
    w.EnergyMul = 10;
    w.VoltageDiv = 10;
    w.DcCurrentDiv = 100;
    w.AcCurrentDiv = 100;
    w.PollStop = 1;
    if (open) Open();
  }

  void Open() {
    if (w.Link.OpenSerial(sim.PortPath()) != 0) throw std::runtime_error("pty did not open");
    w.Link.SlaveId = 1;
    w.Link.SetBaudIndex(1);
  }

  void ShowPanel(const char* name, bool shown = true) {
    GroupPanel* p = w.Panel(name);
    if (!p) throw std::runtime_error(name);
    p->setHidden(!shown);
  }

  // Frames the device received, as hex text.
  std::vector<QString> Frames() const {
    std::vector<QString> out;
    for (const sim::SimFrame& f : sim.Frames()) out.push_back(sim::HexText(f.bytes));
    return out;
  }
};

// A view test's fixture: the linked window, with `w` for the window itself.
struct ViewTest : ::testing::Test {
  LinkedWindow t;
  TForm_Main& w = t.w;
};

// A Modbus RTU request as hex text with its CRC.
inline QString Rtu(std::initializer_list<int> bytes) { return sim::HexText(sim::WithCrc(sim::Bytes(bytes))); }

// The request reading `count` input registers from register `reg` (one-based).
inline QString ReadFrame(int reg, int count) { return Rtu({1, 4, (reg - 1) >> 8, (reg - 1) & 0xFF, 0, count}); }

// Input registers of slave 1 from `reg` on.
inline void SetInputs(sim::SimInverter& sim, int reg, const std::vector<uint16_t>& words) {
  for (size_t k = 0; k < words.size(); ++k) sim.SetInput(1, reg + static_cast<int>(k), words[k]);
}

// A number as two digits, as the record and fan labels are numbered.
inline QString Two(int n) { return QString::number(n).rightJustified(2, QLatin1Char('0')); }

// Slot `slot` (from 0) of a record area of three words from `first`: a start
// time, low word first, then a length in seconds.
inline void SetRecord(sim::SimInverter& sim, int first, int slot, uint32_t start, uint16_t seconds) {
  SetInputs(sim, first + 3 * slot, {static_cast<uint16_t>(start & 0xFFFF), static_cast<uint16_t>(start >> 16), seconds});
}

// A control by name and type; a missing one or one of another type fails the test.
template <class T>
T& ControlAs(TForm_Main& w, const QString& name) {
  T* c = w.Ctl<T>(name);
  if (!c) throw std::runtime_error("no control of that type: " + name.toStdString());
  return *c;
}

inline QString Text(TForm_Main& w, const QString& name) { return ControlAs<ValueLabel>(w, name).text(); }
inline QRgb Colour(TForm_Main& w, const QString& name) { return ControlAs<ValueLabel>(w, name).fontColor(); }
// Text and colour as an editor leaves a value it wrote.
inline void Paint(TForm_Main& w, const QString& name, const QString& text, QRgb colour) {
  ControlAs<ValueLabel>(w, name).show(text, colour);
}
template <class Button = QAbstractButton>
bool Checked(TForm_Main& w, const QString& name) {
  return ControlAs<Button>(w, name).isChecked();
}

// A poll item and the panel that gates it.
struct GatedItem {
  PollItem item;
  const char* panel;
};

// Each item with its panel hidden, with a command pending and with the stop
// flag set (panel hidden or shown, with and without a pending command)
// returns at once: nothing on the wire and status panel 2 untouched. Starts with no frames recorded and
// leaves every panel shown.
inline void ExpectGatesAndStop(LinkedWindow& t, std::initializer_list<GatedItem> items, int pendingCommand = 6) {
  TForm_Main& w = t.w;
  w.SetStatus(2, "before");
  for (const GatedItem& i : items) {
    t.ShowPanel(i.panel, false);
    EXPECT_EQ(i.item(&w.Link, 0), 0) << i.panel;
    EXPECT_EQ(i.item(&w.Link, 1), 1) << i.panel;  // stop, even while hidden
    t.ShowPanel(i.panel);
    w.Link.CmdCode = pendingCommand;
    EXPECT_EQ(i.item(&w.Link, 0), 0) << i.panel;
    EXPECT_EQ(i.item(&w.Link, 1), 1) << i.panel;  // stop wins over the pending command
    w.Link.CmdCode = 0;
    EXPECT_EQ(i.item(&w.Link, 1), 1) << i.panel;
  }
  EXPECT_TRUE(t.Frames().empty());
  EXPECT_EQ(w.StatusText(2), "before");
}

// With the port closed every item ends with 1.
inline void ExpectLinkFailure(LinkedWindow& t, std::initializer_list<GatedItem> items) {
  t.w.Link.Port.Close();
  for (const GatedItem& i : items) EXPECT_EQ(i.item(&t.w.Link, 0), 1) << i.panel;
}

inline void ExpectGatesStopAndLinkFailure(LinkedWindow& t, std::initializer_list<GatedItem> items,
                                          int pendingCommand = 6) {
  ExpectGatesAndStop(t, items, pendingCommand);
  ExpectLinkFailure(t, items);
}

}  // namespace polltest
