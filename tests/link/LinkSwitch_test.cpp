// Switching links and profiles as a technician does, with the simulated
// inverter behind the Wi-Fi module (loopback TCP), on the RS-485 line (a pty)
// and behind the radio dongle (a pty): commands for many inverters over
// Wi-Fi, a module lost in the middle of a dump, what the views and the
// status panels show after a switch, and the link kind buttons.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTreeWidgetItem>
#include <functional>
#include <memory>
#include <vector>

#include "app/GroupPanel.h"
#include "app/LogViews.h"
#include "app/main.h"
#include "link/Modbus.h"
#include "platform/ImageBox.h"
#include "platform/ValueLabel.h"
#include "profiles/StarterFolder.h"
#include "sim/SimIdProbe.h"
#include "sim/SimInverter.h"
#include "sim/SimRadioDongle.h"
#include "support/FakeDialogs.h"
#include "support/NetFixture.h"
#include "support/PollFixture.h"
#include "support/UserInput.h"

namespace {

constexpr int kWifiId = 255;

// The program folder as shipped, the simulated inverter on all three lines
// and the main window on screen with a profile picked from its list.
struct Bench {
  polltest::TempHome home;
  FakeDialogs dialogs;
  sim::SimInverter bus;
  SimRadioDongle dongle{[this](const QByteArray& frame) { return bus.Exchange(frame).value_or(QByteArray()); }};
  QByteArray savedAddr = qgetenv("QORVANE_WIFI_ADDR");
  std::unique_ptr<TForm_Main> w;

  Bench() {
    FillEmptyProgramFolder();
    bus.AddSlave(kWifiId);
    const int port = bus.ListenTcp();
    qputenv("QORVANE_WIFI_ADDR", QByteArray("127.0.0.1:") + QByteArray::number(port));
  }
  ~Bench() {
    w.reset();
    if (savedAddr.isNull())
      qunsetenv("QORVANE_WIFI_ADDR");
    else
      qputenv("QORVANE_WIFI_ADDR", savedAddr);
  }

  QString Home() const { return home.dir.path(); }
  void Put(const QString& relative, const QByteArray& bytes) {
    QFile f(Home() + u'/' + relative);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
  }
  bool Exists(const QString& relative) const { return QFile::exists(Home() + u'/' + relative); }
  QByteArray Get(const QString& relative) const {
    QFile f(Home() + u'/' + relative);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
  }

  // The window starts (reading the previous run's inverters), the profile is
  // picked from its list, and of its pages only `shown` are left open so a
  // pass stays short.
  void Start(const QString& profile, std::initializer_list<const char*> shown = {}) {
    w = std::make_unique<TForm_Main>();
    w->show();
    ASSERT_TRUE(input::Activate(w.get()));
    Pick(profile);
    for (GroupPanel* p : w->findChildren<GroupPanel*>()) p->setHidden(true);
    for (const char* name : shown) w->Panel(name)->setHidden(false);
  }

  // As the user opens the profile list and clicks an entry.
  void Pick(const QString& profile) {
    auto* box = w->Ctl<QComboBox>("Combo_SelectMode");
    ASSERT_NE(box, nullptr);
    const int index = box->findText(profile);
    ASSERT_GE(index, 0) << profile.toStdString();
    QTest::mouseClick(box, Qt::LeftButton);
    QAbstractItemView* list = box->view();
    ASSERT_TRUE(QTest::qWaitFor([list] { return list->isVisible(); })) << "the profile list did not open";
    const QModelIndex item = list->model()->index(index, 0);
    list->scrollTo(item);
    const QPoint at = list->visualRect(item).center();
    // The list takes no release until the pointer has moved off the spot
    // where the press opened it: across the list first, as a hand does.
    const QRect all = list->viewport()->rect();
    QTest::mouseMove(list->viewport(), all.topLeft() + QPoint(1, 1));
    QTest::mouseMove(list->viewport(), all.bottomRight() - QPoint(1, 1));
    QTest::mouseMove(list->viewport(), at);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    ASSERT_TRUE(QTest::qWaitFor([list] { return !list->isVisible(); })) << "the profile list stayed open";
    ASSERT_EQ(box->currentText(), profile);
  }

