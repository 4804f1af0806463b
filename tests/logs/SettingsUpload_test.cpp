#include <gtest/gtest.h>

#include <QScopeGuard>

#include "logs/LogFixture.h"
#include "logs/SettingsUpload.h"

using logtest::LogTest;
using logtest::Read;
using logtest::Write;

namespace {

struct SettingsUpload : LogTest {
  QString file;
  void SetUp() override {
    t.sim.AddSlave(2);
    ListInverters({1, 2});
    file = Home() + "/upload.csv";
  }
  void Choose(const QByteArray& bytes) {
    Put("upload.csv", bytes);
    t.dialogs.files.push_back(file);
  }
};

}  // namespace

// Equal values are only read; others are written and read back; a line far
// longer than any read buffer is one line; the first value an inverter turns
// away names the setting and the file and ends the upload.
TEST_F(SettingsUpload, WritesSkipsAndReportsTheRefusedValue) {
  for (int id : {1, 2}) {
    t.sim.SetHolding(id, 1024, 5000);
    t.sim.SetHolding(id, 1025, 3000);
  }
  t.sim.SetHolding(2, 1027, 0x0004);  // bit 2 already set on the second
  t.sim.SetHolding(1, 1028, 10);
  t.sim.SetRefused(1, 1028);
  const QByteArray tail(300, 'x');
  Choose("Name,Address,Value\r\n"
         "Pac_Limit,1024,5000\r\n"
         "Freq,1025,4000\r\n"
         "Long,1026,7," + tail + ",9,1029,1\r\n"
         "Bit,1027,b32772\r\n"
         "P\xE9nalit\xE9,1028,9999\r\n"
         "After,1029,1\r\n");
  w.Link.SlaveId = 2;
  EXPECT_EQ(Run(421), 0);

  EXPECT_EQ(t.Frames(), (std::vector<QString>{
                            Read(1, 3, 1024, 1), Read(2, 3, 1024, 1),
                            Read(1, 3, 1025, 1), Write(1, 1025, 4000), Read(1, 3, 1025, 1),
                            Read(2, 3, 1025, 1), Write(2, 1025, 4000), Read(2, 3, 1025, 1),
                            Read(1, 3, 1026, 1), Write(1, 1026, 7), Read(1, 3, 1026, 1),
                            Read(2, 3, 1026, 1), Write(2, 1026, 7), Read(2, 3, 1026, 1),
                            Read(1, 3, 1027, 1), Write(1, 1027, 32772), Read(1, 3, 1027, 1),
                            Read(2, 3, 1027, 1),
                            Read(1, 3, 1028, 1), Write(1, 1028, 9999), Read(1, 3, 1028, 1),
                        }));
  EXPECT_EQ(t.sim.Holding(2, 1025), 4000);
  EXPECT_EQ(t.sim.Holding(1, 1028), 10);
  EXPECT_EQ(t.sim.Holding(1, 1029), 0);
  EXPECT_EQ(t.dialogs.messages,
            QStringList{QStringLiteral("Value of “Pénalité” is illegal , Please check upload excel file at “") + file +
                        QStringLiteral("”, follow the setting range to correct the value.")});
  EXPECT_EQ(w.Link.SlaveId, 2);
  EXPECT_EQ(w.Link.CmdCode, 0);
}

TEST_F(SettingsUpload, DoneOnlyWhenEveryLineWasWorkedThrough) {
  // Every line taken: "Done".
  Choose("Pac_Limit,1024,0\r\n");
  EXPECT_EQ(Run(421), 0);
  EXPECT_EQ(t.dialogs.messages, QStringList{"Done"});

  // The last register is 65536 (0xFFFF on the wire); a number past it or
  // below 1 names no register and its line is passed over.
  t.dialogs.messages.clear();
  for (int id : {1, 2}) t.sim.SetHolding(id, 65536, 7);
  Choose("Zero,0,1\r\nLast,65536,7\r\nPast,65537,1\r\n");
  t.sim.ClearFrames();
  EXPECT_EQ(Run(421), 0);
  EXPECT_EQ(t.Frames(), (std::vector<QString>{Read(1, 3, 65536, 1), Read(2, 3, 65536, 1)}));
  EXPECT_EQ(t.dialogs.messages, QStringList{"Done"});

  // A read answered by an exception is no value to compare: reported, no
  // write, the upload ends there.
  t.dialogs.messages.clear();
  t.sim.SetStrict(1, true);
  Choose("Pac_Limit,1024,5000\r\nNext,1025,1\r\n");
  EXPECT_EQ(Run(421), 0);
  EXPECT_EQ(t.Frames(), std::vector<QString>{Read(1, 3, 1024, 1)});
  EXPECT_EQ(t.dialogs.messages, QStringList{"Error-Read Address(1024) - ID1"});

  // A file that cannot be read: the failure, not "Done".
  t.dialogs.messages.clear();
  t.dialogs.files.push_back(Home() + "/missing.csv");
  EXPECT_EQ(Run(421), 0);
  EXPECT_EQ(t.dialogs.messages, QStringList{"Cannot open " + Home() + "/missing.csv"});

  // Cancelled dialog: nothing sent, nothing said.
  t.dialogs.messages.clear();
  EXPECT_EQ(Run(421), 0);
  EXPECT_TRUE(t.Frames().empty());
  EXPECT_TRUE(t.dialogs.messages.isEmpty());
}

