// Profiles and access levels: the profile list, the profile change, the page
// change and the access-code check.
#include "profiles/Designmode.h"

#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTimer>
#include <dirent.h>
#include <sys/stat.h>

#include "app/GroupPanel.h"
#include "app/PageTabs.h"
#include "app/Prompt.h"
#include "app/main.h"
#include "platform/CFormat.h"
#include "platform/Dialogs.h"
#include "platform/ProgramFolder.h"

namespace {
const QString kSuperUser = "SuperUser";
const QString kSuperUserInit = "SuperUser-Init";

QString AskAccessCode() { return InputBox("Input Password Please", "", "Password"); }

void SetVisible(const TForm_Main& w, const char* name, bool visible) {
  if (QWidget* c = w.Control(name)) c->setVisible(visible);
}

void SetWidth(const TForm_Main& w, const char* name, int width) {
  if (QWidget* c = w.Control(name)) c->resize(width, c->height());
}
}  // namespace

void ApplyUacProtectionLayout(TForm_Main& w, int vacProtectSet) {
  if (vacProtectSet < 0 || vacProtectSet > 2) return;
  const int width = vacProtectSet == 0 ? 255 : 520;
  SetWidth(w, "Group_UacProtection", width);
  SetWidth(w, "Label_UacProtection", width);
  w.SetVoltProtectLabels(vacProtectSet == 2 ? 1 : 0);
  if (vacProtectSet != 0) SetVisible(w, "GroupBox39", vacProtectSet == 1);
}

int CurrentTabIndex(const QTabWidget* tabs) { return tabs ? VisibleTabIndex(tabs, tabs->currentIndex()) : -1; }

void SetCurrentTabIndex(QTabWidget* tabs, int index) {
  const int qt = QtTabIndex(tabs, index);
  if (qt >= 0) tabs->setCurrentIndex(qt);
}

void SetTabVisible(QTabWidget* tabs, QWidget* page, bool visible) {
  const int qt = tabs ? tabs->indexOf(page) : -1;
  if (qt >= 0) tabs->setTabVisible(qt, visible);
}

int AccessLevel(const QString& code) {
  for (int i = 0; i < int(kAccessCodes.size()); ++i)
    if (code == kAccessCodes[size_t(i)]) return i + 1;
  return 0;
}

bool ListLayoutProfiles(std::array<QString, 20>& names) {
  names.fill(QString());
  const QByteArray folder = QFile::encodeName(ProgramFolder());
  DIR* dir = opendir(folder.constData());
  if (!dir) return false;
  size_t kept = 0;
  bool ok = true;
  while (kept < names.size()) {
    errno = 0;
    const dirent* e = readdir(dir);
    if (!e) {
      ok = errno == 0;  // the end, or a listing error
      break;
    }
    const QByteArray name(e->d_name);
    // A plain folder only: hidden (dot) names, links, files and folders that
    // nobody may write (read-only) do not count.
    if (name.startsWith('.')) continue;
    struct stat st {};
    if (lstat((folder + '/' + name).constData(), &st) != 0 || !S_ISDIR(st.st_mode)) continue;
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) continue;
    if (!QFileInfo(QFile::decodeName(folder + '/' + name + "/MonitorSet.KXL")).isFile()) continue;
    names[kept++] = QFile::decodeName(name);
  }
  closedir(dir);
  return ok;
}

void TForm_Main::BindProfileHandlers() {
  // Only what the user does runs the handlers: the code sets the profile and
  // the tab without signals.
  auto* profiles = Ctl<QComboBox>("Combo_SelectMode");
  connect(profiles, &QComboBox::activated, this, [this] { Combo_SelectModeChange(); });
  // SuperUser-Init is an action, not a profile: the box goes back from it to
  // the profile it named before.
  connect(profiles, &QComboBox::currentIndexChanged, this, [this, profiles](int now) {
    if (profiles->itemText(now) != kSuperUserInit) profileShown_ = now;
  });
  connect(Ctl<QTabWidget>("PageControl"), &QTabWidget::currentChanged, this, [this] { PageControlChange(); });
}

