#pragma once
// The main window with its link open on the simulated inverter's pty, slave 1
// current and the version panel shown: what the polling tests start from.
#include <QByteArray>
#include <QTemporaryDir>
#include <vector>

#include "app/GroupPanel.h"
#include "app/main.h"
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

// A Modbus RTU request as hex text with its CRC.
inline QString Rtu(std::initializer_list<int> bytes) { return sim::HexText(sim::WithCrc(sim::Bytes(bytes))); }

}  // namespace polltest
