#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QEnterEvent>
#include <QFile>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <memory>

#include "app/FormWait.h"
#include "app/MyMessage.h"
#include "app/ToolbarIcons.h"
#include "app/main.h"
#include "platform/ImageBox.h"
#include "platform/Shell.h"
#include "support/FakeDialogs.h"

namespace {
void Enter(QWidget* w) {
  QEnterEvent e(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
  QCoreApplication::sendEvent(w, &e);
}
void Leave(QWidget* w) {
  QEvent e(QEvent::Leave);
  QCoreApplication::sendEvent(w, &e);
}
void Click(QWidget* w) {
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(2, 2), w->mapToGlobal(QPointF(2, 2)), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
  QMouseEvent release(QEvent::MouseButtonRelease, QPointF(2, 2), w->mapToGlobal(QPointF(2, 2)), Qt::LeftButton,
                      Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(w, &press);
  QCoreApplication::sendEvent(w, &release);
}
bool PressF11(QWidget* w) {
  QKeyEvent e(QEvent::KeyPress, Qt::Key_F11, Qt::NoModifier);
  QCoreApplication::sendEvent(w, &e);
  QCoreApplication::processEvents();
  return e.isAccepted();
}

// The box of the dark pixels within `area` of the image.
QRect InkBox(const QImage& image, const QRect& area) {
  QRect ink;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x)
      if (qGray(image.pixel(x, y)) < 128) ink |= QRect(x, y, 1, 1);
  return ink;
}

// The header shows the label's caption whole: all that the label draws of
// it lies inside the header, which cuts off whatever reaches past its edges.
void ExpectWholeCaption(QWidget* header, QLabel* label) {
  const QImage own = label->grab().toImage();
  const QRect ink = InkBox(own, own.rect());
  ASSERT_FALSE(ink.isEmpty());
  const QRect placed = ink.translated(label->pos());
  EXPECT_TRUE(header->rect().contains(placed))
      << label->text().toStdString() << " cut off by the header: rows " << placed.top() << " to "
      << placed.bottom() << " of " << header->height();
}

// Every pixel of the picture's 47 x 48 area against a table.
int PixelsOffTable(ImageBox* pic, const IconTable& table) {
  int off = 0;
  for (int col = 0; col < kIconColumns; ++col)
    for (int row = 0; row < kIconRows; ++row)
      if (pic->Pixel(col, row) != TableColor(table[col * kIconRows + row])) ++off;
  return off;
}

// The 152 pixels of the frame (the four corners are not part of it).
QList<QPoint> FramePixels() {
  QList<QPoint> points;
  for (int i = 1; i <= 38; ++i) points << QPoint(i, 0) << QPoint(0, i) << QPoint(i, 39) << QPoint(39, i);
  return points;
}

class Furniture : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(home_.isValid());
    oldHome_ = qgetenv("QORVANE_HOME");
    qputenv("QORVANE_HOME", home_.path().toLocal8Bit());
    SetShellOpener([this](const QString& path) { opened_ << path; });
  }
  void TearDown() override {
    SetShellOpener({});
    qputenv("QORVANE_HOME", oldHome_);
  }

  QTemporaryDir home_;
  QByteArray oldHome_;
  QStringList opened_;
  FakeDialogs dialogs_;
};
}  // namespace

TEST_F(Furniture, HeaderPictureDarkensDownwardsAndLeavesTwoRows) {
  TForm_Main w;
  w.show();
  QCoreApplication::processEvents();
  auto* pic = w.Ctl<ImageBox>("Image_TopRight");
  ASSERT_NE(pic, nullptr);
  EXPECT_EQ(pic->geometry(), QRect(0, 0, 3000, 75));
  EXPECT_EQ(pic->Canvas().size(), QSize(3000, 75));
  for (int x : {0, 1500, 2999}) {
    EXPECT_EQ(pic->Pixel(x, 0), qRgb(200, 250, 255));
    EXPECT_EQ(pic->Pixel(x, 40), qRgb(160, 210, 255));
    EXPECT_EQ(pic->Pixel(x, 72), qRgb(128, 178, 255));
    EXPECT_EQ(pic->Pixel(x, 73), qRgb(255, 255, 255)) << "the last two rows are not painted";
    EXPECT_EQ(pic->Pixel(x, 74), qRgb(255, 255, 255));
  }
  // It lies under every other control of the header.
  EXPECT_EQ(w.Ctl<QWidget>("Group_Top")->children().indexOf(pic), 0);
}

