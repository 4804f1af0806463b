// The firmware page in the main window: firmware mode, loading by the file
// dialog and by dropped files, the device grid's marks and double clicks,
// the start button's refusals and the result window.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTextDocument>
#include <QThread>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>

#include <memory>
#include <set>

#include "app/LogViews.h"
#include "app/MyMessage.h"
#include "app/main.h"
#include "platform/ImageBox.h"
#include "sim/SimBootloader.h"
#include "sim/SimInverter.h"
#include "support/FakeDialogs.h"
#include "support/FirmwareImage.h"
#include "support/FirmwareWindow.h"
#include "support/PollFixture.h"
#include "support/QtPrinters.h"
#include "upgrade/FirmwarePage.h"
#include "upgrade/Upgrade.h"
#include "upgrade/UpgradeRun.h"

namespace {

// 0x800 image bytes with the meta block at 0x10: enough for a serial run.
QByteArray ImageHex(const fw::Meta& meta = {}) {
  std::vector<std::uint8_t> img(static_cast<size_t>(meta.stop));
  for (size_t a = 0; a < img.size(); ++a) img[a] = static_cast<std::uint8_t>(a * 13 + 1);
  const auto m = fw::MetaBytes(meta);
  std::copy(m.begin(), m.end(), img.begin() + 0x10);
  return fw::HexLine(4, 0, {0, 0}) + "\r\n" + fw::DataLines(0, img, 16) + fw::HexLine(1, 0, {}) + "\r\n";
}

fw::Meta PageMeta() {
  fw::Meta m;
  m.stop = 0x800;
  return m;
}

// The firmware page's bench, and what its tests read of the page.
struct PageTest : ::testing::Test, FirmwareWindow {
  QString Path() { return w().Ctl<QLineEdit>("Edit_HEXPath")->text(); }
  QStringList LogLines() {
    return polltest::ControlAs<LogView>(w(), "List_UpgradeEvent").toPlainText().split('\n');
  }
};

bool TabShown(TForm_Main& w, const char* name) {
  auto* pages = w.Ctl<QTabWidget>("PageControl");
  return pages->isTabVisible(pages->indexOf(w.Control(name)));
}

TEST_F(PageTest, FirmwareModeNeedsAnOpenLink) {
  w().Ctl<QPushButton>("OpenPort")->setEnabled(true);
  EnterFirmwareMode();
  EXPECT_EQ(dialogs.messages, QStringList{"Please Connect to Inverters first"});
  EXPECT_EQ(w().KeepPortOpen, 0);
  EXPECT_EQ(tool.Link, nullptr);
  EXPECT_TRUE(TabShown(w(), "TabSheet1"));
}

TEST_F(PageTest, FirmwareModeTakesThePortAndShowsOnlyItsPage) {
  auto* pages = w().Ctl<QTabWidget>("PageControl");
  pages->setTabVisible(pages->indexOf(w().Control("TabSheet1")), true);
  auto* profiles = w().Ctl<QComboBox>("Combo_SelectMode");
  profiles->addItem("Profile");
  profiles->setCurrentIndex(0);
  auto* record = w().findChild<QTimer*>("Timer_Record");
  record->start(60000);

  EnterFirmwareMode();
  EXPECT_TRUE(dialogs.messages.isEmpty());
  EXPECT_EQ(w().KeepPortOpen, 1);
  EXPECT_EQ(w().PollStop, 1);
  EXPECT_FALSE(record->isActive());
  for (const char* tab : {"TabSheet1", "TabSheet2", "TabSheet3", "TabSheet4", "TabSheet5", "TabSheet6", "TabSheet7"})
    EXPECT_FALSE(TabShown(w(), tab)) << tab;
  EXPECT_TRUE(TabShown(w(), "Tab_Firmware"));
  EXPECT_EQ(pages->currentWidget(), w().Control("Tab_Firmware"));
  EXPECT_EQ(profiles->currentIndex(), -1);
  EXPECT_EQ(tool.Link, &w().Link);
  EXPECT_EQ(tool.Views, static_cast<UpgradeViews*>(w().Firmware()));
  EXPECT_FALSE(w().Ctl<QTableView>("Grid_Dev")->isHidden());
  EXPECT_EQ(w().Control("List_UpgradeEvent")->y(), 560);
  // The tool's port is the link's: closing one closes both.
  ASSERT_TRUE(tool.Port.IsOpen());
  w().Link.Port.Close();
  EXPECT_FALSE(tool.Port.IsOpen());

  w().Link.LinkMode = LinkTcp;
  EnterFirmwareMode();
  EXPECT_TRUE(w().Ctl<QTableView>("Grid_Dev")->isHidden());
  EXPECT_EQ(w().Control("List_UpgradeEvent")->y(), 230);
}

TEST_F(PageTest, PageControlsAsDesigned) {
  auto& load = polltest::ControlAs<QPushButton>(w(), "Btn_LoadHEX");
  EXPECT_EQ(load.toolTip(), "Open Hex File");
  EXPECT_TRUE(polltest::ControlAs<QLineEdit>(w(), "Edit_HEXPath").isReadOnly());
  EXPECT_EQ(Start().text(), "Upgrade");
  EXPECT_EQ(Start().toolTip(), "Begin to Upgrade");
  EXPECT_FALSE(Start().isEnabled());
  auto& delay = polltest::ControlAs<QComboBox>(w(), "Combo_Delay");
  QStringList items;
  for (int i = 0; i < delay.count(); ++i) items << delay.itemText(i);
  EXPECT_EQ(items, QStringList({"100", "150", "200", "250", "300"}));
  auto& dev = polltest::ControlAs<QTableView>(w(), "Grid_Dev");
  EXPECT_EQ(dev.model(), &tool.DevGrid);
  EXPECT_EQ(dev.verticalHeader()->defaultSectionSize(), 28);
  EXPECT_TRUE(dev.font().bold());
  EXPECT_EQ(dev.palette().color(QPalette::Text), QColor(0, 0, 255));
  EXPECT_EQ(polltest::ControlAs<QTableView>(w(), "Grid_HEX").model(), &tool.Grid);
  for (const char* label : {"L_METAVERSION", "L_PRODUCTID", "L_PROCESSOR", "L_HVERSION", "L_SVERSION", "L_STARTADDR",
                            "L_STOPADDR", "L_ERASESIZE", "L_FILLVALUE", "L_CHECKSUM", "L_BAUDRATE", "L_PROGRAMSIZE"})
    EXPECT_NE(w().Ctl<QLabel>(label), nullptr) << label;
  EXPECT_NE(w().Ctl<QProgressBar>("ProgressBar"), nullptr);
  EXPECT_TRUE(w().Ctl<QLabel>("Image_Tick2")->isHidden());
}

TEST_F(PageTest, LoadingByTheDialog) {
  EnterFirmwareMode();
  const QString good = File("image.hex", ImageHex(PageMeta()));
  dialogs.files = {good};
  polltest::ControlAs<QPushButton>(w(), "Btn_LoadHEX").click();
  // Grid_HEX: number column 40, address column 60, data columns 25 pixels.
  auto& hex = polltest::ControlAs<QTableView>(w(), "Grid_HEX");
  EXPECT_EQ(hex.columnWidth(0), 40);
  EXPECT_EQ(hex.columnWidth(1), 60);
  EXPECT_EQ(hex.columnWidth(2), 25);
  EXPECT_EQ(hex.columnWidth(33), 25);
  EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join('|').toStdString();
  EXPECT_EQ(Path(), good);
  EXPECT_TRUE(Start().isEnabled());
  EXPECT_EQ(w().Ctl<QLabel>("L_PRODUCTID")->text(), "71870541");
  EXPECT_EQ(w().Ctl<QComboBox>("Combo_Delay")->currentText(), "30");
  EXPECT_GT(w().Ctl<QTableView>("Grid_HEX")->model()->rowCount(), 0);
  // The scan found inverter 1 and the device grid lists it.
  EXPECT_EQ(tool.GridRow[1], 1);
  EXPECT_TRUE(LogLines().filter(QRegularExpression("^ID: ?1, ")).size() == 1) << LogLines().join('\n').toStdString();

  // Cancelling the dialog disables the start even with an image loaded.
  polltest::ControlAs<QPushButton>(w(), "Btn_LoadHEX").click();
  EXPECT_FALSE(Start().isEnabled());
  EXPECT_EQ(Path(), good);

  // A failed load never leaves the previous image ready to run.
  dialogs.files = {good};
  polltest::ControlAs<QPushButton>(w(), "Btn_LoadHEX").click();
  ASSERT_TRUE(Start().isEnabled());
  dialogs.files = {File("broken.hex", ":10000000FF\r\n")};
  polltest::ControlAs<QPushButton>(w(), "Btn_LoadHEX").click();
  EXPECT_EQ(dialogs.messages.back(), "Error - Load Hex File");
  EXPECT_FALSE(Start().isEnabled());
  EXPECT_EQ(tool.Info.Length10, 0);
}

// A file cut off at a line end (an interrupted copy) is refused at the load:
// the start stays disabled and nothing reaches the inverter.
TEST_F(PageTest, AFileCutOffAtALineEndIsRefused) {
  EnterFirmwareMode();
  const QByteArray whole = ImageHex(PageMeta());
  const QByteArray cut = whole.left(whole.indexOf(fw::HexLine(0, 0x400, std::vector<std::uint8_t>(16, 0)).left(9)));
  ASSERT_GT(cut.size(), 100);
  ASSERT_LT(cut.size(), whole.size() / 2 + 200);
  sim.ClearFrames();
  dialogs.files = {File("cut.hex", cut)};
  polltest::ControlAs<QPushButton>(w(), "Btn_LoadHEX").click();
  EXPECT_EQ(dialogs.messages, QStringList({"Hex File Has No End Record", "Error - Load Hex File"}));
  EXPECT_FALSE(Start().isEnabled());
  EXPECT_EQ(tool.Info.Length10, 0);
  // The load reads the devices; no step of an upgrade follows.
  const std::set<int> upgradeSteps = {0x05, 0x06, 0x10, 0x11, 0x12, 0x13, 0x14, 0x20};
  for (const sim::SimFrame& f : sim.Frames())
    if (f.protocol == "boot") EXPECT_FALSE(upgradeSteps.count(static_cast<std::uint8_t>(f.bytes[5]))) << sim::HexText(f.bytes).toStdString();
}

TEST_F(PageTest, TheExactExtensionChoosesTheLoader) {
  EnterFirmwareMode();
  std::vector<std::uint8_t> bin(384, 0x11);
  const auto m = fw::MetaBytes(PageMeta());
  std::copy(m.begin(), m.end(), bin.begin() + 228);
  const QByteArray binBytes(reinterpret_cast<const char*>(bin.data()), static_cast<int>(bin.size()));
  struct Case {
    const char* name;
    QByteArray content;
    bool loads;
    const char* error;
  } cases[] = {
      {"lower.bin", ImageHex(PageMeta()), true, nullptr},   // read as HEX
      {"upper.BIN", binBytes, true, nullptr},               // read as BIN
      {"hextext.BIN", ImageHex(PageMeta()), false, "Error - Load BIN File"},
      {"mixed.Bin", binBytes, false, "Error - Load Hex File"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    dialogs.messages.clear();
    dialogs.files = {File(c.name, c.content)};
    polltest::ControlAs<QPushButton>(w(), "Btn_LoadHEX").click();
    EXPECT_EQ(Start().isEnabled(), c.loads);
    if (c.error) EXPECT_EQ(dialogs.messages.back(), c.error);
    if (c.loads) EXPECT_TRUE(dialogs.messages.isEmpty() || dialogs.messages == QStringList{"1"}) << dialogs.messages.join('|').toStdString();
  }
  // The BIN image sits from 0x80000000 on.
  dialogs.files = {files.path() + "/upper.BIN"};
  polltest::ControlAs<QPushButton>(w(), "Btn_LoadHEX").click();
  EXPECT_EQ(tool.Grid.Cell(1, 1), "80000000");
}

TEST_F(PageTest, BinImageRunsOnTheSerialLinkOnly) {
  w().Link.LinkMode = LinkTcp;
  EnterFirmwareMode();
  std::vector<std::uint8_t> bin(384, 0x11);
  const auto m = fw::MetaBytes(PageMeta());
  std::copy(m.begin(), m.end(), bin.begin() + 228);
  dialogs.files = {File("image.BIN", QByteArray(reinterpret_cast<const char*>(bin.data()), 384))};
  polltest::ControlAs<QPushButton>(w(), "Btn_LoadHEX").click();
  ASSERT_TRUE(Start().isEnabled());
  dialogs.messages.clear();
  sim.ClearFrames();
  Start().click();
  EXPECT_EQ(dialogs.messages, QStringList{"BIN Upgrade Needs The Serial Link"});
  EXPECT_TRUE(sim.Frames().empty());
  EXPECT_TRUE(dialogs.modals.isEmpty());
  EXPECT_FALSE(QDir(home.dir.path() + "/UpgradeLog").exists());
}

TEST_F(PageTest, MetaReportGoesIntoAFullTrafficLogLineByLine) {
  EnterFirmwareMode();
  LogView* events = w().EventLog();
  events->clear();
  for (int i = 0; i < 5001; ++i) events->appendPlainText(QString::number(i));
  w().OnDropFiles(File("image.hex", ImageHex(PageMeta())));
  ASSERT_TRUE(Start().isEnabled());
  const QStringList lines = events->toPlainText().split('\n');
  ASSERT_EQ(lines.size(), 5001 + 14) << "the traffic log's limit does not cut the report";
  EXPECT_EQ(lines.first(), "0");
  EXPECT_EQ(lines[5001], "||----------------------------------Load Hex File-------------------------------||");
  EXPECT_EQ(lines.last(), "Delay: 30");
}

TEST_F(PageTest, DroppedFilesLoadWhenTheirNameEndsInHex) {
  const QByteArray image = ImageHex(PageMeta());
  // Outside firmware mode the polling loop owns the port: nothing loads.
  const QString early = File("early.hex", image);
  w().OnDropFiles(early);
  EXPECT_EQ(Path(), "");

  EnterFirmwareMode();
  struct Case {
    const char* name;
    bool loads;
  } cases[] = {{"a.hex", true}, {"b.HEX", true}, {"cxhex", true}, {"d.hEx", true},
               {"e.BIN", false}, {"f.bin", false}, {"g.hex.txt", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    w().Ctl<QLineEdit>("Edit_HEXPath")->clear();
    Start().setEnabled(false);
    const QString path = File(c.name, image);
    w().OnDropFiles(path);
    EXPECT_EQ(Path(), c.loads ? path : QString());
    EXPECT_EQ(Start().isEnabled(), c.loads);
  }

  // A real drop on the window, with a path far longer than 240 bytes.
  QString deep = QString(70, 'd') + '/' + QString(70, 'e') + '/' + QString(70, 'f') + '/' + QString(70, 'g') + ".hex";
  const QString longPath = File(deep, image);
  ASSERT_GT(longPath.toUtf8().size(), 300);
  EXPECT_TRUE(w().acceptDrops());
  w().Ctl<QLineEdit>("Edit_HEXPath")->clear();
  Start().setEnabled(false);
  QMimeData mime;
  mime.setUrls({QUrl::fromLocalFile(longPath), QUrl::fromLocalFile(files.path() + "/e.BIN")});
  QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&w(), &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&w(), &drop);
  EXPECT_EQ(Path(), longPath);
  EXPECT_TRUE(Start().isEnabled());
}

// Devices 1 to 3 on grid rows 1 to 3; 1 and 2 selected.
void ThreeDevices(upgradeTool& tool) {
  tool.DevGrid.SetRowCount(4);
  const char* sw[] = {"", "0.00", "Done", "2.20"};
  for (int id = 1; id <= 3; ++id) {
    tool.DeviceId[id] = static_cast<std::uint8_t>(id);
    tool.GridRow[id] = id;
    tool.Selected[id] = id < 3 ? 1 : 0;
    tool.InfoRead[id] = 1;
    tool.DevGrid.SetCell(0, id, QString::number(id));
    tool.DevGrid.SetCell(DeviceGrid::kSwColumn, id, sw[id]);
  }
}

TEST_F(PageTest, DeviceGridMarksSelectedDevicesOnceAnImageIsParsed) {
  ThreeDevices(tool);
  const QColor none;
  struct Case {
    int column, row;
    QString sw;  // SW cell text of the row, empty: as set up
    bool tick;
    QColor background;
  } cases[] = {
      {1, 1, "", true, none},
      {DeviceGrid::kSwColumn, 1, "", false, QColor(255, 0, 0)},  // "0.00"
      {DeviceGrid::kSwColumn, 2, "", false, QColor(0, 255, 0)},  // "Done"
      {DeviceGrid::kSwColumn, 2, "1.23", false, QColor(255, 255, 0)},
      {2, 1, "", false, none},
      {1, 3, "", false, none},  // not selected
      {DeviceGrid::kSwColumn, 3, "", false, none},
      {1, 0, "", false, none},  // header row
  };
  // No image version parsed yet: nothing is marked.
  for (const Case& c : cases) {
    const DeviceCellLook look = LookOfDeviceCell(tool, c.column, c.row);
    EXPECT_FALSE(look.Tick || look.Background.isValid()) << c.column << "," << c.row;
  }
  tool.Info.SwVersionMajor = 2;
  for (const Case& c : cases) {
    if (!c.sw.isEmpty()) tool.DevGrid.SetCell(DeviceGrid::kSwColumn, c.row, c.sw);
    const DeviceCellLook look = LookOfDeviceCell(tool, c.column, c.row);
    EXPECT_EQ(look.Tick, c.tick) << c.column << "," << c.row;
    EXPECT_EQ(look.Background, c.background) << c.column << "," << c.row;
    EXPECT_FALSE(look.TopLeftText);
    EXPECT_EQ(look.Centred, c.column != 1 && c.row > 0) << c.column << "," << c.row;
    // The cell drawn as selected keeps the grid's own look, but a coloured
    // SW cell's text starts at its top left.
    const DeviceCellLook selected = LookOfDeviceCell(tool, c.column, c.row, true);
    EXPECT_FALSE(selected.Centred);
    EXPECT_EQ(selected.TopLeftText, c.background.isValid());
    EXPECT_EQ(selected.Background, c.background);
  }

  // The view paints them: the red of device 1's SW cell and the tick.
  tool.DevGrid.SetCell(DeviceGrid::kSwColumn, 1, "0.00");
  for (int c = 0; c < DeviceGrid::kColumns; ++c) tool.DevGrid.SetColumnWidth(c, 40);
  tool.DevGrid.SetCell(2, 0, "ID");  // the header tells the view the widths
  auto& view = polltest::ControlAs<QTableView>(w(), "Grid_Dev");
  view.resize(600, 200);
  const QImage shot = view.viewport()->grab().toImage();
  const QRect sw = view.visualRect(tool.DevGrid.index(0, DeviceGrid::kSwColumn));
  EXPECT_EQ(QColor(shot.pixel(sw.right() - 2, sw.bottom() - 2)), QColor(255, 0, 0));
  // Its text "0.00" is drawn centred on the red: the bounds of the pixels
  // that are not red lie about the cell's middle.
  QRect text;
  const QRect inner = sw.adjusted(1, 1, -2, -2);  // without the grid lines
  for (int y = inner.top(); y <= inner.bottom(); ++y)
    for (int x = inner.left(); x <= inner.right(); ++x)
      if (QColor(shot.pixel(x, y)) != QColor(255, 0, 0)) text |= QRect(x, y, 1, 1);
  ASSERT_FALSE(text.isEmpty());
  EXPECT_NEAR(text.center().x(), sw.center().x(), 3);
  EXPECT_NEAR(text.center().y(), sw.center().y(), 3);
  const QRect tickCell = view.visualRect(tool.DevGrid.index(0, 1));
  bool green = false;
  for (int y = tickCell.top(); y <= tickCell.bottom(); ++y)
    for (int x = tickCell.left(); x <= tickCell.right(); ++x) green |= QColor(shot.pixel(x, y)).green() > 120 && QColor(shot.pixel(x, y)).red() < 80;
  EXPECT_TRUE(green);
}

TEST_F(PageTest, DoubleClickInTheTickColumnTogglesTheDevice) {
  EnterFirmwareMode();
  ThreeDevices(tool);
  auto& view = polltest::ControlAs<QTableView>(w(), "Grid_Dev");
  struct Case {
    int column, row;  // model coordinates
    int device;
    std::uint8_t after;
  } cases[] = {{1, 0, 1, 0}, {1, 0, 1, 1}, {2, 0, 1, 1}, {0, 2, 3, 0}, {1, 2, 3, 1}};
  for (const Case& c : cases) {
    emit view.doubleClicked(tool.DevGrid.index(c.row, c.column));
    EXPECT_EQ(tool.Selected[c.device], c.after) << c.column << "," << c.row;
  }
}

TEST_F(PageTest, StartRefusesWithoutImageOrSelection) {
  EnterFirmwareMode();
  w().Ctl<QLineEdit>("Edit_HEXPath")->setText("none.hex");
  Start().setEnabled(true);
  sim.ClearFrames();
  Start().click();
  EXPECT_EQ(dialogs.messages, QStringList{"Please Load Hex File First"});

  dialogs.files = {File("image.hex", ImageHex(PageMeta()))};
  polltest::ControlAs<QPushButton>(w(), "Btn_LoadHEX").click();
  ASSERT_TRUE(Start().isEnabled());
  ASSERT_GE(tool.Info.Length10, 1000);
  for (std::uint8_t& s : tool.Selected) s = 0;
  dialogs.messages.clear();
  sim.ClearFrames();
  w().Ctl<QComboBox>("Combo_Delay")->setCurrentText("250");
  Start().click();
  EXPECT_EQ(dialogs.messages, QStringList{"Please Select least one inverter"});
  EXPECT_EQ(tool.Info.Delay, 250);
  EXPECT_TRUE(sim.Frames().empty());
  EXPECT_TRUE(Start().isEnabled());
  EXPECT_FALSE(QDir(home.dir.path() + "/UpgradeLog").exists());
}

TEST_F(PageTest, ResultWindowTextsAndColours) {
  struct Case {
    ResultWindow kind;
    const char* label1;
    const char* label2;
    QColor colour;
    int label2Points;
  } cases[] = {
      {ResultWindow::Completed, "FIRMWARE UPGRADE", "COMPLETED", QColor(0, 128, 0), 28},
      {ResultWindow::Uncertain, "Uncertain Results", "(Please confirm the selected version has been correctly updated?)",
       QColor(0, 0, 0), 10},
      {ResultWindow::Failed, "Failed", "", QColor(180, 0, 0), 10},  // keeps the last size
      {ResultWindow::Completed, "FIRMWARE UPGRADE", "COMPLETED", QColor(0, 128, 0), 28},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label1);
    dialogs.modals.clear();
    ShowResultWindow(c.kind, &w());
    EXPECT_EQ(dialogs.modals, QStringList{"Form_Message"});
    EXPECT_EQ(Form_Message->Label1->text(), c.label1);
    EXPECT_EQ(Form_Message->Label2->text(), c.label2);
    EXPECT_EQ(Form_Message->Label1->palette().color(QPalette::WindowText), c.colour);
    EXPECT_EQ(Form_Message->Label2->palette().color(QPalette::WindowText), c.colour);
    EXPECT_EQ(Form_Message->Label2->font().pointSize(), c.label2Points);
  }
  dialogs.modals.clear();
  ShowResultWindow(ResultWindow::None, &w());
  EXPECT_TRUE(dialogs.modals.isEmpty());
}

// The same over the Wi-Fi link: no device grid, the image sent through the
// module on loopback TCP, the result window and the log file.
struct TcpThroughPage : PageTest {
  QByteArray savedAddress = qgetenv("QORVANE_WIFI_ADDR");
  ~TcpThroughPage() override {
    w().Link.Client.CloseAll();
    qputenv("QORVANE_WIFI_ADDR", savedAddress);
    UpgradeClock = nullptr;
  }
};

TEST_F(TcpThroughPage, OneInverterOverTheWifiLink) {
  sim.SetProductId(1, 71870541);
  const int port = sim.ListenTcp();
  ASSERT_GT(port, 0);
  qputenv("QORVANE_WIFI_ADDR", QByteArray("127.0.0.1:") + QByteArray::number(port));
  w().Link.LinkMode = LinkTcp;
  UpgradeClock = [] { return QDateTime(QDate(2024, 11, 23), QTime(9, 30, 0)); };
  EnterFirmwareMode();
  EXPECT_TRUE(w().Ctl<QTableView>("Grid_Dev")->isHidden());
  fw::Meta meta = PageMeta();
  meta.programSize = 128;
  dialogs.files = {File("image.hex", ImageHex(meta))};
  polltest::ControlAs<QPushButton>(w(), "Btn_LoadHEX").click();
  ASSERT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join('|').toStdString();
  ASSERT_TRUE(Start().isEnabled());

  Start().click();
  EXPECT_EQ(dialogs.modals, QStringList{"Form_Message"});
  EXPECT_EQ(Form_Message->Label2->text(), "COMPLETED");
  EXPECT_FALSE(Start().isEnabled());
  const sim::BootDevice device = boot.Snapshot(1);
  EXPECT_TRUE(device.done);
  EXPECT_EQ(sim::DeviceChecksum(device), tool.Info.Crc20);
  const QStringList lines = LogLines();
  EXPECT_TRUE(lines.filter("Retry...").isEmpty());
  EXPECT_EQ(lines.back(), "Total Time: 0 S");
  EXPECT_TRUE(QFileInfo::exists(home.dir.path() + "/UpgradeLog/Log20241123_1.txt"));
}

// One inverter with a broadcast bootloader, upgraded through the page: the
// image from the dialog, the device found, read and selected, the run, the
// result window and the log file.
struct UpgradeThroughPage : PageTest {
  ~UpgradeThroughPage() override { UpgradeClock = nullptr; }
};

TEST_F(UpgradeThroughPage, OneInverterOverTheSerialLink) {
  sim.SetProductId(1, 71870541);
  boot.Configure(1, [](sim::BootDevice& d) {
    d.hw[2] = {1, 5};
    d.sw[2] = {2, 10};
    d.swAfterDone = {2, 23};
  });
  int reads = 0;
  UpgradeClock = [&reads] {
    return QDateTime(QDate(2024, 3, 5), reads++ == 0 ? QTime(10, 0, 0) : QTime(10, 2, 5));
  };
  EnterFirmwareMode();
  dialogs.files = {File("image.hex", ImageHex(PageMeta()))};
  polltest::ControlAs<QPushButton>(w(), "Btn_LoadHEX").click();
  ASSERT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join('|').toStdString();
  ASSERT_EQ(tool.GridRow[1], 1);
  const DeviceGrid& grid = tool.DevGrid;
  EXPECT_EQ(grid.Cell(2, 1), " 1");
  EXPECT_EQ(grid.Cell(4, 1), "Normal");
  EXPECT_EQ(grid.Cell(7, 1), "71870541");
  EXPECT_EQ(grid.Cell(8, 1), "V03");
  EXPECT_EQ(grid.Cell(9, 1), "1.05");
  EXPECT_EQ(grid.Cell(10, 1), "2.10");
  ASSERT_EQ(tool.Selected[1], 1);
  ASSERT_TRUE(Start().isEnabled());

  sim.ClearFrames();
  Start().click();
  // The run's bootloader commands in order: enter (modes 1 and 2), processor,
  // bank, every numbered row as a 0x20 block, bank close, done, then the
  // software-version check.
  QStringList commands;
  for (const sim::SimFrame& f : sim.Frames())
    if (f.protocol == "boot") commands << QString::number(static_cast<std::uint8_t>(f.bytes[5]), 16);
  QStringList expected = {"5", "6", "11", "12"};
  for (int row = 1; row <= tool.Grid.ImageRows(); ++row)
    if (tool.Grid.Number(row)) expected << "20";
  expected << "13" << "14" << "4";
  EXPECT_EQ(commands, expected);
  EXPECT_EQ(polltest::ControlAs<QProgressBar>(w(), "ProgressBar").value(), 100);
  EXPECT_EQ(dialogs.modals, QStringList{"Form_Message"});
  EXPECT_EQ(Form_Message->Label1->text(), "FIRMWARE UPGRADE");
  EXPECT_EQ(Form_Message->Label2->text(), "COMPLETED");
  EXPECT_FALSE(Start().isEnabled());
  const sim::BootDevice device = boot.Snapshot(1);
  EXPECT_TRUE(device.done);
  EXPECT_EQ(sim::DeviceChecksum(device), tool.Info.Crc20);
  EXPECT_EQ(grid.Cell(10, 1), "2.23");

  QFile log(home.dir.path() + "/UpgradeLog/Log20240305_1.txt");
  ASSERT_TRUE(log.open(QIODevice::ReadOnly));
  QTextDocument doc;
  doc.setHtml(QString::fromUtf8(log.readAll()));
  const QStringList lines = doc.toPlainText().split('\n');
  EXPECT_EQ(lines.filter("Programming Begin").size(), 1);
  EXPECT_TRUE(lines.contains("Start Time: 10:0:0"));
  EXPECT_TRUE(lines.contains("End Time: 10:2:5"));
  EXPECT_EQ(lines.back(), "Total Time: 125 S");
  EXPECT_TRUE(lines.filter("Procedure Fail").isEmpty());
  EXPECT_TRUE(lines.filter("Procedure Stop").isEmpty());
  EXPECT_EQ(lines, LogLines()) << "the file holds the whole log view";
}

// A device whose checksum never matches the image leaves the broadcast run
// at bank close: every attempt ends with the device not done, so the run is
// "Failed", never "COMPLETED", and the log file says so.
TEST_F(UpgradeThroughPage, WrongChecksumOnEveryAttemptEndsFailed) {
  sim.SetProductId(1, 71870541);
  boot.Configure(1, [](sim::BootDevice& d) {
    d.hw[2] = {1, 5};
    d.sw[2] = {2, 10};
    d.swAfterDone = {2, 23};
    d.checksumDelta = 1;
  });
  UpgradeClock = [] { return QDateTime(QDate(2024, 3, 5), QTime(10, 0, 0)); };
  EnterFirmwareMode();
  dialogs.files = {File("image.hex", ImageHex(PageMeta()))};
  polltest::ControlAs<QPushButton>(w(), "Btn_LoadHEX").click();
  ASSERT_EQ(tool.Selected[1], 1);
  sim.ClearFrames();
  Start().click();

  int closes = 0, dones = 0;
  for (const sim::SimFrame& f : sim.Frames())
    if (f.protocol == "boot") {
      closes += static_cast<std::uint8_t>(f.bytes[5]) == 0x13;
      dones += static_cast<std::uint8_t>(f.bytes[5]) == 0x14;
    }
  EXPECT_EQ(closes, 3 * 5) << "five bank-close tries in each of three attempts";
  EXPECT_EQ(dones, 0);
  EXPECT_FALSE(boot.Snapshot(1).done);
  EXPECT_EQ(dialogs.modals, QStringList{"Form_Message"});
  EXPECT_EQ(Form_Message->Label1->text(), "Failed");
  EXPECT_EQ(Form_Message->Label2->text(), "");
  QFile log(home.dir.path() + "/UpgradeLog/Log20240305_1.txt");
  ASSERT_TRUE(log.open(QIODevice::ReadOnly));
  QTextDocument doc;
  doc.setHtml(QString::fromUtf8(log.readAll()));
  const QStringList lines = doc.toPlainText().split('\n');
  EXPECT_EQ(lines.filter("   ID1: Check SUM CRC& Bank Close Error").size(), 15);
  EXPECT_TRUE(lines.filter("COMPLETED").isEmpty());
}

}  // namespace
