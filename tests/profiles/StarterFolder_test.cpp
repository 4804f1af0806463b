// The starter program folder: what an empty QORVANE_HOME gets at start, what
// the build copies, and a technician's first run on it: every shipped
// profile and page, with the link open on the simulated inverter.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <map>
#include <memory>

#include "app/GroupPanel.h"
#include "app/LogViews.h"
#include "app/PageTabs.h"
#include "app/Startup.h"
#include "app/main.h"
#include "platform/IniFile.h"
#include "platform/ValueLabel.h"
#include "profiles/Designmode.h"
#include "profiles/StarterFolder.h"
#include "sim/SimIdProbe.h"
#include "sim/SimInverter.h"
#include "support/FakeDialogs.h"
#include "support/PanelGeometry.h"
#include "support/QtPrinters.h"
#include "support/Wait.h"

namespace {

// The starter folder as kept in the source tree.
QString SourceHome() { return QString(QORVANE_TEST_DATA) + "/../../resources/home"; }

// Every file under a folder, by relative path, with its bytes.
std::map<QString, QByteArray> Files(const QString& root) {
  std::map<QString, QByteArray> out;
  QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString path = it.next();
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    out[path.mid(root.size() + 1)] = f.readAll();
  }
  return out;
}

QByteArray ReadFile(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteFile(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).path());
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
  f.write(bytes);
}

// QORVANE_HOME for one test; the previous value comes back afterwards.
class HomeVariable {
 public:
  explicit HomeVariable(const QByteArray& value) : old_(qgetenv("QORVANE_HOME")) {
    if (value.isNull()) qunsetenv("QORVANE_HOME");
    else qputenv("QORVANE_HOME", value);
  }
  ~HomeVariable() {
    if (old_.isNull()) qunsetenv("QORVANE_HOME");
    else qputenv("QORVANE_HOME", old_);
  }

 private:
  QByteArray old_;
};

const QStringList kLayoutFiles = [] {
  QStringList files;
  for (const char* folder : {"SuperUser/", "SuperUser/Init/", "Service/"})
    for (int n = 0; n <= 6; ++n) files << QString("%1MonitorSet%2.KXL").arg(folder).arg(n);
  return files;
}();

}  // namespace

TEST(StarterFolder, TheSourceTreeHoldsEveryProfileAndLayoutTheProgramLooksFor) {
  const auto files = Files(SourceHome());
  QStringList expected = kLayoutFiles;
  expected << "profile/PreviousSet.KXL"
           << "profile/ConfigModel.csv"
           << "SuperUser/MonitorSet.KXL"
           << "SuperUser-Init/MonitorSet.KXL"
           << "Service/MonitorSet.KXL";
  expected.sort();
  QStringList found;
  for (const auto& [name, bytes] : files) found << name;
  EXPECT_EQ(found, expected);
  // Written the Windows way: CR LF line ends, plain ASCII.
  for (const auto& [name, bytes] : files) {
    EXPECT_EQ(bytes.count("\n"), bytes.count("\r\n")) << name.toStdString();
    EXPECT_TRUE(std::all_of(bytes.begin(), bytes.end(), [](char c) { return c > 0 && c < 0x7F; }))
        << name.toStdString();
  }
}

