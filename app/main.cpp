#include "app/main.h"

#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QPainter>
#include <QScreen>
#include <QScrollArea>
#include <QStatusBar>
#include <QThread>
#include <QTreeWidget>
#include <algorithm>

#include "app/ControlTable.h"
#include "app/GroupPanel.h"
#include "app/LogViews.h"
#include "platform/SingleInstanceGuard.h"
#include "settings/EventHook.h"
#include "ui_MainWindow.h"

TForm_Main* Form_Main = nullptr;

namespace {
constexpr int kStatusWidths[11] = {45, 75, 85, 90, 100, 160, 240, 100, 120, 200, 50};
}

TForm_Main::TForm_Main(QWidget* parent) : QMainWindow(parent), ui(new Ui::TForm_Main) {
  Form_Main = this;
  ui->setupUi(this);
  FitDesignSizeToScreen();
  BuildStatusBar();
  BuildPages();
  BuildGroupPanels();
  IndexControls(this);
  eventLog_ = Ctl<LogView>("List_Event");
  BindNetHandlers();
  BindLinkHandlers();
  BindFurniture();
  BindProfileHandlers();
  BindDesignHandlers();
  BindMonitorHandlers();
  BindSettingsHandlers();
  BindDataLog();
  BindFirmwarePage();
  KeepTheWheelOffChoices(this);
  AccessCode.clear();
}

TForm_Main::~TForm_Main() {
  if (Form_Main == this) Form_Main = nullptr;
  delete ui;
}

void TForm_Main::FitDesignSizeToScreen() {
  // The design size suits a wide screen; on a smaller one the window, when
  // not maximised, would reach past the screen's edges.
  const QScreen* s = screen();
  if (!s) return;
  const QSize room = s->availableGeometry().size();
  resize(std::min(width(), room.width()), std::min(height(), room.height()));
}

void TForm_Main::BuildStatusBar() {
  // The panels sit side by side at their widths in one strip that the window
  // may make narrower than their sum (the last panels are then cut off), so
  // they do not hold the window wider than its 800 px minimum.
  auto* strip = new QWidget(this);
  strip->setObjectName("StatusPanels");
  strip->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
  int left = 0, panelHeight = 0;
  for (int i = 0; i < 11; ++i) {
    auto* panel = new QLabel(strip);
    panel->setObjectName(QString("StatusPanel%1").arg(i));
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    panelHeight = panel->sizeHint().height();
    panel->setGeometry(left, 0, kStatusWidths[i], panelHeight);
    left += kStatusWidths[i] + 2;
    status_[i] = panel;
  }
  strip->setFixedHeight(panelHeight);
  ui->StatusBar->addWidget(strip, 1);
}

void TForm_Main::BuildPages() {
  // Each sheet holds a scroll box whose content grows to its panels' bounds.
  QWidget* sheets[7] = {ui->TabSheet1, ui->TabSheet2, ui->TabSheet3, ui->TabSheet4,
                        ui->TabSheet5, ui->TabSheet6, ui->TabSheet7};
  for (int i = 0; i < 7; ++i) {
    auto* layout = new QVBoxLayout(sheets[i]);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* scroll = new QScrollArea(sheets[i]);
    scroll->setObjectName(QString("Scroll_Page%1").arg(i + 1));
    scroll->setWidgetResizable(false);
    auto* content = new QWidget;
    content->setObjectName(QString("Scroll_Page%1_Content").arg(i + 1));
    content->resize(800, 600);
    scroll->setWidget(content);
    layout->addWidget(scroll);
    scrollPages_[i] = scroll;
  }
}

void TForm_Main::BuildGroupPanels() {
  QWidget* home = scrollPages_[0]->widget();
  for (const GroupPanelDecl& d : GroupPanelTable()) {
    auto* p = new GroupPanel(d, home);
    p->hide();
  }
  for (const PanelControls* pc : AllPanelControls()) {
    auto* panel = home->findChild<GroupPanel*>(QString::fromLatin1(pc->panel));
    QWidget* parent = panel ? static_cast<QWidget*>(panel) : findChild<QWidget*>(QString::fromLatin1(pc->panel));
    Q_ASSERT_X(parent, "BuildGroupPanels", pc->panel);
    if (parent) BuildControls(parent, pc->controls);
  }
}

void TForm_Main::IndexControls(QWidget* root) {
  for (QWidget* w : root->findChildren<QWidget*>()) RegisterControl(w);
}

void TForm_Main::RegisterControl(QWidget* w) {
  const QString name = w->objectName();
  if (!name.isEmpty() && !controls_.contains(name)) controls_.insert(name, w);
}

GroupPanel* TForm_Main::Panel(const QString& name) const { return Ctl<GroupPanel>(name); }

QScrollArea* TForm_Main::ScrollPage(int index) const {
  return index >= 0 && index < 7 ? scrollPages_[index] : nullptr;
}

void TForm_Main::SetStatus(int panel, const QString& text) {
  if (panel < 0 || panel >= 11) return;
  QLabel* p = status_[panel];
  p->setText(text);
  // The panels keep their widths: a text cut there is read whole on hover.
  p->setToolTip(p->fontMetrics().horizontalAdvance(text) > p->contentsRect().width() ? text : QString());
}

QString TForm_Main::StatusText(int panel) const {
  return panel >= 0 && panel < 11 ? status_[panel]->text() : QString();
}

bool TForm_Main::FormCreate() {
  setAcceptDrops(true);
  QCoreApplication::setApplicationName(windowTitle());
  auto* guard = new SingleInstanceGuard(windowTitle(), this);
  if (guard->OtherInstanceRunning()) {
    terminated_ = true;
    return true;
  }
  connect(guard, &SingleInstanceGuard::RaiseRequested, this, [this] {
    if (isMinimized()) setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    raise();
    activateWindow();
  });
  return false;
}

void TForm_Main::showEvent(QShowEvent* e) {
  QMainWindow::showEvent(e);
  if (!shown_) {
    shown_ = true;
    FormShow();
  }
}

void TForm_Main::closeEvent(QCloseEvent* e) {
  FormClose();
  e->accept();
  // Closing the main window ends the program, here and not by Qt's quit on
  // the last window: that quit is a posted event, and every serial wait runs
  // an event loop of its own that discards such an event when it starts, so
  // with the link open the program would run on without a window. Only a
  // running event loop is ended (a window closed before any runs ends none).
  if (QThread::currentThread()->loopLevel() > 0) QCoreApplication::exit(0);
}

void TForm_Main::resizeEvent(QResizeEvent* e) {
  QMainWindow::resizeEvent(e);
  FormResize();
}

// The window's white background, painted here rather than by a style sheet: a
// style sheet on the window puts every one of its thousands of controls under
// the style-sheet style, with its per-control rule caches (about 30 MB with
// every panel built).
void TForm_Main::paintEvent(QPaintEvent* e) {
  QPainter(this).fillRect(e->rect(), Qt::white);
}

void TForm_Main::keyPressEvent(QKeyEvent* e) {
  FormShortCut(e->key());
  QMainWindow::keyPressEvent(e);  // the key stays unhandled
}

void TForm_Main::dragEnterEvent(QDragEnterEvent* e) {
  if (e->mimeData()->hasUrls()) e->acceptProposedAction();
}

void TForm_Main::dropEvent(QDropEvent* e) {
  const QList<QUrl> urls = e->mimeData()->urls();
  if (!urls.isEmpty() && urls.first().isLocalFile()) OnDropFiles(urls.first().toLocalFile());
  e->acceptProposedAction();
}
