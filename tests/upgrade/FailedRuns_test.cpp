// Every way a device can fail an upgrade, through the firmware page, over
// the serial link (HEX image, a broadcast bootloader or one programmed on
// its own), over the Wi-Fi link (HEX image) and with a BIN image (serial
// only): the run ends failed, the log says so last and in red, nothing
// claims the device was done or the upgrade completed, and the log file is
// written where the run writes one.
// A run without a fault shows what the checks look for when it works.
#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QTextBlock>
#include <QTextDocument>

#include <algorithm>
#include <functional>
#include <ostream>
#include <vector>

#include "app/LogViews.h"
#include "sim/SimBootloader.h"
#include "support/FirmwareImage.h"
#include "support/FirmwareWindow.h"
#include "support/PollFixture.h"
#include "support/QtPrinters.h"
#include "upgrade/Upgrade.h"
#include "upgrade/UpgradeRun.h"

namespace {

enum class Path { SerialHex, SerialHexOneByOne, TcpHex, SerialBin };

constexpr std::uint32_t kProductId = 71870541;
constexpr int kBlock = 128;
constexpr std::uint32_t kBinStart = 0x80000000u;

// 1,024 image bytes (enough for a serial run) in 128-byte blocks at 38,400
// bit/s without extra delay, the meta block at 0x10.
QByteArray HexImage() {
  fw::Meta meta;
  meta.stop = 0x400;
  meta.programSize = kBlock;
  meta.baudRate = 38400;
  meta.delay = 0;
  std::vector<std::uint8_t> img(meta.stop);
  for (size_t a = 0; a < img.size(); ++a) img[a] = static_cast<std::uint8_t>(a * 11 + 5);
  const auto m = fw::MetaBytes(meta);
  std::copy(m.begin(), m.end(), img.begin() + 0x10);
  return fw::DataLines(0, img, 16) + fw::HexLine(1, 0, {}) + "\r\n";
}

// Three 128-byte blocks, the meta block in the second.
QByteArray BinImage() {
  std::vector<std::uint8_t> bin(3 * kBlock);
  for (size_t i = 0; i < bin.size(); ++i) bin[i] = static_cast<std::uint8_t>(i * 5 + 1);
  const auto m = fw::MetaBytes(fw::Meta{});
  std::copy(m.begin(), m.end(), bin.begin() + 228);
  return QByteArray(reinterpret_cast<const char*>(bin.data()), static_cast<int>(bin.size()));
}

// Address of the image's second block, the one a device keeps asking for.
std::uint32_t SecondBlock(Path path) { return (path == Path::SerialBin ? kBinStart : 0) + kBlock; }

struct Fault {
  const char* name;
  std::function<void(sim::BootDevice&, Path)> set;  // empty: no fault
  std::vector<Path> only;    // empty: every path
  bool reachesDone = false;  // the device still gets through its done step
};

const Fault kFaults[] = {
    {"Completes", {}},
    {"NoAnswer", [](sim::BootDevice& d, Path) { d.silent[0x05] = 1000; }},
    {"DoneRefused", [](sim::BootDevice& d, Path) { d.errorReply[0x14] = 1000; }},
    {"WrongChecksum", [](sim::BootDevice& d, Path) { d.checksumDelta = 1; }},
    {"RefusedBlock",
     [](sim::BootDevice& d, Path) {
       d.errorReply[0x10] = 1000;
       d.errorReply[0x20] = 1000;
     }},
    // On the serial bus a device asks with retry requests, which the tool
    // serves 20 times per run; over TCP it names another block in every
    // acknowledgement, which the tool tries 3 times.
    {"RetriesPastTheLimit",
     [](sim::BootDevice& d, Path path) {
       d.retries = {{2, SecondBlock(path), 0x90, true}};
       d.nakAlways = true;
     }},
    {"LinkLostMidStream", [](sim::BootDevice& d, Path) { d.linkLostAfterBlocks = 2; }},
    // The module takes the image but never reports it copied into place.
    {"NeverReportsTheWorkDone", [](sim::BootDevice& d, Path) { d.progress = {100, 50}; }, {Path::TcpHex}, true},
};

struct Case {
  Path path;
  const Fault* fault;
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.fault->name; }

std::vector<Case> AllCases() {
  std::vector<Case> out;
  for (Path p : {Path::SerialHex, Path::SerialHexOneByOne, Path::TcpHex, Path::SerialBin})
    for (const Fault& f : kFaults)
      if (f.only.empty() || std::find(f.only.begin(), f.only.end(), p) != f.only.end()) out.push_back({p, &f});
  return out;
}

std::string CaseName(const ::testing::TestParamInfo<Case>& info) {
  const char* path = info.param.path == Path::SerialHex           ? "SerialHex"
                     : info.param.path == Path::SerialHexOneByOne ? "SerialHexOneByOne"
                     : info.param.path == Path::TcpHex            ? "TcpHex"
                                                                  : "SerialBin";
  return std::string(path) + "_" + info.param.fault->name;
}

// A line of the upgrade log with its colour.
struct LogLine {
  QString text;
  bool red = false;
};

std::vector<LogLine> ColouredLines(const QTextDocument& doc) {
  std::vector<LogLine> out;
  for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
    LogLine line{b.text()};
    for (auto it = b.begin(); !it.atEnd(); ++it)
      line.red = line.red || it.fragment().charFormat().foreground().color() == QColor(255, 0, 0);
    out.push_back(line);
  }
  return out;
}