// Over the Wi-Fi link, a read reply the device sends twice (both copies in
// one piece) answers no later read: each register is judged by its own
// value, and the one that differs is written. The module's one inverter
// (255) is written, not the inverter listed from another link.
TEST_F(SettingsUpload, OverWifiARepeatedReplyAnswersNoLaterRead) {
  const QByteArray savedAddr = qgetenv("QORVANE_WIFI_ADDR");
  const auto restore = qScopeGuard([&] {
    w.Link.Client.CloseAll();
    if (savedAddr.isNull())
      qunsetenv("QORVANE_WIFI_ADDR");
    else
      qputenv("QORVANE_WIFI_ADDR", savedAddr);
  });
  const int port = t.sim.ListenTcp();
  ASSERT_GT(port, 0);
  qputenv("QORVANE_WIFI_ADDR", QByteArray("127.0.0.1:") + QByteArray::number(port));
  w.Link.LinkMode = LinkTcp;
  w.Link.Client.CloseAll();
  ListInverters({1});
  t.sim.AddSlave(255);
  t.sim.SetHolding(255, 1024, 5000);
  t.sim.SetHolding(255, 1025, 3000);
  t.sim.SetHolding(255, 1026, 7);
  t.sim.QueueFault(sim::ReplyFault::Repeat(0));
  Choose("Pac_Limit,1024,5000\r\nFreq,1025,5000\r\nLast,1026,7\r\n");
  EXPECT_EQ(Run(421), 0);

  EXPECT_EQ(t.Frames(), (std::vector<QString>{Read(255, 3, 1024, 1), Read(255, 3, 1025, 1), Write(255, 1025, 5000),
                                              Read(255, 3, 1025, 1), Read(255, 3, 1026, 1)}));
  EXPECT_EQ(t.sim.Holding(255, 1025), 5000);
  EXPECT_EQ(t.sim.Holding(1, 1025), 0);
  EXPECT_EQ(t.dialogs.messages, QStringList{"Done"});
}

// A value field is used only when it reads whole as a number from -32768
// to 65535; any other line writes nothing on any inverter, the rest of the
// file goes on, and the lines left out are named at the end instead of "Done".
TEST_F(SettingsUpload, ValuesNoRegisterCanHoldAreLeftOutAndNamed) {
  for (int id : {1, 2}) {
    t.sim.SetHolding(id, 1024, 2300);
    t.sim.SetHolding(id, 1026, 1);
    t.sim.SetHolding(id, 1027, 5);
  }
  Choose("Name,Address,Value\r\n"
         "Good,1025,7\r\n"
         "TooBig,1024,70000\r\n"
         "NotANumber,1026,abc\r\n"
         "AlsoGood,1028,9\r\n"
         "Half,1026,1.5\r\n"
         "Low,1024,-32769\r\n"
         "Empty,1026,\r\n"
         "Tail,1026,12abc\r\n"
         "Over,1026,0x10000\r\n"
         "BitOver,1027,b70000\r\n"
         "Lowest,1029,-32768\r\n"
         "Highest,1030,$FFFF\r\n"
         "Short,1024\r\n");
  EXPECT_EQ(Click("Image_OpenGridSet"), 0);

  std::vector<QString> expected;
  for (const auto& [reg, value] : std::vector<std::pair<int, int>>{{1025, 7}, {1028, 9}, {1029, 32768}, {1030, 65535}})
    for (int id : {1, 2}) expected.insert(expected.end(), {Read(id, 3, reg, 1), Write(id, reg, value), Read(id, 3, reg, 1)});
  EXPECT_EQ(t.Frames(), expected);
  for (int id : {1, 2}) {
    EXPECT_EQ(t.sim.Holding(id, 1024), 2300) << id;
    EXPECT_EQ(t.sim.Holding(id, 1026), 1) << id;
    EXPECT_EQ(t.sim.Holding(id, 1027), 5) << id;
    EXPECT_EQ(t.sim.Holding(id, 1029), 32768) << id;
  }
  EXPECT_EQ(t.dialogs.messages,
            QStringList{"8 lines left out, value not a whole number from -32768 to 65535: TooBig (line 3), "
                        "NotANumber (line 4), Half (line 6), Low (line 7), Empty (line 8) and 3 more"});
}

// One line left out is named alone; a value an inverter refuses still stops
// the upload with its own message.
TEST_F(SettingsUpload, OneLineLeftOutAndARefusedValueAfterIt) {
  t.sim.SetHolding(1, 1026, 1);
  Choose("Only,1026,1.5\r\n");
  EXPECT_EQ(Click("Image_OpenGridSet"), 0);
  EXPECT_TRUE(t.Frames().empty());
  EXPECT_EQ(t.dialogs.messages,
            QStringList{"1 line left out, value not a whole number from -32768 to 65535: Only (line 1)"});

  t.dialogs.messages.clear();
  t.sim.SetRefused(1, 1028);
  Choose("NotANumber,1026,abc\r\nRefused,1028,9999\r\nAfter,1029,1\r\n");
  EXPECT_EQ(Click("Image_OpenGridSet"), 0);
  EXPECT_EQ(t.Frames(), (std::vector<QString>{Read(1, 3, 1028, 1), Write(1, 1028, 9999), Read(1, 3, 1028, 1)}));
  EXPECT_EQ(t.sim.Holding(1, 1026), 1);
  EXPECT_EQ(t.dialogs.messages,
            QStringList{QStringLiteral("Value of “Refused” is illegal , Please check upload excel file at “") + file +
                        QStringLiteral("”, follow the setting range to correct the value.")});
}
