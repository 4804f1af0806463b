#pragma once
// The main window with an upgrade tool of its own, its link open on a
// simulated bus with inverter 1 and its bootloader, the ID scan limited to
// that ID, the result window made and every dialog recorded: the bench of the
// firmware page's tests.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>

#include <memory>
#include <stdexcept>

#include "app/MyMessage.h"
#include "app/main.h"
#include "platform/ImageBox.h"
#include "sim/SimBootloader.h"
#include "sim/SimInverter.h"
#include "support/FakeDialogs.h"
#include "support/PollFixture.h"
#include "upgrade/Upgrade.h"

struct FirmwareWindow {
  polltest::TempHome home;
  FakeDialogs dialogs;
  sim::SimInverter sim;
  sim::SimBootloader boot{sim};
  upgradeTool tool;
  upgradeTool* previous = Upgrader;
  std::unique_ptr<TForm_Main> window;
  QTemporaryDir files;

  FirmwareWindow() {
    Upgrader = &tool;
    sim.AddSlave(1);
    window = std::make_unique<TForm_Main>();
    TForm_Main& w = *window;
    Form_Message = new TForm_Message(&w);
    if (w.Link.OpenSerial(sim.PortPath()) != 0) throw std::runtime_error("pty did not open");
    w.Link.LinkMode = LinkSerial;
    w.Link.SetBaudIndex(1);
    w.Ctl<QPushButton>("OpenPort")->setEnabled(false);  // as opening the link leaves it
    w.Ctl<QLineEdit>("Edit_EndID")->setText("1");
    // A long pause is not slept: it passes at once on the line's time, once
    // the devices on the bus have answered what they had in hand, so the
    // answer to a request sent before it is in; over TCP every exchange
    // waits for its own reply.
    tool.LongPause = [](int ms) { sim::PassLineTime(ms); };
  }
  ~FirmwareWindow() {
    Form_Message = nullptr;  // goes with the window
    window.reset();
    Upgrader = previous;
  }
  FirmwareWindow(const FirmwareWindow&) = delete;
  FirmwareWindow& operator=(const FirmwareWindow&) = delete;

  TForm_Main& w() { return *window; }
  QPushButton& Start() { return polltest::ControlAs<QPushButton>(w(), "Btn_UpgradeStart"); }

  // A file of the given content in the test's own folder; its path.
  QString File(const QString& name, const QByteArray& content) {
    const QString path = files.path() + '/' + name;
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(content) != content.size()) throw std::runtime_error("no file");
    return path;
  }

  void EnterFirmwareMode() { emit polltest::ControlAs<ImageBox>(w(), "Image_Firmware").Click(); }
};
