#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QRadioButton>
#include <vector>

#include "app/SharedTables.h"
#include "app/main.h"
#include "link/CommandCodes.h"
#include "link/Modbus.h"
#include "link/PollingLoop.h"
#include "platform/ValueLabel.h"
#include "profiles/Designmode.h"
#include "settings/CountryView.h"
#include "support/PollFixture.h"
#include "support/QtPrinters.h"
#include "support/SettingsFixture.h"

using polltest::Colour;
using polltest::ControlAs;
using polltest::Text;
using settingstest::ReadHolding;
using settingstest::WriteHolding;

namespace {

constexpr int kSecondListProduct = 71836405;
constexpr const char* kLabels[] = {"Label_Country", "Label_LanguageSelect", "Label_ReclosureSet",
                                   "Label_InverterID", "Label_Baudrate"};

const std::vector<QString> kFiveReads = {ReadHolding(797, 1), ReadHolding(48162, 1), ReadHolding(48154, 1),
                                         ReadHolding(48163, 1), ReadHolding(33821, 1)};

QStringList Items(TForm_Main& w, const char* combo) {
  QStringList out;
  auto& c = ControlAs<QComboBox>(w, combo);
  for (int i = 0; i < c.count(); ++i) out << c.itemText(i);
  return out;
}

struct Country : polltest::ViewTest {
  void SetUp() override {
    t.ShowPanel("Group_Country");
    // No profile list: the built-in lists, chosen by the product ID.
    w.LoadedCountryNames[0] = "NONE";
    UseProduct(12345);
    t.sim.SetHolding(1, 797, 7);
    t.sim.SetHolding(1, 48162, 1);
    t.sim.SetHolding(1, 48154, 300);
    t.sim.SetHolding(1, 48163, 1);
    t.sim.SetHolding(1, 33821, 2);
  }
  // As a profile that offers the inverter's language shows its row.
  void ShowLanguageRow() {
    for (const char* name : {"Label_ShowLang", "Label_LanguageSelect", "Combo_LanguageSelect"})
      w.Control(name)->setVisible(true);
  }
  // What the ID scan records for the current inverter, and the combo filled
  // for it as a scan or a profile change fills it.
  void UseProduct(int productId) {
    w.Link.IdProductId[1] = productId;
    w.CountryListInit();
  }
  // A profile's country list file, line by line, loaded and offered as a
  // profile change does.
  void LoadList(std::initializer_list<const char*> lines) {
    const QString folder = t.home.dir.filePath("Site");
    ASSERT_TRUE(QDir().mkpath(folder));
    QFile file(folder + "/CountryList.KXL");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    for (const char* line : lines) file.write(QByteArray(line) + "\r\n");
    file.close();
    LoadCountryList(w, folder);
    ASSERT_NE(w.LoadedCountryNames[0], "NONE");
    w.CountryListInit();
  }
  void Poll() {
    t.sim.ClearFrames();
    ASSERT_EQ(PollCountry(&w.Link, 0), 0);
  }
};

TEST(CountryPollOrder, AfterTheWarningsBeforeTheEventLog) {
  const auto rows = PollOrder();
  size_t i = 0;
  while (i < rows.size() && rows[i].item != PollCountry) ++i;
  ASSERT_LT(i + 1, rows.size());
  EXPECT_EQ(rows[i].order, 21);
  EXPECT_EQ(rows[i - 1].order, 20);
  EXPECT_EQ(rows[i + 1].order, 22);
  EXPECT_EQ(rows[i].runs, nullptr);
}

TEST_F(Country, GatesStopAndLinkFailure) {
  polltest::ExpectGatesStopAndLinkFailure(t, {{PollCountry, "Group_Country"}});
}

TEST_F(Country, ControlsAsDeclared) {
  for (const char* name : kLabels) EXPECT_EQ(Text(w, name), "???") << name;
  EXPECT_EQ(Text(w, "Label44"), "Country");
  EXPECT_EQ(Text(w, "Label53"), "Reclosure Time");
  EXPECT_EQ(Text(w, "Label_ShowLang"), "Language");
  EXPECT_EQ(Text(w, "Label687"), "Inverter ID");
  EXPECT_EQ(Text(w, "Label478"), "RS485 Baud rate");
  EXPECT_EQ(Items(w, "Combo_LanguageSelect"),
            (QStringList{"English", "German", "French", "Italian", "Spanish", "Nederlands"}));
  EXPECT_EQ(Items(w, "Combo_Baudrate"), (QStringList{"9600", "19200", "38400"}));
  EXPECT_EQ(ControlAs<QComboBox>(w, "Combo_Country").toolTip(),
            "When changing country setting, previously made settings will automatically return to default values.");
  // Every control lies inside the panel, below its title bar.
  GroupPanel* panel = w.Panel("Group_Country");
  for (QWidget* c : panel->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (c == panel->TitleLabel()) continue;
    const QRect room(0, 32, panel->width(), panel->Tag() - 32);
    EXPECT_TRUE(room.contains(c->geometry())) << c->objectName().toStdString();
  }
  // The language row waits for a profile that offers it.
  for (const char* name : {"Label_ShowLang", "Label_LanguageSelect", "Combo_LanguageSelect"})
    EXPECT_TRUE(w.Control(name)->isHidden()) << name;
}

TEST_F(Country, ReadBackShowsEveryValueBlue) {
  for (const char* name : kLabels) polltest::Paint(w, name, "x", clRed);
  Poll();
  EXPECT_EQ(t.Frames(), kFiveReads);
  EXPECT_EQ(w.StatusText(2), "Country...");
  const std::vector<QString> expected = {"Greece", "German", "3.00 sec", "1", "9600"};
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(Text(w, kLabels[i]), expected[i]) << kLabels[i];
    EXPECT_EQ(Colour(w, kLabels[i]), clBlue) << kLabels[i];
  }
}

