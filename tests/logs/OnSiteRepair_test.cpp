#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <csignal>
#include <sys/resource.h>

#include "logs/LogFixture.h"
#include "logs/OnSiteRepair.h"

using logtest::LogTest;

namespace {

const QByteArray kHeader =
    "Tarvo P/N,1P/3P,S/N,Fault description 1,Fault description 2,Fault description 3,Fault description 4,"
    "Fault description 5,Out of Wanrranty(Y/N),Install date,Treatment,Site repaired detail,"
    "Treated date(YYYY/MM/DD),Warehourse location,Replaced Date(YYYY/MM/DD),Replaced SN,New unit(Y/N),"
    "DSP Ver.,Red Ver.,Comm Ver.,Country setting,Total Energy,Total Runtime,\r\n";

struct OnSiteRepair : LogTest {
  void SetCaption(const char* name, const QString& text) {
    auto* l = w.Ctl<QLabel>(QLatin1String(name));
    ASSERT_NE(l, nullptr) << name;
    l->setText(text);
  }
  void SetUp() override {
    w.PhaseCount = 3;
    SetCaption("Label_TarvoSN", "SN0001");
    SetCaption("Label_Event0", "Grid over voltage, phase 1");
    SetCaption("Label_Event1", "Température");
    SetCaption("Label_DSP_Rev", "V1.05");
    SetCaption("Label_TotalWh", "1234.5 kWh");
    SetCaption("Label_TotalRuntime", "100 h");
    polltest::SetInputs(t.sim, 1168, {2019, 5, 7});
  }
};

}  // namespace

// Two records: one header, two whole rows; the second inverter's date read
// answered with an exception leaves its date cell empty.
TEST_F(OnSiteRepair, TwoRecordsUnderOneHeader) {
  polltest::ControlAs<QPushButton>(w, "Btn_OnSiteRepair").click();
  EXPECT_EQ(w.Link.CmdCode, 440);
  EXPECT_EQ(w.ExecutePendingCommand(), 0);

  w.PhaseCount = 1;
  SetCaption("Label_TarvoSN", "SN0002");
  t.sim.QueueFault(sim::ReplyFault::Exception(2));
  EXPECT_EQ(Run(440), 0);

  EXPECT_EQ(Get("ConfigLog/OnSiteRepair.csv"),
            kHeader +
                " ,3P,SN0001,Grid over voltage, phase 1,Temp\xE9rature,??,??,??, ,2019/5/7, , , , , , , ,V1.05,"
                "V xx.xx,V xx.xx, ,1234.5 kWh,100 h\r\n"
                " ,1P,SN0002,Grid over voltage, phase 1,Temp\xE9rature,??,??,??, ,, , , , , , , ,V1.05,"
                "V xx.xx,V xx.xx, ,1234.5 kWh,100 h\r\n");
  EXPECT_EQ(t.dialogs.messages, (QStringList{"Done", "Done"}));
}

// The disk fills up in the middle of a row: the row is taken back, the
// earlier rows stay, and the failure is shown instead of "Done".
TEST_F(OnSiteRepair, AFullDiskLeavesEarlierRowsIntact) {
  EXPECT_EQ(Run(440), 0);
  const QByteArray before = Get("ConfigLog/OnSiteRepair.csv");

  rlimit old{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  auto* oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = old;
  small.rlim_cur = static_cast<rlim_t>(before.size() + 20);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  Run(440);
  setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldHandler);

  const QString name = Home() + "/ConfigLog/OnSiteRepair.csv";
  EXPECT_EQ(t.dialogs.messages, (QStringList{"Done", "Write Error - " + name}));
  EXPECT_EQ(Get("ConfigLog/OnSiteRepair.csv"), before);

  // A file that cannot be opened: the failure, not "Done".
  t.dialogs.messages.clear();
  QFile::remove(name);
  QDir().mkpath(name);
  Run(440);
  EXPECT_EQ(t.dialogs.messages, QStringList{"Cannot open " + name});
}
