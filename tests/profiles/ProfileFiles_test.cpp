#include <gtest/gtest.h>

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>

#include "app/ControlTable.h"
#include "app/GroupPanel.h"
#include "app/main.h"
#include "platform/IniFile.h"
#include "profiles/Designmode.h"
#include "support/FakeDialogs.h"
#include "tests/profiles/ProfileHome.h"

namespace {

// Stand-ins for the controls that the views declare: two temperature
// captions and the first and last poll rows of bank 0.
constexpr ControlDecl kViewRows[] = {
    {Kind::Label, "Label_TemperTitle11", 0, 0, 80, 16, "Ambient?"},
    {Kind::Label, "Label_TemperTitle21", 0, 20, 80, 16, "THS?"},
    {Kind::Label, "Label_TemperTitle24", 0, 40, 80, 16, "TAMB?"},
    {Kind::Edit, "Edit_PollAddr01", 0, 60, 80, 20, "1"},
    {Kind::Combo, "Combo_PollType01", 0, 80, 80, 20},
    {Kind::Combo, "Combo_PollType02", 0, 100, 80, 20},
    {Kind::Edit, "Edit_PollVal01", 0, 120, 80, 20, "?"},
    {Kind::Combo, "Combo_PollType010", 0, 140, 80, 20},
};

void AddViewControls(TForm_Main& w) {
  BuildControls(w.Panel("Group_Poll01"), kViewRows);
  for (const ControlDecl& d : kViewRows) {
    QWidget* c = w.Panel("Group_Poll01")->findChild<QWidget*>(d.name);
    w.RegisterControl(c);
    if (auto* combo = qobject_cast<QComboBox*>(c)) combo->addItems({"Coil", "IR", "HR"});
  }
}

TEST(MonitorSettings, LoadReadsMixedCaseKeysAndSpelledSections) {
  ProfileHome home;
  TForm_Main w;
  AddViewControls(w);
  w.ShowConstVolt = 0;
  ASSERT_EQ(LoadMonitorSettings(w, home.Path("SuperUser/MonitorSet.KXL")), kFileDone);
  EXPECT_EQ(w.Ctl<QLineEdit>("Edit_StartID")->text(), "5");
  EXPECT_EQ(w.Ctl<QLineEdit>("Edit_EndID")->text(), "40");
  EXPECT_EQ(w.Ctl<QLabel>("Label_TemperTitle11")->text(), "Ambient");  // quotes dropped
  EXPECT_EQ(w.Ctl<QLabel>("Label_TemperTitle21")->text(), "THS_R");    // key "Labe21"
  EXPECT_EQ(w.Ctl<QLabel>("Label_TemperTitle24")->text(), "");         // missing key empties it
  EXPECT_EQ(w.ReclosureRate, 10);  // 0 reads as 10
  EXPECT_EQ(w.ReactiveSign, 1);
  EXPECT_EQ(w.CosPhiSet, 1);
  EXPECT_EQ(w.InverterState, 1);
  EXPECT_EQ(w.ShowConstVolt, 1);  // show=5 is a set flag; [ConstVolt] is not read
  EXPECT_EQ(w.JapanUserSettingMode, 1);
  EXPECT_EQ(w.VacProtectSet, 2);
  EXPECT_EQ(w.ShowActiveSlope, 1);
  EXPECT_EQ(w.ShowLanguageSelect, 1);
  EXPECT_EQ(w.WriteLock, 1);
  EXPECT_EQ(w.ShowAcMode, 2);
  EXPECT_EQ(w.ShowAcTitle, 1);
  EXPECT_EQ(w.ShowGsFacMode, 1);
  EXPECT_EQ(w.Ctl<QLineEdit>("Edit_PollAddr01")->text(), "0x5000");
  EXPECT_EQ(w.Ctl<QComboBox>("Combo_PollType01")->currentIndex(), 2);
  EXPECT_EQ(w.Ctl<QComboBox>("Combo_PollType02")->currentIndex(), -1);  // 7 is no entry
  EXPECT_EQ(w.Ctl<QComboBox>("Combo_PollType010")->currentIndex(), 1);  // Type010, not Type10
  EXPECT_EQ(w.Ctl<QLineEdit>("Edit_PollVal01")->text(), "12");

  // A file without the keys: every option 0, the rate 10.
  home.Write("Empty/MonitorSet.KXL", "");
  ASSERT_EQ(LoadMonitorSettings(w, home.Path("Empty/MonitorSet.KXL")), kFileDone);
  EXPECT_EQ(w.ReclosureRate, 10);
  EXPECT_EQ(w.ShowConstVolt, 0);
  EXPECT_EQ(w.WriteLock, 0);
  EXPECT_EQ(w.ShowAcMode, 0);
  EXPECT_EQ(w.Ctl<QComboBox>("Combo_PollType01")->currentIndex(), 0);
  // A missing file changes nothing.
  w.ShowAcMode = 3;
  EXPECT_EQ(LoadMonitorSettings(w, home.Path("Nobody/MonitorSet.KXL")), kFileMissing);
  EXPECT_EQ(w.ShowAcMode, 3);
}

TEST(MonitorSettings, SaveWritesOnlyForSuperUserAndOnlyIntoTheExistingFile) {
  ProfileHome home;
  FakeDialogs dialogs;
  TForm_Main w;
  AddViewControls(w);
  const QString path = home.Path("SuperUser/MonitorSet.KXL");
  ASSERT_EQ(LoadMonitorSettings(w, path), kFileDone);
  const QByteArray before = home.Read("SuperUser/MonitorSet.KXL");
  EXPECT_EQ(SaveMonitorSettings(w, path, false), kFileDone);
  EXPECT_EQ(home.Read("SuperUser/MonitorSet.KXL"), before);

  w.ReclosureRate = 100;
  w.ShowConstVolt = 1;
  w.Ctl<QComboBox>("Combo_PollType02")->setCurrentIndex(-1);
  w.Ctl<QLineEdit>("Edit_EndID")->setText("64");
  ASSERT_EQ(SaveMonitorSettings(w, path, true), kFileDone);
  IniFile ini(path);
  EXPECT_EQ(ini.ReadString("reclosureTime", "Rate"), "100");
  EXPECT_EQ(ini.ReadString("ConstVlot", "show"), "1");  // the flag, not the 5 it was read from
  EXPECT_EQ(ini.ReadString("Search", "EndID"), "64");
  EXPECT_EQ(ini.ReadString("Poll01", "Type02"), "-1");  // no selection
  EXPECT_EQ(ini.ReadString("Extra", "Kept"), "by the tool's own hand");
  EXPECT_EQ(ini.ReadString("Poll01", "Type10"), "2");  // not the tool's key: untouched
  // Every row the poll-list views built is written, empty ones too.
  EXPECT_TRUE(ini.ValueExists("Poll02", "Addr11"));
  EXPECT_EQ(ini.ReadString("Poll02", "Addr11", "missing"), "");
  const QByteArray after = home.Read("SuperUser/MonitorSet.KXL");
  EXPECT_TRUE(after.startsWith("[SEARCH]\r\nstartid=5\r\nEndID=64\r\n"));
  EXPECT_EQ(after.count("\n"), after.count("\r\n"));

  // Read back, the same values come out.
  TForm_Main again;
  AddViewControls(again);
  ASSERT_EQ(LoadMonitorSettings(again, path), kFileDone);
  EXPECT_EQ(again.ReclosureRate, 100);
  EXPECT_EQ(again.Ctl<QComboBox>("Combo_PollType02")->currentIndex(), -1);
  EXPECT_TRUE(dialogs.messages.isEmpty());

  // Missing: a message for every profile, nothing created.
  EXPECT_EQ(SaveMonitorSettings(w, home.Path("Gone/MonitorSet.KXL"), false), kFileMissing);
  EXPECT_EQ(dialogs.messages, QStringList{"No found Setting File"});
  EXPECT_FALSE(home.Exists("Gone/MonitorSet.KXL"));
}

TEST(PreviousSet, LoadAcceptsOnlyRealSpeedIndexesAndLanguages) {
  ProfileHome home;
  TForm_Main w;
  w.Link.IdPresent[2] = 2;  // overwritten by the file's 0
  ASSERT_EQ(LoadPreviousSet(w, home.Path("profile/PreviousSet.KXL")), kFileDone);
  EXPECT_EQ(w.LanguageIndex, 2);
  // ID1=1 ID2=0 ID3=1 ID5=2 ID7=-1 ID9=4 ID10=abc ID12=" 3 " ID253=3 ID254=2
  struct Case {
    int id, present, baud;
  };
  const Case cases[] = {{1, 1, 1}, {2, 0, 0}, {3, 3, 1}, {4, 0, 0},  {5, 5, 2},     {7, 0, 0},
                        {9, 0, 0}, {10, 0, 0}, {12, 12, 3}, {253, 253, 3}, {254, 0, 0}};
  for (const Case& c : cases) {
    EXPECT_EQ(w.Link.IdPresent[c.id], c.present) << c.id;
    EXPECT_EQ(w.Link.IdBaudIndex[c.id], c.baud) << c.id;
  }
  ASSERT_EQ(w.InverterList.Count, 5);
  const int ids[] = {1, 3, 5, 12, 253};
  const int bauds[] = {1, 1, 2, 3, 3};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(w.InverterList.Ids[size_t(i)], ids[i]);
    EXPECT_EQ(w.InverterList.BaudIndex[size_t(i)], bauds[i]);
  }

