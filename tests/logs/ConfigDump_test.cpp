#include <gtest/gtest.h>

#include <QFile>

#include "logs/ConfigDump.h"
#include "logs/LogFixture.h"
#include "platform/ValueLabel.h"

using logtest::LogTest;

namespace {

struct ConfigDump : LogTest {
  void SetUp() override {
    // Only the registers set here answer; any other read gets exception 2.
    for (int id : {1, 2}) {
      t.sim.AddSlave(id);
      t.sim.SetStrict(id, true);
      t.sim.SetHolding(id, 1024, id == 1 ? 1500 : 1501);
      t.sim.SetHolding(id, 1025, 0xFFFF);
      t.sim.SetHolding(id, 1027, 0);
      t.sim.SetHolding(id, 65535, 7);
    }
  }
};

const QByteArray kModel =
    "Pac,1024,W\r\n"
    "\"Grid Voltage\",1025\r\n"
    "Serial,0,see label\r\n"
    "Note\r\n"
    "   \r\n"
    "Top,65535,x\r\n"
    "Over,65536,beyond\r\n"
    "Bad,1026,x\r\n"
    "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789,1027,\r\n"
    "Temp\xE9rature,abc,\"n/a\"";

QByteArray Expected(int pac) {
  return "Pac,1024," + QByteArray::number(pac) +
         "\r\n"
         "Grid Voltage,1025,65535\r\n"
         "Serial,0,see\r\n"
         "Note,,\r\n"
         "Top,65535,7\r\n"
         "Over,65536,beyond\r\n"
         "Bad,1026,Error\r\n"
         "ABCDEFGHIJKLMNOPQRSTUVWXYZ012,1027,0\r\n"
         "Temp\xE9rature,abc,n/a\r\n";
}

}  // namespace

// Every kind of model row, one register answered with an exception: the
// files hold exactly the lines of the rows, in the Windows conventions.
TEST_F(ConfigDump, EveryListedInverterGetsItsFile) {
  Put("profile/ConfigModel.csv", kModel);
  Put("ConfigLog/Config_ID2.csv", QByteArray(5000, 'z'));  // emptied, not appended to
  ListInverters({1, 2});
  w.Link.SlaveId = 2;
  EXPECT_EQ(Run(420), 0);
  EXPECT_EQ(Get("ConfigLog/Config_ID1.csv"), Expected(1500));
  EXPECT_EQ(Get("ConfigLog/Config_ID2.csv"), Expected(1501));
  EXPECT_EQ(t.dialogs.messages, (QStringList{"Error-Read Address(1026)", "Error-Read Address(1026)", "Done"}));
  EXPECT_EQ(w.Link.SlaveId, 2);
  EXPECT_EQ(w.Ctl<ValueLabel>("Label_GridSetLog")->fontColor(), clGreen);
  EXPECT_EQ(w.Link.CmdCode, 0);
}

TEST_F(ConfigDump, FailuresAreShownInsteadOfDone) {
  ListInverters({1, 2});
  // No model: said once, nothing written, no "Done".
  EXPECT_EQ(Run(420), 0);
  EXPECT_EQ(t.dialogs.messages, QStringList{"Error-No Config Model"});
  EXPECT_FALSE(QFile::exists(Home() + "/ConfigLog/Config_ID1.csv"));
  EXPECT_TRUE(t.sim.Frames().empty());

  // One file cannot be made: that inverter is named, the other still dumped.
  t.dialogs.messages.clear();
  Put("profile/ConfigModel.csv", "Pac,1024,W\r\n");
  QDir().mkpath(Home() + "/ConfigLog/Config_ID1.csv");
  EXPECT_EQ(Run(420), 0);
  EXPECT_EQ(t.dialogs.messages, (QStringList{"Error - ID1", "Please Close Config File"}));
  EXPECT_EQ(Get("ConfigLog/Config_ID2.csv"), "Pac,1024,1501\r\n");
}

// A write that fails (a full disk) is reported, never followed by "Done".
TEST_F(ConfigDump, AFullDiskIsReported) {
  Put("profile/ConfigModel.csv", "Pac,1024,W\r\n");
  ListInverters({1});
  QDir().mkpath(Home() + "/ConfigLog");
  const QString name = Home() + "/ConfigLog/Config_ID1.csv";
  ASSERT_TRUE(QFile::link("/dev/full", name));
  EXPECT_EQ(Run(420), 0);
  EXPECT_EQ(t.dialogs.messages, (QStringList{"Error - ID1", "Write Error - " + name}));
}
