// Design mode: dragging, closing and opening group panels, and the page popup
// menu that opens them and switches the profile's view options.
#include "profiles/Objectevent.h"

#include <QContextMenuEvent>
#include <QHash>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QSet>
#include <QTabWidget>
#include <algorithm>

#include "app/GroupPanel.h"
#include "app/main.h"
#include "monitor/AcView.h"
#include "profiles/Designmode.h"
#include "settings/EditorFit.h"

namespace {
constexpr int kClosedHeight = 40;
// How far a panel's top-left corner stays from the page's right and bottom
// edges, so that its title can still be grabbed.
constexpr int kKeepRight = 50;
constexpr int kKeepBottom = 80;

void SetVisible(TForm_Main& w, const char* name, bool visible) {
  if (QWidget* c = w.Control(name)) c->setVisible(visible);
}

void UacProtection(TForm_Main& w, int set) {
  w.VacProtectSet = set;
  ApplyUacProtectionLayout(w, set);
}

void Captions(TForm_Main& w, std::initializer_list<const char*> names, std::initializer_list<const char*> texts) {
  auto text = texts.begin();
  for (const char* name : names)
    if (auto* l = w.Ctl<QLabel>(name)) l->setText(QString::fromUtf8(*text++));
}

void LanguageSelect(TForm_Main& w, bool shown) {
  for (const char* name : {"Label_ShowLang", "Label_LanguageSelect", "Combo_LanguageSelect"})
    SetVisible(w, name, shown);
  w.ShowLanguageSelect = shown ? 1 : 0;
}

using W = TForm_Main&;
constexpr const char* kMain = "Main Page";
constexpr const char* kConfig = "Config Page";
constexpr const char* kCtrl = "Ctrl Page";
constexpr const char* kCustom = "Custom";

constexpr PopMenuRow kPopMenu[] = {
    {101, "1. Version", kMain, "Group_Version"},
    {1025, "Const Volt.", "Main Page > 2. Status > Option", nullptr, 0,
     [](W w) { SetVisible(w, "Group_ConstVolt", true), w.ShowConstVolt = 1; }},
    {1026, "No Const Volt.", "Main Page > 2. Status > Option", nullptr, 0,
     [](W w) { SetVisible(w, "Group_ConstVolt", false), w.ShowConstVolt = 0; }},
    {1020, "3P", "Main Page > 2. Status", "Group_Status", 0, [](W w) { w.InverterState = 0; }},
    {1021, "1P", "Main Page > 2. Status", "Group_Status", 0, [](W w) { w.InverterState = 1; }},
    {1030, "Auto 3P(L-L/L-N)", "Main Page > 3.Output > Option", nullptr, 0,
     [](W w) { w.ShowAcMode = 0, SetVoltageCaptions(w, -1); }},
    {1032, "Engineer", "Main Page > 3.Output > Option", nullptr, 0,
     [](W w) { w.ShowAcMode = 2, SetVoltageCaptions(w, 2); }},
    {1036, "Title:Output", "Main Page > 3.Output > Option", nullptr, 0,
     [](W w) { w.ShowAcTitle = 0, w.SetAcGroupTitles(0); }},
    {1037, "Title: VAB...", "Main Page > 3.Output > Option", nullptr, 0,
     [](W w) { w.ShowAcTitle = 1, w.SetAcGroupTitles(1); }},
    {1038, "Single Phase", "Main Page > 3.Output > Option", nullptr, 0,
     [](W w) { w.ShowAcMode = 3, SetVoltageCaptions(w, -1); }},
    {103, "1. Output 1", "Main Page > 3.Output", "Group_GetAC1"},
    {104, "2. Output 2", "Main Page > 3.Output", "Group_GetAC2"},
    {105, "3. Output 3", "Main Page > 3.Output", "Group_GetAC3"},
    {1034, "4. LN && ST", "Main Page > 3.Output", "Group_LN_ST"},
    {1035, "5.Max Output", "Main Page > 3.Output", "Group_MaxOutputValue"},
    {106, "1. Input 1", "Main Page > 4. Input", "Group_GetDC1"},
    {107, "2. Input 2", "Main Page > 4. Input", "Group_GetDC2"},
    {108, "3. Input 3", "Main Page > 4. Input", "Group_GetDC3"},
    {109, "4. Input 4", "Main Page > 4. Input", "Group_GetDC4"},
    {1010, "5. Input 5", "Main Page > 4. Input", "Group_GetDC5"},
    {1011, "6. Input 6", "Main Page > 4. Input", "Group_GetDC6"},
    {1015, "7. String Current", "Main Page > 4. Input", "Group_StringCurr"},
    {1016, "8. Max Input", "Main Page > 4. Input", "Group_MaxInputValue"},
    {110, "1. VBus", "Main Page > 5.VBus", "Group_GetVbus"},
    {1101, "2. Total Bus", "Main Page > 5.VBus", "Group_GetTotalBus"},
    {111, "6. Total Power", kMain, "Group_TotalPower"},
    {1120, "Tempature1", "Main Page > 7. Temperature", "Group_Temper1", 0,
     [](W w) {
       Captions(w, {"Label_TemperTitle11", "Label_TemperTitle12", "Label_TemperTitle13", "Label_TemperTitle14"},
                {"Ambient", "Boost-1", "Boost-2", "Inverter-S"});
     }},
    {1121, "Tempature2", "Main Page > 7. Temperature", "Group_Temper2", 0,
     [](W w) {
       Captions(w, {"Label_TemperTitle21", "Label_TemperTitle22", "Label_TemperTitle23", "Label_TemperTitle24"},
                {"THS_R", "THS_S", "THS_T", "TAMB"});
     }},
    {114, "8. Test Value", kMain, "Group_TestValue"},
    {115, "9. Output Energy", kMain, "Group_OutputPower"},
    {0, "-", kMain},
    {116, "10. Insulation", kMain, "Group_Insulation"},
    {117, "11. DC Injection", kMain, "Group_DcInj"},
    {118, "12. Ground Current", kMain, "Group_GroundCurr"},
    {119, "13. Inv Time", kMain, "Group_InvTime"},
    {120, "14. Stand Alone", kMain, "Group_StandAlone3P"},
    {1210, "Lock", "Main Page > 15. Write Permission", nullptr, 0, [](W w) { w.WriteLock = 1; }},
    {1211, "Unlock", "Main Page > 15. Write Permission", nullptr, 0, [](W w) { w.WriteLock = 0; }},
    {0, "-", ""},
    {2012, "Language Selection", "Config Page > 1. Country Set", "Group_Country", 0,
     [](W w) { LanguageSelect(w, true); }},
    {2013, "No Language Selection", "Config Page > 1. Country Set", "Group_Country", 0,
     [](W w) { LanguageSelect(w, false); }},
    {2021, "Vac1", "Config Page > 2. Uac Protection", "Group_UacProtection", 0,
     [](W w) { UacProtection(w, 0); }},
    {2022, "Vac1 && Vac2", "Config Page > 2. Uac Protection", "Group_UacProtection", 0,
     [](W w) { UacProtection(w, 1); }},
    {2023, "RULE 21", "Config Page > 2. Uac Protection", "Group_UacProtection", 0,
     [](W w) { UacProtection(w, 2); }},
    {2030, "Display", "Config Page > 3. Freq. Protection", "Group_FreqProtection", 0,
     [](W w) { w.ShowGsFacMode = 0, w.SetFreqProtectLabels(0); }},
    {2031, "USA", "Config Page > 3. Freq. Protection", "Group_FreqProtection", 0,
     [](W w) { w.ShowGsFacMode = 1, w.SetFreqProtectLabels(1); }},
    {0, "-", kConfig},
    {204, "4. Error Event", kConfig, "Group_ErrorEvent"},
    {205, "5. Error Codes", kConfig, "Group_ErrorCodes"},
    {206, "6. Error List(Japan)", kConfig, "Group_JapanErrorList"},
    {207, "7. Comm Protection", kConfig, "Group_CommProtection"},
    {208, "8. AC Terminal", kConfig, "Group_AcTerminal"},
    {2090, "1. OPV", "Config Page > 9. Derating Record", "Group_DeratingRecordsOPV"},
    {2091, "2. Vin", "Config Page > 9. Derating Record", "Group_DeratingRecordsVin"},
    {2092, "3. OPV_Lo", "Config Page > 9. Derating Record", "Group_DeratingRecordsOPVLo"},
    {2093, "4. Thermal", "Config Page > 9. Derating Record", "Group_DeratingRecordsPM"},
    {210, "10. EPO", kConfig, "Group_EPO"},
    {211, "11. Derating Reocrds", kConfig, "Group_DeratingRecords"},
    {212, "12. Energy-Day", kConfig, "Group_DailyEnergy"},
    {213, "13. Energy-Month", kConfig, "Group_MonthlyEnergy"},
    {214, "14. Warning Event", kConfig, "Group_WarnEvent"},
    {0, "-", ""},
    {3000, "Ind+ ; Cap-", "Ctrl Page > 0. Option", nullptr, 0, [](W w) { w.ReactiveSign = 0; }},
    {3001, "Ind- ; Cap+", "Ctrl Page > 0. Option", nullptr, 0, [](W w) { w.ReactiveSign = 1; }},
    {3002, "cos-phi 1%", "Ctrl Page > 0. Option", nullptr, 0, [](W w) { w.CosPhiSet = 0; }},
    {3003, "cos-phi 0.1%", "Ctrl Page > 0. Option", nullptr, 0, [](W w) { w.CosPhiSet = 1; }},
    {301, "1. Reactive Power", kCtrl, "Group_ReactivePower"},
    {302, "2. Q(U) Ctrl", kCtrl, "Group_QUCtrl"},
    {303, "3. cos(φ) of P Ctrl", kCtrl, "Group_CosPCtrl"},
    {0, "-", kCtrl},
    {3040, "1. No Slope", "Ctrl Page > 4. Active Power", "Group_ActivePower", 200,
     [](W w) { w.ShowActiveSlope = 0; }},
    {3041, "2. Show Slope", "Ctrl Page > 4. Active Power", "Group_ActivePower", 250,
     [](W w) { w.ShowActiveSlope = 1; }},
    {305, "5. P-F Ctrl", kCtrl, "Group_PFCtrl"},
    {306, "6. P(U)Function", kCtrl, "Group_PUFunction"},
    {307, "7. FRT(LVFR)", kCtrl, "Group_LVFR"},
    {0, "-", kCtrl},
    {3080, "8. Multi-Function Relay", kCtrl, "Group_RelayFunction1"},
    {309, "9. Islanding", kCtrl, "Group_Islanding"},
    {310, "10. Fan Test", kCtrl, "Group_FanTest"},
    {311, "11. Fan Fail", kCtrl, "Group_FanFail"},
    {312, "12. Anti-Islanding", kCtrl, "Group_AntiIsland"},
    {313, "13. Q by Night", kCtrl, "Group_QbyNight"},
    {314, "14. Cosphi(U)", kCtrl, "Group_CosphiOfU"},
    {315, "15. RPR/OVGR", kCtrl, "Group_RPR_OVGR"},
    {316, "16. Q(P)", kCtrl, "Group_QofP"},
    {317, "17. Anti-PID", kCtrl, "Group_AntiPid"},
    {318, "18. ARC", kCtrl, "Group_ARCTest"},
    {319, "19. Dry Contact", kCtrl, "Group_DryContact"},
    {320, "20. Night Mode", kCtrl, "Group_NightMode"},
    {321, "21. Extend Cosphi P", kCtrl, "Group_ExtendCosphiP"},
    {0, "-", ""},
    {401, "Factory", "Calibration", "Group_Factory"},
    {402, "V、I、P Gain", "Calibration", "Group_VIPGain"},
    {403, "ADC count", "Calibration", "Group_ADC"},
    {0, "-", ""},
    {5010, "Poll 01 (Unsigned)", "Custom > Poll", "Group_Poll01"},
    {5011, "Poll 02 (Unsigned)", "Custom > Poll", "Group_Poll02"},
    {5012, "Poll 03 (Signed)", "Custom > Poll", "Group_Poll03"},
    {5013, "Poll 04 (Hex)", "Custom > Poll", "Group_Poll04"},
    {5020, "Japan Set", "Custom > Japan", "Group_JapanSet"},
    {5022, "Active power control", "Custom > Japan", "Group_JapanActivePower"},
    {5023, "Daily Energy", "Custom > Japan", "Group_DailyEnergy"},
    {50210, "New", "Custom > Japan > Japan User Setting", "Group_JapUserSet", 0,
     [](W w) { w.SetJapanUserSettingMode(0), w.JapanUserSettingMode = 0; }},
    {50211, "Old", "Custom > Japan > Japan User Setting", "Group_JapUserSet", 0,
     [](W w) { w.SetJapanUserSettingMode(1), w.JapanUserSettingMode = 1; }},
    {5024, "Japan User Setting(Old)", "Custom > Japan", "Group_JapUserSet_Old"},
    {5030, "BT Info", "Custom > Hybrid", "Group_BT_Info"},
    {5031, "BT CTRL", "Custom > Hybrid", "Group_BT_CTRL"},
    {5032, "Load1", "Custom > Hybrid", "Group_LoadPower1"},
    {5033, "Load2", "Custom > Hybrid", "Group_LoadPower2"},
    {5034, "Subsidy", "Custom > Hybrid", "Group_Subsidy"},
    {5035, "BT Module1", "Custom > Hybrid", "Group_BT_Module1"},
    {5036, "BT Module2", "Custom > Hybrid", "Group_BT_Module2"},
    {5040, "パワコン", "Custom > Brennik Monitor", "Group_BrennikMM"},
    {5041, "温度抑制_高温", "Custom > Brennik Monitor", "Group_BRK_ThermalEvent"},
    {5042, "電圧抑制_高圧", "Custom > Brennik Monitor", "Group_BRK_OpvEvent"},
    {5043, "入力電圧抑制_高圧", "Custom > Brennik Monitor", "Group_BRK_VinEvent"},
    {5044, "電圧抑制_低圧", "Custom > Brennik Monitor", "Group_BRK_OpvloEvent"},
    {5045, "SetPoint", "Custom > Brennik Monitor", "Group_BRK_SetPoint"},
    {5046, "パワコン", "Custom > Brennik Monitor", "Group_BRK_Energy"},
    {506, "Energy Clone", kCustom, "Group_EnergyClone"},
    {5070, "Dry Contact Test", "Custom > Australia", "Group_DryContactTest"},
    {5071, "AU/NZ Setting", "Custom > Australia", "Group_AustraliaSet"},
    {5072, "K4Q Setting", "Custom > Australia", "Group_K4QSetting"},
    {508, "On-Site Repair", kCustom, "Group_OnSiteRepair"},
    {509, "DC Relay Accumulate Times", kCustom, "Group_DcRelayAccTimes"},
    {999, "Debug", kCustom, "Group_Debug"},
    {0, "-", ""},
    {6000, "Identifier", "Merivon", "Group_MerivonTest"},
    {6010, "Input1", "Merivon", "Group_MerivonDc1"},
    {6020, "Input2", "Merivon", "Group_MerivonDc2"},
    {6030, "Output1", "Merivon", "Group_MerivonAc1"},
    {6030, "Output2", "Merivon", "Group_MerivonAc1"},
    // Designed without an action; kept so the menu reads as designed.
    {6040, "Output3", "Merivon"},
};

bool IsSeparator(const PopMenuRow& row) { return row.caption[0] == '-' && row.caption[1] == 0; }

GroupPanel* PanelOf(QObject* titleLabel) {
  auto* label = qobject_cast<QWidget*>(titleLabel);
  return label ? qobject_cast<GroupPanel*>(label->parentWidget()) : nullptr;
}

// Delivers the mouse events of the title labels and of the pages to the
// window's handlers, and opens the popup menu on a right-click.
class DesignEvents : public QObject {
 public:
  DesignEvents(TForm_Main* w, QMenu* menu) : QObject(w), w_(w), menu_(menu) {}