  for (const char* language : {"3", "-1", "x"}) {
    home.Write("profile/PreviousSet.KXL", Crlf("[Language]\nSet=") + language + "\r\n");
    w.LanguageIndex = 1;
    LoadPreviousSet(w, home.Path("profile/PreviousSet.KXL"));
    EXPECT_EQ(w.LanguageIndex, 0) << language;
  }
  EXPECT_EQ(LoadPreviousSet(w, home.Path("profile/none.KXL")), kFileMissing);
}

TEST(PreviousSet, SaveWritesAllStoredIdsIntoTheExistingFileOnly) {
  ProfileHome home;
  TForm_Main w;
  ASSERT_EQ(LoadPreviousSet(w, home.Path("profile/PreviousSet.KXL")), kFileDone);
  w.LanguageIndex = 1;
  w.Link.IdPresent[5] = 0;                              // gone in a later scan
  w.Link.IdPresent[254] = 254;                          // scans reach 254: not a key of the file
  w.Link.IdBaudIndex[254] = 1;
  ASSERT_EQ(SavePreviousSet(w, home.Path("profile/PreviousSet.KXL")), kFileDone);
  IniFile ini(home.Path("profile/PreviousSet.KXL"));
  EXPECT_EQ(ini.ReadString("Language", "Set"), "1");
  EXPECT_EQ(ini.ReadString("InvExist", "ID1"), "1");
  EXPECT_EQ(ini.ReadString("InvExist", "ID2"), "0");
  EXPECT_EQ(ini.ReadString("InvExist", "ID4"), "0");
  EXPECT_EQ(ini.ReadString("InvExist", "ID5"), "0");
  EXPECT_EQ(ini.ReadString("InvExist", "ID7"), "0");
  EXPECT_EQ(ini.ReadString("InvExist", "ID12"), "3");
  EXPECT_EQ(ini.ReadString("InvExist", "ID253"), "3");
  EXPECT_EQ(ini.ReadString("InvExist", "ID254"), "2");  // never written
  const QByteArray bytes = home.Read("profile/PreviousSet.KXL");
  EXPECT_TRUE(bytes.startsWith("[language]\r\nset=1\r\n\r\n[InvExist]\r\nID1=1\r\nid2=0\r\n"));
  EXPECT_EQ(bytes.count("\n"), bytes.count("\r\n"));
  int keys = 0;
  for (int id = 1; id <= 253; ++id) keys += ini.ValueExists("InvExist", "ID" + QString::number(id));
  EXPECT_EQ(keys, 253);

  EXPECT_EQ(SavePreviousSet(w, home.Path("profile/none.KXL")), kFileMissing);
  EXPECT_FALSE(home.Exists("profile/none.KXL"));
}