// The grid code's name by the list in use: the built-in list chosen by the
// current inverter's product ID, or the profile's list. Codes above 255 count
// as 0; a code beyond a built-in list's 100 entries shows the empty text, as
// a code the list leaves unnamed does.
TEST_F(Country, GridCodeNameFromTheListInUse) {
  struct Case {
    int product;
    int code;
    const char* name;
  };
  const Case builtIn[] = {
      {12345, 7, "Greece"},           {12345, 0, "Default"},    {12345, 42, "Namibia"},
      {12345, 300, "Default"},        {12345, 256, "Default"},  {12345, 6, ""},
      {12345, 99, ""},                {12345, 100, ""},         {12345, 150, ""},
      {12345, 255, ""},               {71859342, 14, "AU/NZ"},  {kSecondListProduct, 28, "Germany LV"},
      {kSecondListProduct, 1, "Custom"}, {kSecondListProduct, 7, ""}, {kSecondListProduct, 300, ""},
      {kSecondListProduct, 200, ""},
  };
  for (const Case& c : builtIn) {
    UseProduct(c.product);
    t.sim.SetHolding(1, 797, static_cast<uint16_t>(c.code));
    polltest::Paint(w, "Label_Country", "before", clRed);
    Poll();
    EXPECT_EQ(Text(w, "Label_Country"), c.name) << c.product << " " << c.code;
    EXPECT_EQ(Colour(w, "Label_Country"), clBlue) << c.product << " " << c.code;
  }

  LoadList({"Alpha", "", "Beta"});
  const Case loaded[] = {{12345, 2, "Beta"}, {12345, 1, ""}, {12345, 300, "Alpha"}, {12345, 255, ""},
                         {kSecondListProduct, 2, "Beta"}};
  for (const Case& c : loaded) {
    UseProduct(c.product);
    t.sim.SetHolding(1, 797, static_cast<uint16_t>(c.code));
    Poll();
    EXPECT_EQ(Text(w, "Label_Country"), c.name) << "loaded " << c.code;
  }
}