// The firmware page's bench with inverter 1 fit for the image (its
// bootloader broadcast-capable, older software that the image replaces).
struct RunPage : ::testing::Test, FirmwareWindow {
  QByteArray savedAddress = qgetenv("QORVANE_WIFI_ADDR");

  RunPage() {
    sim.SetProductId(1, kProductId);
    boot.Configure(1, [](sim::BootDevice& d) {
      d.hw[2] = {1, 5};
      d.sw[2] = {2, 10};
      d.swAfterDone = {2, 23};
    });
    UpgradeClock = [] { return QDateTime(QDate(2025, 6, 7), QTime(8, 0, 0)); };
  }
  ~RunPage() override {
    UpgradeClock = nullptr;
    window->Link.Client.CloseAll();
    if (savedAddress.isNull())
      qunsetenv("QORVANE_WIFI_ADDR");
    else
      qputenv("QORVANE_WIFI_ADDR", savedAddress);
  }

  // Firmware mode on the path's link.
  void EnterFirmwareMode(Path path) {
    // A version-2 bootloader: the device is programmed on its own.
    if (path == Path::SerialHexOneByOne) boot.Configure(1, [](sim::BootDevice& d) { d.bootVersion = 2; });
    if (path == Path::TcpHex) {
      const int port = sim.ListenTcp();
      ASSERT_GT(port, 0);
      qputenv("QORVANE_WIFI_ADDR", QByteArray("127.0.0.1:") + QByteArray::number(port));
      w().Link.LinkMode = LinkTcp;
    }
    FirmwareWindow::EnterFirmwareMode();
  }
  // The path's image chosen in the file dialog.
  void LoadImage(Path path) {
    if (path == Path::SerialBin)
      boot.Configure(1, [](sim::BootDevice& d) { d.sum = sim::BootDevice::Sum::BinChain; });
    dialogs.files = {path == Path::SerialBin ? File("image.BIN", BinImage()) : File("image.hex", HexImage())};
    polltest::ControlAs<QPushButton>(w(), "Btn_LoadHEX").click();
  }

  std::vector<LogLine> ViewLines() {
    const QString html = polltest::ControlAs<LogView>(w(), "List_UpgradeEvent").document()->toHtml();
    QTextDocument doc;
    doc.setHtml(html);
    return ColouredLines(doc);
  }
};

struct FailedRun : RunPage, ::testing::WithParamInterface<Case> {};

QStringList Texts(const std::vector<LogLine>& lines) {
  QStringList out;
  for (const LogLine& l : lines) out << l.text;
  return out;
}