void TForm_Main::Combo_SelectModeChange() {
  auto* combo = Ctl<QComboBox>("Combo_SelectMode");
  auto* pages = Ctl<QTabWidget>("PageControl");
  // Only SuperUser's pages have initial layouts. With another profile in
  // force the box names it again and nothing changes (a data log records
  // on): the box always names the profile whose pages the window shows.
  if (combo->currentText() == kSuperUserInit && IsSuperUser == 0 && profileShown_ >= 0) {
    combo->setCurrentIndex(profileShown_);
    return;
  }
  // A running data log stops writing rows.
  for (const char* timer : {"Timer_Datalog", "Timer_Record"})
    if (auto* t = findChild<QTimer*>(timer)) t->stop();

  const QString profile = combo->currentText();
  const QString folder = ProgramFolder() + '/' + profile;
  SettingFilePath = folder + "/MonitorSet.KXL";

  if (profile == kSuperUserInit) {
    // Reloads the page on screen from the initial layouts; nothing else changes.
    SettingFilePath = ProfilePath(kSuperUser + "/Init", CFormat("MonitorSet%i.KXL", CurrentPage));
    ShowPageLayout();
    const int su = combo->findText(kSuperUser, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (su >= 0) combo->setCurrentIndex(su);
    return;
  }

  if (LoadMonitorSettings(*this, SettingFilePath) == kFileMissing) ShowMessage("No Found Setting File1");
  SetVisible(*this, "Group_ConstVolt", ShowConstVolt == 1);
  SetJapanUserSettingMode(JapanUserSettingMode);
  ApplyUacProtectionLayout(*this, VacProtectSet);
  SetFreqProtectLabels(ShowGsFacMode);
  for (const char* name : {"Label_ShowLang", "Label_LanguageSelect", "Combo_LanguageSelect"})
    SetVisible(*this, name, ShowLanguageSelect == 1);
  if (GroupPanel* p = Panel("Group_ActivePower")) p->setTag(ShowActiveSlope == 1 ? 250 : 200);
  LoadCountryList(*this, folder);

  const uint8_t wasSuperUser = IsSuperUser;
  const bool super = profile == kSuperUser;
  IsSuperUser = super ? 1 : 0;
  ScrollPopMenuAuto = super;
  {
    const QSignalBlocker block(pages);
    const char* sheets[] = {"TabSheet1", "TabSheet2", "TabSheet3", "TabSheet4", "TabSheet5", "TabSheet6", "TabSheet7"};
    for (int i = 0; i < 7; ++i) SetTabVisible(pages, Control(sheets[i]), super || i < 3);
    pages->setTabText(pages->indexOf(Control("TabSheet2")), super ? "Config2937" : "Config");
    pages->setTabText(pages->indexOf(Control("TabSheet3")), super ? "Ctrl2937" : "Ctrl");
    SetVisible(*this, "Group_UseForFactory", super);
    OfferSub1gLink(super);
    SetTabVisible(pages, Control("Tab_Firmware"), false);
    SetCurrentTabIndex(pages, 0);
  }
  // The layout that was on screen before SuperUser was picked is not saved
  // into SuperUser's folder.
  if (wasSuperUser == 0 && IsSuperUser == 1) {
    IsSuperUser = 0;
    PageControlChange();
    IsSuperUser = 1;
  } else {
    PageControlChange();
  }
  SetAcGroupTitles(ShowAcTitle);
  // The country list just loaded, and the first listed inverter current.
  CountryListInit();
  ExeSelectInv(0);
  // A command still waiting in the mailbox is dropped, and every profile asks
  // for the access code again.
  Link.CmdCode = 0;
  AccessCode.clear();
  // With the link open, polling goes on with the new profile's pages (a loop
  // that is running restarts at its pass boundary).
  if (LinkOpen) RunPollingLoop();
}

void TForm_Main::PageControlChange() {
  // A drag in progress belongs to the page being left.
  EndDrag();
  if (Ctl<QComboBox>("Combo_SelectMode")->currentIndex() < 0) return;
  auto* pages = Ctl<QTabWidget>("PageControl");
  SaveCurrentPageLayout();
  const int index = CurrentTabIndex(pages);
  CurrentPage = index;
  if ((IsSuperUser == 0 && index == 3) || (IsSuperUser == 1 && index == 7)) return;  // firmware tab
  if (IsSuperUser == 0 && index > 0 && AccessLevel(AccessCode) == 0) {
    AccessCode = AskAccessCode();
    if (AccessLevel(AccessCode) == 0) {
      ShowMessage("Password Error");
      {
        const QSignalBlocker block(pages);
        SetCurrentTabIndex(pages, 0);
      }
      PageControlChange();
      return;
    }
  }
  int file = index;
  if (IsSuperUser == 0 && index > 0) file = 2 * (AccessLevel(AccessCode) - 1) + index;
  SettingFilePath = ProfilePath(Ctl<QComboBox>("Combo_SelectMode")->currentText(), CFormat("MonitorSet%i.KXL", file));
  ShowPageLayout();
}

bool TForm_Main::CheckAccessCode() {
  if (IsSuperUser == 1 || AccessLevel(AccessCode) != 0) return true;
  AccessCode = AskAccessCode();
  if (AccessLevel(AccessCode) != 0) return true;
  ShowMessage("Password Error");
  return false;
}