TEST_F(Country, LanguageAndBaudCodes) {
  struct Case {
    uint16_t word;
    const char* text;
  };
  const Case languages[] = {{0, "English"}, {1, "German"},  {2, "French"},     {3, "Italian"},
                            {4, "Spanish"}, {5, "Nederlands"}, {6, ""}, {0xFFFF, ""}};
  for (const Case& c : languages) {
    t.sim.SetHolding(1, 48162, c.word);
    polltest::Paint(w, "Label_LanguageSelect", "before", clRed);
    Poll();
    EXPECT_EQ(Text(w, "Label_LanguageSelect"), c.text) << c.word;
    EXPECT_EQ(Colour(w, "Label_LanguageSelect"), clBlue) << c.word;
  }
  // An unknown speed code keeps the text but turns it blue.
  const Case bauds[] = {{0, "2400"}, {1, "4800"}, {2, "9600"}, {3, "19200"}, {4, "38400"},
                        {7, "before"}, {0xFFFF, "before"}};
  for (const Case& c : bauds) {
    t.sim.SetHolding(1, 33821, c.word);
    polltest::Paint(w, "Label_Baudrate", "before", clRed);
    Poll();
    EXPECT_EQ(Text(w, "Label_Baudrate"), c.text) << c.word;
    EXPECT_EQ(Colour(w, "Label_Baudrate"), clBlue) << c.word;
  }
}

// An unusable reply leaves its own label as it was and the view goes on;
// only the last one ends the view, which is then done anyway.
TEST_F(Country, InvalidReplySkipsOnlyItsStep) {
  for (int bad = 0; bad < 5; ++bad) {
    for (const char* name : kLabels) polltest::Paint(w, name, "x", clRed);
    for (int k = 0; k < 5; ++k)
      t.sim.QueueFault(k == bad ? sim::ReplyFault::Exception(2) : sim::ReplyFault{});
    Poll();
    EXPECT_EQ(t.Frames(), kFiveReads);
    for (int k = 0; k < 5; ++k) {
      EXPECT_EQ(Text(w, kLabels[k]) == "x", k == bad) << bad << " " << kLabels[k];
      EXPECT_EQ(Colour(w, kLabels[k]), k == bad ? clRed : clBlue) << bad << " " << kLabels[k];
    }
  }
}

// Every editor of the group: the chosen item or typed text, the register and
// value written, the label painted red.
TEST_F(Country, EveryEditorWritesItsRegister) {
  ShowLanguageRow();
  settingstest::ExpectEditorWrites(t, {
      {"Combo_Country", "Greece", 797, 7, "Label_Country"},  // item 6
      {"Combo_Country", "Default", 797, 0, "Label_Country"},
      {"Combo_Country", "England", 797, 11, "Label_Country"},
      {"Combo_Country", "Namibia", 797, 42, "Label_Country"},
      {"Edit_ReclosureSet", "3.5", 48154, 350, "Label_ReclosureSet"},
      {"Edit_ReclosureSet", "0.29", 48154, 29, "Label_ReclosureSet"},
      {"Edit_ReclosureSet", "600", 48154, 60000, "Label_ReclosureSet"},
      {"Combo_LanguageSelect", "English", 48162, 0, "Label_LanguageSelect"},
      {"Combo_LanguageSelect", "French", 48162, 2, "Label_LanguageSelect"},
      {"Combo_LanguageSelect", "Nederlands", 48162, 5, "Label_LanguageSelect"},
      {"Edit_InverterID", "5", 48163, 5, "Label_InverterID", CmdWriteRegisterCurrent},
      {"Edit_InverterID", "1", 48163, 1, "Label_InverterID", CmdWriteRegisterCurrent},
      {"Edit_InverterID", "254", 48163, 254, "Label_InverterID", CmdWriteRegisterCurrent},
      {"Edit_InverterID", "0x20", 48163, 32, "Label_InverterID", CmdWriteRegisterCurrent},
      {"Combo_Baudrate", "9600", 33821, 2, "Label_Baudrate"},
      {"Combo_Baudrate", "19200", 33821, 3, "Label_Baudrate"},
      {"Combo_Baudrate", "38400", 33821, 4, "Label_Baudrate"},
  });
  EXPECT_EQ(Items(w, "Combo_Country")[6], "Greece");
}