TEST_F(Furniture, RightHandControlsKeepTheirDistanceAndTheWindowItsMinimum) {
  TForm_Main w;
  w.show();
  QCoreApplication::processEvents();
  struct Case {
    QSize asked, outer;
  };
  const Case cases[] = {
      {{1000, 700}, {1000, 700}},
      {{1300, 900}, {1300, 900}},
      {{500, 400}, {800, 600}},
      {{700, 900}, {800, 900}},
      {{1200, 300}, {1200, 600}},
  };
  for (const Case& c : cases) {
    const QSize frame = w.frameGeometry().size() - w.size();
    w.resize(c.asked - frame);
    QCoreApplication::processEvents();
    EXPECT_EQ(w.frameGeometry().size(), c.outer) << c.asked.width() << "x" << c.asked.height();
    const int outer = w.frameGeometry().width();
    EXPECT_EQ(w.Control("Btn_Help")->x(), outer - 72);
    EXPECT_EQ(w.Control("Label_TopRetract")->x(), outer - 65);
    EXPECT_EQ(w.Control("Label_LeftDownRetract")->x(), outer - 40);
  }
}

// The window manager is told the smallest size the window takes, 800 x 600
// with the frame, so a drag of an edge stops there: the header's right-hand
// controls and the page tabs stay in reach. Shrunk below it by the window
// system all the same, the window snaps back; with the header collapsed too.
TEST_F(Furniture, TheWindowManagerKeepsTheWindowAtLeast800By600) {
  TForm_Main w;
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  QWindow* window = w.windowHandle();
  ASSERT_NE(window, nullptr);
  // The least outer size the window manager is told, as "width x height".
  auto told = [window] {
    const QMargins m = window->frameMargins();
    const QSize outer = window->minimumSize() + QSize(m.left() + m.right(), m.top() + m.bottom());
    return std::to_string(outer.width()) + " x " + std::to_string(outer.height());
  };
  for (bool collapsed : {false, true}) {
    SCOPED_TRACE(collapsed ? "header collapsed" : "header open");
    if (collapsed) {
      PressF11(&w);
      w.showNormal();
      ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
      window = w.windowHandle();
    }
    EXPECT_EQ(told(), "800 x 600");
    window->resize(450, 380);
    EXPECT_TRUE(QTest::qWaitFor([&w] { return w.frameGeometry().size() == QSize(800, 600); }))
        << w.frameGeometry().width() << "x" << w.frameGeometry().height();
    EXPECT_EQ(w.Control("Btn_Help")->x(), 800 - 72);
  }
}

TEST_F(Furniture, F11TwiceCollapsesAndRestoresTheHeader) {
  TForm_Main w;
  w.show();
  QCoreApplication::processEvents();
  auto* top = w.Ctl<QWidget>("Group_Top");
  auto* label = w.Ctl<QLabel>("Label_TopRetract");
  auto* pic = w.Ctl<ImageBox>("Image_TopRight");
  EXPECT_EQ(label->text(), "_");
  EXPECT_EQ(label->font().pointSize(), 18);
  EXPECT_EQ(label->y(), -20);
  ExpectWholeCaption(top, label);

  EXPECT_FALSE(PressF11(&w)) << "the key is not marked as handled";
  EXPECT_EQ(top->maximumHeight(), 14);
  EXPECT_EQ(top->minimumHeight(), 14);
  EXPECT_EQ(label->text(), "+");
  EXPECT_EQ(label->font().pointSize(), 14);
  ExpectWholeCaption(top, label);
  EXPECT_TRUE(w.windowFlags() & Qt::FramelessWindowHint);
  EXPECT_TRUE(w.isMaximized());
  EXPECT_TRUE(w.isVisible());
  EXPECT_EQ(pic->height(), 14);
  EXPECT_EQ(pic->Pixel(10, 11), qRgb(189, 239, 255));
  EXPECT_EQ(pic->Pixel(10, 12), qRgb(255, 255, 255));

  EXPECT_FALSE(PressF11(&w));
  EXPECT_EQ(top->maximumHeight(), 75);
  EXPECT_EQ(label->text(), "_");
  EXPECT_EQ(label->font().pointSize(), 18);
  EXPECT_EQ(label->y(), -20);
  ExpectWholeCaption(top, label);
  EXPECT_FALSE(w.windowFlags() & Qt::FramelessWindowHint) << "the border comes back on the restore";
  EXPECT_TRUE(w.isMaximized());
  EXPECT_TRUE(w.isVisible());
  EXPECT_EQ(pic->height(), 75);
  EXPECT_EQ(pic->Pixel(10, 72), qRgb(128, 178, 255));

  // A click on the label does the same as F11.
  Click(label);
  QCoreApplication::processEvents();
  EXPECT_EQ(top->maximumHeight(), 14);
  w.FormShortCut(Qt::Key_F10);  // any other key does nothing
  EXPECT_EQ(top->maximumHeight(), 14);
}