// What the country combo offers after a profile's list is loaded: each item
// with the grid code that choosing it writes.
QList<QPair<QString, int>> OfferedCountries(TForm_Main& w) {
  auto* combo = w.Ctl<QComboBox>("Combo_Country");
  if (!combo) {
    combo = new QComboBox(&w);
    combo->setObjectName("Combo_Country");
    w.RegisterControl(combo);
  }
  w.CountryListInit();
  QList<QPair<QString, int>> pairs;
  for (int k = 0; k < combo->count(); ++k) pairs.append({combo->itemText(k), w.LoadedCountryCodes[size_t(k)]});
  return pairs;
}

TEST(CountryList, ComboItemsKeepTheirOwnGridCodes) {
  ProfileHome home;
  TForm_Main w;
  using Pairs = QList<QPair<QString, int>>;
  const QString l99(99, 'L');
  struct Case {
    QByteArray file;
    Pairs offered;
  };
  const Case cases[] = {
      // A one-letter line is offered (with its line end it has two
      // characters); a blank line and a one-letter last line are not.
      {"A\r\n\r\nBelgium\r\nB\r\nChile\r\nZ", {{"A", 0}, {"Belgium", 2}, {"B", 3}, {"Chile", 4}}},
      // "END" ends the list only as the last line without a line end; a line
      // "END" before others is a name like any other.
      {"Austria\r\nEND\r\nX\r\nItaly\r\nEND", {{"Austria", 0}, {"END", 1}, {"X", 2}, {"Italy", 3}}},
      {"Austria\nEND\n", {{"Austria", 0}, {"END", 1}}},
      // The Windows program's code page, and UTF-8.
      {"\xC4gypten\r\n\x80-Zone \x96 1\r\n\xD6\r\n",
       {{QString::fromUtf8("\u00C4gypten"), 0},
        {QString::fromUtf8("\u20AC-Zone \u2013 1"), 1},
        {QString::fromUtf8("\u00D6"), 2}}},
      {"Z\xC3\xBCrich\n\xC3\x96\n", {{QString::fromUtf8("Z\u00FCrich"), 0}, {QString::fromUtf8("\u00D6"), 1}}},
      // The file is read in pieces of at most 99 bytes, a line with its line
      // feed (CR LF counting as one): a longer line takes several entries,
      // and the lines after it move to higher grid codes. 120 characters: 99,
      // then the other 21 with the line feed.
      {QByteArray(120, 'L') + "\r\nNext\r\n", {{l99, 0}, {QString(21, 'L'), 1}, {"Next", 2}}},
      // 98 characters and the line feed fill one piece.
      {QByteArray(98, 'L') + "\r\nNext\r\n", {{QString(98, 'L'), 0}, {"Next", 1}}},
      // 99 characters: the line feed alone is the next entry, and not offered.
      {QByteArray(99, 'L') + "\r\nNext\r\n", {{l99, 0}, {"Next", 2}}},
      {QByteArray(198, 'L') + "\nNext\n", {{l99, 0}, {l99, 1}, {"Next", 3}}},
      // A last line without line end: one letter over is not offered.
      {QByteArray(100, 'L'), {{l99, 0}}},
      {QByteArray(101, 'L'), {{l99, 0}, {"LL", 1}}},
      // Bytes count, not characters: 50 two-byte letters of a UTF-8 file
      // are cut inside the last one.
      {QByteArray("\xC3\xBC").repeated(50) + "\nNext\n",
       {{QString::fromUtf8("\u00FC").repeated(49) + QChar(0xFFFD), 0}, {QString(QChar(0xFFFD)), 1}, {"Next", 2}}},
  };
  for (const Case& c : cases) {
    home.Write("List/CountryList.KXL", c.file);
    LoadCountryList(w, home.Path("List"));
    EXPECT_EQ(OfferedCountries(w), c.offered) << c.file.toStdString();
  }
}