// An inverter ID is a bus address: 0 is the broadcast address and 255 is
// none; empty or non-numeric text is no ID.
TEST_F(Country, InverterIdOutsideOneTo254IsRefused) {
  settingstest::ExpectRefused(t, {{"Edit_InverterID", "0", "Label_InverterID"},
                                  {"Edit_InverterID", "255", "Label_InverterID"},
                                  {"Edit_InverterID", "-1", "Label_InverterID"},
                                  {"Edit_InverterID", "65537", "Label_InverterID"},
                                  {"Edit_InverterID", "", "Label_InverterID"},
                                  {"Edit_InverterID", "2.5", "Label_InverterID"},
                                  {"Edit_ReclosureSet", "abc", "Label_ReclosureSet"},
                                  {"Edit_ReclosureSet", "", "Label_ReclosureSet"}});
  ASSERT_GE(t.dialogs.messages.size(), 4);
  EXPECT_EQ(t.dialogs.messages[0], "ID Range 1~254");
  EXPECT_EQ(t.dialogs.messages[3], "ID Range 1~254");
}

// With Broadcast chosen, ordinary writes reach every listed inverter, but a
// new bus ID goes to the current inverter alone: two inverters must never be
// given the same address.
TEST_F(Country, InverterIdIsNeverBroadcast) {
  t.sim.AddSlave(2);
  w.InverterList.Count = 2;
  w.InverterList.Ids[0] = 1;
  w.InverterList.Ids[1] = 2;
  w.InverterList.BaudIndex[0] = w.InverterList.BaudIndex[1] = 1;
  w.Link.IdBaudIndex[1] = w.Link.IdBaudIndex[2] = 1;
  ControlAs<QRadioButton>(w, "Radio_CmdBroadcast").setChecked(true);

  settingstest::Commit(w, "Edit_ReclosureSet", "2");
  t.sim.ClearFrames();
  ASSERT_EQ(w.ExecutePendingCommand(), 0);
  EXPECT_EQ(t.Frames().size(), 2u);  // both inverters
  EXPECT_EQ(t.sim.Holding(2, 48154), 200);

  settingstest::Commit(w, "Edit_InverterID", "9");
  t.sim.ClearFrames();
  ASSERT_EQ(w.ExecutePendingCommand(), 0);
  EXPECT_EQ(t.Frames(), std::vector<QString>{WriteHolding(48163, 9)});
  EXPECT_EQ(t.sim.Holding(1, 48163), 9);
  EXPECT_EQ(t.sim.Holding(2, 48163), 0);
  EXPECT_EQ(w.Link.SlaveId, 1);

  // The current inverter is whichever the user picked, the second one too.
  w.Link.SlaveId = 2;
  settingstest::Commit(w, "Edit_InverterID", "12");
  t.sim.ClearFrames();
  ASSERT_EQ(w.ExecutePendingCommand(), 0);
  EXPECT_EQ(t.Frames(), std::vector<QString>{polltest::Rtu({2, 6, 0xBC, 0x22, 0, 12})});
  EXPECT_EQ(t.sim.Holding(2, 48163), 12);
  EXPECT_EQ(t.sim.Holding(1, 48163), 9);

  // The write lock holds for it as for every write.
  w.WriteLock = 1;
  settingstest::Commit(w, "Edit_InverterID", "20");
  t.sim.ClearFrames();
  ASSERT_EQ(w.ExecutePendingCommand(), 0);
  EXPECT_TRUE(t.Frames().empty());
  EXPECT_EQ(t.dialogs.messages.back(), "Lock: Permission denied");
}

