// The main window's furniture: the header with its painted background and
// right-hand controls, the collapsing header and left panel, the toolbar
// pictures' hover looks and the help button.
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QSaveFile>
#include <QTableWidget>
#include <QThread>
#include <QWindow>
#include <algorithm>
#include <functional>

#include "app/ControlTable.h"
#include "app/ToolbarIcons.h"
#include "app/main.h"
#include "link/CommandCodes.h"
#include "link/Modbus.h"
#include "platform/Dialogs.h"
#include "platform/ImageBox.h"
#include "platform/ProgramFolder.h"
#include "platform/Shell.h"
#include "platform/ValueLabel.h"

namespace {
constexpr int kHeaderHigh = 75;
constexpr int kHeaderLow = 14;
constexpr int kLeftWide = 140;
constexpr int kLeftNarrow = 5;
constexpr int kHeaderPictureWidth = 3000;
constexpr int kFlagWidth = 20;
constexpr int kFlagHeight = 14;
constexpr int kRetractHeight = 45;  // Label_TopRetract while the header is open
constexpr int kLeastOuterWidth = 800;
constexpr int kLeastOuterHeight = 600;

// The header's own controls. Image_TopRight comes first so that it lies
// under everything else in the header.
constexpr ControlDecl kHeaderRows[] = {
    {Kind::Image, "Image_TopRight", 0, 0, kHeaderPictureWidth, kHeaderHigh},
    {Kind::Image, "Image_Country_USA", 156, 8, kFlagWidth, kFlagHeight, "English"},
    {Kind::Image, "Image_Country_Genman", 180, 8, kFlagWidth, kFlagHeight, "German"},
    {Kind::Image, "Image_Country_French", 204, 8, kFlagWidth, kFlagHeight, "French"},
    {Kind::Label, "Label_SelectLanguage", 156, 29, 60, 18, "English"},
    {Kind::Image, "Image_SyncClock", 700, 4, kIconColumns, kIconRows},
    {Kind::Image, "Image_DataLog", 752, 4, kIconColumns, kIconRows},
    {Kind::Image, "Image_OpenGridSet", 806, 8, 40, 40, "Load File & Execute"},
    {Kind::Image, "Image_SaveGridSet", 850, 8, 40, 40, "Save Setting"},
    {Kind::Label, "Label_GridSetLog", 790, 54, 130, 18, "Grid Set(Load/Save)", 0, kGreen | kCaption},
    {Kind::Image, "Image_Firmware", 898, 4, kIconColumns, kIconRows},
    {Kind::Button, "Btn_Help", 1034, 44, 60, 24, "Help"},
    {Kind::Label, "Label_TopRetract", 1041, -20, 20, kRetractHeight, "_"},
    {Kind::Label, "Label_LeftDownRetract", 1066, 2, 30, 20, "<<"},
    {Kind::Grid, "Grid_MultiLang", 0, 0, 10, 10},
};

// A label's click: the left button released over it.
class LabelClick : public QObject {
 public:
  LabelClick(QWidget* label, std::function<void()> onClick) : QObject(label), onClick_(std::move(onClick)) {
    label->installEventFilter(this);
  }
  bool eventFilter(QObject* watched, QEvent* e) override {
    if (e->type() == QEvent::MouseButtonRelease) {
      auto* me = static_cast<QMouseEvent*>(e);
      auto* w = static_cast<QWidget*>(watched);
      if (me->button() == Qt::LeftButton && w->rect().contains(me->position().toPoint())) onClick_();
    }
    return false;
  }