  QRadioButton* Button(const char* name) { return w->Ctl<QRadioButton>(name); }
  void Click(const char* name) {
    QWidget* c = w->Control(name);
    ASSERT_NE(c, nullptr) << name;
    if (qobject_cast<QRadioButton*>(c))
      input::MouseClick(c);
    else
      QTest::mouseClick(c, Qt::LeftButton, {}, QPoint(c->width() / 2, c->height() / 2));
  }
  // The port list is not what these tests are about: the device is put in it.
  void UsePort(const QString& path) {
    auto* ports = w->Ctl<QComboBox>("Combo_COM");
    ports->clear();
    ports->addItem(path);
    ports->setCurrentIndex(0);
  }
  // Clicks Open; step() runs every 5 ms while the loop polls, until it
  // returns true. Returns when the loop has ended.
  void Open(std::function<bool()> step) {
    nettest::Every5ms(*w, std::move(step));
    Click("OpenPort");
  }

  // Request frames the device received on a line ("tcp", "pty", "radio").
  std::vector<QByteArray> FramesOn(const QString& line) const {
    std::vector<QByteArray> out;
    for (const sim::SimFrame& f : bus.Frames())
      if (f.line == line) out.push_back(f.bytes);
    return out;
  }
};

QByteArray Read(int id, int reg) {
  return sim::WithCrc(sim::Bytes({id, 3, (reg - 1) >> 8, (reg - 1) & 0xFF, 0, 1}));
}
QByteArray Write(int id, int reg, int value) {
  return sim::WithCrc(sim::Bytes({id, 6, (reg - 1) >> 8, (reg - 1) & 0xFF, value >> 8, value & 0xFF}));
}
bool Has(const std::vector<QByteArray>& frames, const QByteArray& frame) {
  return std::find(frames.begin(), frames.end(), frame) != frames.end();
}

}  // namespace