  bool eventFilter(QObject* watched, QEvent* e) override {
    switch (e->type()) {
      case QEvent::ContextMenu: {
        if (!w_->ScrollPopMenuAuto || !pages_.contains(watched)) return false;
        menu_->popup(static_cast<QContextMenuEvent*>(e)->globalPos());
        return true;
      }
      case QEvent::MouseMove:
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick: break;
      default: return false;
    }
    const QPoint at = static_cast<QMouseEvent*>(e)->position().toPoint();
    if (tracked_.contains(watched)) {
      if (e->type() == QEvent::MouseMove) w_->Scroll_PageMouseMove(static_cast<QWidget*>(watched), at.x(), at.y());
      return false;
    }
    if (!titles_.contains(watched)) return false;
    auto* label = static_cast<QWidget*>(watched);
    switch (e->type()) {
      case QEvent::MouseButtonPress: w_->Label_MouseDown(label, at.x(), at.y()); break;
      case QEvent::MouseMove: w_->Label_MouseMove(label, at.x(), at.y()); break;
      case QEvent::MouseButtonRelease: w_->Label_MouseUp(label, at.x(), at.y()); break;
      default: w_->Label_DblClick(label); break;
    }
    return true;
  }

  void WatchTitle(QWidget* label) {
    titles_.insert(label);
    label->installEventFilter(this);
  }
  void WatchPage(QWidget* w) {
    pages_.insert(w);
    w->installEventFilter(this);
  }
  void TrackMouse(QWidget* content) {
    tracked_.insert(content);
    content->setMouseTracking(true);
    content->installEventFilter(this);
  }