 private:
  std::function<void()> onClick_;
};

void SetFontSize(QWidget* w, int points) {
  QFont f = w->font();
  f.setPointSize(points);
  w->setFont(f);
}

// Collapsed, the header shows its top `strip` pixels only. A label as tall
// as the open header centres its caption on the line of text, below what the
// strip shows; the "+" instead goes where its glyph itself lies whole and
// centred inside the strip.
void FitCaptionIntoStrip(QLabel* label, int strip) {
  const QFontMetrics fm(label->font());
  const QRect glyph = fm.tightBoundingRect(label->text());
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label->resize(label->width(), fm.height());
  label->move(label->x(), (strip - glyph.height()) / 2 - (fm.ascent() + glyph.top()));
}

// Sets the picture's pixels from a table, within both the picture and the
// table (a picture larger than its table keeps its outer pixels).
void PaintTable(ImageBox* pic, const IconTable& table) {
  if (!pic) return;
  const int columns = std::min(pic->width(), kIconColumns);
  const int rows = std::min(pic->height(), kIconRows);
  for (int col = 0; col < columns; ++col)
    for (int row = 0; row < rows; ++row) pic->SetPixel(col, row, TableColor(table[col * kIconRows + row]));
}

// A raised one-pixel frame without its corners, or that frame painted over
// in the colour of the top-left pixel.
void PaintFrame(ImageBox* pic, bool raised) {
  if (!pic) return;
  QRgb light = qRgb(0xC8, 0xC8, 0xC8);
  QRgb dark = qRgb(0x80, 0x80, 0x80);
  if (!raised) light = dark = pic->Pixel(0, 0);
  for (int i = 1; i <= 38; ++i) {
    pic->SetPixel(i, 0, light);
    pic->SetPixel(0, i, light);
    pic->SetPixel(i, 39, dark);
    pic->SetPixel(39, i, dark);
  }
}
}  // namespace

// The guide lives in this library's resources; a static library needs them
// named once for the linker to keep them (and outside any namespace).
static void InitGuideResource() { Q_INIT_RESOURCE(guide); }

extern const PanelControls kHeaderPanel{"Group_Top", kHeaderRows};

void TForm_Main::BindFurniture() {
  InitGuideResource();
  if (auto* pic = Ctl<ImageBox>("Image_TopRight")) pic->lower();
  if (auto* grid = Ctl<QTableWidget>("Grid_MultiLang")) {
    grid->hide();
    grid->setRowCount(0);
    grid->setColumnCount(0);
  }
  if (auto* label = Ctl<QLabel>("Label_TopRetract")) {
    SetFontSize(label, 18);
    label->setCursor(Qt::PointingHandCursor);
    new LabelClick(label, [this] { Label_TopRetractClick(); });
  }
  if (auto* label = Ctl<QLabel>("Label_LeftDownRetract")) {
    label->setCursor(Qt::PointingHandCursor);
    new LabelClick(label, [this] { Label_LeftDownRetractClick(); });
  }
  if (auto* btn = Ctl<QPushButton>("Btn_Help")) connect(btn, &QPushButton::clicked, this, [this] { Btn_HelpClick(); });

  struct Hover {
    const char* name;
    void (TForm_Main::*enter)();
    void (TForm_Main::*leave)();
  };
  const Hover hovers[] = {
      {"Image_SyncClock", &TForm_Main::Image_SyncClockMouseEnter, &TForm_Main::Image_SyncClockMouseLeave},
      {"Image_DataLog", &TForm_Main::Image_DataLogMouseEnter, &TForm_Main::Image_DataLogMouseLeave},
      {"Image_Firmware", &TForm_Main::Image_FirmwareMouseEnter, &TForm_Main::Image_FirmwareMouseLeave},
      {"Image_OpenGridSet", &TForm_Main::Image_OpenGridSetMouseEnter, &TForm_Main::Image_OpenGridSetMouseLeave},
      {"Image_SaveGridSet", &TForm_Main::Image_SaveGridSetMouseEnter, &TForm_Main::Image_SaveGridSetMouseLeave},
  };
  for (const Hover& h : hovers)
    if (auto* pic = Ctl<ImageBox>(h.name)) {
      connect(pic, &ImageBox::MouseEnter, this, h.enter);
      connect(pic, &ImageBox::MouseLeave, this, h.leave);
    }
  if (auto* pic = Ctl<ImageBox>("Image_SyncClock")) pic->SetCanvas(IconImage(SyncClockIcon(false)));
  if (auto* pic = Ctl<ImageBox>("Image_DataLog")) pic->SetCanvas(IconImage(DataLogIcon(false)));
  if (auto* pic = Ctl<ImageBox>("Image_Firmware")) pic->SetCanvas(IconImage(FirmwareIcon(false)));
  if (auto* pic = Ctl<ImageBox>("Image_OpenGridSet")) pic->SetCanvas(OpenGridSetPicture());
  if (auto* pic = Ctl<ImageBox>("Image_SaveGridSet")) pic->SetCanvas(SaveGridSetPicture());
  // The dump and the upload are guarded: they run only after the access code.
  if (auto* pic = Ctl<ImageBox>("Image_SaveGridSet")) connect(pic, &ImageBox::Click, this, &TForm_Main::Image_SaveGridSetClick);
  if (auto* pic = Ctl<ImageBox>("Image_OpenGridSet")) connect(pic, &ImageBox::Click, this, &TForm_Main::Image_OpenGridSetClick);

  const struct {
    const char* name;
    int language;
    void (TForm_Main::*click)();
  } flags[] = {
      {"Image_Country_USA", 0, &TForm_Main::Image_Country_USAClick},
      {"Image_Country_Genman", 1, &TForm_Main::Image_Country_GenmanClick},
      {"Image_Country_French", 2, &TForm_Main::Image_Country_FrenchClick},
  };
  for (const auto& f : flags)
    if (auto* pic = Ctl<ImageBox>(f.name)) {
      pic->SetCanvas(FlagPicture(f.language, kFlagWidth, kFlagHeight));
      pic->setCursor(Qt::PointingHandCursor);
      connect(pic, &ImageBox::Click, this, f.click);
    }
}

