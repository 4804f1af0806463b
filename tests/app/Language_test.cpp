#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMouseEvent>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QRadioButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <memory>
#include <typeinfo>

#include "app/ControlTable.h"
#include "app/Language.h"
#include "app/LogViews.h"
#include "app/main.h"
#include "platform/ImageBox.h"
#include "platform/Shell.h"
#include "platform/SingleInstanceGuard.h"
#include "platform/ValueLabel.h"
#include "support/FakeDialogs.h"
#include "support/PollFixture.h"
#include "support/Wait.h"

namespace {
QByteArray Utf16Le(const QString& text, bool bom) {
  QByteArray bytes;
  if (bom) bytes.append("\xFF\xFE", 2);
  for (QChar c : text) {
    bytes.append(char(c.unicode() & 0xFF));
    bytes.append(char(c.unicode() >> 8));
  }
  return bytes;
}

// Row 0 looks like data but is the header; "Voltage" twice; "Power" without
// a French cell; "Trip" ends with a TAB; lone LF and lone CR line ends; a
// fourth column that no language reads.
const QString kTable = QString::fromUtf8(
    "Countdown\tCountdown-de\tCountdown-fr\r\n"
    "Voltage\tSpannung\tTension\r\n"
    "Voltage\tSpannung 2\tTension 2\r\n"
    "Power\tLeistung\r\n"
    "Trip\tAuslösung\t\r\n"
    "Grid code\tNetzcode\tCode réseau\r\n"
    "Frequency\tFrequenz\tFréquence\n"
    "Relay\tRelais\tRelais\r"
    "Single\tEinzeln\tUnique\tExtra\r\n");

// Controls marked for translation (Tag 1) and controls that are not to be
// translated whatever their Tag.
constexpr ControlDecl kRows[] = {
    {Kind::Label, "Label_T1", 0, 0, 80, 16, "Voltage", 1},
    {Kind::Label, "Label_T2", 0, 0, 80, 16, "Power", 1},
    {Kind::Label, "Label_T3", 0, 0, 80, 16, "Trip", 1},
    {Kind::Label, "Label_T4", 0, 0, 80, 16, "grid code", 1},
    {Kind::Label, "Label_T5", 0, 0, 80, 16, "Grid code ", 1},
    {Kind::Label, "Label_T6", 0, 0, 80, 16, "Countdown", 1},
    {Kind::Label, "Label_T7", 0, 0, 80, 16, "Frequency", 1},
    {Kind::Label, "Label_T8", 0, 0, 80, 16, "Relay", 1},
    {Kind::Radio, "Radio_T1", 0, 0, 80, 16, "Single", 1},
    {Kind::Label, "Label_U1", 0, 0, 80, 16, "Voltage", 0},
    {Kind::Check, "Check_U1", 0, 0, 80, 16, "Voltage", 1},
    {Kind::Image, "Image_U1", 0, 0, 80, 16, "", 1},
};
constexpr int kMarked = 9;  // the first rows

class DerivedRadio : public QRadioButton {
 public:
  using QRadioButton::QRadioButton;
};

QString Caption(TForm_Main& w, const char* name) {
  QWidget* c = w.findChild<QWidget*>(name);
  if (auto* l = qobject_cast<QLabel*>(c)) return l->text();
  if (auto* b = qobject_cast<QAbstractButton*>(c)) return b->text();
  ADD_FAILURE() << name;
  return {};
}

// Marked plain labels and radio buttons of the whole window with this
// caption: the views' own captions miss an empty table too.
int MarkedWithCaption(TForm_Main& w, const QString& caption) {
  int n = 0;
  for (QWidget* c : w.findChildren<QWidget*>()) {
    if (c->property("Tag").toInt() != 1) continue;
    if (typeid(*c) == typeid(ValueLabel) && static_cast<QLabel*>(c)->text() == caption) ++n;
    if (typeid(*c) == typeid(QRadioButton) && static_cast<QAbstractButton*>(c)->text() == caption) ++n;
  }
  return n;
}

QStringList LogLines(TForm_Main& w) {
  const QString text = w.EventLog()->toPlainText();
  return text.isEmpty() ? QStringList() : text.split('\n');
}

class Language : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(home_.isValid());
    ASSERT_TRUE(runtime_.isValid());
    QFile::setPermissions(runtime_.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    oldHome_ = qgetenv("QORVANE_HOME");
    oldRuntime_ = qgetenv("XDG_RUNTIME_DIR");
    qputenv("QORVANE_HOME", home_.path().toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", runtime_.path().toLocal8Bit());
    ASSERT_TRUE(QDir(home_.path()).mkpath("profile"));
  }
  void TearDown() override {
    SetProgramStarter({});
    qputenv("QORVANE_HOME", oldHome_);
    qputenv("XDG_RUNTIME_DIR", oldRuntime_);
  }

  void WriteTable(const QByteArray& bytes) {
    QFile f(home_.filePath("profile/LangTable.KXL"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
  }

  // A window with the test controls in its header.
  std::unique_ptr<TForm_Main> Window() {
    auto w = std::make_unique<TForm_Main>();
    QWidget* top = w->Ctl<QWidget>("Group_Top");
    BuildControls(top, kRows);
    w->findChild<ImageBox*>("Image_U1")->setText("Voltage");
    auto* plain = new QLabel("Voltage", top);
    plain->setObjectName("Label_Plain");
    plain->setProperty("Tag", 1);
    auto* derived = new DerivedRadio("Single", top);
    derived->setObjectName("Radio_Derived");
    derived->setProperty("Tag", 1);
    return w;
  }

  QTemporaryDir home_, runtime_;
  QByteArray oldHome_, oldRuntime_;
  FakeDialogs dialogs_;
};
}  // namespace

TEST(LangTable, LinesCellsAndEncoding) {
  struct Case {
    const char* what;
    QByteArray bytes;
    QList<QStringList> rows;
  };
  const QString surrogate = QString::fromUtf8("\xF0\x9D\x91\x89");  // outside the 16-bit plane
  const Case cases[] = {
      {"empty file", {}, {}},
      {"mark only", QByteArray("\xFF\xFE", 2), {}},
      {"no mark", Utf16Le("a\tb", false), {{"a", "b"}}},
      {"final line end starts no row", Utf16Le("a\r\n", true), {{"a"}}},
      {"empty line kept", Utf16Le("a\r\n\r\nb", true), {{"a"}, {""}, {"b"}}},
      {"lone CR and LF", Utf16Le("a\rb\nc", true), {{"a"}, {"b"}, {"c"}}},
      {"trailing TAB gives an empty cell", Utf16Le("a\t\r\n\t", true), {{"a", ""}, {"", ""}}},
      {"blanks belong to the cell", Utf16Le(" a \t b", true), {{" a ", " b"}}},
      {"odd last byte ignored", Utf16Le("ab", true) + 'x', {{"ab"}}},
      {"surrogate pair", Utf16Le("x\t" + surrogate, true), {{"x", surrogate}}},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseLangTable(c.bytes), c.rows) << c.what;
}

TEST_F(Language, MarkedCaptionsTakeTheLanguageColumn) {
  WriteTable(Utf16Le(kTable, true));
  struct Expect {
    const char* name;
    QString german, french;
  };
  const Expect expects[] = {
      {"Label_T1", "Spannung", "Tension"},  // first of two rows
      {"Label_T2", "Leistung", ""},         // no cell for French: empty
      {"Label_T3", QString::fromUtf8("Auslösung"), ""},  // trailing TAB: empty cell
      {"Label_T4", "grid code", "grid code"},            // letter case differs: miss
      {"Label_T5", "Grid code ", "Grid code "},          // trailing blank: miss
      {"Label_T6", "Countdown", "Countdown"},            // only in the header row: miss
      {"Label_T7", "Frequenz", QString::fromUtf8("Fréquence")},
      {"Label_T8", "Relais", "Relais"},
      {"Radio_T1", "Einzeln", "Unique"},
      {"Label_U1", "Voltage", "Voltage"},  // not marked
      {"Check_U1", "Voltage", "Voltage"},  // neither label nor radio button
      {"Image_U1", "Voltage", "Voltage"},  // picture, a label of another class
      {"Label_Plain", "Voltage", "Voltage"},
      {"Radio_Derived", "Single", "Single"},
  };
  for (int language : {1, 2}) {
    auto w = Window();
    w->LanguageChange(language);
    for (const Expect& e : expects)
      EXPECT_EQ(Caption(*w, e.name), language == 1 ? e.german : e.french) << e.name << " language " << language;

    const QStringList log = LogLines(*w);
    for (const char* miss : {"grid code", "Grid code ", "Countdown"}) {
      EXPECT_EQ(log.count(QString(miss) + " Search Error"), MarkedWithCaption(*w, miss)) << miss;
      EXPECT_GE(log.count(QString(miss) + " Search Error"), 1) << miss;
    }
    for (const QString& line : log) {
      EXPECT_TRUE(line.endsWith(" Search Error")) << line.toStdString();
      for (const char* hit : {"Voltage", "Power", "Trip", "Frequency", "Relay", "Single"})
        EXPECT_NE(line, QString(hit) + " Search Error");
    }

    // The whole table is in the grid, the unread fourth column too.
    auto* grid = w->Ctl<QTableWidget>("Grid_MultiLang");
    ASSERT_NE(grid, nullptr);
    EXPECT_TRUE(grid->isHidden());
    EXPECT_EQ(grid->rowCount(), 9);
    EXPECT_EQ(grid->columnCount(), 4);
    EXPECT_EQ(grid->item(8, 3)->text(), "Extra");
    EXPECT_EQ(grid->item(0, 0)->text(), "Countdown");
  }
}

TEST_F(Language, TableWithoutByteOrderMarkReadsTheSame) {
  WriteTable(Utf16Le(kTable, false));
  auto w = Window();
  w->LanguageChange(2);
  EXPECT_EQ(Caption(*w, "Label_T7"), QString::fromUtf8("Fréquence"));
  EXPECT_EQ(Caption(*w, "Radio_T1"), "Unique");
}

TEST_F(Language, MissingTableOrNoLanguageLeavesTheWindowEnglishAndSilent) {
  struct Case {
    const char* what;
    bool table;
    int language;
  };
  const Case cases[] = {
      {"no table", false, 1},
      {"English", true, 0},
      {"index past the languages", true, 3},
      {"negative index", true, -1},
  };
  for (const Case& c : cases) {
    QFile::remove(home_.filePath("profile/LangTable.KXL"));
    if (c.table) WriteTable(Utf16Le(kTable, true));
    auto w = Window();
    w->LanguageChange(c.language);
    for (int i = 0; i < kMarked; ++i)
      EXPECT_EQ(Caption(*w, kRows[i].name), QString::fromUtf8(kRows[i].caption)) << c.what;
    EXPECT_TRUE(LogLines(*w).isEmpty()) << c.what;
    EXPECT_EQ(w->Ctl<QTableWidget>("Grid_MultiLang")->rowCount(), 0) << c.what << ": the table was read";
  }
}

TEST_F(Language, EmptyTableMakesEveryMarkedControlAMiss) {
  for (const QByteArray& bytes : {QByteArray(), QByteArray("\xFF\xFE", 2)}) {
    WriteTable(bytes);
    QStringList baseLog;  // the window's own controls, without the rows under test
    {
      TForm_Main base;
      base.LanguageChange(1);
      baseLog = LogLines(base);
    }
    auto w = Window();
    w->LanguageChange(1);
    const QStringList log = LogLines(*w);
    for (int i = 0; i < kMarked; ++i) {
      const QString caption = Caption(*w, kRows[i].name);
      EXPECT_EQ(caption, QString::fromUtf8(kRows[i].caption));
      EXPECT_EQ(log.count(caption + " Search Error"), MarkedWithCaption(*w, caption)) << kRows[i].name;
      EXPECT_GE(log.count(caption + " Search Error"), 1) << kRows[i].name;
      // One miss for this row, besides those of view captions elsewhere in
      // the window that carry the same text.
      EXPECT_EQ(log.count(caption + " Search Error"), baseLog.count(caption + " Search Error") + 1) << kRows[i].name;
    }
    EXPECT_EQ(w->Ctl<QTableWidget>("Grid_MultiLang")->rowCount(), 1);  // the header row only
  }
}

// Each flag stores its language, closes the window (whose close handler keeps
// the language for the next run) and starts the program again; the title is
// already free when the successor starts, so it is not refused. The flag of
// the language shown restarts all the same.
TEST_F(Language, FlagClosesHandsTheTitleOverAndRestarts) {
  struct Case {
    const char* flag;
    int before, after;
  };
  const Case cases[] = {
      {"Image_Country_USA", 1, 0},
      {"Image_Country_Genman", 0, 1},
      {"Image_Country_French", 0, 2},
      {"Image_Country_USA", 0, 0},
  };
  for (const Case& c : cases) {
    auto w = Window();
    ASSERT_FALSE(w->FormCreate()) << "the title is held elsewhere";
    w->show();
    w->LanguageIndex = c.before;
    int starts = 0;
    bool titleFree = false, windowOpen = true;
    SetProgramStarter([&] {
      ++starts;
      windowOpen = w->isVisible();
      SingleInstanceGuard successor("Qorvane V4.9");
      titleFree = !successor.OtherInstanceRunning();
      return true;
    });
    // A click as the user makes it: the left button pressed and released.
    auto* flag = w->Ctl<ImageBox>(c.flag);
    ASSERT_NE(flag, nullptr);
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), flag->mapToGlobal(QPointF(5, 5)), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(5, 5), flag->mapToGlobal(QPointF(5, 5)),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(flag, &press);
    QCoreApplication::sendEvent(flag, &release);

    EXPECT_EQ(w->LanguageIndex, c.after) << c.flag;
    EXPECT_EQ(starts, 1) << c.flag;
    EXPECT_FALSE(windowOpen) << c.flag << ": started before the window closed";
    EXPECT_TRUE(titleFree) << c.flag << ": the successor would have been refused";
    EXPECT_EQ(w->PollStop, 1) << c.flag << ": the close handler did not run";
    SetProgramStarter({});
  }
}

// A flag clicked while the link is open and polled: the program is started
// again once, and this one ends (its event loop returns), leaving the
// successor as the one running program.
TEST_F(Language, FlagClickedWhilePollingEndsThisProgram) {
  polltest::LinkedWindow t;  // the link open on the simulated inverter
  TForm_Main& w = t.w;
  ASSERT_FALSE(w.FormCreate());
  w.show();
  t.ShowPanel("Group_Version");
  int starts = 0;
  SetProgramStarter([&] { return ++starts, true; });

  QTimer::singleShot(0, &w, [&w] {
    w.LinkOpen = true;
    w.RunPollingLoop();
  });
  waits::Until(
      &w, "the device polled",
      [&] {
        if (t.sim.Frames().empty()) return false;
        QTest::mouseClick(w.Ctl<ImageBox>("Image_Country_Genman"), Qt::LeftButton, {}, QPoint(5, 5));
        // The requests still due in the pass wait for their replies in event
        // loops of their own, as every serial wait does.
        QEventLoop wait;
        QTimer::singleShot(20, &wait, &QEventLoop::quit);
        wait.exec();
        return true;
      },
      [&w] { w.ClosePortClick(); });
  // Still running long after the click: the old program would idle on.
  QTimer idle;
  idle.setSingleShot(true);
  QObject::connect(&idle, &QTimer::timeout, [] {
    ADD_FAILURE() << "the program still runs after the restart";
    QCoreApplication::exit(1);
  });
  idle.start(waits::kSeconds * 1000);

  EXPECT_EQ(QCoreApplication::exec(), 0);
  EXPECT_EQ(starts, 1);
  EXPECT_EQ(w.LanguageIndex, 1);
  EXPECT_FALSE(w.isVisible());
  EXPECT_FALSE(w.LinkOpen) << "the link was left open";
}

// The successor is the real program: it must take the title and keep running
// while this process, the old instance, has not ended yet.
TEST_F(Language, RestartedProgramTakesTheTitleAndRuns) {
  auto w = Window();
  ASSERT_FALSE(w->FormCreate());
  w->show();
  QProcess successor;
  SetProgramStarter([&] {
    successor.start(QORVANE_EXE, {});
    return successor.waitForStarted(5000);
  });
  w->Image_Country_GenmanClick();
  ASSERT_EQ(successor.state(), QProcess::Running);

  QElapsedTimer t;
  t.start();
  bool listening = false;
  while (!listening && t.elapsed() < 15000 && successor.state() == QProcess::Running) {
    QLocalSocket s;
    s.connectToServer(SingleInstanceGuard::ServerName("Qorvane V4.9"));
    listening = s.waitForConnected(100);
    if (!listening) QThread::msleep(50);
  }
  EXPECT_TRUE(listening) << "the successor never took the title";
  // A refused instance ends at once; the successor stays.
  EXPECT_FALSE(successor.waitForFinished(1500));
  EXPECT_EQ(successor.state(), QProcess::Running);
  SingleInstanceGuard third("Qorvane V4.9");
  EXPECT_TRUE(third.OtherInstanceRunning());

  successor.terminate();
  if (!successor.waitForFinished(5000)) successor.kill();
  successor.waitForFinished(5000);
}