TEST_P(FailedRun, EndsFailedAndSaysSoLastInRed) {
  const Case c = GetParam();
  const bool fails = static_cast<bool>(c.fault->set);
  EnterFirmwareMode(c.path);
  LoadImage(c.path);
  ASSERT_TRUE(Start().isEnabled()) << dialogs.messages.join('|').toStdString();
  if (c.path == Path::SerialHex || c.path == Path::SerialHexOneByOne) ASSERT_EQ(tool.Selected[1], 1);
  if (fails) boot.Configure(1, [&](sim::BootDevice& d) { c.fault->set(d, c.path); });
  sim.ClearFrames();
  dialogs.modals.clear();

  Start().click();

  const std::vector<LogLine> lines = ViewLines();
  const QStringList texts = Texts(lines);
  SCOPED_TRACE(texts.join('\n').toStdString());
  const sim::BootDevice device = boot.Snapshot(1);
  EXPECT_EQ(device.done, !fails || c.fault->reachesDone) << "the device reached its done step";

  // The run's own lines end before the time lines a HEX run writes.
  std::vector<LogLine> run = lines;
  while (!run.empty() && (run.back().text.startsWith("End Time: ") || run.back().text.startsWith("Total Time: ") ||
                          run.back().text.isEmpty()))
    run.pop_back();
  ASSERT_FALSE(run.empty());
  const bool hex = c.path != Path::SerialBin;
  if (fails) {
    EXPECT_TRUE(run.back().red) << run.back().text.toStdString();
    EXPECT_TRUE(run.back().text == "Procedure Fail" || run.back().text == "Procedure Stop")
        << run.back().text.toStdString();
    // Only the result window of a failure, and none for a BIN run.
    EXPECT_EQ(dialogs.modals, hex ? QStringList{"Form_Message"} : QStringList());
    if (hex) {
      EXPECT_EQ(Form_Message->Label1->text(), "Failed");
      EXPECT_NE(Form_Message->Label2->text(), "COMPLETED");
    }
  } else {
    // (A reply late on a busy machine may cost a step a red try, not the run.)
    EXPECT_FALSE(run.back().red) << run.back().text.toStdString();
    EXPECT_FALSE(texts.contains("Procedure Fail"));
    EXPECT_FALSE(texts.contains("Procedure Stop"));
    EXPECT_EQ(dialogs.modals, hex ? QStringList{"Form_Message"} : QStringList());
    if (hex) EXPECT_EQ(Form_Message->Label2->text(), "COMPLETED");
  }
  EXPECT_TRUE(texts.filter("COMPLETED").isEmpty());

  // "Done" only for a device that got there, and no done step announced
  // when no done request went out.
  int doneRequests = 0;
  for (const sim::SimFrame& f : sim.Frames())
    doneRequests += f.protocol == "boot" && static_cast<std::uint8_t>(f.bytes[5]) == 0x14;
  EXPECT_EQ(texts.filter(": Done - Bank = ").isEmpty(), !device.done);
  if (doneRequests == 0) {
    EXPECT_FALSE(texts.contains("Step7 - Done"));
    EXPECT_FALSE(texts.contains("7. Done"));
  }

  // A HEX run keeps the whole log view in its file; a BIN run writes none.
  const QString logFile = home.dir.path() + "/UpgradeLog/Log20250607_1.txt";
  if (hex) {
    QFile file(logFile);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QTextDocument doc;
    doc.setHtml(QString::fromUtf8(file.readAll()));
    const std::vector<LogLine> saved = ColouredLines(doc);
    EXPECT_EQ(Texts(saved), texts);
    ASSERT_EQ(saved.size(), lines.size());
    for (size_t i = 0; i < saved.size(); ++i) EXPECT_EQ(saved[i].red, lines[i].red) << i;
  } else {
    EXPECT_FALSE(QFileInfo::exists(logFile));
  }
}

