#pragma once
// The firmware upgrade's end-to-end bench: a simulated bus with bootloaders
// on the pty, the tool's link opened on it, one upgradeTool wired to it with
// a recorder of everything the upgrade shows, and long pauses recorded
// instead of slept; the same over loopback TCP for the Wi-Fi link.
#include <QByteArray>
#include <QString>
#include <QThread>
#include <QStringList>

#include <cstdint>
#include <initializer_list>
#include <map>
#include <stdexcept>
#include <vector>

#include "link/Modbus.h"
#include "sim/SimBootloader.h"
#include "sim/SimInverter.h"
#include "upgrade/Upgrade.h"
#include "upgrade/UpgradeViews.h"

namespace upgtest {

// Everything the upgrade code shows, in order.
struct Recorder : UpgradeViews {
  enum class Kind { Normal, Red, Traffic };
  struct Line {
    QString text;
    Kind kind;
  };
  std::vector<Line> lines;  // List_UpgradeEvent
  QStringList events;       // List_Event
  QStringList messages;
  std::map<QString, QString> labels;
  std::vector<bool> startStates;
  std::vector<int> progress;
  std::map<int, QStringList> panels;  // status bar panel -> texts in turn
  int repaints = 0;

  void SetLabel(const QString& name, const QString& text) override { labels[name] = text; }
  void AppendEvent(const QString& line) override { events << line; }
  void AppendUpgradeEvent(const QString& line) override { lines.push_back({line, Kind::Normal}); }
  void AppendUpgradeRed(const QString& line) override { lines.push_back({line, Kind::Red}); }
  void AppendUpgradeTraffic(const QString& line) override { lines.push_back({line, Kind::Traffic}); }
  void ShowMessage(const QString& text) override { messages << text; }
  void SetStartEnabled(bool enabled) override { startStates.push_back(enabled); }
  void SetProgress(int percent) override { progress.push_back(percent); }
  void SetStatusPanel(int panel, const QString& text) override { panels[panel] << text; }
  void RepaintDeviceGrid() override { ++repaints; }

  // The upgrade log's texts (all kinds), and those of one kind.
  QStringList Texts() const {
    QStringList out;
    for (const Line& l : lines) out << l.text;
    return out;
  }
  QStringList Texts(Kind kind) const {
    QStringList out;
    for (const Line& l : lines)
      if (l.kind == kind) out << l.text;
    return out;
  }
  // The log without the receive dumps.
  QStringList Steps() const {
    QStringList out;
    for (const Line& l : lines)
      if (!l.text.startsWith(QLatin1String("   Rx: "))) out << l.text;
    return out;
  }
  void Clear() {
    lines.clear();
    events.clear();
    messages.clear();
    progress.clear();
    panels.clear();
  }
};

// A bus of simulated inverters with bootloaders, and the tool's upgrade
// object on an open serial link to it. Each device is present at the given
// baud index in the link's scan tables.
struct SerialBench {
  sim::SimInverter sim;
  sim::SimBootloader boot{sim};
  Modbus link;
  Recorder views;
  upgradeTool tool;
  std::vector<int> longPauses;  // every pause of 1 s or more, in ms, in turn (each 100 ms in truth)

  explicit SerialBench(std::initializer_list<int> ids = {1}, int baudIndex = 1) {
    for (int id : ids) {
      sim.AddSlave(id);
      link.IdPresent[id] = id;
      link.IdBaudIndex[id] = baudIndex;
      link.IdNormalMode[id] = 1;
    }
    if (link.OpenSerial(sim.PortPath()) != 0) throw std::runtime_error("pty did not open");
    link.LinkMode = LinkSerial;
    link.SetBaudIndex(baudIndex);
    tool.Link = &link;
    tool.Port = link.Port;
    tool.Views = &views;
    // A step reads right after its long wait (2 s for a bank): each long
    // pause is recorded and passes at once on the line's time, once the
    // devices have answered what they had in hand, so the reply is in.
    tool.LongPause = [this](int ms) {
      longPauses.push_back(ms);
      sim::PassLineTime(ms);
    };
  }

  // The frames the devices received, as hex text, in order.
  QStringList Frames() const {
    QStringList out;
    for (const sim::SimFrame& f : sim.Frames()) out << sim::HexText(f.bytes);
    return out;
  }
};

// One simulated inverter with a bootloader behind its Wi-Fi module, served on
// loopback TCP, and the tool's upgrade object on a TCP link pointed at it
// (QORVANE_WIFI_ADDR is set for the bench's life, then put back).
struct TcpBench {
  sim::SimInverter sim;
  sim::SimBootloader boot{sim};
  Modbus link;
  Recorder views;
  upgradeTool tool;
  std::vector<int> longPauses;  // every pause of 1 s or more, in ms, in turn
  QByteArray savedAddress;

  explicit TcpBench(std::uint32_t productId = 0) {
    sim.AddSlave(1);
    sim.SetProductId(1, productId);
    const int port = sim.ListenTcp();
    if (port <= 0) throw std::runtime_error("no loopback TCP port");
    savedAddress = qgetenv("QORVANE_WIFI_ADDR");
    qputenv("QORVANE_WIFI_ADDR", QByteArray("127.0.0.1:") + QByteArray::number(port));
    link.LinkMode = LinkTcp;
    tool.Link = &link;
    tool.Views = &views;
    tool.LongPause = [this](int ms) { longPauses.push_back(ms); };
  }
  ~TcpBench() {
    link.Client.CloseAll();
    if (savedAddress.isNull())
      qunsetenv("QORVANE_WIFI_ADDR");
    else
      qputenv("QORVANE_WIFI_ADDR", savedAddress);
  }
  TcpBench(const TcpBench&) = delete;
  TcpBench& operator=(const TcpBench&) = delete;

  QStringList Frames() const {
    QStringList out;
    for (const sim::SimFrame& f : sim.Frames()) out << sim::HexText(f.bytes);
    return out;
  }
};

// A bootloader request as hex text, as the tool must send it.
inline QString Request(int address, int command, const QByteArray& payload = {}, int lengthByte = -1) {
  return sim::HexText(sim::BootRequest(address, command, payload, lengthByte));
}

}  // namespace upgtest