TEST(CountryList, OneEntryPerLineWithoutLineEndsAndNothingLeftOver) {
  ProfileHome home;
  TForm_Main w;
  // A longer list first, then a shorter one whose third line takes two entries.
  home.Write("Long/CountryList.KXL", Crlf("One\nTwo\nThree\nFour\nFive\nSix\nSeven\nEight\n"));
  LoadCountryList(w, home.Path("Long"));
  ASSERT_EQ(w.LoadedCountryNames[7], "Eight");
  const QByteArray longName(120, 'L');
  home.Write("Short/CountryList.KXL", "A\r\n\r\n" + longName + "\r\nCountryB\r\nZ\xFC" "rich\r\nEND");
  EXPECT_EQ(LoadCountryList(w, home.Path("Short")), 0);
  const QString expected[] = {"A",      "",    QString(99, 'L'), QString(21, 'L'), "CountryB", QString::fromUtf8("Z\u00FCrich"),
                              "END", ""};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(w.LoadedCountryNames[size_t(i)], expected[i]) << i;
  const int codes[] = {0, 2, 3, 4, 5, 6, 0};  // the blank line is no code; nothing after the list
  for (int i = 0; i < 7; ++i) EXPECT_EQ(w.LoadedCountryCodes[size_t(i)], codes[i]) << i;

  // Without the file the built-in lists return; an empty file offers nothing.
  LoadCountryList(w, home.Path("Nowhere"));
  EXPECT_EQ(w.LoadedCountryNames[0], "NONE");
  EXPECT_EQ(w.LoadedCountryNames[1], "");
  home.Write("Blank/CountryList.KXL", "");
  LoadCountryList(w, home.Path("Blank"));
  EXPECT_EQ(w.LoadedCountryNames[0], "");

  // More than 300 lines: the rest is ignored.
  QByteArray many;
  for (int i = 0; i < 310; ++i) many += "C" + QByteArray::number(i) + "\r\n";
  home.Write("Many/CountryList.KXL", many);
  LoadCountryList(w, home.Path("Many"));
  EXPECT_EQ(w.LoadedCountryNames[299], "C299");
  EXPECT_EQ(w.LoadedCountryCodes[299], 299);
}

}  // namespace