TEST_F(Furniture, LeftPanelFoldsAndUnfolds) {
  TForm_Main w;
  auto* panel = w.Ctl<QWidget>("Panel_LeftDown");
  auto* label = w.Ctl<QLabel>("Label_LeftDownRetract");
  EXPECT_EQ(label->text(), "<<");
  Click(label);
  EXPECT_EQ(panel->maximumWidth(), 5);
  EXPECT_EQ(panel->minimumWidth(), 5);
  EXPECT_EQ(label->text(), ">>");
  Click(label);
  EXPECT_EQ(panel->maximumWidth(), 140);
  EXPECT_EQ(label->text(), "<<");
}

TEST_F(Furniture, TablePicturesTakeTheirHighlightedAndNormalLooks) {
  TForm_Main w;
  const struct {
    const char* name;
    const IconTable& (*table)(bool);
  } pictures[] = {
      {"Image_SyncClock", SyncClockIcon},
      {"Image_DataLog", DataLogIcon},
      {"Image_Firmware", FirmwareIcon},
  };
  for (const auto& p : pictures) {
    auto* pic = w.Ctl<ImageBox>(p.name);
    ASSERT_NE(pic, nullptr) << p.name;
    EXPECT_EQ(pic->size(), QSize(47, 48));
    ASSERT_GT(PixelsOffTable(pic, p.table(true)), 100) << p.name << ": the two looks must differ";
    EXPECT_EQ(PixelsOffTable(pic, p.table(false)), 0) << p.name << " starts in its normal look";
    Enter(pic);
    EXPECT_EQ(PixelsOffTable(pic, p.table(true)), 0) << p.name;
    Leave(pic);
    EXPECT_EQ(PixelsOffTable(pic, p.table(false)), 0) << p.name;
  }
}

TEST_F(Furniture, TableLooksStayWithinTheTable) {
  TForm_Main w;
  auto* pic = w.Ctl<ImageBox>("Image_DataLog");
  pic->resize(60, 60);
  QImage big(60, 60, QImage::Format_RGB32);
  big.fill(qRgb(255, 0, 255));
  pic->SetCanvas(big);
  w.Image_DataLogMouseEnter();
  EXPECT_EQ(pic->Pixel(46, 47), TableColor(DataLogIcon(true)[46 * kIconRows + 47]));
  for (QPoint outside : {QPoint(47, 0), QPoint(0, 48), QPoint(59, 59)})
    EXPECT_EQ(pic->Pixel(outside.x(), outside.y()), qRgb(255, 0, 255));
}