void TForm_Main::FormResize() {
  auto* top = Ctl<QWidget>("Group_Top");
  auto* pic = Ctl<ImageBox>("Image_TopRight");
  if (!top || !pic) return;
  // The header's height is its fixed height (75 or 14), laid out or not yet.
  const int headerHeight = top->maximumHeight();
  pic->setGeometry(0, 0, kHeaderPictureWidth, headerHeight);
  QImage img(kHeaderPictureWidth, headerHeight, QImage::Format_RGB32);
  img.fill(Qt::white);
  {
    // A light blue that darkens downwards; the last two rows stay unpainted.
    QPainter p(&img);
    for (int y = 0; y <= headerHeight - 3; ++y) {
      p.setPen(QColor(std::max(0, 200 - y), std::max(0, 250 - y), 255));
      p.drawLine(0, y, kHeaderPictureWidth - 1, y);
    }
  }
  pic->SetCanvas(img);

  const int outerWidth = frameGeometry().width();
  const struct {
    const char* name;
    int fromRight;
  } rightHand[] = {{"Btn_Help", 72}, {"Label_TopRetract", 65}, {"Label_LeftDownRetract", 40}};
  for (const auto& r : rightHand)
    if (QWidget* w = Control(r.name)) w->move(outerWidth - r.fromRight, w->y());

  // The window never stays below 800 x 600 with its frame. The window
  // manager is told so, and stops a drag of an edge there; a size below it
  // that comes all the same snaps back. The frame is known, and may change
  // (F11 takes it away), only once the window is on screen.
  const QSize frame = frameGeometry().size() - size();
  const QSize least = QSize(kLeastOuterWidth, kLeastOuterHeight) - frame;
  if (minimumSize() != least) setMinimumSize(least);
  if (frameGeometry().height() < kLeastOuterHeight) resize(width(), kLeastOuterHeight - frame.height());
  if (frameGeometry().width() < kLeastOuterWidth) resize(kLeastOuterWidth - frame.width(), height());
}

