#pragma once
#include <QHash>
#include <QMainWindow>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>

#include "link/Modbus.h"
#include "profiles/Objectevent.h"

class QLabel;
class QMenu;
class QScrollArea;
class QTreeWidgetItem;
class FirmwarePage;
class GroupPanel;
class LogView;
namespace Ui {
class TForm_Main;
}

// The inverters found by the ID scan or remembered from the last run: Count
// IDs in ascending order, each with its speed index at the same position.
struct InverterListRec {
  int Count = 0;
  std::array<int, 256> Ids{};
  std::array<int, 256> BaudIndex{};
  int Tail = 0;
};

// The main window: the user interface, the user and polling state, and the
// one link object.
class TForm_Main : public QMainWindow {
  Q_OBJECT
 public:
  explicit TForm_Main(QWidget* parent = nullptr);
  ~TForm_Main() override;

  // Single-instance guard and title; true when another instance holds the
  // title, in which case this window must not be shown.
  bool FormCreate();
  bool Terminated() const { return terminated_; }

  // Show and close handlers (profiles/).
  void FormShow();
  void FormClose();

  // Entering the port list: refills Combo_COM with the serial ports, keeping
  // the chosen one while it is still there (link/).
  void Combo_COMEnter();

  // Link opening and the polling loop (link/PollingLoop.cpp).
  void OpenPortClick();
  void ClosePortClick();
  // Runs polling passes until a stop or a failed request; 1 when it closed
  // the link, 0 when it left it open for the firmware page (or, called while
  // a loop runs, when that loop is asked to restart instead).
  int RunPollingLoop();
  int CloseLink();
  // True when a command posted now will be carried out: a loop runs and is
  // not ending. Otherwise says "Please Connect to Inverters first".
  bool LinkTakesCommands();
  void Radio_ComRS485Click();
  void Radio_ComWifiClick();
  void Radio_ComSub1gClick();
  // Whether the profile offers the Sub1G link (SuperUser does).
  void OfferSub1gLink(bool offered);
  // The inverters that commands for many inverters walk on the link: the
  // Wi-Fi module's one inverter (255), else the listed ones (link/IdScan.cpp).
  InverterListRec CommandTargets() const;
  // Status panel 0: the inverter that is polled (nothing for address 0).
  void ShowPolledId();
  // Carries out the command waiting in the mailbox (link/Executor.cpp); 1
  // when a failed request ends polling.
  int ExecutePendingCommand();

  // Profiles, pages and layouts (profiles/).
  void Combo_SelectModeChange();  // the user picked a profile
  void PageControlChange();       // the user picked a tab
  bool CheckAccessCode();         // may the user go on with a guarded operation?

  // View variants chosen by profile options (settings/); a variant a
  // routine does not know changes nothing.
  void SetFreqProtectLabels(int variant);
  void SetVoltProtectLabels(int variant);
  void SetAcGroupTitles(int variant);
  int SetJapanUserSettingMode(int mode);
  int ResetPageScroll();
  int SaveCurrentPageLayout();
  int ShowPageLayout();

  // Design mode (profiles/Objectevent.cpp): the title labels' and pages'
  // mouse handlers, the panel operations they share with the page popup
  // menu, and the menu's handlers. Coordinates are the sender's own.
  void Scroll_PageMouseMove(QWidget* sender, int x, int y);
  void Label_MouseDown(QWidget* sender, int x, int y);
  void Label_MouseMove(QWidget* sender, int x, int y);
  void Label_MouseUp(QWidget* sender, int x, int y);
  void Label_DblClick(QWidget* sender);
  int DragPanelMove(DragState& drag, GroupPanel* panel, int x, int y);
  int HidePanel(DragState& drag, GroupPanel* panel);
  int ShowPanelAtMouse(DragState& drag, GroupPanel* panel, int height);
  void Pop_Click(QObject* sender);  // sender: the menu item, by its Tag
  void Pop_Arrange();
  void EndDrag();
  QMenu* ScrollPopMenu() const { return scrollPopMenu_; }
  DragState Drag;