// The combo offers the list in use and each item writes the code it names,
// which differs from the item's position once a list skips codes.
TEST_F(Country, ChoiceWritesTheCodeOfTheListInUse) {
  UseProduct(kSecondListProduct);
  EXPECT_EQ(Items(w, "Combo_Country"), (QStringList{"Custom", "Germany LV"}));
  settingstest::ExpectEditorWrites(t, {{"Combo_Country", "Germany LV", 797, 28, "Label_Country"},  // item 1
                                       {"Combo_Country", "Custom", 797, 1, "Label_Country"}});

  UseProduct(71859342);
  EXPECT_EQ(Items(w, "Combo_Country").size(), 32);
  settingstest::ExpectEditorWrites(t, {{"Combo_Country", "Greece", 797, 7, "Label_Country"}});

  // A profile list with an empty line 1: two items, the second writes 2 and
  // code 2 shows its name.
  LoadList({"Alpha", "", "Beta"});
  EXPECT_EQ(Items(w, "Combo_Country"), (QStringList{"Alpha", "Beta"}));
  settingstest::ExpectEditorWrites(t, {{"Combo_Country", "Beta", 797, 2, "Label_Country"},
                                       {"Combo_Country", "Alpha", 797, 0, "Label_Country"}});
  t.sim.SetHolding(1, 797, 2);
  Poll();
  EXPECT_EQ(Text(w, "Label_Country"), "Beta");

  // Whatever entries the combo passes over, each item writes the code of the
  // entry it shows.
  LoadList({"Alpha", "X", "", "Gamma", "Delta"});
  const QStringList items = Items(w, "Combo_Country");
  for (int k = 0; k < items.size(); ++k) {
    const std::optional<int> code = CountryCodeOfItem(w, k);
    ASSERT_TRUE(code) << k;
    EXPECT_EQ(w.LoadedCountryNames[size_t(*code)], items[k]) << k;
  }
  settingstest::ExpectEditorWrites(t, {{"Combo_Country", "Gamma", 797, 3, "Label_Country"},
                                       {"Combo_Country", "Delta", 797, 4, "Label_Country"}});
  EXPECT_FALSE(CountryCodeOfItem(w, items.size()));
  EXPECT_FALSE(CountryCodeOfItem(w, -1));
}

TEST_F(Country, WrittenThenReadBackBlue) {
  Poll();
  settingstest::Commit(w, "Edit_ReclosureSet", "3.5");
  settingstest::Commit(w, "Combo_Country", "AU/NZ");  // the mailbox keeps the second
  EXPECT_EQ(Colour(w, "Label_Country"), clRed);
  EXPECT_EQ(Colour(w, "Label_ReclosureSet"), clRed);

  Poll();  // a command waits: nothing is read
  EXPECT_TRUE(t.Frames().empty());

  ASSERT_EQ(w.ExecutePendingCommand(), 0);
  EXPECT_EQ(t.Frames(), std::vector<QString>{WriteHolding(797, 14)});
  w.Link.CmdCode = 0;
  Poll();
  EXPECT_EQ(Text(w, "Label_Country"), "AU/NZ");
  EXPECT_EQ(Colour(w, "Label_Country"), clBlue);
  EXPECT_EQ(Text(w, "Label_ReclosureSet"), "3.00 sec");  // never written
  EXPECT_EQ(Colour(w, "Label_ReclosureSet"), clBlue);

  settingstest::Commit(w, "Edit_InverterID", "7");
  ASSERT_EQ(w.ExecutePendingCommand(), 0);
  w.Link.CmdCode = 0;
  Poll();
  EXPECT_EQ(Text(w, "Label_InverterID"), "7");
  EXPECT_EQ(Colour(w, "Label_InverterID"), clBlue);
}

}  // namespace