TEST_F(Furniture, FramedPicturesGetAndLoseTheirFrame) {
  TForm_Main w;
  for (const char* name : {"Image_OpenGridSet", "Image_SaveGridSet"}) {
    auto* pic = w.Ctl<ImageBox>(name);
    ASSERT_NE(pic, nullptr) << name;
    EXPECT_EQ(pic->size(), QSize(40, 40));
    const QRgb corner = qRgb(255, 255, 0), topLeft = qRgb(10, 20, 30);
    pic->SetPixel(0, 0, topLeft);
    for (QPoint c : {QPoint(39, 0), QPoint(0, 39), QPoint(39, 39)}) pic->SetPixel(c.x(), c.y(), corner);
    pic->SetPixel(5, 0, qRgb(0, 255, 0));  // frame pixels of any colour before
    pic->SetPixel(39, 7, qRgb(0, 0, 255));

    Enter(pic);
    for (QPoint p : FramePixels()) {
      const bool light = p.y() == 0 || p.x() == 0;
      EXPECT_EQ(pic->Pixel(p.x(), p.y()), light ? qRgb(0xC8, 0xC8, 0xC8) : qRgb(0x80, 0x80, 0x80))
          << name << " " << p.x() << "," << p.y();
    }
    EXPECT_EQ(pic->Pixel(0, 0), topLeft);
    EXPECT_EQ(pic->Pixel(39, 39), corner);

    Leave(pic);
    for (QPoint p : FramePixels()) EXPECT_EQ(pic->Pixel(p.x(), p.y()), topLeft) << name << " " << p.x() << "," << p.y();
    for (QPoint c : {QPoint(39, 0), QPoint(0, 39), QPoint(39, 39)}) EXPECT_EQ(pic->Pixel(c.x(), c.y()), corner);
  }
}

TEST_F(Furniture, HelpWritesAMissingGuideAndOpensIt) {
  QFile resource(":/FILE_CMD/SRC1");
  TForm_Main w;  // makes the guide resource known
  ASSERT_TRUE(resource.open(QIODevice::ReadOnly));
  const QByteArray guide = resource.readAll();
  ASSERT_TRUE(guide.startsWith("%PDF-"));
  const QString path = home_.filePath("QOR_Guide.pdf");

  w.Ctl<QPushButton>("Btn_Help")->click();
  EXPECT_EQ(opened_, QStringList{path});
  QFile written(path);
  ASSERT_TRUE(written.open(QIODevice::ReadOnly));
  EXPECT_EQ(written.readAll(), guide);
  written.close();

  // A file already there is opened as it is, whatever it holds.
  ASSERT_TRUE(written.open(QIODevice::WriteOnly));
  written.write("not the guide");
  written.close();
  w.Btn_HelpClick();
  EXPECT_EQ(opened_, (QStringList{path, path}));
  ASSERT_TRUE(written.open(QIODevice::ReadOnly));
  EXPECT_EQ(written.readAll(), "not the guide");
  EXPECT_TRUE(dialogs_.messages.isEmpty());
}

