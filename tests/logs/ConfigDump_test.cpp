#include <gtest/gtest.h>

#include <QFile>

#include <set>

#include "app/Myfunc.h"
#include "logs/ConfigDump.h"
#include "logs/LogFixture.h"
#include "platform/ValueLabel.h"
#include "profiles/StarterFolder.h"
#include "settings/GainEditors.h"
#include "settings/ServiceCommands.h"
#include "settings/SettingEditors.h"
#include "monitor/UserPollView.h"
#include "support/QtPrinters.h"

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
  EXPECT_EQ(t.dialogs.messages, QStringList{"Error-No Config Model: " + Home() + "/profile/ConfigModel.csv"});
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

// A write that fails (a full disk) is reported, never followed by "Done",
// and the last complete file stays.
TEST_F(ConfigDump, AFullDiskIsReported) {
  Put("profile/ConfigModel.csv", "Pac,1024,W\r\n");
  Put("ConfigLog/Config_ID1.csv", "Pac,1024,1400\r\n");
  ListInverters({1});
  const QString name = Home() + "/ConfigLog/Config_ID1.csv";
  ASSERT_TRUE(QFile::link("/dev/full", ConfigLogPartName(name)));
  EXPECT_EQ(Run(420), 0);
  EXPECT_EQ(t.dialogs.messages, (QStringList{"Error - ID1", "Write Error - " + name}));
  EXPECT_EQ(Get("ConfigLog/Config_ID1.csv"), "Pac,1024,1400\r\n");
  EXPECT_FALSE(QFileInfo::exists(ConfigLogPartName(name)));
}

// A fresh program folder has a model of every setting the pages edit, one
// row per register, named so the model and upload files keep the name whole:
// its dump holds a value for each, and uploads again as it stands.
TEST_F(ConfigDump, AFreshProgramFolderDumpsEverySettingAndTheDumpUploadsAgain) {
  ASSERT_FALSE(FillEmptyProgramFolder().isEmpty());
  const QList<ConfigArch> model = ParseConfigModel(QString::fromLatin1(Get("profile/ConfigModel.csv")).split("\r\n"));
  // Value settings: not the calibration gains, the service commands or the
  // user's own poll lists, and no button (a command, not a setting).
  std::set<int> edited;
  for (std::span<const EditorDecl> table : SettingsEditorTables()) {
    if (table.data() == GainEditors().data() || table.data() == ServiceCommandEditors().data() ||
        table.data() == UserPollEditors().data())
      continue;
    for (const EditorDecl& row : table) {
      const int reg = row.where ? row.where(w).reg : row.reg;
      if (row.kind != EditorKind::Button && row.code == 6 && reg > 0) edited.insert(reg);
    }
  }
  std::set<int> listed;
  std::set<QString> names;
  for (const ConfigArch& row : model) {
    if (SafeStrToInt(row.Address) == 0) continue;  // the heading
    EXPECT_TRUE(listed.insert(SafeStrToInt(row.Address)).second) << "listed twice: " << row.Address.toStdString();
    EXPECT_TRUE(names.insert(row.Name).second) << "named twice: " << row.Name.toStdString();
    EXPECT_FALSE(row.Name.contains(' ') || row.Name.contains(',') || row.Name.isEmpty()) << row.Name.toStdString();
  }
  EXPECT_EQ(listed, edited);

  // Each register holds a value of its own, so every line is told apart.
  for (int reg : listed) t.sim.SetHolding(1, reg, reg & 0x7FFF);
  ListInverters({1});
  EXPECT_EQ(Run(420), 0);
  EXPECT_EQ(t.dialogs.messages, QStringList{"Done"});
  const QStringList dump = QString::fromLatin1(Get("ConfigLog/Config_ID1.csv")).split("\r\n", Qt::SkipEmptyParts);
  ASSERT_EQ(dump.size(), model.size());
  for (int i = 0; i < model.size(); ++i) {
    const int reg = SafeStrToInt(model[i].Address);
    if (reg == 0) continue;
    EXPECT_EQ(dump[i], model[i].Name + u',' + model[i].Address + u',' + QString::number(reg & 0x7FFF));
  }

  // Settings changed on the inverter since are put back from the dump.
  const std::vector<int> changed(listed.begin(), std::next(listed.begin(), 3));
  for (int reg : changed) t.sim.SetHolding(1, reg, 1);
  t.dialogs.messages.clear();
  t.dialogs.files.push_back(Home() + "/ConfigLog/Config_ID1.csv");
  EXPECT_EQ(Run(421), 0);
  EXPECT_EQ(t.dialogs.messages, QStringList{"Done"});
  for (int reg : listed) EXPECT_EQ(t.sim.Holding(1, reg), reg & 0x7FFF) << reg;
}

// The adapter pulled out partway through a dump: the last complete file of
// each inverter stays as it was, nothing half-written is left beside it, and
// the message gives the link's reason, not a file to close.
TEST_F(ConfigDump, ALinkLostMidwayKeepsTheLastCompleteFile) {
  Put("profile/ConfigModel.csv", "Pac,1024,W\r\nGrid,1025,V\r\nTop,65535,x\r\nLast,1027,y\r\n");
  const QByteArray earlier = "Pac,1024,1400\r\nGrid,1025,2300\r\nTop,65535,6\r\nLast,1027,1\r\n";
  Put("ConfigLog/Config_ID1.csv", earlier);
  ListInverters({1, 2});
  // Two reads answered, the third never: the line is gone from then on.
  t.sim.QueueFault({});
  t.sim.QueueFault({});
  t.sim.QueueFault(sim::ReplyFault::HangUp());
  EXPECT_EQ(Click("Image_SaveGridSet"), 0);

  EXPECT_EQ(t.Frames().size(), 3u);
  EXPECT_EQ(Get("ConfigLog/Config_ID1.csv"), earlier);
  EXPECT_EQ(QDir(Home() + "/ConfigLog").entryList(QDir::Files), QStringList{"Config_ID1.csv"});
  // The sweep ends with the link: the reason once, no "Done", ID2 not tried.
  const QString device = t.sim.PortPath() + ": ";
  ASSERT_EQ(t.dialogs.messages.size(), 2) << t.dialogs.messages.join(" | ").toStdString();
  EXPECT_EQ(t.dialogs.messages[0], "Error - ID1");
  const QString& why = t.dialogs.messages[1];
  EXPECT_TRUE(why.startsWith(device) && why.size() > device.size()) << why.toStdString();
}