  // Firmware page (upgrade/FirmwarePage.cpp): firmware mode, the image
  // file, the device grid, the runs and their result window and log file.
  void Image_FirmwareClick();
  void Btn_LoadHEXClick();
  int LoadFirmwareFile();  // loads the image named in Edit_HEXPath; returns 0
  // A file dropped on the window: a name ending in "hex" loads on the
  // firmware page; anything else is ignored.
  void OnDropFiles(const QString& path);
  void Grid_DevDblClick();
  void Btn_UpgradeStartClick();
  int UpgradeOverSerial();
  int UpgradeOverTcp();
  FirmwarePage* Firmware() const { return firmwarePage_; }

  // Header, left panel, toolbar hover looks and help (app/Header.cpp).
  void FormResize();
  void FormShortCut(int key);  // Qt::Key_F11 collapses or restores the header
  void Label_TopRetractClick();
  void Label_LeftDownRetractClick();
  void Image_SyncClockMouseEnter();
  void Image_SyncClockMouseLeave();
  void Image_DataLogMouseEnter();
  void Image_DataLogMouseLeave();
  void Image_FirmwareMouseEnter();
  void Image_FirmwareMouseLeave();
  void Image_OpenGridSetMouseEnter();
  void Image_OpenGridSetMouseLeave();
  void Image_SaveGridSetMouseEnter();
  void Image_SaveGridSetMouseLeave();
  void Image_SaveGridSetClick();
  void Image_OpenGridSetClick();
  void Btn_HelpClick();

  // Data-log recorder (logs/DataLogUi.cpp): the record icon starts and stops
  // a recording; Timer_Record writes a row per tick, Timer_Datalog animates
  // the icon.
  void Image_DataLogClick();
  void Timer_RecordTimer();
  void Timer_DatalogTimer();
  int DataLogRowCount = 0;
  QString DataLogFileName;

  // User-interface language (app/Language.cpp).
  void LanguageChange(int languageIndex);
  void Image_Country_USAClick();
  void Image_Country_GenmanClick();
  void Image_Country_FrenchClick();

  // Named controls, found by their objectName.
  QWidget* Control(const QString& name) const { return controls_.value(name); }
  template <class T>
  T* Ctl(const QString& name) const { return qobject_cast<T*>(Control(name)); }
  GroupPanel* Panel(const QString& name) const;
  QScrollArea* ScrollPage(int index) const;  // 0..6 = Scroll_Page1..7
  LogView* EventLog() const { return eventLog_; }

  // Status bar panels 0..10.
  void SetStatus(int panel, const QString& text);
  QString StatusText(int panel) const;

  // Registers a control created after construction so Control() finds it.
  void RegisterControl(QWidget* w);

  // Inverter tree and ID scan (link/IdScan.cpp).
  QTreeWidgetItem* AddTreeRoot();  // the node "Inverters", kept in TreeRoot
  void RebuildTree();
  void BuildIdTree();
  void ExeSelectInv(int position);
  void TreeViewDblClick();
  void CountryListInit();
  void Edit_StartIDExit();
  void Edit_EndIDExit();
  void Btn_ScanIDClick();
  QTreeWidgetItem* LastTreeNode = nullptr;

  // Clock, register map and energy clone (link/ClockSync.cpp, link/EnergyHistory.cpp).
  void Image_SyncClockClick();
  void Image_TarvoSunClick();
  void Image_SunTarvoClick();
  void Image_TarvoSunMouseEnter();
  void Image_TarvoSunMouseLeave();
  void Image_SunTarvoMouseEnter();
  void Image_SunTarvoMouseLeave();
  // The executor's work for the scan, clock, register-map and energy codes;
  // 1 when a failed request ends polling.
  int ExeScanIds();
  int ExeSyncClock();
  int ExeMapSwitch(int map);
  int ExeReadEnergy();
  int ExeWriteEnergy();
  // A whole energy history has been read and may be written to an inverter.
  bool EnergyHistoryRead = false;