TEST_F(Furniture, HelpThatCannotWriteTheGuideSaysSoAndOpensNothing) {
  TForm_Main w;
  // A folder in the guide's place cannot be replaced by the file.
  ASSERT_TRUE(QDir(home_.path()).mkdir("QOR_Guide.pdf"));
  w.Btn_HelpClick();
  EXPECT_TRUE(opened_.isEmpty());
  ASSERT_EQ(dialogs_.messages.size(), 1);
  EXPECT_TRUE(dialogs_.messages.front().contains("QOR_Guide.pdf"));
  // Nothing half-written is left behind.
  EXPECT_EQ(QDir(home_.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
            QStringList{"QOR_Guide.pdf"});
}

TEST_F(Furniture, HeaderControlsAreDeclaredOnce) {
  TForm_Main w;
  const QRegularExpression named("^(Group|Panel|Label|Edit|Combo|Radio|Check|Btn|Image|Grid|List|Tab|Scroll)_");
  QHash<QString, int> seen;
  for (QWidget* c : w.findChildren<QWidget*>())
    if (named.match(c->objectName()).hasMatch()) ++seen[c->objectName()];
  for (auto it = seen.cbegin(); it != seen.cend(); ++it) EXPECT_EQ(it.value(), 1) << it.key().toStdString();
  for (const char* name : {"Image_TopRight", "Btn_Help", "Label_TopRetract", "Label_LeftDownRetract",
                           "Image_Country_USA", "Image_Country_Genman", "Image_Country_French",
                           "Label_SelectLanguage", "Grid_MultiLang"})
    EXPECT_EQ(seen.value(name), 1) << name;
  EXPECT_EQ(w.Ctl<QLabel>("Label_SelectLanguage")->text(), "English");
  EXPECT_EQ(w.Control("Image_Country_USA")->toolTip(), "English");
  EXPECT_EQ(w.Control("Image_Country_Genman")->toolTip(), "German");
  EXPECT_EQ(w.Control("Image_Country_French")->toolTip(), "French");
}

TEST(BusyWindow, PicturesCycleAndASecondShowContinues) {
  TForm_Main owner;
  owner.setGeometry(100, 100, 1000, 700);
  owner.show();
  TForm_wait wait(&owner);
  EXPECT_EQ(wait.size(), QSize(300, 306));
  EXPECT_TRUE(wait.Timer_Wait()->isActive()) << "ticks from creation, shown or not";
  EXPECT_EQ(wait.Timer_Wait()->interval(), 1000);
  // The test drives the ticks itself: on a slow machine the real timer could
  // fire during processEvents and move the cycle on.
  wait.Timer_Wait()->stop();
  const auto shown = [&wait] {
    int k = -1, count = 0;
    for (int i = 0; i < 3; ++i)
      if (!wait.findChild<QLabel*>(QString("Image_Wait%1").arg(i + 1))->isHidden()) k = i, ++count;
    return count == 1 ? k : -1;
  };
  wait.Timer_WaitTimer();
  EXPECT_EQ(shown(), 0);
  wait.show();
  QCoreApplication::processEvents();
  EXPECT_EQ(wait.frameGeometry().center(), owner.frameGeometry().center());
  wait.Timer_WaitTimer();
  EXPECT_EQ(shown(), 1);
  wait.close();
  wait.show();
  wait.Timer_WaitTimer();
  EXPECT_EQ(shown(), 2) << "the cycle continues where it stopped";
  wait.Timer_WaitTimer();
  EXPECT_EQ(shown(), 0);
  EXPECT_EQ(wait.Tick(), 4);
}

TEST(ResultWindow, AsDesignedAndShownThroughTheDialogHost) {
  TForm_Message m;
  EXPECT_EQ(m.size(), QSize(536, 216));
  EXPECT_EQ(m.Label1->text(), "FIRMWARE UPGRADE");
  EXPECT_EQ(m.Label2->text(), "COMPLETED");
  EXPECT_EQ(m.Label1->palette().color(QPalette::WindowText), QColor(0, 128, 0));
  EXPECT_EQ(m.Label1->width(), 480);
  EXPECT_EQ(m.Label_Fail->text(), "");
  EXPECT_EQ(m.BitBtn1->text(), "Close");
  EXPECT_EQ(m.BitBtn1->geometry(), QRect(213, 180, 116, 35));
  EXPECT_TRUE(m.Image_Pass->hasScaledContents());

  FakeDialogs dialogs;
  m.Label2->setText("FAIL");
  SetLabelColor(m.Label2, qRgb(255, 0, 0));
  EXPECT_EQ(m.ShowModal(), QDialog::Rejected);
  EXPECT_EQ(dialogs.modals, QStringList{"Form_Message"});
  EXPECT_EQ(m.Label2->palette().color(QPalette::WindowText), QColor(255, 0, 0));
}

TEST(ResultWindow, CloseButtonAndEscapeEndTheModalShow) {
  TForm_Message m;
  for (bool escape : {false, true}) {
    QTimer::singleShot(0, &m, [&m, escape] {
      if (escape) {
        QKeyEvent e(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QCoreApplication::sendEvent(&m, &e);
      } else {
        m.BitBtn1->click();
      }
    });
    QTimer guard;  // a window that does not close must not hang the run
    guard.setSingleShot(true);
    bool timedOut = false;
    QObject::connect(&guard, &QTimer::timeout, &m, [&] {
      timedOut = true;
      m.done(42);
    });
    guard.start(5000);
    EXPECT_EQ(m.ShowModal(), QDialog::Rejected) << (escape ? "Escape" : "Close");
    EXPECT_FALSE(timedOut);
    EXPECT_FALSE(m.isVisible());
  }
}