void TForm_Main::Label_TopRetractClick() {
  auto* top = Ctl<QWidget>("Group_Top");
  auto* label = Ctl<QLabel>("Label_TopRetract");
  if (!top || !label) return;
  if (top->maximumHeight() == kHeaderHigh) {
    top->setFixedHeight(kHeaderLow);
    label->setText("+");
    SetFontSize(label, 14);
    FitCaptionIntoStrip(label, kHeaderLow);
    // Borderless and filling the screen: the window comes back maximised
    // without its frame.
    setWindowFlag(Qt::FramelessWindowHint, true);
    showMinimized();
    QCoreApplication::processEvents();
    QThread::msleep(100);
    showMaximized();
    QCoreApplication::processEvents();
  } else {
    label->setGeometry(label->x(), -20, label->width(), kRetractHeight);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    top->setFixedHeight(kHeaderHigh);
    label->setText("_");
    SetFontSize(label, 18);
    setWindowFlag(Qt::FramelessWindowHint, false);
    showMaximized();
  }
  // Changing the frame hides the window and shows it anew. The window system
  // gives the activation back to a window that Qt still counts as its focus
  // window, so Qt never tells the widgets: no control would take the focus
  // (nor run its exit check) until the window was minimised and raised.
  if (isVisible() && QApplication::activeWindow() != this && windowHandle() && windowHandle()->isActive())
    QApplication::setActiveWindow(this);
  // The header picture follows the header even when the window's size did
  // not change.
  FormResize();
}

void TForm_Main::FormShortCut(int key) {
  if (key == Qt::Key_F11) Label_TopRetractClick();
}

void TForm_Main::Label_LeftDownRetractClick() {
  auto* panel = Ctl<QWidget>("Panel_LeftDown");
  auto* label = Ctl<QLabel>("Label_LeftDownRetract");
  if (!panel || !label) return;
  if (panel->maximumWidth() == kLeftWide) {
    panel->setFixedWidth(kLeftNarrow);
    label->setText(">>");
  } else {
    panel->setFixedWidth(kLeftWide);
    label->setText("<<");
  }
}

void TForm_Main::Image_SyncClockMouseEnter() { PaintTable(Ctl<ImageBox>("Image_SyncClock"), SyncClockIcon(true)); }
void TForm_Main::Image_SyncClockMouseLeave() { PaintTable(Ctl<ImageBox>("Image_SyncClock"), SyncClockIcon(false)); }
void TForm_Main::Image_DataLogMouseEnter() { PaintTable(Ctl<ImageBox>("Image_DataLog"), DataLogIcon(true)); }
void TForm_Main::Image_DataLogMouseLeave() { PaintTable(Ctl<ImageBox>("Image_DataLog"), DataLogIcon(false)); }
void TForm_Main::Image_FirmwareMouseEnter() { PaintTable(Ctl<ImageBox>("Image_Firmware"), FirmwareIcon(true)); }
void TForm_Main::Image_FirmwareMouseLeave() { PaintTable(Ctl<ImageBox>("Image_Firmware"), FirmwareIcon(false)); }
void TForm_Main::Image_OpenGridSetMouseEnter() { PaintFrame(Ctl<ImageBox>("Image_OpenGridSet"), true); }
void TForm_Main::Image_OpenGridSetMouseLeave() { PaintFrame(Ctl<ImageBox>("Image_OpenGridSet"), false); }
void TForm_Main::Image_SaveGridSetMouseEnter() { PaintFrame(Ctl<ImageBox>("Image_SaveGridSet"), true); }
// Only a running loop carries the dump or the upload out: without one the
// user is told so before being asked for the access code.
void TForm_Main::Image_SaveGridSetClick() {
  if (LinkTakesCommands() && CheckAccessCode()) Link.CmdCode = CmdConfigDump;
}
void TForm_Main::Image_OpenGridSetClick() {
  if (LinkTakesCommands() && CheckAccessCode()) Link.CmdCode = CmdSettingsUpload;
}
void TForm_Main::Image_SaveGridSetMouseLeave() { PaintFrame(Ctl<ImageBox>("Image_SaveGridSet"), false); }

void TForm_Main::Btn_HelpClick() {
  const QString path = ProgramPath("QOR_Guide.pdf");
  if (!QFileInfo(path).isFile()) {
    // Written whole or not at all: a half-written guide would otherwise be
    // taken for the guide from then on.
    QFile guide(":/FILE_CMD/SRC1");
    QSaveFile out(path);
    if (!guide.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly) || out.write(guide.readAll()) < 0 ||
        !out.commit()) {
      ShowMessage(QString("Cannot create file \"%1\"").arg(path));
      return;
    }
  }
  ShellOpen(path);
}
