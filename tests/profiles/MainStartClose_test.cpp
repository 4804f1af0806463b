#include <gtest/gtest.h>

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QTabWidget>
#include <QTreeWidget>

#include "app/GroupPanel.h"
#include "app/main.h"
#include "platform/ImageBox.h"
#include "platform/IniFile.h"
#include "profiles/Designmode.h"
#include "support/FakeDialogs.h"
#include "tests/profiles/ProfileHome.h"

namespace {

QStringList Items(const QComboBox* combo) {
  QStringList out;
  for (int i = 0; i < combo->count(); ++i) out << combo->itemText(i);
  return out;
}

TEST(FormShow, StartState) {
  ProfileHome home;
  FakeDialogs dialogs;
  TForm_Main w;
  // Designed open: every panel starts at its full height.
  ASSERT_EQ(w.Panel("Group_JapUserSet")->height(), 820);
  w.show();
  EXPECT_EQ(w.PollStop, 1);
  EXPECT_EQ(w.CurrentPage, -1);
  EXPECT_EQ(w.ReclosureRate, 10);
  EXPECT_EQ(w.ReactiveSign, 0);
  EXPECT_FALSE(w.ScrollPopMenuAuto);
  auto* pages = w.Ctl<QTabWidget>("PageControl");
  for (int i = 0; i < pages->count(); ++i) EXPECT_FALSE(pages->isTabVisible(i)) << i;
  for (const GroupPanelDecl& d : GroupPanelTable()) {
    EXPECT_TRUE(w.Panel(d.name)->isHidden()) << d.name;
    EXPECT_EQ(w.Panel(d.name)->height(), 40) << d.name;
  }
  // Folders with a settings file, longer than two characters, none chosen.
  auto* combo = w.Ctl<QComboBox>("Combo_SelectMode");
  QStringList items = Items(combo);
  items.sort();
  EXPECT_EQ(items, (QStringList{"Alpha", "SuperUser", "SuperUser-Init"}));
  EXPECT_EQ(combo->currentIndex(), -1);
  // The remembered language and inverters.
  EXPECT_EQ(w.LanguageIndex, 2);
  EXPECT_EQ(w.Ctl<QLabel>("Label_SelectLanguage")->text(), "French");
  EXPECT_EQ(w.InverterList.Count, 5);
  auto* tree = w.Ctl<QTreeWidget>("TreeView");
  ASSERT_EQ(tree->topLevelItemCount(), 1);
  EXPECT_EQ(w.TreeRoot, tree->topLevelItem(0));
  EXPECT_EQ(w.TreeRoot->text(0), "Inverters");
  // Title bars: 30 lines from (200, 250, 255) down to (142, 192, 255).
  QLabel* title = w.Panel("Group_Version")->TitleLabel();
  EXPECT_EQ(title->geometry(), QRect(0, 0, 254, 30));
  const QImage bar = title->palette().brush(QPalette::Window).textureImage();
  ASSERT_EQ(bar.height(), 30);
  EXPECT_EQ(QColor(bar.pixel(0, 0)), QColor(200, 250, 255));
  EXPECT_EQ(QColor(bar.pixel(0, 29)), QColor(142, 192, 255));
  // The boxes of the top bar lie on painted backgrounds, 2 px inside them.
  int backgrounds = 0;
  for (ImageBox* pic : w.findChildren<ImageBox*>()) {
    if (pic->property("Tag").toInt() != 2) continue;
    ++backgrounds;
    const QWidget* box = pic->parentWidget();
    EXPECT_EQ(pic->geometry(), QRect(2, 2, box->width() - 4, box->height() - 4)) << box->objectName().toStdString();
    const int last = pic->height() - 1;
    EXPECT_EQ(QColor(pic->Pixel(0, 0)), QColor(200, 250, 255));
    EXPECT_EQ(QColor(pic->Pixel(pic->width() - 1, last)), QColor(200 - last, 250 - last, 255));
  }
  EXPECT_GE(backgrounds, 2);
  EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST(FormShow, WithoutFilesStartsInEnglishWithNoInverters) {
  struct Case {
    const char* file;
    const char* caption;
  };
  const Case cases[] = {{nullptr, "English"}, {"[Language]\nSet=0\n", "English"}, {"[Language]\nSet=1\n", "German"}};
  for (const Case& c : cases) {
    ProfileHome home(false);
    if (c.file) home.Write("profile/PreviousSet.KXL", Crlf(c.file));
    FakeDialogs dialogs;
    TForm_Main w;
    w.show();
    EXPECT_EQ(w.Ctl<QLabel>("Label_SelectLanguage")->text(), c.caption);
    EXPECT_EQ(w.InverterList.Count, 0);
    EXPECT_EQ(w.Ctl<QComboBox>("Combo_SelectMode")->count(), 0);
    EXPECT_TRUE(dialogs.messages.isEmpty());
  }
}

TEST(FormShow, RememberedLanguageIsApplied) {
  ProfileHome home;
  // The language table: UTF-16 with a byte-order mark, TAB between columns.
  const QString table = "English\tGerman\tFrench\r\nSend Command\tBefehl senden\tEnvoyer\r\n";
  QByteArray bytes("\xFF\xFE", 2);
  for (QChar c : table) bytes.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
  home.Write("profile/LangTable.KXL", bytes);
  FakeDialogs dialogs;
  TForm_Main w;
  w.show();  // PreviousSet.KXL says French
  EXPECT_EQ(w.Ctl<QLabel>("Label_SendCommand")->text(), "Envoyer");
  EXPECT_EQ(w.Ctl<QLabel>("Label_SelectLanguage")->text(), "French");
}

TEST(FormShow, ProfileFolderThatCannotBeListedIsReported) {
  ProfileHome home(false);
  qputenv("QORVANE_HOME", home.Path("missing").toLocal8Bit());
  FakeDialogs dialogs;
  TForm_Main w;
  w.show();
  EXPECT_EQ(dialogs.messages, QStringList{"Load Directory of Config Error"});
}

class Closing : public ::testing::Test {
 protected:
  void Start(const char* profile) {
    w.show();
    if (!profile) return;
    auto* combo = w.Ctl<QComboBox>("Combo_SelectMode");
    combo->setCurrentIndex(combo->findText(profile));
    w.Combo_SelectModeChange();
  }
  ProfileHome home;
  FakeDialogs dialogs;
  TForm_Main w;
};

TEST_F(Closing, WithoutAProfileOnlyThePreviousRunFileIsWritten) {
  const QByteArray settings = home.Read("SuperUser/MonitorSet.KXL");
  const QByteArray layout = home.Read("SuperUser/MonitorSet0.KXL");
  Start(nullptr);
  w.LanguageIndex = 1;
  w.close();
  EXPECT_TRUE(w.isHidden());
  EXPECT_EQ(IniFile(home.Path("profile/PreviousSet.KXL")).ReadString("Language", "Set"), "1");
  EXPECT_EQ(home.Read("SuperUser/MonitorSet.KXL"), settings);
  EXPECT_EQ(home.Read("SuperUser/MonitorSet0.KXL"), layout);
  EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(Closing, SuperUserKeepsItsLayoutAndSettings) {
  Start("SuperUser");
  w.Panel("Group_Status")->move(310, 30);
  w.ReactiveSign = 0;
  w.PollStop = 0;
  w.close();
  EXPECT_EQ(w.PollStop, 1);
  IniFile layout(home.Path("SuperUser/MonitorSet0.KXL"));
  EXPECT_EQ(layout.ReadString("Status", "Left"), "310");
  IniFile settings(home.Path("SuperUser/MonitorSet.KXL"));
  EXPECT_EQ(settings.ReadString("Reactive", "Sign"), "0");
  EXPECT_EQ(IniFile(home.Path("profile/PreviousSet.KXL")).ReadString("InvExist", "ID253"), "3");
  EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(Closing, OtherProfilesWriteNothingOfTheirOwn) {
  const QByteArray settings = home.Read("Alpha/MonitorSet.KXL");
  Start("Alpha");
  w.ReclosureRate = 10;
  w.close();
  EXPECT_EQ(home.Read("Alpha/MonitorSet.KXL"), settings);
  EXPECT_EQ(IniFile(home.Path("profile/PreviousSet.KXL")).ReadString("Language", "Set"), "2");
}

TEST_F(Closing, RefusedWriteIsReportedAndTheLaterSavesStillRun) {
  Start("SuperUser");
  const QString settings = home.Path("SuperUser/MonitorSet.KXL");
  ASSERT_TRUE(QFile::setPermissions(settings, QFile::ReadOwner));
  w.LanguageIndex = 0;
  w.close();
  EXPECT_TRUE(w.isHidden());
  EXPECT_EQ(dialogs.messages, QStringList{"Unable to write to " + settings});
  EXPECT_EQ(IniFile(home.Path("profile/PreviousSet.KXL")).ReadString("Language", "Set"), "0");
}

// A settings file as the Windows program writes it, in its code page
// (Windows-1252): every key that the close writes, each in the form the close
// gives it, so that only what changed may differ afterwards.
QByteArray Windows1252Settings() {
  QByteArray f =
      "[Search]\r\nStartID=5\r\nEndID=40\r\n\r\n"
      "[Temperature]\r\nLabel1=Temp \xB0" "C\r\nLabel2=\x80/kWh\r\nLabel3=Boost \x96 1\r\nLabel4=K\xFChler\r\n"
      "Labe21=\x84R\x93\r\nLabe22=THS \x96 S\r\nLabe23=\x81\x8D\x8F\x90\x9D\r\nLabe24=\x9F\xFF\r\n\r\n"
      "[reclosureTime]\r\nRate=100\r\n\r\n"
      "[Reactive]\r\nSign=1\r\nCosPhiSet=1\r\n\r\n"
      "[Inverter]\r\nState=1\r\n\r\n"
      "[ConstVlot]\r\nshow=1\r\n\r\n"
      "[JapanUserSettingMode]\r\nMode=1\r\n\r\n"
      "[VacProtect]\r\nset=2\r\n\r\n"
      "[ActiveSlope]\r\nshow=1\r\n\r\n"
      "[Language]\r\nSelect=1\r\n\r\n"
      "[Write]\r\nPermission=1\r\nShowAcMode=2\r\nShowAcTitle=1\r\nShowGsFacMode=1\r\n";
  for (int bank = 0; bank < 4; ++bank) {
    f += "\r\n[Poll0" + QByteArray::number(bank + 1) + "]\r\n";
    for (const char* key : {"Addr", "Type", "Value"})
      for (int row = 1; row <= 10; ++row) {
        const QByteArray name = key + QByteArray::number(bank) + QByteArray::number(row);
        const QByteArray value = key[0] == 'A'   ? QByteArray::number(1000 * bank + row)
                                 : key[0] == 'T' ? QByteArray::number(row % 3)
                                                 : "\xB0" + QByteArray::number(row);
        f += name + '=' + value + "\r\n";
      }
  }
  return f + "\r\n[Notes]\r\nBy=\x80\x96\xB0 the Windows program\r\n";
}

TEST_F(Closing, SettingsInTheWindowsCodePageSurviveByteForByteButWhatChanged) {
  const QByteArray original = Windows1252Settings();
  home.Write("SuperUser/MonitorSet.KXL", original);
  Start("SuperUser");
  EXPECT_EQ(w.Ctl<QLabel>("Label_TemperTitle11")->text(), QString::fromUtf8("Temp \u00B0C"));
  EXPECT_EQ(w.Ctl<QLabel>("Label_TemperTitle12")->text(), QString::fromUtf8("\u20AC/kWh"));
  EXPECT_EQ(w.Ctl<QLabel>("Label_TemperTitle22")->text(), QString::fromUtf8("THS \u2013 S"));
  w.ReactiveSign = 0;
  w.Ctl<QLabel>("Label_TemperTitle13")->setText(QString::fromUtf8("Boost \u2014 2 \u00B0C"));
  w.close();
  QByteArray expected = original;
  expected.replace("Sign=1\r\n", "Sign=0\r\n");
  expected.replace("Label3=Boost \x96 1\r\n", "Label3=Boost \x97 2 \xB0" "C\r\n");
  EXPECT_EQ(home.Read("SuperUser/MonitorSet.KXL"), expected);
  EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(Closing, FilesThatDoNotExistAreNotCreated) {
  Start("SuperUser");
  QFile::remove(home.Path("profile/PreviousSet.KXL"));
  QFile::remove(home.Path("SuperUser/MonitorSet.KXL"));
  dialogs.messages.clear();
  w.close();
  EXPECT_EQ(dialogs.messages, QStringList{"No found Setting File"});
  EXPECT_FALSE(home.Exists("profile/PreviousSet.KXL"));
  EXPECT_FALSE(home.Exists("SuperUser/MonitorSet.KXL"));
}

}  // namespace
