#include "upgrade/FirmwarePage.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>

#include "app/LogViews.h"
#include "app/MyMessage.h"
#include "app/Myfunc.h"
#include "app/main.h"
#include "platform/Dialogs.h"
#include "platform/ImageBox.h"
#include "profiles/Designmode.h"
#include "ui_FirmwarePage.h"
#include "upgrade/Upgrade.h"
#include "upgrade/UpgradeRun.h"

namespace {
constexpr int kLogTopSerial = 560;
constexpr int kLogTopTcp = 230;
constexpr int kDelayItems = 5;  // "100" to "300"
// Grid_HEX: the number column, the address column and every data column.
constexpr int kHexNumberWidth = 40;
constexpr int kHexAddressWidth = 60;
constexpr int kHexColumnWidth = 25;

const QColor kFixed(240, 240, 240);
const QColor kGridText(0, 0, 255);

// The two tick pictures: an outlined box with a tick for the header of the
// selection column, a green tick for a selected device.
QPixmap TickPicture(bool header) {
  QPixmap pm(18, 18);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  if (header) {
    p.setPen(QPen(QColor(90, 90, 90), 1));
    p.drawRect(1, 1, 15, 15);
  }
  p.setPen(QPen(header ? QColor(90, 90, 90) : QColor(0, 160, 0), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.drawPolyline(QPolygon({QPoint(4, 9), QPoint(8, 13), QPoint(14, 4)}));
  return pm;
}

QPixmap LabelPicture(const QLabel* label) { return label ? label->pixmap() : QPixmap(); }

// Header row of Grid_Dev: the grid's fixed look, with the header tick in
// the selection column.
class DeviceGridHeader : public QHeaderView {
 public:
  DeviceGridHeader(const QLabel* tick, QWidget* parent) : QHeaderView(Qt::Horizontal, parent), tick_(tick) {}

 protected:
  void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override {
    painter->save();
    QHeaderView::paintSection(painter, rect, logicalIndex);
    painter->restore();
    if (logicalIndex == 1) painter->drawPixmap(rect.topLeft() + QPoint(5, 2), LabelPicture(tick_));
  }

 private:
  const QLabel* tick_;
};

// The data cells of Grid_Dev: the row number column in the fixed look, the
// ticks of the selected devices and the colours of their run state.
class DeviceGridDelegate : public QStyledItemDelegate {
 public:
  DeviceGridDelegate(FirmwarePage& page, const QLabel* tick, QObject* parent)
      : QStyledItemDelegate(parent), page_(page), tick_(tick) {}

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    const int column = index.column();
    const int row = index.row() + 1;
    const QString text = index.data().toString();
    if (column == 0) {
      painter->fillRect(option.rect, kFixed);
      painter->setPen(Qt::black);
      painter->drawText(option.rect, Qt::AlignCenter | Qt::TextSingleLine, text);
      return;
    }
    const bool selected = option.state.testFlag(QStyle::State_Selected);
    const DeviceCellLook look = page_.Tool() ? LookOfDeviceCell(*page_.Tool(), column, row, selected) : DeviceCellLook{};
    if (look.Centred) {
      painter->fillRect(option.rect, look.Background.isValid() ? look.Background : option.palette.color(QPalette::Base));
      painter->setFont(option.font);
      painter->setPen(kGridText);
      painter->drawText(option.rect, Qt::AlignCenter | Qt::TextSingleLine, text);
      return;
    }
    if (look.TopLeftText) {
      painter->fillRect(option.rect, look.Background);
      painter->setFont(option.font);
      painter->setPen(kGridText);
      painter->drawText(option.rect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
      return;
    }
    QStyledItemDelegate::paint(painter, option, index);
    if (look.Tick) painter->drawPixmap(option.rect.topLeft() + QPoint(3, 2), LabelPicture(tick_));
  }

 private:
  FirmwarePage& page_;
  const QLabel* tick_;
};

QString Extension(const QString& path) {
  const int dot = path.lastIndexOf(u'.');
  return dot < 0 ? QString() : path.mid(dot);
}

// Only this exact extension selects the BIN loader and the BIN run.
bool IsBinPath(const QString& path) { return Extension(path) == QLatin1String(".BIN"); }
}  // namespace

DeviceCellLook LookOfDeviceCell(const upgradeTool& tool, int column, int row, bool drawnSelected) {
  DeviceCellLook look;
  if (row < 1 || column < 1) return look;
  // Cells other than the tick column are drawn centred on one line, the cell
  // drawn as selected in the grid's own way.
  look.Centred = !drawnSelected && column != 1;
  // Before an image with a version is parsed, nothing is marked.
  if (tool.Info.SwVersionMajor == 0 && tool.Info.SwVersionMinor == 0) return look;
  for (int id = 1; id <= upgradeTool::kLastId; ++id) {
    if (tool.Selected[id] != 1 || tool.GridRow[id] != row) continue;
    if (column == 1) look.Tick = true;
    if (column == DeviceGrid::kSwColumn) {
      const QString text = tool.DevGrid.Cell(column, row);
      look.Background = text == QLatin1String("0.00") ? QColor(255, 0, 0)
                        : text == QLatin1String("Done") ? QColor(0, 255, 0)
                                                        : QColor(255, 255, 0);
      look.TopLeftText = drawnSelected;
    }
  }
  return look;
}

FirmwarePage::FirmwarePage(TForm_Main& window)
    : QObject(&window), w_(window), ui_(new Ui::FirmwarePage), page_(window.Control(QStringLiteral("Tab_Firmware"))) {
  ui_->setupUi(page_);
  for (QWidget* child : page_->findChildren<QWidget*>()) w_.RegisterControl(child);

  ui_->Image_Tick1->setPixmap(TickPicture(true));
  ui_->Image_Tick2->setPixmap(TickPicture(false));

  QTableView* dev = ui_->Grid_Dev;
  dev->setHorizontalHeader(new DeviceGridHeader(ui_->Image_Tick1, dev));
  dev->setItemDelegate(new DeviceGridDelegate(*this, ui_->Image_Tick2, dev));
  dev->verticalHeader()->hide();
  dev->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  dev->verticalHeader()->setDefaultSectionSize(28);
  dev->horizontalHeader()->setDefaultSectionSize(30);
  dev->setEditTriggers(QAbstractItemView::NoEditTriggers);
  dev->setSelectionMode(QAbstractItemView::SingleSelection);
  QFont bold = dev->font();
  bold.setBold(true);
  dev->setFont(bold);
  QPalette pal = dev->palette();
  pal.setColor(QPalette::Text, kGridText);
  dev->setPalette(pal);

  QTableView* hex = ui_->Grid_HEX;
  hex->verticalHeader()->hide();
  hex->verticalHeader()->setDefaultSectionSize(20);
  hex->horizontalHeader()->setMinimumSectionSize(kHexColumnWidth);  // the style's own minimum is wider
  hex->horizontalHeader()->setDefaultSectionSize(kHexColumnWidth);
  hex->setEditTriggers(QAbstractItemView::NoEditTriggers);
  hex->setTextElideMode(Qt::ElideNone);  // a narrow cell cuts its text, as the grid always did

  page_->installEventFilter(this);
  if (Upgrader) Attach(Upgrader);
}

FirmwarePage::~FirmwarePage() {
  if (tool_ && tool_->Views == this) tool_->Views = nullptr;
  delete ui_;
}

void FirmwarePage::Attach(upgradeTool* tool) {
  if (!tool) return;
  tool->Views = this;
  if (tool_ == tool) return;
  tool_ = tool;
  ui_->Grid_HEX->setModel(&tool->Grid);
  // The number and address columns keep their widths over every new image.
  auto hexWidths = [this] {
    ui_->Grid_HEX->setColumnWidth(0, kHexNumberWidth);
    ui_->Grid_HEX->setColumnWidth(1, kHexAddressWidth);
  };
  hexWidths();
  ui_->Grid_Dev->setModel(&tool->DevGrid);
  // The grid's column widths are the model's, set by whoever writes the
  // header, widened where this machine's font needs more for a cell's text
  // (a serial number or product ID cut short is no use to the technician).
  auto applyWidths = [this] {
    QTableView* grid = ui_->Grid_Dev;
    for (int c = 0; c < DeviceGrid::kColumns; ++c) {
      grid->resizeColumnToContents(c);
      grid->setColumnWidth(c, std::max(tool_->DevGrid.ColumnWidth(c), grid->columnWidth(c)));
    }
  };
  connect(&tool->DevGrid, &QAbstractItemModel::headerDataChanged, this, applyWidths);
  connect(&tool->DevGrid, &QAbstractItemModel::modelReset, this, applyWidths);
  connect(&tool->DevGrid, &QAbstractItemModel::dataChanged, this, applyWidths);
  connect(&tool->Grid, &QAbstractItemModel::modelReset, this, hexWidths);
  applyWidths();
}

void FirmwarePage::LayOut(bool deviceGridShown) {
  ui_->Grid_Dev->setHidden(!deviceGridShown);
  LogView* log = ui_->List_UpgradeEvent;
  log->move(log->x(), deviceGridShown ? kLogTopSerial : kLogTopTcp);
  log->resize(log->width(), std::max(60, page_->height() - log->y() - 8));
}

bool FirmwarePage::eventFilter(QObject* watched, QEvent* event) {
  // The grids and the log view reach to the page's right edge, the log view
  // also to its bottom edge.
  if (watched == page_ && event->type() == QEvent::Resize) {
    for (QWidget* wide : {static_cast<QWidget*>(ui_->ProgressBar), static_cast<QWidget*>(ui_->Grid_HEX),
                          static_cast<QWidget*>(ui_->Grid_Dev), static_cast<QWidget*>(ui_->List_UpgradeEvent)})
      wide->resize(std::max(100, page_->width() - wide->x() - 8), wide->height());
    LogView* log = ui_->List_UpgradeEvent;
    log->resize(log->width(), std::max(60, page_->height() - log->y() - 8));
  }
  return QObject::eventFilter(watched, event);
}

QString FirmwarePage::LogText() const { return ui_->List_UpgradeEvent->document()->toHtml(); }

void FirmwarePage::SetLabel(const QString& name, const QString& text) {
  if (name == QLatin1String("Combo_Delay")) {
    // The image's own delay is shown even when it is none of the offered ones.
    QComboBox* combo = ui_->Combo_Delay;
    while (combo->count() > kDelayItems) combo->removeItem(combo->count() - 1);
    int index = text.isEmpty() ? -1 : combo->findText(text);
    if (index < 0 && !text.isEmpty()) {
      combo->addItem(text);
      index = combo->count() - 1;
    }
    combo->setCurrentIndex(index);
    return;
  }
  if (auto* label = w_.Ctl<QLabel>(name)) label->setText(text);
}

void FirmwarePage::AppendEvent(const QString& line) { AppendTrafficLog(w_.EventLog(), line); }
void FirmwarePage::AppendEventLine(const QString& line) { AppendRichLine(w_.EventLog(), line); }
void FirmwarePage::AppendUpgradeEvent(const QString& line) { AppendRichLine(ui_->List_UpgradeEvent, line); }
void FirmwarePage::AppendUpgradeRed(const QString& line) { AppendRichLineRed(ui_->List_UpgradeEvent, line); }
void FirmwarePage::AppendUpgradeTraffic(const QString& line) { AppendTrafficLog(ui_->List_UpgradeEvent, line); }
void FirmwarePage::ShowMessage(const QString& text) { ::ShowMessage(text); }
void FirmwarePage::SetStartEnabled(bool enabled) { ui_->Btn_UpgradeStart->setEnabled(enabled); }
void FirmwarePage::SetProgress(int percent) { ui_->ProgressBar->setValue(percent); }
void FirmwarePage::SetStatusPanel(int panel, const QString& text) { w_.SetStatus(panel, text); }

void FirmwarePage::RepaintDeviceGrid() {
  ui_->Grid_Dev->viewport()->update();
  ui_->Grid_Dev->horizontalHeader()->viewport()->update();
}

void ShowResultWindow(ResultWindow kind, QWidget* owner) {
  if (kind == ResultWindow::None) return;
  if (!Form_Message) Form_Message = new TForm_Message(owner);
  QLabel* l1 = Form_Message->Label1;
  QLabel* l2 = Form_Message->Label2;
  QRgb colour = qRgb(0, 0, 0);
  switch (kind) {
    case ResultWindow::Completed: {
      l1->setText(QStringLiteral("FIRMWARE UPGRADE"));
      l2->setText(QStringLiteral("COMPLETED"));
      colour = qRgb(0, 128, 0);
      QFont f = l2->font();
      f.setPointSize(28);
      l2->setFont(f);
      break;
    }
    case ResultWindow::Uncertain: {
      l1->setText(QStringLiteral("Uncertain Results"));
      l2->setText(QStringLiteral("(Please confirm the selected version has been correctly updated?)"));
      QFont f = l2->font();
      f.setPointSize(10);
      l2->setFont(f);
      break;
    }
    case ResultWindow::Failed:
      l1->setText(QStringLiteral("Failed"));
      l2->setText(QString());
      colour = qRgb(180, 0, 0);
      break;
    case ResultWindow::None:
      return;
  }
  SetLabelColor(l1, colour);
  SetLabelColor(l2, colour);
  Form_Message->ShowModal();
}

// ---- handlers of the main window ---------------------------------------------

void TForm_Main::BindFirmwarePage() {
  setAcceptDrops(true);
  firmwarePage_ = new FirmwarePage(*this);
  if (auto* pic = Ctl<ImageBox>(QStringLiteral("Image_Firmware")))
    connect(pic, &ImageBox::Click, this, &TForm_Main::Image_FirmwareClick);
  if (auto* b = Ctl<QPushButton>(QStringLiteral("Btn_LoadHEX")))
    connect(b, &QPushButton::clicked, this, [this] { Btn_LoadHEXClick(); });
  if (auto* b = Ctl<QPushButton>(QStringLiteral("Btn_UpgradeStart")))
    connect(b, &QPushButton::clicked, this, [this] { Btn_UpgradeStartClick(); });
  if (auto* grid = Ctl<QTableView>(QStringLiteral("Grid_Dev")))
    connect(grid, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
      firmwarePage_->DevGridCol = index.column();
      firmwarePage_->DevGridRow = index.row() + 1;
      Grid_DevDblClick();
    });
}

namespace {
bool LinkClosed(const TForm_Main& w) {
  const auto* open = w.Ctl<QPushButton>(QStringLiteral("OpenPort"));
  return open && open->isEnabled();
}
}  // namespace

void TForm_Main::Image_FirmwareClick() {
  if (LinkClosed(*this)) {
    ShowMessage(QStringLiteral("Please Connect to Inverters first"));
    return;
  }
  // The polling loop ends at its next check and leaves the port open for us.
  KeepPortOpen = 1;
  PollStop = 1;
  for (const char* timer : {"Timer_Datalog", "Timer_Record"})
    if (auto* t = findChild<QTimer*>(QLatin1String(timer))) t->stop();
  if (auto* pages = Ctl<QTabWidget>(QStringLiteral("PageControl"))) {
    const QSignalBlocker block(pages);
    SetTabVisible(pages, Control(QStringLiteral("Tab_Firmware")), true);
    for (const char* tab : {"TabSheet1", "TabSheet2", "TabSheet3", "TabSheet4", "TabSheet5", "TabSheet6", "TabSheet7"})
      SetTabVisible(pages, Control(QLatin1String(tab)), false);
    pages->setCurrentWidget(Control(QStringLiteral("Tab_Firmware")));
  }
  if (auto* profiles = Ctl<QComboBox>(QStringLiteral("Combo_SelectMode"))) profiles->setCurrentIndex(-1);
  if (Upgrader) {
    firmwarePage_->Attach(Upgrader);
    Upgrader->Link = &Link;
    Upgrader->Port = Link.Port;  // shares the one open descriptor
  }
  if (Link.LinkMode == LinkSerial) firmwarePage_->LayOut(true);
  if (Link.LinkMode == LinkTcp) firmwarePage_->LayOut(false);
}

void TForm_Main::Btn_LoadHEXClick() {
  const QString path = Dialogs().OpenFileName(QString(), QString(), QStringLiteral("*.hex;*.bin (*.hex *.bin *.HEX *.BIN)"));
  if (path.isEmpty()) {
    firmwarePage_->SetStartEnabled(false);
    return;
  }
  Ctl<QLineEdit>(QStringLiteral("Edit_HEXPath"))->setText(path);
  Btn_ScanIDClick();
  LoadFirmwareFile();
}

int TForm_Main::LoadFirmwareFile() {
  if (LinkClosed(*this)) {
    ShowMessage(QStringLiteral("Please Connect to Inverters first"));
    return 0;
  }
  upgradeTool* up = Upgrader;
  // Without firmware mode the port is not ours to use.
  if (!up || up->Link != &Link) return 0;
  // Nothing of the earlier image stays ready to run while this one loads.
  firmwarePage_->SetStartEnabled(false);
  up->ClearPage();
  QCoreApplication::processEvents();
  const QString path = Ctl<QLineEdit>(QStringLiteral("Edit_HEXPath"))->text();

  if (IsBinPath(path)) {
    // As a HEX load starts from a new device table: no device an earlier
    // image selected stays selected for this one.
    up->ClearSelection();
    firmwarePage_->RepaintDeviceGrid();
    if (up->LoadBin(path) == 1)
      ShowMessage(QStringLiteral("Error - Load BIN File"));
    else
      firmwarePage_->SetStartEnabled(true);
    return 0;
  }
  if (Link.LinkMode == LinkSerial) {
    up->InitDevices();
    up->QueryModes();
    if (up->LoadHex(path) == 1) {
      ShowMessage(QStringLiteral("Error - Load Hex File"));
      return 0;
    }
    QCoreApplication::processEvents();
    up->ReadDeviceInfo();
    up->ShowDeviceGrid();
    up->SelectDevices();
    firmwarePage_->RepaintDeviceGrid();
    for (const QString& line : up->DevGrid.DumpLines()) firmwarePage_->AppendUpgradeEvent(line);
    firmwarePage_->SetStartEnabled(true);
  } else if (Link.LinkMode == LinkTcp) {
    if (up->LoadHex(path) == 1) {
      ShowMessage(QStringLiteral("Error - Load Hex File"));
      return 0;
    }
    QCoreApplication::processEvents();
    firmwarePage_->SetStartEnabled(true);
  } else if (Link.LinkMode == LinkRadio) {
    firmwarePage_->SetStartEnabled(true);  // a run does nothing on this link
  }
  return 0;
}

void TForm_Main::OnDropFiles(const QString& path) {
  emit FileDropped(path);
  if (!path.endsWith(QLatin1String("hex"), Qt::CaseInsensitive)) return;
  // Only the firmware page takes an image: outside firmware mode the
  // polling loop owns the port.
  auto* pages = Ctl<QTabWidget>(QStringLiteral("PageControl"));
  QWidget* tab = Control(QStringLiteral("Tab_Firmware"));
  if (!pages || !pages->isTabVisible(pages->indexOf(tab)) || !Upgrader || Upgrader->Link != &Link) return;
  Ctl<QLineEdit>(QStringLiteral("Edit_HEXPath"))->setText(path);
  LoadFirmwareFile();
}

void TForm_Main::Grid_DevDblClick() {
  if (!Upgrader || firmwarePage_->DevGridCol != 1 || firmwarePage_->DevGridRow <= 0) return;
  Upgrader->ToggleDevice(firmwarePage_->DevGridRow);
  firmwarePage_->RepaintDeviceGrid();
}

void TForm_Main::Btn_UpgradeStartClick() {
  upgradeTool* up = Upgrader;
  if (!up || up->Link != &Link) return;
  up->Info.Delay = SafeStrToInt(Ctl<QComboBox>(QStringLiteral("Combo_Delay"))->currentText());
  if (IsBinPath(Ctl<QLineEdit>(QStringLiteral("Edit_HEXPath"))->text())) {
    RunBinUpgrade(*up, Link.LinkMode);
    return;
  }
  if (Link.LinkMode == LinkSerial) UpgradeOverSerial();
  if (Link.LinkMode == LinkTcp) UpgradeOverTcp();
}

int TForm_Main::UpgradeOverSerial() {
  upgradeTool* up = Upgrader;
  const int result = RunSerialUpgrade(*up);
  if (result == UpgradeNotStarted) return 0;
  ShowResultWindow(SerialResultWindow(result), this);
  firmwarePage_->SetStartEnabled(false);
  firmwarePage_->RepaintDeviceGrid();
  WriteUpgradeLog(firmwarePage_->LogText(), UpgradeNow().date());
  return 0;
}

int TForm_Main::UpgradeOverTcp() {
  upgradeTool* up = Upgrader;
  const int result = RunTcpUpgrade(*up);
  if (result == UpgradeNotStarted) return 0;
  ShowResultWindow(TcpResultWindow(result), this);
  firmwarePage_->SetStartEnabled(false);
  WriteUpgradeLog(firmwarePage_->LogText(), UpgradeNow().date());
  return 0;
}