 private:
  TForm_Main* w_;
  QMenu* menu_;
  QSet<QObject*> titles_, pages_, tracked_;
};

// The page whose area bounds a drag: the current tab's scroll box, or the
// first page on any other tab.
QScrollArea* BoundingPage(const TForm_Main& w) {
  const int index = CurrentTabIndex(w.Ctl<QTabWidget>("PageControl"));
  return w.ScrollPage(index >= 1 && index <= 6 ? index : 0);
}

// A panel's place as the page shows it: its place in the page's content less
// the scroll offsets.
QPoint ScrollOffset(const QScrollArea* page) {
  return {page->horizontalScrollBar()->value(), page->verticalScrollBar()->value()};
}
}  // namespace

std::span<const PopMenuRow> PopMenuTable() { return kPopMenu; }

void TForm_Main::BindDesignHandlers() {
  auto* menu = new QMenu(this);
  menu->setObjectName("ScrollPopMenu");
  // Submenus are made where their first row stands, keyed by their path.
  QHash<QString, QMenu*> submenus{{QString(), menu}};
  for (const PopMenuRow& row : kPopMenu) {
    const QString path = QString::fromUtf8(row.path);
    QMenu* into = submenus.value(path);
    if (!into) {
      QString sofar;
      into = menu;
      for (const QString& name : path.split(" > ")) {
        sofar = sofar.isEmpty() ? name : sofar + " > " + name;
        QMenu* sub = submenus.value(sofar);
        if (!sub) {
          sub = into->addMenu(name);
          sub->setObjectName(sofar);
          submenus.insert(sofar, sub);
        }
        into = sub;
      }
    }
    if (IsSeparator(row)) {
      into->addSeparator();
      continue;
    }
    QAction* item = into->addAction(QString::fromUtf8(row.caption));
    item->setProperty("Tag", row.tag);
    connect(item, &QAction::triggered, this, [this, item] { Pop_Click(item); });
  }
  scrollPopMenu_ = menu;

  auto* events = new DesignEvents(this, menu);
  events->WatchPage(Control("PageControl"));
  for (int i = 0; i < 5; ++i) {
    QScrollArea* page = ScrollPage(i);
    events->WatchPage(page);
    events->WatchPage(page->viewport());
    events->WatchPage(page->widget());
  }
  for (int i = 0; i < 4; ++i) events->TrackMouse(ScrollPage(i)->widget());
  for (const GroupPanelDecl& d : GroupPanelTable())
    if (GroupPanel* p = Panel(QString::fromLatin1(d.name)); p && p->TitleLabel()) events->WatchTitle(p->TitleLabel());
}