  // State members.
  QTreeWidgetItem* TreeRoot = nullptr;
  uint8_t PollStop = 0;
  int ReclosureRate = 0;
  int ReactiveSign = 0;
  int CosPhiSet = 0;
  int InverterState = 0;
  uint8_t ShowConstVolt = 0;
  int JapanUserSettingMode = 0;
  // The event-class word of each output relay as last read (or toggled);
  // none until a usable read of that relay.
  std::array<std::optional<uint16_t>, 2> RelayEventMask{};
  int VacProtectSet = 0;
  uint8_t IsSuperUser = 0;
  int CurrentPage = 0;
  uint8_t ShowActiveSlope = 0;
  uint8_t ShowLanguageSelect = 0;
  int ShowAcMode = 0;
  int ShowAcTitle = 0;
  int ShowGsFacMode = 0;
  int PowerMul = 0;
  int DcCurrentDiv = 0;
  int AcCurrentDiv = 0;
  int VoltageDiv = 0;
  int EnergyMul = 0;
  int PhaseCount = 0;
  uint8_t SignedValues = 0;
  uint8_t WriteLock = 0;
  int LanguageIndex = 0;
  QString AccessCode;
  // The settings or layout file that the next read or write uses.
  QString SettingFilePath;
  // The design-mode menu of the pages opens on a right-click only while set.
  bool ScrollPopMenuAuto = false;
  Modbus Link;
  InverterListRec InverterList;
  uint8_t KeepPortOpen = 0;
  // True from a successful opening of the link until it is closed; unlike
  // PollStop it is never left stale by a failed request.
  bool LinkOpen = false;
  // The profile's country list: entry i names grid code i (without its line
  // end); the codes on offer, in file order; how many of them the country
  // combo shows (its item k stands for code LoadedCountryCodes[k]).
  std::array<int, 300> LoadedCountryCodes{};
  std::array<QString, 300> LoadedCountryNames;
  int LoadedCountryCount = 0;

 signals:
  void FileDropped(const QString& path);

 protected:
  void showEvent(QShowEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  void dragEnterEvent(QDragEnterEvent* e) override;
  void dropEvent(QDropEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void paintEvent(QPaintEvent* e) override;

 private:
  void FitDesignSizeToScreen();
  void BuildStatusBar();
  void BuildPages();
  void BuildGroupPanels();
  void IndexControls(QWidget* root);
  void BindLinkHandlers();     // link/
  void BindFurniture();        // app/Header.cpp
  void BindProfileHandlers();  // profiles/
  void BindDesignHandlers();   // profiles/Objectevent.cpp
  void KeepOnPage(GroupPanel* panel);
  void BindNetHandlers();      // link/IdScan.cpp
  void BindMonitorHandlers();  // monitor/
  void BindSettingsHandlers(); // settings/
  void BindDataLog();          // logs/
  void BindFirmwarePage();     // upgrade/FirmwarePage.cpp
  void StopDataLog();

  // The link kind buttons show the link that Open opens, or the one open.
  void ShowLinkKinds();
  // Every value shows "??" in blue, to be filled by the next read.
  void ResetValueLabels();

  bool sub1gOffered_ = false;  // the profile shows the Sub1G button
  int pollDepth_ = 0;         // polling loops running (0 or 1)
  bool pollRestart_ = false;  // a fresh loop was asked for while one ran

  Ui::TForm_Main* ui;
  QHash<QString, QWidget*> controls_;
  std::array<QLabel*, 11> status_{};
  std::array<QScrollArea*, 7> scrollPages_{};
  LogView* eventLog_ = nullptr;
  FirmwarePage* firmwarePage_ = nullptr;
  QMenu* scrollPopMenu_ = nullptr;
  bool terminated_ = false;
  bool shown_ = false;
  int profileShown_ = -1;  // the profile box's item before the pick of SuperUser-Init (profiles/)
};

extern TForm_Main* Form_Main;
