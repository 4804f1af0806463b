#include "settings/BatteryControlEditors.h"

#include <QListWidget>
#include <QScrollBar>

#include "app/main.h"
#include "link/CommandCodes.h"
#include "settings/SettingEditors.h"

namespace {

// A window's start and stop are written together, as the time words
// hour x 100 + minute; 0x55AA in both clears it.
constexpr int kClearedWindow = 0x55AA;

// The window's first register and the prefix of its four time pickers.
struct Window {
  int reg;
  const char* pickers;
};
constexpr Window kWindows[] = {
    {25635, "List_BTC_T1"},    {25637, "List_BTC_T2"},    {25639, "List_BTC_T3"},
    {25641, "List_BTDCHG_T1"}, {25643, "List_BTDCHG_T2"}, {25645, "List_BTDCHG_T3"},
};

// The picker's value is its top visible item: scrolled per item, that is the
// scroll position.
int TopIndex(const TForm_Main& f, const QString& name) {
  const auto* list = f.Ctl<QListWidget>(name);
  return list ? list->verticalScrollBar()->value() : 0;
}

int PickedTime(const TForm_Main& f, const char* pickers, const char* which) {
  const QString prefix = QLatin1String(pickers) + QLatin1String(which);
  return TopIndex(f, prefix + QLatin1String("Hour")) * 100 + TopIndex(f, prefix + QLatin1String("Min")) * 30;
}

const Window* WindowAt(int reg) {
  for (const Window& w : kWindows)
    if (w.reg == reg) return &w;
  return nullptr;
}

std::optional<Posting> PickedWindow(TForm_Main& f, const EditorDecl& row, const EditorInput&) {
  const Window* w = WindowAt(row.reg);
  if (!w) return std::nullopt;
  return Posting{row.reg, row.code, PickedTime(f, w->pickers, "Start"), PickedTime(f, w->pickers, "Stop")};
}

std::optional<Posting> ClearedWindow(TForm_Main&, const EditorDecl& row, const EditorInput&) {
  return Posting{row.reg, row.code, kClearedWindow, kClearedWindow};
}

// A window button: code 36 to the window's two registers, both labels red.
constexpr EditorDecl WindowButton(const char* button, int reg, const char* start, const char* stop, ValueHook hook) {
  EditorDecl r = Button(button, reg, CmdBatteryWindow, 0).Value(hook).Label2(stop);
  r.label = start;
  return r;
}

constexpr EditorDecl kEditors[] = {
    Combo("Combo_BT_CtrlMode", 25627, "Label_BT_CtrlMode").Offset(1),
    Edit("Edit_SOC_Limit", 25617, SafeInt, "Label_SOC_Limit", "0~70%"),
    Edit("Edit_Peak_Cut_Power", 25620, SafeInt, "Label_Peak_Cut_Power"),
    Combo("Combo_Subsidy_Mode", 25632, "Label_Subsidy_Mode"),
    Edit("Edit_PV_Capacity", 25633, X10, "Label_PV_Capacity"),
    Edit("Edit_Feedin_Percent", 25634, SafeInt, "Label_Feedin_Percent"),
    WindowButton("Btn_BTChargeT1Set", 25635, "Label_BT_Charge_T1Start", "Label_BT_Charge_T1Stop", PickedWindow),
    WindowButton("Btn_BTChargeT2Set", 25637, "Label_BT_Charge_T2Start", "Label_BT_Charge_T2Stop", PickedWindow),
    WindowButton("Btn_BTChargeT3Set", 25639, "Label_BT_Charge_T3Start", "Label_BT_Charge_T3Stop", PickedWindow),
    WindowButton("Btn_BTDCHGT1Set", 25641, "Label_BT_DCHG_T1Start", "Label_BT_DCHG_T1Stop", PickedWindow),
    WindowButton("Btn_BTDCHGT2Set", 25643, "Label_BT_DCHG_T2Start", "Label_BT_DCHG_T2Stop", PickedWindow),
    WindowButton("Btn_BTDCHGT3Set", 25645, "Label_BT_DCHG_T3Start", "Label_BT_DCHG_T3Stop", PickedWindow),
    WindowButton("Btn_BTChargeT1Clear", 25635, "Label_BT_Charge_T1Start", "Label_BT_Charge_T1Stop", ClearedWindow),
    WindowButton("Btn_BTChargeT2Clear", 25637, "Label_BT_Charge_T2Start", "Label_BT_Charge_T2Stop", ClearedWindow),
    WindowButton("Btn_BTChargeT3Clear", 25639, "Label_BT_Charge_T3Start", "Label_BT_Charge_T3Stop", ClearedWindow),
    WindowButton("Btn_BTDCHGT1Clear", 25641, "Label_BT_DCHG_T1Start", "Label_BT_DCHG_T1Stop", ClearedWindow),
    WindowButton("Btn_BTDCHGT2Clear", 25643, "Label_BT_DCHG_T2Start", "Label_BT_DCHG_T2Stop", ClearedWindow),
    WindowButton("Btn_BTDCHGT3Clear", 25645, "Label_BT_DCHG_T3Start", "Label_BT_DCHG_T3Stop", ClearedWindow),
};

}  // namespace

std::span<const EditorDecl> BatteryControlEditors() { return kEditors; }