void TForm_Main::Scroll_PageMouseMove(QWidget*, int x, int y) {
  Drag.LastX = x;
  Drag.LastY = y;
}

void TForm_Main::Label_MouseDown(QWidget* sender, int x, int y) {
  if (GroupPanel* p = PanelOf(sender)) p->raise();
  Drag.GrabX = x;
  Drag.GrabY = y;
}

void TForm_Main::Label_MouseMove(QWidget* sender, int x, int y) {
  if (IsSuperUser == 0) return;
  if (GroupPanel* p = PanelOf(sender)) DragPanelMove(Drag, p, x, y);
}

void TForm_Main::Label_MouseUp(QWidget* sender, int, int) {
  const bool dragging = Drag.GrabX != 0 || Drag.GrabY != 0;
  Drag.GrabX = 0;
  Drag.GrabY = 0;
  if (!dragging || IsSuperUser == 0) return;
  if (GroupPanel* p = PanelOf(sender)) KeepOnPage(p);
}

void TForm_Main::Label_DblClick(QWidget* sender) {
  if (IsSuperUser == 0) return;
  if (GroupPanel* p = PanelOf(sender)) HidePanel(Drag, p);
}

int TForm_Main::DragPanelMove(DragState& drag, GroupPanel* panel, int x, int y) {
  const QScrollArea* page = BoundingPage(*this);
  if (drag.GrabX == 0 && drag.GrabY == 0) return 0;
  const QPoint offset = ScrollOffset(page);
  const int left = panel->x() - offset.x() + x - drag.GrabX;
  const int top = panel->y() - offset.y() + y - drag.GrabY;
  QPoint to = panel->pos();
  if (left > 0 && left < page->width() - kKeepRight) to.setX(left + offset.x());
  if (top > 0 && top < page->height() - kKeepBottom) to.setY(top + offset.y());
  panel->move(to);
  return 0;
}

