// Page layout files and how a page shows its layout.
#include <QComboBox>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <algorithm>

#include "app/GroupPanel.h"
#include "app/Myfunc.h"
#include "app/main.h"
#include "platform/CFormat.h"
#include "platform/Dialogs.h"
#include "platform/IniFile.h"
#include "platform/ProgramFolder.h"
#include "profiles/Designmode.h"

namespace {
constexpr int kClosedHeight = 40;

// The panels of the window in creation order, each with its section (empty
// for the panels no layout stores).
template <class F>
void ForEachPanel(const TForm_Main& w, F&& f) {
  for (const GroupPanelDecl& d : GroupPanelTable())
    if (GroupPanel* p = w.Panel(QString::fromLatin1(d.name)))
      f(d.section ? QString::fromLatin1(d.section) : QString(), p);
}
}  // namespace

QString ProfilePath(const QString& profile, const QString& file) {
  return ProgramFolder() + '/' + profile + '/' + file;
}

int SectionCodeSum(const QString& section) {
  int sum = 0;
  for (QChar c : section) sum += c.unicode();
  return sum;
}

int EncodePanelHeight(const QString& section, const GroupPanel* panel, const QScrollArea* page) {
  const bool onPage = panel->height() == panel->Tag() && page && panel->parentWidget() == page->widget();
  return onPage ? panel->height() + 10 * SectionCodeSum(section) : kClosedHeight;
}

qint64 DecodePanelHeight(qint64 stored, const QString& section) {
  return stored == kClosedHeight ? kClosedHeight : stored - 10 * qint64(SectionCodeSum(section));
}

bool WritePanelLayout(const QString& section, const GroupPanel* panel, const QScrollArea* page, IniFile& file) {
  const int stored = EncodePanelHeight(section, panel, page);
  if (!file.WriteString(section, "Height", CFormat("%i", stored))) return false;
  if (stored == kClosedHeight) return true;
  return file.WriteString(section, "Top", CFormat("%i", panel->y())) &&
         file.WriteString(section, "Left", CFormat("%i", panel->x()));
}

int ReadPanelLayout(const QString& section, GroupPanel* panel, const IniFile& file) {
  const qint64 height = DecodePanelHeight(SafeStrToInt(file.ReadString(section, "Height", "")), section);
  // Missing or bad values decode below zero, hand-edited ones anywhere: a
  // height that the panel cannot have closes it.
  const bool possible = height >= 0 && height <= panel->Tag();
  panel->resize(panel->width(), possible ? int(height) : kClosedHeight);
  if (height != kClosedHeight) {
    auto offset = [&](const char* key) {
      return std::clamp(SafeStrToInt(file.ReadString(section, key, "")), 0, kMaxPanelOffset);
    };
    const int left = offset("Left");
    const int top = offset("Top");
    panel->move(left, top);
  }
  return 0;
}

int SavePageLayout(TForm_Main& w, const QString& path, const QScrollArea* page, QString* error) {
  IniFile ini(path);
  if (!ini.Exists()) {
    ShowMessage("No found Setting File");
    return kFileMissing;
  }
  bool ok = true;
  ForEachPanel(w, [&](const QString& section, GroupPanel* p) {
    if (ok && !section.isEmpty()) ok = WritePanelLayout(section, p, page, ini);
  });
  if (ok) return kFileDone;
  if (error) *error = ini.LastError();
  return kFileRefused;
}

int LoadPageLayout(TForm_Main& w, const QString& path) {
  IniFile ini(path);
  if (!ini.Exists()) return kFileMissing;
  ForEachPanel(w, [&](const QString& section, GroupPanel* p) {
    if (!section.isEmpty()) ReadPanelLayout(section, p, ini);
  });
  return kFileDone;
}

void FitPageContent(QScrollArea* page) {
  QWidget* content = page ? page->widget() : nullptr;
  if (!content) return;
  // In 64 bits: a panel may end at the largest coordinate there is.
  qint64 right = 0, bottom = 0;
  for (QWidget* child : content->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (child->isHidden() || child->geometry().isEmpty()) continue;
    right = std::max(right, qint64(child->x()) + child->width());
    bottom = std::max(bottom, qint64(child->y()) + child->height());
  }
  const QSize view = page->viewport()->size();
  auto extent = [](qint64 panels, int shown) { return int(std::clamp<qint64>(panels, shown, QWIDGETSIZE_MAX)); };
  content->resize(extent(right, view.width()), extent(bottom, view.height()));
}

// ---- Page layout display ----------------------------------------------------

int TForm_Main::ResetPageScroll() {
  for (int i = 0; i < 7; ++i) {
    ScrollPage(i)->horizontalScrollBar()->setValue(0);
    ScrollPage(i)->verticalScrollBar()->setValue(0);
  }
  return 0;
}

int TForm_Main::SaveCurrentPageLayout() {
  if (Ctl<QComboBox>("Combo_SelectMode")->currentIndex() < 0 || CurrentPage == -1) return 0;
  ResetPageScroll();
  if (IsSuperUser != 1) return 0;
  SettingFilePath = ProfilePath("SuperUser", CFormat("MonitorSet%i.KXL", CurrentPage));
  if (CurrentPage < 0 || CurrentPage > 6) return 0;  // the firmware tab has no layout
  QString error;
  if (SavePageLayout(*this, SettingFilePath, ScrollPage(CurrentPage), &error) == kFileRefused)
    ShowMessage(error);
  return 0;
}

int TForm_Main::ShowPageLayout() {
  if (!IniFile(SettingFilePath).Exists()) {
    ShowMessage("No Found Setting File2");
    return 0;
  }
  // Only the seven layout pages show panels; on any other tab nothing changes.
  QScrollArea* page = ScrollPage(CurrentTabIndex(Ctl<QTabWidget>("PageControl")));
  if (!page) return 0;
  LoadPageLayout(*this, SettingFilePath);
  ForEachPanel(*this, [](const QString&, GroupPanel* p) {
    if (p->Tag() > 0) p->hide();
  });
  ForEachPanel(*this, [page](const QString&, GroupPanel* p) {
    if (p->height() != p->Tag()) return;
    if (p->parentWidget() != page->widget()) {
      const QPoint at = p->pos();
      p->setParent(page->widget());
      p->move(at);
    }
    p->show();
  });
  FitPageContent(page);
  return 0;
}
