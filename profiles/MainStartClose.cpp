// The main window's start state and what it keeps when it closes.
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTreeWidget>
#include <algorithm>

#include "app/GroupPanel.h"
#include "app/main.h"
#include "platform/Dialogs.h"
#include "platform/ImageBox.h"
#include "platform/ProgramFolder.h"
#include "profiles/Designmode.h"

namespace {
constexpr int kTitleHeight = 30;

// A group panel's title bar: 30 lines from (200, 250, 255) at the top, two
// steps darker in red and green per line.
QBrush TitleBarBrush() {
  QImage lines(1, kTitleHeight, QImage::Format_RGB32);
  for (int j = 0; j < kTitleHeight; ++j) lines.setPixel(0, j, qRgb(200 - 2 * j, 250 - 2 * j, 255));
  return QBrush(lines);
}

void PaintTitleBar(GroupPanel* panel, const QBrush& brush) {
  QLabel* title = panel->TitleLabel();
  if (!title) return;
  title->setGeometry(0, 0, panel->width() - 1, kTitleHeight);
  title->setAutoFillBackground(true);
  QPalette pal = title->palette();
  pal.setBrush(QPalette::Window, brush);
  title->setPalette(pal);
}

// A box's background picture: inset 2 px in its parent, one line per row from
// (200, 250, 255) downwards, one step darker in red and green per line.
void PaintBoxBackground(ImageBox* pic) {
  const QWidget* box = pic->parentWidget();
  if (!box) return;
  pic->setGeometry(2, 2, box->width() - 4, box->height() - 4);
  QImage canvas(std::max(pic->width(), 1), std::max(pic->height(), 1), QImage::Format_RGB32);
  for (int j = 0; j < canvas.height(); ++j) {
    const QRgb colour = qRgb((200 - j) & 0xFF, (250 - j) & 0xFF, 255);
    for (int x = 0; x < canvas.width(); ++x) canvas.setPixel(x, j, colour);
  }
  pic->SetCanvas(canvas);
}

QString PreviousSetPath() { return ProgramPath("profile/PreviousSet.KXL"); }
}  // namespace

void TForm_Main::FormShow() {
  PollStop = 1;
  CurrentPage = -1;
  auto* pages = Ctl<QTabWidget>("PageControl");
  {
    const QSignalBlocker block(pages);
    pages->setCurrentIndex(0);
    for (const char* tab : {"TabSheet1", "TabSheet2", "TabSheet3", "TabSheet4", "TabSheet5", "TabSheet6",
                            "TabSheet7", "Tab_Firmware"})
      SetTabVisible(pages, Control(tab), false);
  }
  ReclosureRate = 10;
  ReactiveSign = 0;
  PowerMul = 1;
  EnergyMul = 10;
  VoltageDiv = 10;
  DcCurrentDiv = 100;
  AcCurrentDiv = 100;
  ResetPageScroll();
  ScrollPopMenuAuto = false;

  LoadPreviousSet(*this, PreviousSetPath());
  if (LanguageIndex > 0) LanguageChange(LanguageIndex);
  if (LanguageIndex == 1) Ctl<QLabel>("Label_SelectLanguage")->setText("German");
  if (LanguageIndex == 2) Ctl<QLabel>("Label_SelectLanguage")->setText("French");

  AddTreeRoot();
  BuildIdTree();

  for (const GroupPanelDecl& d : GroupPanelTable()) {
    GroupPanel* p = Panel(QString::fromLatin1(d.name));
    if (!p || p->Tag() == 0) continue;
    p->hide();
    p->resize(p->width(), 40);
  }

  std::array<QString, 20> profiles;
  if (!ListLayoutProfiles(profiles)) ShowMessage("Load Directory of Config Error");
  auto* combo = Ctl<QComboBox>("Combo_SelectMode");
  for (const QString& name : profiles)
    if (name.size() > 2) combo->addItem(name);
  combo->setCurrentIndex(-1);

  const QBrush title = TitleBarBrush();
  for (const GroupPanelDecl& d : GroupPanelTable())
    if (GroupPanel* p = Panel(QString::fromLatin1(d.name))) PaintTitleBar(p, title);
  for (ImageBox* pic : findChildren<ImageBox*>())
    if (pic->property("Tag").toInt() == 2) PaintBoxBackground(pic);
}

void TForm_Main::FormClose() {
  hide();
  ResetPageScroll();
  PollStop = 1;
  // Each file is saved on its own: a refused write is reported and the saves
  // after it still run, so the previous-run file is always written.
  auto* combo = Ctl<QComboBox>("Combo_SelectMode");
  if (combo->currentIndex() >= 0) {
    SaveCurrentPageLayout();
    QString error;
    if (SaveMonitorSettings(*this, ProfilePath(combo->currentText(), "MonitorSet.KXL"), IsSuperUser == 1, &error) ==
        kFileRefused)
      ShowMessage(error);
  }
  QString error;
  if (SavePreviousSet(*this, PreviousSetPath(), &error) == kFileRefused) ShowMessage(error);
}
