// The serial port over a pseudo-terminal, and the port list.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QFocusEvent>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <cstring>
#include <memory>

#include "app/main.h"
#include "link/Modbus.h"
#include "link/Rs232.h"
#include "sim/SimInverter.h"
#include "support/FakeDialogs.h"
#include "support/FakeLinkUi.h"
#include "support/QtPrinters.h"

namespace {

bool AllZero(const uint8_t* p, int n) {
  for (int i = 0; i < n; ++i)
    if (p[i]) return false;
  return true;
}

// Waits (without events) until the port has n bytes queued.
bool WaitQueued(const Tcomm& port, int n) {
  for (int i = 0; i < 200 && port.InQueue() < n; ++i) usleep(1000);
  return port.InQueue() >= n;
}

}  // namespace

TEST(Tcomm, ReadsTakeOnlyWhatArrivedSinceTheLastRead) {
  FakeDialogs dialogs;
  sim::SimInverter sim;
  auto port = std::make_unique<Tcomm>();
  ASSERT_EQ(port->Open(sim.PortPath()), 0);

  EXPECT_EQ(port->Read(), 0);
  EXPECT_EQ(port->RxCount, 0);
  EXPECT_TRUE(AllZero(port->RxBuf, Tcomm::kRxSize));

  sim.SendRaw(sim::Hex("11 22 33"));
  ASSERT_TRUE(WaitQueued(*port, 3));
  EXPECT_EQ(port->Read(), 0);
  EXPECT_EQ(port->RxCount, 3);
  EXPECT_EQ(port->RxBuf[2], 0x33);
  EXPECT_EQ(port->RxBuf[3], 0);

  sim.SendRaw(sim::Hex("44"));
  ASSERT_TRUE(WaitQueued(*port, 1));
  EXPECT_EQ(port->Read(), 0);
  EXPECT_EQ(port->RxCount, 1);
  EXPECT_EQ(port->RxBuf[0], 0x44);
  EXPECT_EQ(port->RxBuf[1], 0);  // the earlier bytes are gone

  // The accumulating read keeps what is there and appends.
  sim.SendRaw(sim::Hex("55 66"));
  ASSERT_TRUE(WaitQueued(*port, 2));
  EXPECT_EQ(port->ReadMore(), 0);
  EXPECT_EQ(port->RxCount, 3);
  EXPECT_EQ(sim::HexText(QByteArray(reinterpret_cast<char*>(port->RxBuf), 3)), "44 55 66");
  EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST(Tcomm, SettingsAndSpeed) {
  FakeDialogs dialogs;
  sim::SimInverter sim;
  sim.MarkLine();
  auto port = std::make_unique<Tcomm>();
  ASSERT_EQ(port->Open(sim.PortPath()), 0);
  EXPECT_FALSE(sim.LineMarked());  // opening sets the line up afresh
  EXPECT_EQ(sim.LineBaud(), 4800);
  EXPECT_EQ(port->Baud, 0);        // the open does not choose the inverter's speed
  for (int index = 0; index < 4; ++index) {
    EXPECT_EQ(port->SetBaud(index), 0);
    EXPECT_EQ(port->Baud, 4800 << index);
    EXPECT_EQ(sim.LineBaud(), 4800 << index);
  }
  EXPECT_EQ(port->SetBaud(4), 1);
  EXPECT_EQ(port->SetBaud(-1), 1);
  EXPECT_EQ(port->Baud, 38400);

  // A copy shares the descriptor: its speed change reaches the line.
  auto copy = std::make_unique<Tcomm>(*port);
  EXPECT_EQ(copy->SetBaud(1), 0);
  EXPECT_EQ(sim.LineBaud(), 9600);
}

TEST(Tcomm, ClosedPortIsNeverUsed) {
  FakeDialogs dialogs;
  sim::SimInverter sim;
  auto port = std::make_unique<Tcomm>();
  EXPECT_EQ(port->Write(8), 1);  // never opened
  EXPECT_EQ(port->Read(), 1);
  ASSERT_EQ(port->Open(sim.PortPath()), 0);
  auto copy = std::make_unique<Tcomm>(*port);
  port->TxBuf[0] = 0x01;
  EXPECT_EQ(port->Write(1), 0);
  EXPECT_EQ(port->Close(), 0);
  EXPECT_EQ(port->Close(), 0);  // closing twice is harmless
  EXPECT_FALSE(port->IsOpen());
  EXPECT_FALSE(copy->IsOpen());  // nor does a copy keep the old descriptor
  EXPECT_EQ(port->Write(1), 1);
  EXPECT_EQ(copy->Write(1), 1);
  EXPECT_EQ(copy->Read(), 1);
  EXPECT_EQ(port->Write(Tcomm::kTxSize + 1), 1);
  ASSERT_TRUE(sim.WaitForFrames(1, 1000));
  EXPECT_EQ(sim.Frames().size(), 1u);  // only the byte written while open
}

// The message names the device and the system's reason; a device that
// opens but takes no settings keeps its reason for the link's close.
TEST(Tcomm, OpenFailures) {
  FakeDialogs dialogs;
  auto port = std::make_unique<Tcomm>();
  EXPECT_EQ(port->Open("/dev/no-such-serial-port"), 1);
  EXPECT_EQ(port->Open("no-such-serial-port"), 1);  // taken below /dev
  EXPECT_EQ(port->Open(""), 1);
  const QString missing = QString::fromLocal8Bit(std::strerror(ENOENT));
  EXPECT_EQ(dialogs.messages, (QStringList{"COM Can't Open: /dev/no-such-serial-port: " + missing,
                                           "COM Can't Open: /dev/no-such-serial-port: " + missing,
                                           "COM Can't Open: no port chosen"}));

  // A file that is no terminal opens but takes no settings.
  QTemporaryDir dir;
  QFile f(dir.filePath("plain"));
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.close();
  dialogs.messages.clear();
  EXPECT_EQ(port->Open(dir.filePath("plain")), 1);
  EXPECT_FALSE(port->IsOpen());
  EXPECT_TRUE(dialogs.messages.isEmpty());
  EXPECT_EQ(port->TakeError(), dir.filePath("plain") + ": " + QString::fromLocal8Bit(std::strerror(ENOTTY)));
  EXPECT_EQ(port->LastError(), "");

  // A device nobody may open: the permission is the reason (root opens anything).
  if (geteuid() != 0) {
    QFile locked(dir.filePath("locked"));
    ASSERT_TRUE(locked.open(QIODevice::WriteOnly));
    locked.close();
    ASSERT_TRUE(locked.setPermissions(QFileDevice::Permissions()));
    EXPECT_EQ(port->Open(dir.filePath("locked")), 1);
    EXPECT_EQ(dialogs.messages.last(),
              "COM Can't Open: " + dir.filePath("locked") + ": " + QString::fromLocal8Bit(std::strerror(EACCES)));
  }
}

// A device whose other side goes away while it is in use (an adapter pulled
// out): the failed write or read names the device and the reason.
TEST(Tcomm, HungUpDeviceNamesItsReason) {
  FakeDialogs dialogs;
  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(master, 0);
  ASSERT_EQ(grantpt(master), 0);
  ASSERT_EQ(unlockpt(master), 0);
  const QString path = QString::fromLocal8Bit(ptsname(master));
  auto port = std::make_unique<Tcomm>();
  ASSERT_EQ(port->Open(path), 0);
  EXPECT_EQ(port->LastError(), "");
  ::close(master);
  EXPECT_EQ(port->Read(), 1);
  EXPECT_TRUE(port->LastError().startsWith(path + ": ")) << port->LastError().toStdString();
  port->TakeError();
  port->TxBuf[0] = 0x01;
  EXPECT_EQ(port->Write(1), 1);
  EXPECT_EQ(port->TakeError(), path + ": " + QString::fromLocal8Bit(std::strerror(EIO)));
  EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST(Tcomm, LongDevicePathsOpen) {
  FakeDialogs dialogs;
  sim::SimInverter sim;
  QTemporaryDir dir;
  const QString link = dir.filePath("usb-FTDI_RS485_adapter_with_a_rather_long_name-if00-port0");
  ASSERT_EQ(symlink(sim.PortPath().toLocal8Bit().constData(), link.toLocal8Bit().constData()), 0);
  auto m = std::make_unique<Modbus>();
  FakeLinkUi ui;
  ASSERT_EQ(m->OpenSerial(link), 0);
  EXPECT_EQ(m->PortName, link);
  EXPECT_EQ(m->LinkMode, LinkSerial);
  EXPECT_EQ(ui.status[4], "COM Open");
  EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST(Tcomm, OversizedQueueIsRefusedAndDiscarded) {
  FakeDialogs dialogs;
  int sv[2];
  ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, sv), 0);
  int size = 1 << 20;
  setsockopt(sv[1], SOL_SOCKET, SO_SNDBUF, &size, sizeof size);
  setsockopt(sv[0], SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
  auto port = std::make_unique<Tcomm>();
  port->AttachDescriptor(sv[0]);

  std::vector<char> junk(9000, 'x');
  ASSERT_EQ(write(sv[1], junk.data(), junk.size()), 9000);
  ASSERT_TRUE(WaitQueued(*port, 9000));
  EXPECT_EQ(port->Read(), 1);
  ASSERT_EQ(dialogs.messages.size(), 1);
  EXPECT_EQ(dialogs.messages[0], "Rx Size > Buffer 9000");
  EXPECT_EQ(port->InQueue(), 0);
  EXPECT_EQ(port->RxCount, 0);
  EXPECT_EQ(port->RxBuf[0], 0);

  // The exact limit: 8,191 queued bytes are refused, 8,190 still fit, with
  // their end mark.
  std::vector<char> limit(8191, 'z');
  ASSERT_EQ(write(sv[1], limit.data(), limit.size()), 8191);
  ASSERT_TRUE(WaitQueued(*port, 8191));
  dialogs.messages.clear();
  EXPECT_EQ(port->Read(), 1);
  EXPECT_EQ(dialogs.messages, QStringList{"Rx Size > Buffer 8191"});
  EXPECT_EQ(port->InQueue(), 0);

  dialogs.messages.clear();
  std::vector<char> fits(8190, 'y');
  ASSERT_EQ(write(sv[1], fits.data(), fits.size()), 8190);
  ASSERT_TRUE(WaitQueued(*port, 8190));
  EXPECT_EQ(port->Read(), 0);
  EXPECT_EQ(port->RxCount, 8190);
  EXPECT_EQ(port->RxBuf[8189], 'y');
  EXPECT_EQ(port->RxBuf[8190], 0);
  EXPECT_TRUE(dialogs.messages.isEmpty());

  // The limit holds for what one read finds queued: bytes gathered before
  // it do not count, and the gathered bytes stay within the buffer.
  std::vector<char> first(100, 'a');
  ASSERT_EQ(write(sv[1], first.data(), first.size()), 100);
  ASSERT_TRUE(WaitQueued(*port, 100));
  EXPECT_EQ(port->Read(), 0);
  std::vector<char> second(8190, 'b');
  ASSERT_EQ(write(sv[1], second.data(), second.size()), 8190);
  ASSERT_TRUE(WaitQueued(*port, 8190));
  EXPECT_EQ(port->ReadMore(), 0);
  EXPECT_TRUE(dialogs.messages.isEmpty());
  EXPECT_EQ(port->RxCount, Tcomm::kRxLimit - 1);
  EXPECT_EQ(port->RxBuf[99], 'a');
  EXPECT_EQ(port->RxBuf[100], 'b');
  EXPECT_EQ(port->RxBuf[Tcomm::kRxLimit - 1], 0);
  port->Close();
  close(sv[1]);
}

TEST(Tcomm, SpeedIndexShownInStatusPanel) {
  FakeDialogs dialogs;
  sim::SimInverter sim;
  TForm_Main form;
  ASSERT_EQ(form.Link.OpenSerial(sim.PortPath()), 0);
  EXPECT_EQ(form.StatusText(4), "COM Open");
  EXPECT_EQ(form.Link.SetBaudIndex(3), 0);
  EXPECT_EQ(form.StatusText(1), "38400");
  EXPECT_EQ(sim.LineBaud(), 38400);
  form.Link.Port.Close();
}

TEST(PortList, ExtraPortsFirstThenTheMachinesDevices) {
  qputenv("QORVANE_EXTRA_PORTS", "/tmp/sim-a::/dev/pts/77:/tmp/sim-a");
  const QStringList names = SerialPortNames();
  ASSERT_GE(names.size(), 2);
  EXPECT_EQ(names[0], "/tmp/sim-a");
  EXPECT_EQ(names[1], "/dev/pts/77");
  EXPECT_EQ(names.count("/tmp/sim-a"), 1);
  for (int i = 2; i < names.size(); ++i)
    EXPECT_TRUE(names[i].startsWith("/dev/tty") || names[i].startsWith("/dev/serial/by-id/")) << qPrintable(names[i]);

  TForm_Main form;
  auto* combo = form.Ctl<QComboBox>("Combo_COM");
  ASSERT_NE(combo, nullptr);
  EXPECT_EQ(combo->itemText(0), "Wi-Fi");  // as designed, until entered
  EXPECT_EQ(combo->count(), 21);
  QFocusEvent enter(QEvent::FocusIn, Qt::MouseFocusReason);
  QCoreApplication::sendEvent(combo, &enter);
  ASSERT_EQ(combo->count(), names.size());
  EXPECT_EQ(combo->itemText(0), "/tmp/sim-a");
  EXPECT_EQ(combo->currentIndex(), 0);
  EXPECT_FALSE(combo->isEditable());
  qunsetenv("QORVANE_EXTRA_PORTS");
}

// ---------------------------------------------------------------------------
// The port box as the user works it: a click on the box opens its list and a
// click on a port chooses it; the keyboard does the same. Entering the box
// from another control refreshes the list and keeps the port chosen before.

namespace {

struct PortBox : ::testing::Test {
  const QString a = "/tmp/qorvane-port-a", b = "/tmp/qorvane-port-b", c = "/tmp/qorvane-port-c";
  FakeDialogs dialogs;
  std::unique_ptr<TForm_Main> form;
  QComboBox* box = nullptr;
  QLineEdit* elsewhere = nullptr;  // another control of the window

  void SetUp() override {
    SetPorts({a, b, c});
    form = std::make_unique<TForm_Main>();
    form->show();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    box = form->Ctl<QComboBox>("Combo_COM");
    elsewhere = form->Ctl<QLineEdit>("Edit_StartID");
    ASSERT_TRUE(box && elsewhere);
    // The user works in another control first.
    QTest::mouseClick(elsewhere, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([this] { return elsewhere->hasFocus(); }));
  }
  void TearDown() override { qunsetenv("QORVANE_EXTRA_PORTS"); }
  static void SetPorts(const QStringList& paths) { qputenv("QORVANE_EXTRA_PORTS", paths.join(':').toLocal8Bit()); }

  QAbstractItemView* OpenList() {
    QTest::mouseClick(box, Qt::LeftButton);
    QAbstractItemView* list = box->view();
    EXPECT_TRUE(QTest::qWaitFor([list] { return list->isVisible(); })) << "the list did not open";
    return list;
  }
  void ClickItem(QAbstractItemView* list, const QString& text) {
    const QModelIndex item = list->model()->index(box->findText(text), 0);
    ASSERT_TRUE(item.isValid()) << qPrintable(text);
    const QPoint at = list->visualRect(item).center();
    QTest::mouseMove(list->viewport(), at);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    ASSERT_TRUE(QTest::qWaitFor([list] { return !list->isVisible(); })) << "the list stayed open";
    QCoreApplication::processEvents();
  }
  // Tab from control to control until the box has the focus.
  void TabToBox() {
    for (int i = 0; i < 200 && !box->hasFocus(); ++i) QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_TRUE(box->hasFocus());
  }
  // Leaves the box for another control and tabs back to it.
  void LeaveAndEnter() {
    QTest::mouseClick(elsewhere, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([this] { return elsewhere->hasFocus(); }));
    TabToBox();
  }
};

}  // namespace

TEST_F(PortBox, APortClickedInTheOpenListStaysChosen) {
  QAbstractItemView* list = OpenList();
  EXPECT_EQ(box->itemText(0), a) << "entering the box lists the ports";
  ClickItem(list, b);
  EXPECT_EQ(box->currentText(), b);
  // Clicked again, the list opens on the port chosen and a second pick holds too.
  list = OpenList();
  ClickItem(list, c);
  EXPECT_EQ(box->currentText(), c);
}

TEST_F(PortBox, APortChosenWithTheKeyboardStaysChosen) {
  TabToBox();
  ASSERT_EQ(box->itemText(0), a) << "entering the box lists the ports";
  // Alt+Down opens the list; Down twice and Enter take the third port.
  QTest::keyClick(box, Qt::Key_Down, Qt::AltModifier);
  QAbstractItemView* list = box->view();
  ASSERT_TRUE(QTest::qWaitFor([list] { return list->isVisible(); }));
  QTest::keyClick(list, Qt::Key_Down);
  QTest::keyClick(list, Qt::Key_Down);
  QTest::keyClick(list, Qt::Key_Return);
  ASSERT_TRUE(QTest::qWaitFor([list] { return !list->isVisible(); }));
  QCoreApplication::processEvents();
  EXPECT_EQ(box->currentText(), c);
  // Up on the closed box steps back one port.
  QTest::keyClick(box, Qt::Key_Up);
  EXPECT_EQ(box->currentText(), b);
}

TEST_F(PortBox, EnteringTheBoxAgainRefreshesTheListAndKeepsTheChosenPort) {
  ClickItem(OpenList(), b);
  ASSERT_EQ(box->currentText(), b);

  // A new adapter is plugged in: the list shows it when the box is entered.
  SetPorts({a, "/tmp/qorvane-port-new", b, c});
  LeaveAndEnter();
  EXPECT_EQ(box->findText("/tmp/qorvane-port-new"), 1);
  EXPECT_EQ(box->currentText(), b);

  // The chosen adapter is pulled out: the box falls back to the first port.
  SetPorts({a, c});
  LeaveAndEnter();
  EXPECT_EQ(box->findText(b), -1);
  EXPECT_EQ(box->currentText(), a);
}