int TForm_Main::HidePanel(DragState& drag, GroupPanel* panel) {
  panel->resize(panel->width(), kClosedHeight);
  panel->hide();
  drag.GrabX = 0;
  drag.GrabY = 0;
  return 0;
}

int TForm_Main::ShowPanelAtMouse(DragState& drag, GroupPanel* panel, int height) {
  panel->resize(panel->width(), height);
  panel->show();
  panel->move(drag.LastX, drag.LastY);
  if (QScrollArea* page = ScrollPage(CurrentTabIndex(Ctl<QTabWidget>("PageControl")))) {
    if (panel->parentWidget() != page->widget()) {
      const QPoint at = panel->pos();
      panel->setParent(page->widget());
      panel->move(at);
      panel->show();
    }
    panel->raise();
    KeepOnPage(panel);
  }
  drag.GrabX = 0;
  drag.GrabY = 0;
  return 0;
}

void TForm_Main::KeepOnPage(GroupPanel* panel) {
  // Whatever the mouse did, the title stays where it can be grabbed: inside
  // the page as it was when the panel was placed, and the page's content
  // grows to hold the whole panel.
  QScrollArea* page = nullptr;
  for (int i = 0; i < 7; ++i)
    if (ScrollPage(i)->widget() == panel->parentWidget()) page = ScrollPage(i);
  if (!page) return;
  const QPoint offset = ScrollOffset(page);
  const int maxLeft = std::max(0, offset.x() + page->width() - kKeepRight - 1);
  const int maxTop = std::max(0, offset.y() + page->height() - kKeepBottom - 1);
  panel->move(std::clamp(panel->x(), 0, maxLeft), std::clamp(panel->y(), 0, maxTop));
  FitPageContent(page);
}