// The Wi-Fi module carries one inverter, 255. Whatever the inverter list holds
// (inverters of the previous run, or none), the Grid Set save and load and a
// broadcast write go to that inverter only, and the dump is named after it.
TEST(WifiCommands, SaveLoadAndBroadcastWorkOnTheModulesInverterOnly) {
  struct Case {
    const char* previousRun;
    const char* what;
  };
  const Case cases[] = {
      {"[InvExist]\r\nID1=1\r\nID7=1\r\n", "IDs 1 and 7 remembered"},
      {"[InvExist]\r\nID1=0\r\n", "nothing remembered"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Bench b;
    b.Put("profile/PreviousSet.KXL", QByteArray("[Language]\r\nSet=0\r\n") + c.previousRun);
    b.Put("profile/ConfigModel.csv", "Pac,1024,W\r\nPower,33595,W\r\n");
    b.Put("upload.csv", "Power,33595,60\r\n");
    for (int id : {1, 7, kWifiId}) {
      b.bus.AddSlave(id);
      b.bus.SetHolding(id, 1024, 1500);
      b.bus.SetHolding(id, 33595, 4000);
    }
    b.Start("Service");
    b.Click("Radio_ComWifi");

    int stage = 0;
    b.Open([&] {
      const int said = b.dialogs.messages.size();
      if (stage == 0 && b.w->LinkOpen && !b.FramesOn("tcp").empty()) {
        b.dialogs.answers.push_back("2937");  // the access code the Grid Set buttons ask for
        b.Click("Image_SaveGridSet");
        stage = 1;
      } else if (stage == 1 && said == 1 && b.w->Link.CmdCode == 0) {
        b.dialogs.files.push_back(b.Home() + "/upload.csv");
        b.Click("Image_OpenGridSet");
        stage = 2;
      } else if (stage == 2 && said == 2 && b.w->Link.CmdCode == 0) {
        b.Click("Radio_CmdBroadcast");
        b.Click("Image_TarvoSun");  // the register map switch, to every inverter
        stage = 3;
      } else if (stage == 3 && said == 3 && b.w->Link.CmdCode == 0) {
        b.Click("ClosePort");
        return true;
      }
      return false;
    });

    EXPECT_EQ(b.dialogs.messages, (QStringList{"Done", "Done", "Check Protocol Please"}));
    const auto frames = b.FramesOn("tcp");
    for (const QByteArray& f : frames) EXPECT_EQ(sim::At(f, 0), kWifiId) << sim::HexText(f).toStdString();
    EXPECT_TRUE(Has(frames, Read(kWifiId, 1024)));
    EXPECT_TRUE(Has(frames, Write(kWifiId, 33595, 60)));
    EXPECT_TRUE(Has(frames, Write(kWifiId, 802, 5)));
    EXPECT_EQ(b.Get("ConfigLog/Config_ID255.csv"), "Pac,1024,1500\r\nPower,33595,4000\r\n");
    EXPECT_FALSE(b.Exists("ConfigLog/Config_ID1.csv"));
    EXPECT_FALSE(b.Exists("ConfigLog/Config_ID7.csv"));
    EXPECT_EQ(b.bus.Holding(kWifiId, 33595), 60);
    EXPECT_EQ(b.bus.Holding(7, 33595), 4000);
    EXPECT_EQ(b.bus.Holding(1, 802), 0);
  }
}

// The module drops off the network in the middle of a dump: the dump ends
// there with one message naming the inverter, no row is tried after it, no
// "Done", and polling ends as on a pulled serial adapter.
TEST(WifiCommands, AModuleLostDuringADumpEndsItAtOnce) {
  Bench b;
  b.Put("profile/PreviousSet.KXL", "[Language]\r\nSet=0\r\n[InvExist]\r\nID1=1\r\n");
  b.bus.AddSlave(1);
  QByteArray model;
  for (int reg = 1000; reg < 1030; ++reg) {
    model += "R" + QByteArray::number(reg) + "," + QByteArray::number(reg) + ",x\r\n";
    for (int id : {1, kWifiId}) b.bus.SetHolding(id, reg, reg);
  }
  b.Put("profile/ConfigModel.csv", model);
  // The fourth row's read, to whichever inverter the dump reads.
  const auto fourthRow = [&b] {
    for (const QByteArray& f : b.FramesOn("tcp"))
      if (f.mid(1, 5) == Read(kWifiId, 1003).mid(1, 5)) return true;
    return false;
  };
  b.Start("Service");
  b.Click("Radio_ComWifi");

  bool asked = false, lost = false;
  size_t framesWhenLost = 0;
  // Polling must end by itself once the module is gone.
  waits::Until(b.w.get(), "polling to end on the lost module", [&] { return lost && !b.w->LinkOpen; },
               [&] { b.w->ClosePortClick(); });
  b.Open([&] {
    if (!asked && b.w->LinkOpen && !b.FramesOn("tcp").empty()) {
      b.dialogs.answers.push_back("2937");
      b.Click("Image_SaveGridSet");
      asked = true;
    } else if (asked && fourthRow()) {
      b.bus.LoseTcp();
      framesWhenLost = b.FramesOn("tcp").size();
      lost = true;
      return true;
    }
    return false;
  });

  ASSERT_TRUE(lost);
  EXPECT_FALSE(b.w->LinkOpen);
  EXPECT_TRUE(b.w->Ctl<QPushButton>("OpenPort")->isEnabled());
  EXPECT_EQ(b.FramesOn("tcp").size(), framesWhenLost);
  ASSERT_FALSE(b.dialogs.messages.isEmpty());
  EXPECT_EQ(b.dialogs.messages.first(), "Error - ID255");
  // Then the link's own reason, once; no "Done", no box per row.
  ASSERT_EQ(b.dialogs.messages.size(), 2) << b.dialogs.messages.join('|').toStdString();
  EXPECT_TRUE(b.dialogs.messages[1].startsWith("127.0.0.1:")) << b.dialogs.messages[1].toStdString();
}

// The Wi-Fi inverter's values are read; then the radio link opens with no
// inverter listed. Nothing answers there, and nothing of the Wi-Fi inverter
// is shown as read: every value starts at "??".
TEST(LinkSwitch, OpeningALinkStartsEveryValueUnread) {
  Bench b;
  b.bus.SetHolding(kWifiId, 802, 5);
  b.Start("SuperUser", {"Group_Version"});
  b.Click("Radio_ComWifi");
  b.Open([&] {
    if (b.FramesOn("tcp").size() < 7) return false;  // a whole pass: keep-alive and the five reads, and the next
    b.Click("ClosePort");
    return true;
  });
  QStringList read;
  QList<ValueLabel*> values;
  for (ValueLabel* l : b.w->Panel("Group_Version")->findChildren<ValueLabel*>()) {
    if (l->fontColor() != clBlue) continue;
    values << l;
    if (l->text() != "??") read << l->objectName();
  }
  ASSERT_TRUE(read.contains("Label_DSP_Rev")) << read.join(' ').toStdString();
  ASSERT_TRUE(read.contains("Label_TarvoSN")) << read.join(' ').toStdString();

  b.Click("Radio_ComSub1g");
  b.UsePort(b.dongle.PortPath());
  QStringList stillShown;
  b.Open([&] {
    if (!b.w->LinkOpen) return false;
    for (ValueLabel* l : values)
      if (l->text() != "??") stillShown << l->objectName();
    b.Click("ClosePort");
    return true;
  });
  EXPECT_TRUE(stillShown.isEmpty()) << stillShown.join(' ').toStdString();
  EXPECT_EQ(b.w->Link.LinkMode, LinkRadio);
}

// A profile that hides the chosen Sub1G button gives the choice back to
// RS485; while a link is open the link kind does not change.
TEST(LinkButtons, AHiddenChoiceFallsBackAndAnOpenLinkKeepsItsKind) {
  Bench b;
  b.Start("SuperUser");
  b.Click("Radio_ComSub1g");
  ASSERT_TRUE(b.Button("Radio_ComSub1g")->isChecked());
  b.Pick("Service");
  EXPECT_TRUE(b.Button("Radio_ComSub1g")->isHidden());
  EXPECT_FALSE(b.Button("Radio_ComSub1g")->isChecked());
  EXPECT_TRUE(b.Button("Radio_ComRS485")->isChecked());
  EXPECT_TRUE(b.w->Control("Combo_COM")->isEnabled());

  b.Pick("SuperUser");
  b.Click("Radio_ComWifi");
  ASSERT_FALSE(b.w->Control("Combo_COM")->isEnabled());
  bool rs485 = true, sub1g = true, wifi = false, portBox = true;
  b.Open([&] {
    if (b.FramesOn("tcp").empty()) return false;
    b.Click("Radio_ComRS485");
    rs485 = b.Button("Radio_ComRS485")->isChecked();
    b.Click("Radio_ComSub1g");
    sub1g = b.Button("Radio_ComSub1g")->isChecked();
    wifi = b.Button("Radio_ComWifi")->isChecked();
    portBox = b.w->Control("Combo_COM")->isEnabled();
    b.Click("ClosePort");
    return true;
  });
  EXPECT_FALSE(rs485);
  EXPECT_FALSE(sub1g);
  EXPECT_TRUE(wifi);
  EXPECT_FALSE(portBox);
  EXPECT_EQ(b.w->Link.LinkMode, LinkTcp);

  // Closed, the kind can be chosen again.
  b.Click("Radio_ComRS485");
  EXPECT_TRUE(b.Button("Radio_ComRS485")->isChecked());
  EXPECT_TRUE(b.w->Control("Combo_COM")->isEnabled());
}

// The radio link stays chosen and shown while it is open, even when the
// profile picked meanwhile does not offer it; once it closes, the choice
// falls back to RS485.
TEST(LinkButtons, AnOpenRadioLinkStaysShownUntilItCloses) {
  Bench b;
  b.Put("profile/PreviousSet.KXL", "[Language]\r\nSet=0\r\n[InvExist]\r\nID1=3\r\n");
  b.bus.AddSlave(1);
  b.Start("SuperUser", {"Group_Version"});
  b.Click("Radio_ComSub1g");
  b.UsePort(b.dongle.PortPath());
  bool picked = false, shown = false, chosen = false;
  size_t sentAtPick = 0;
  b.Open([&] {
    if (!picked) {
      if (!b.w->LinkOpen || b.dongle.Payloads().empty()) return false;
      picked = true;
      b.Pick("Service");
      shown = !b.Button("Radio_ComSub1g")->isHidden();
      chosen = b.Button("Radio_ComSub1g")->isChecked();
      sentAtPick = b.dongle.Payloads().size();
      return false;
    }
    // Polling went on with the new profile's pages: now close.
    if (b.dongle.Payloads().size() <= sentAtPick) return false;
    b.Click("ClosePort");
    return true;
  });
  EXPECT_TRUE(shown);
  EXPECT_TRUE(chosen);
  EXPECT_FALSE(b.w->LinkOpen);
  EXPECT_TRUE(b.Button("Radio_ComSub1g")->isHidden());
  EXPECT_TRUE(b.Button("Radio_ComRS485")->isChecked());
}

// Each status panel shows the open link's own state: the inverter polled
// (not the last ID the scan probed), no serial port state or speed on Wi-Fi.
TEST(LinkStatus, PanelsShowTheOpenLinksOwnState) {
  Bench b;
  sim::AddIdProbe(b.bus);
  b.bus.AddSlave(1);
  b.Start("Service", {"Group_Version"});
  b.w->Ctl<QLineEdit>("Edit_StartID")->setText("1");
  b.w->Ctl<QLineEdit>("Edit_EndID")->setText("3");
  b.UsePort(b.bus.PortPath());
  b.Click("Radio_ComRS485");
  QString idAfterScan;
  bool scanned = false;
  b.Open([&] {
    if (!b.w->LinkOpen) return false;
    if (!scanned) {
      b.Click("Btn_ScanID");
      scanned = true;
      return false;
    }
    // Polling goes on with the inverter found.
    const auto frames = b.FramesOn("pty");
    if (b.w->Link.CmdCode != 0 || b.w->InverterList.Count != 1 || frames.empty() || sim::At(frames.back(), 0) != 1)
      return false;
    idAfterScan = b.w->StatusText(0);
    b.Click("ClosePort");
    return true;
  });
  EXPECT_EQ(idAfterScan, "ID: 1");
  EXPECT_EQ(b.w->StatusText(4), "COM Close");

  b.Click("Radio_ComWifi");
  QString portState = "<unread>", id, speed = "<unread>";
  int stage = 0;
  b.Open([&] {
    if (stage == 0 && !b.FramesOn("tcp").empty()) {
      portState = b.w->StatusText(4);
      id = b.w->StatusText(0);
      b.Click("Radio_CmdBroadcast");
      b.Click("Image_TarvoSun");
      stage = 1;
    } else if (stage == 1 && b.dialogs.messages.contains("Check Protocol Please")) {
      speed = b.w->StatusText(1);
      b.Click("ClosePort");
      return true;
    }
    return false;
  });
  EXPECT_EQ(portState, "");
  EXPECT_EQ(id, "ID: 255");
  EXPECT_EQ(speed, "");
}

// The radio's signal panels show the last reply the dongle heard, or nothing:
// quality from an earlier session does not stay while nothing is heard.
TEST(LinkStatus, RadioSignalIsOnlyWhatTheDongleHears) {
  Bench b;
  b.Put("profile/PreviousSet.KXL", "[Language]\r\nSet=0\r\n[InvExist]\r\nID1=3\r\n");
  b.bus.AddSlave(1);
  b.dongle.SetQuality(-52, 6);
  b.Start("SuperUser", {"Group_Version"});
  b.Click("Radio_ComSub1g");
  b.UsePort(b.dongle.PortPath());
  b.Open([&] {
    if (b.w->StatusText(10).isEmpty()) return false;  // a reply was heard
    b.Click("ClosePort");
    return true;
  });
  ASSERT_EQ(b.w->StatusText(9), "RSSI: -52");
  ASSERT_EQ(b.w->StatusText(10), "SNR: 6");

  // The antenna turned away: the inverter is no longer heard.
  b.bus.RemoveSlave(1);
  b.dongle.ClearRecords();
  QString rssi = "<unread>", snr = "<unread>";
  b.Open([&] {
    // The first request went out twice (once on the fallback) unheard.
    if (b.dongle.Payloads().size() < 2) return false;
    rssi = b.w->StatusText(9);
    snr = b.w->StatusText(10);
    b.Click("ClosePort");
    return true;
  });
  EXPECT_EQ(rssi, "");
  EXPECT_EQ(snr, "");
}