INSTANTIATE_TEST_SUITE_P(AllWays, FailedRun, ::testing::ValuesIn(AllCases()), CaseName);

// A device whose bootloader reports a version no procedure handles (0 or 1)
// cannot be programmed: the run fails and says in red which device reported
// which version, and no procedure frame goes out. Version 1 here is a device
// left in its bootloader that already reports the image's software version,
// which the version check alone would take as done.
struct UnhandledBootloader : RunPage, ::testing::WithParamInterface<int> {};

TEST_P(UnhandledBootloader, FailsTheRunWithoutAFrameToTheDevice) {
  const int version = GetParam();
  boot.Configure(1, [version](sim::BootDevice& d) {
    d.bootVersion = version;
    if (version == 1) {
      d.normalMode = false;
      d.sw[2] = {2, 23};
    }
  });
  EnterFirmwareMode(Path::SerialHex);
  LoadImage(Path::SerialHex);
  ASSERT_TRUE(Start().isEnabled()) << dialogs.messages.join('|').toStdString();
  ASSERT_EQ(tool.BootVersion[1], version);
  ASSERT_EQ(tool.Selected[1], 1);
  sim.ClearFrames();
  dialogs.modals.clear();

  Start().click();

  const std::vector<LogLine> lines = ViewLines();
  SCOPED_TRACE(Texts(lines).join('\n').toStdString());
  const QString reason = QStringLiteral("   ID1: Bootloader Version %1 Not Supported").arg(version);
  EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const LogLine& l) { return l.red && l.text == reason; }));
  EXPECT_EQ(dialogs.modals, QStringList{"Form_Message"});
  EXPECT_EQ(Form_Message->Label1->text(), "Failed");
  for (const sim::SimFrame& f : sim.Frames()) EXPECT_NE(f.protocol, "boot") << sim::HexText(f.bytes).toStdString();
  EXPECT_FALSE(boot.Snapshot(1).mode1);
}

INSTANTIATE_TEST_SUITE_P(Versions, UnhandledBootloader, ::testing::Values(0, 1));

// A HEX load selected inverter 2 (broadcast bootloader, older software);
// the BIN image that follows is for bus ID 1 alone: its load drops that
// selection and its run addresses no one but ID 1.
TEST_F(RunPage, BinImageProgramsIdOneOnlyAfterAHexLoadSelectedAnother) {
  sim.AddSlave(2);
  sim.SetProductId(2, kProductId);
  boot.Configure(2, [](sim::BootDevice& d) {
    d.hw[2] = {1, 5};
    d.sw[2] = {2, 10};
  });
  boot.Configure(1, [](sim::BootDevice& d) { d.sw[2] = {2, 23}; });  // up to date
  w().Ctl<QLineEdit>("Edit_EndID")->setText("2");
  EnterFirmwareMode(Path::SerialHex);
  LoadImage(Path::SerialHex);
  ASSERT_EQ(tool.Selected[2], 1);
  ASSERT_EQ(tool.Selected[1], 0);

  LoadImage(Path::SerialBin);
  EXPECT_EQ(tool.Selected[2], 0);
  ASSERT_TRUE(Start().isEnabled());
  sim.ClearFrames();
  Start().click();

  EXPECT_TRUE(boot.Snapshot(1).done);
  int toOne = 0;
  for (const sim::SimFrame& f : sim.Frames()) {
    if (f.protocol != "boot") continue;
    const int address = static_cast<std::uint8_t>(f.bytes[0]) | static_cast<std::uint8_t>(f.bytes[1]) << 8;
    EXPECT_TRUE(address == 1 || address == sim::kBootBroadcastId) << sim::HexText(f.bytes).toStdString();
    toOne += address == 1;
  }
  EXPECT_GT(toOne, 0);
  const sim::BootDevice other = boot.Snapshot(2);
  EXPECT_FALSE(other.mode1);
  EXPECT_TRUE(other.blocks.empty());
  EXPECT_EQ(other.bankCloses, 0);
  EXPECT_FALSE(other.done);
}

}  // namespace