void TForm_Main::EndDrag() {
  Drag.GrabX = 0;
  Drag.GrabY = 0;
}

void TForm_Main::Pop_Click(QObject* sender) {
  const int tag = sender ? sender->property("Tag").toInt() : 0;
  const auto row = std::find_if(std::begin(kPopMenu), std::end(kPopMenu),
                                [tag](const PopMenuRow& r) { return !IsSeparator(r) && r.tag == tag; });
  if (row == std::end(kPopMenu)) return;
  GroupPanel* panel = row->panel ? Panel(QString::fromLatin1(row->panel)) : nullptr;
  if (panel && row->setTag) panel->setTag(row->setTag);
  if (panel) ShowPanelAtMouse(Drag, panel, panel->Tag());
  if (row->act) {
    row->act(*this);
    // Items that switch captions or a group's width leave the editors' rows
    // to be shared out again.
    FitEditorsToText(*this);
  }
}

void TForm_Main::Pop_Arrange() {
  for (const GroupPanelDecl& d : GroupPanelTable()) {
    GroupPanel* p = Panel(QString::fromLatin1(d.name));
    if (!p || p->Tag() <= 0) continue;
    p->resize(p->width(), kClosedHeight);
    p->hide();
  }
  if (GroupPanel* p = Panel("Group_JapanActivePower")) {
    p->setParent(ScrollPage(0)->widget());
    p->setGeometry(5, 5, p->width(), p->Tag());
  }
  for (const GroupPanelDecl& d : GroupPanelTable())
    if (GroupPanel* p = Panel(QString::fromLatin1(d.name)); p && p->height() == p->Tag()) p->show();
}