TEST(StarterFolder, OnlyAMissingOrEmptyHomeIsFilledAndTheLineSaysSo) {
  QTemporaryDir tmp;
  const auto starter = Files(SourceHome());
  struct Case {
    const char* what;
    const char* sub;        // folder under tmp named by QORVANE_HOME
    const char* userFile;   // a file already there, nullptr for none
    bool filled;
  };
  const Case cases[] = {
      {"empty folder", "empty", nullptr, true},
      {"missing folder", "not/yet/made", nullptr, true},
      {"a user's folder", "used", "DataLog/2026.01.02_001.csv", false},
      {"only a hidden file", "hidden", ".keep", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const QString home = tmp.path() + '/' + c.sub;
    if (c.userFile) WriteFile(home + '/' + c.userFile, "mine");
    else if (QString(c.sub) == "empty") QDir().mkpath(home);
    HomeVariable var(home.toLocal8Bit());
    const QString line = FillEmptyProgramFolder();
    if (!c.filled) {
      EXPECT_EQ(line, QString());
      EXPECT_EQ(Files(home).size(), 1u);
      EXPECT_EQ(ReadFile(home + '/' + c.userFile), "mine");
      continue;
    }
    EXPECT_EQ(line, QString("Program folder %1 was empty: %2 starter files written (profiles SuperUser and Service)")
                        .arg(home)
                        .arg(starter.size()));
    EXPECT_EQ(Files(home), starter);
    // The copies are the user's to change (resources are read-only).
    EXPECT_TRUE(QFileInfo(home + "/SuperUser/MonitorSet0.KXL").isWritable());
    // A second start finds the folder in use and leaves it.
    EXPECT_EQ(FillEmptyProgramFolder(), QString());
  }
  // Without QORVANE_HOME the program folder is the executable's: the build fills it.
  HomeVariable unset{QByteArray()};
  EXPECT_EQ(FillEmptyProgramFolder(), QString());
}

TEST(StarterFolder, AFolderThatCannotBeMadeIsReportedNotPassedOverInSilence) {
  QTemporaryDir tmp;
  // Below a plain file no folder can be made, not even by root.
  WriteFile(tmp.path() + "/file", "x");
  const QString home = tmp.path() + "/file/home";
  HomeVariable var(home.toLocal8Bit());
  const QString line = FillEmptyProgramFolder();
  EXPECT_TRUE(line.startsWith(QString("Program folder %1 is empty, but the starter file ").arg(home)))
      << line.toStdString();
  EXPECT_TRUE(line.endsWith(" could not be written there")) << line.toStdString();
}

TEST(StarterFolder, TheBuildCopiesOnlyMissingFilesAndKeepsTheUsersOwn) {
  const QString cmake = QStandardPaths::findExecutable("cmake");
  if (cmake.isEmpty()) GTEST_SKIP() << "no cmake on PATH";
  QTemporaryDir to;
  // A layout the user saved, and a profile file of the user's own.
  WriteFile(to.path() + "/SuperUser/MonitorSet0.KXL", "[Version]\r\nHeight=40\r\n");
  WriteFile(to.path() + "/Mine/MonitorSet.KXL", "[Write]\r\nPermission=1\r\n");
  QProcess p;
  p.start(cmake, {"-DFROM=" + SourceHome(), "-DTO=" + to.path(), "-P",
                  QString(QORVANE_TEST_DATA) + "/../../resources/CopyHome.cmake"});
  ASSERT_TRUE(p.waitForFinished(60000));
  ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();

  auto expected = Files(SourceHome());
  expected["SuperUser/MonitorSet0.KXL"] = "[Version]\r\nHeight=40\r\n";
  expected["Mine/MonitorSet.KXL"] = "[Write]\r\nPermission=1\r\n";
  EXPECT_EQ(Files(to.path()), expected);
}

TEST(StarterFolder, EveryLayoutIsWhatTheProgramWouldWriteItself) {
  // Loaded onto a page and saved back in place, a layout file stays as it
  // is, byte for byte: every section is there, in the program's own form.
  FakeDialogs dialogs;
  QTemporaryDir tmp;
  TForm_Main w;
  for (const QString& name : kLayoutFiles) {
    SCOPED_TRACE(name.toStdString());
    const QString path = tmp.path() + '/' + name;
    const QByteArray shipped = ReadFile(SourceHome() + '/' + name);
    WriteFile(path, shipped);
    w.SettingFilePath = path;
    w.ShowPageLayout();
    ASSERT_EQ(SavePageLayout(w, path, w.ScrollPage(0)), kFileDone);
    EXPECT_EQ(ReadFile(path), shipped);
  }
  // The same for the settings files and the previous-run file.
  for (const QString& name : {QString("SuperUser/MonitorSet.KXL"), QString("Service/MonitorSet.KXL")}) {
    SCOPED_TRACE(name.toStdString());
    const QString path = tmp.path() + '/' + name;
    const QByteArray shipped = ReadFile(SourceHome() + '/' + name);
    WriteFile(path, shipped);
    ASSERT_EQ(LoadMonitorSettings(w, path), kFileDone);
    ASSERT_EQ(SaveMonitorSettings(w, path, true), kFileDone);
    EXPECT_EQ(ReadFile(path), shipped);
  }
  const QString previous = tmp.path() + "/profile/PreviousSet.KXL";
  const QByteArray shipped = ReadFile(SourceHome() + "/profile/PreviousSet.KXL");
  WriteFile(previous, shipped);
  ASSERT_EQ(LoadPreviousSet(w, previous), kFileDone);
  ASSERT_EQ(SavePreviousSet(w, previous), kFileDone);
  EXPECT_EQ(ReadFile(previous), shipped);
  EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join(" | ").toStdString();
}

// ---- The first run ----------------------------------------------------------

namespace {

// The window as designed: its client area.
constexpr QSize kDesignSize(1106, 747);
// What a value label holds until a poll item writes it.
const QString kNotYetRead = QStringLiteral("--");
constexpr QRgb kUnpainted = 0xFF010203u;

// The panels a layout file opens: section's panel -> (Left, Top).
std::map<QString, QPoint> OpenedPanels(const QString& path) {
  std::map<QString, QPoint> out;
  const IniFile ini(path);
  for (const GroupPanelDecl& d : GroupPanelTable()) {
    if (!d.section) continue;
    const QString s = QString::fromLatin1(d.section);
    if (DecodePanelHeight(ini.ReadString(s, "Height", "").toLongLong(), s) != d.tag) continue;
    out[QString::fromLatin1(d.name)] = {ini.ReadString(s, "Left").toInt(), ini.ReadString(s, "Top").toInt()};
  }
  return out;
}

class FirstRun : public ::testing::Test {
 protected:
  void SetUp() override {
    sim::AddIdProbe(sim);
    sim.AddSlave(1);
    qputenv("QORVANE_EXTRA_PORTS", sim.PortPath().toUtf8());
  }
  void TearDown() override { qunsetenv("QORVANE_EXTRA_PORTS"); }

  QComboBox* Profiles() { return w->Ctl<QComboBox>("Combo_SelectMode"); }
  QTabWidget* Pages() { return w->Ctl<QTabWidget>("PageControl"); }

  // As the user picks an entry of the profile box.
  void Pick(const QString& profile) {
    const int i = Profiles()->findText(profile);
    ASSERT_GE(i, 0) << profile.toStdString();
    Profiles()->setCurrentIndex(i);
    emit Profiles()->activated(i);
  }
  // As the user clicks a tab, counted over the visible tabs.
  void ClickTab(int visibleIndex) { Pages()->setCurrentIndex(QtTabIndex(Pages(), visibleIndex)); }

  QList<GroupPanel*> ShownPanels(const QScrollArea* page) {
    QList<GroupPanel*> out;
    for (const GroupPanelDecl& d : GroupPanelTable()) {
      GroupPanel* p = w->Panel(QString::fromLatin1(d.name));
      if (p && !p->isHidden() && p->parentWidget() == page->widget()) out << p;
    }
    return out;
  }

  // The page on screen shows exactly the panels its layout file opens, where
  // the file puts them, inside the page's width at the design size, apart
  // from each other, every caption whole. Then its value labels are marked
  // unread, for the poll to fill.
  void CheckPage(const QString& layoutFile) {
    SCOPED_TRACE(layoutFile.toStdString());
    const int tab = VisibleTabIndex(Pages(), Pages()->currentIndex());
    QScrollArea* page = w->ScrollPage(tab);
    ASSERT_NE(page, nullptr) << "tab " << tab;
    const auto expected = OpenedPanels(home.path() + '/' + layoutFile);
    ASSERT_FALSE(expected.empty());
    const QList<GroupPanel*> shown = ShownPanels(page);
    QStringList names;
    for (GroupPanel* p : shown) names << p->objectName();
    QStringList expectedNames;
    for (const auto& [name, at] : expected) expectedNames << name;
    names.sort();
    EXPECT_EQ(names, expectedNames);

    const int pageWidth = page->viewport()->width();
    for (GroupPanel* p : shown) {
      const std::string name = p->objectName().toStdString();
      const QRect r = p->geometry();
      if (expected.count(p->objectName())) EXPECT_EQ(r.topLeft(), expected.at(p->objectName())) << name;
      EXPECT_EQ(r.height(), p->Tag()) << name;
      EXPECT_GE(r.left(), 0) << name;
      EXPECT_GE(r.top(), 0) << name;
      EXPECT_LE(r.right() + 1, pageWidth) << name << " reaches past the page's right edge";
      for (GroupPanel* q : shown)
        if (p != q && p->objectName() < q->objectName())
          EXPECT_FALSE(r.intersects(q->geometry())) << name << " overlaps " << q->objectName().toStdString();

      QList<panelgeo::Placed> controls = panelgeo::ShownControls(*w, p);
      controls.push_back({p->TitleLabel(), p->TitleLabel()->geometry()});
      for (const panelgeo::Placed& c : controls) {
        QString text;
        int needed = 0;
        const int room = panelgeo::RoomFor(c.w, text, needed);
        if (!text.isEmpty())
          EXPECT_LE(needed, room) << name << ": " << c.w->objectName().toStdString() << " \"" << text.toStdString()
                                  << "\"";
      }
      const bool showsValues = HasValueLabels(p);
      showsValues_[p] = showsValues;
      // The text alone: the monitoring views write texts into labels that are blue by design.
      for (ValueLabel* l : p->findChildren<ValueLabel*>()) l->setText(kNotYetRead);
      // A panel that shows what it reads by colours or radio buttons starts
      // with its labels in a colour no view paints and no button chosen.
      if (!showsValues) {
        for (ValueLabel* l : p->findChildren<ValueLabel*>()) l->setFontColor(kUnpainted);
        for (QRadioButton* r : p->findChildren<QRadioButton*>()) {
          const bool exclusive = r->autoExclusive();
          r->setAutoExclusive(false);
          r->setChecked(false);
          r->setAutoExclusive(exclusive);
        }
      }
    }
    pageUnderPoll = shown;
  }

  static bool HasValueLabels(GroupPanel* p) {
    for (ValueLabel* l : p->findChildren<ValueLabel*>())
      if (l->isVisibleTo(p) && l->fontColor() == clBlue) return true;
    return false;
  }

  // The panels of the page last checked that the poll has not filled yet:
  // each needs a shown value label read back from the inverter, or, without
  // value labels, a radio button chosen by what was read.
  QStringList Unread() {
    QStringList out;
    for (GroupPanel* p : pageUnderPoll) {
      bool read = false;
      for (ValueLabel* l : p->findChildren<ValueLabel*>())
        if (l->isVisibleTo(p) && l->text() != kNotYetRead && l->fontColor() == clBlue) read = true;
      if (!showsValues_[p]) {
        for (ValueLabel* l : p->findChildren<ValueLabel*>())
          if (l->isVisibleTo(p) && l->fontColor() != kUnpainted) read = true;
        for (QRadioButton* r : p->findChildren<QRadioButton*>())
          if (r->isVisibleTo(p) && r->isChecked()) read = true;
      }
      if (!read) out << p->objectName();
    }
    return out;
  }

  // One step of the run: returns true when done, false to be asked again.
  struct Step {
    std::string what;
    std::function<bool()> run;
  };
  // Runs the steps one after the other from inside the polling loop (each
  // asked every 5 ms, each bounded); a step that never gets done fails the
  // test and closes the link, which ends the loop.
  void RunSteps(size_t i) {
    if (i == steps.size()) return;
    waits::Until(
        w.get(), steps[i].what,
        [this, i] {
          if (!steps[i].run()) return false;
          QTimer::singleShot(0, w.get(), [this, i] { RunSteps(i + 1); });
          return true;
        },
        [this, i] {
          ADD_FAILURE() << steps[i].what << ": not read " << Unread().join(", ").toStdString();
          w->ClosePortClick();
        });
  }
  void Act(std::string what, std::function<void()> fn) {
    steps.push_back({std::move(what), [fn] {
                       fn();
                       return true;
                     }});
  }
  void Await(std::string what, std::function<bool()> fn) { steps.push_back({std::move(what), std::move(fn)}); }
  // A page shown by clicking its tab, checked, then read from the inverter.
  void VisitPage(int tab, const QString& layoutFile) {
    Act("show " + layoutFile.toStdString(), [this, tab, layoutFile] {
      ClickTab(tab);
      CheckPage(layoutFile);
    });
    Await("values of " + layoutFile.toStdString(), [this] { return Unread().isEmpty(); });
  }

  QTemporaryDir tmp;
  QString homePath = tmp.path() + "/home";
  QDir home{homePath};
  FakeDialogs dialogs;
  sim::SimInverter sim;
  std::unique_ptr<TForm_Main> w;
  QList<GroupPanel*> pageUnderPoll;
  std::map<GroupPanel*, bool> showsValues_;  // the panel has blue value labels
  std::vector<Step> steps;
};

}  // namespace

TEST_F(FirstRun, EveryShippedProfileShowsItsPagesAndTheInverterFillsThem) {
  HomeVariable var(homePath.toLocal8Bit());
  w.reset(CreateMainWindow());
  w->resize(kDesignSize);
  w->show();

  EXPECT_TRUE(w->EventLog()->toPlainText().contains(QString("Program folder %1 was empty: ").arg(homePath)))
      << w->EventLog()->toPlainText().toStdString();
  QStringList offered;
  for (int i = 0; i < Profiles()->count(); ++i) offered << Profiles()->itemText(i);
  offered.sort();
  EXPECT_EQ(offered, (QStringList{"Service", "SuperUser", "SuperUser-Init"}));

  // Picked before the link is open: the Main page is there at once.
  Pick("Service");
  EXPECT_EQ(VisibleTabIndex(Pages(), Pages()->currentIndex()), 0);
  CheckPage("Service/MonitorSet0.KXL");
  // The adapter's port, picked from the list the box shows when it opens.
  w->Combo_COMEnter();
  auto* ports = w->Ctl<QComboBox>("Combo_COM");
  ports->setCurrentIndex(ports->findText(sim.PortPath()));
  ASSERT_EQ(ports->currentText(), sim.PortPath());
  // The one inverter answers at ID 1; a technician may narrow the scan.
  w->Ctl<QLineEdit>("Edit_StartID")->setText("1");
  w->Ctl<QLineEdit>("Edit_EndID")->setText("1");

  Act("scan", [this] { w->Ctl<QPushButton>("Btn_ScanID")->click(); });
  Await("inverter 1 found", [this] { return w->InverterList.Count == 1 && w->Link.SlaveId == 1 && w->Link.CmdCode == 0; });
  Await("values of Service/MonitorSet0.KXL", [this] { return Unread().isEmpty(); });
  // Each access level of the ordinary profile: its code typed once, then its
  // Config and Ctrl pages. A new pick of the profile asks for the code again.
  const struct {
    const char* code;
    int config, ctrl;
  } levels[] = {{"2937", 1, 2}, {"6082", 3, 4}, {"8164", 5, 6}};
  bool first = true;
  for (const auto& level : levels) {
    if (!first) Act("pick Service again", [this] { Pick("Service"); });
    first = false;
    Act(std::string("code ") + level.code, [this, code = level.code] { dialogs.answers.push_back(code); });
    VisitPage(1, QString("Service/MonitorSet%1.KXL").arg(level.config));
    VisitPage(2, QString("Service/MonitorSet%1.KXL").arg(level.ctrl));
  }
  // SuperUser: its seven pages, no code asked.
  Act("pick SuperUser", [this] { Pick("SuperUser"); });
  for (int n = 0; n <= 6; ++n) VisitPage(n, QString("SuperUser/MonitorSet%1.KXL").arg(n));
  // SuperUser-Init puts the page on screen back to its initial layout.
  Act("pick SuperUser-Init", [this] {
    Pick("SuperUser-Init");
    EXPECT_EQ(Profiles()->currentText(), "SuperUser");
    CheckPage("SuperUser/Init/MonitorSet6.KXL");
  });
  Act("close", [this] { w->Ctl<QPushButton>("ClosePort")->click(); });

  QTimer::singleShot(0, w.get(), [this] { RunSteps(0); });
  w->Ctl<QPushButton>("OpenPort")->click();

  EXPECT_FALSE(w->LinkOpen);
  EXPECT_EQ(dialogs.prompts.size(), 3u);
  EXPECT_TRUE(dialogs.answers.empty());
  EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join(" | ").toStdString();
  // Seen and left, the SuperUser pages were saved as they were shipped.
  for (int n = 0; n <= 6; ++n)
    EXPECT_EQ(ReadFile(homePath + QString("/SuperUser/MonitorSet%1.KXL").arg(n)),
              ReadFile(SourceHome() + QString("/SuperUser/MonitorSet%1.KXL").arg(n)))
        << n;
  w->close();
}
