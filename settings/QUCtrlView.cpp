#include <QWidget>
#include <array>

#include "app/ControlTable.h"
#include "app/main.h"
#include "link/FunctionCodes.h"
#include "settings/GridSupportViews.h"
#include "settings/ReactiveHooks.h"
#include "settings/SettingRows.h"

// Q(U): reactive power over grid voltage, with the response delay that only
// some inverters have.

namespace {

constexpr ControlDecl kRows[] = {
    SIGNED_ROW(0, 32, "Caption_KvarUp", "Q_Vmin", "Label_KvarUp", "?? %", "List_KvarUp", "Edit_KvarUp"),
    SIGNED_ROW(0, 62, "Caption_KvarLow", "Q_Vmax", "Label_KvarLow", "?? %", "List_KvarLow", "Edit_KvarLow"),
    VALUE_ROW(0, 92, "Caption_UacMin", "Vmin", "Label_UacMin", "??", "Edit_UacMin"),
    VALUE_ROW(0, 122, "Caption_UacMax", "Vmax", "Label_UacMax", "??", "Edit_UacMax"),
    VALUE_ROW(0, 152, "Caption_UacLow", "Lower(V1)", "Label_UacLow", "??", "Edit_UacLow"),
    VALUE_ROW(0, 182, "Caption_UacUp", "Upper(V2)", "Label_UacUp", "??", "Edit_UacUp"),
    VALUE_ROW(0, 212, "Caption_Hystersis", "Hysteresis", "Label_Hystersis", "??", "Edit_Hystersis"),
    VALUE_ROW(0, 242, "Caption_UacLockIn", "Lock-in Power", "Label_UacLockIn", "?? %", "Edit_UacLockIn"),
    VALUE_ROW(0, 272, "Caption_UacLockOut", "Lock-out Power", "Label_UacLockOut", "?? %", "Edit_UacLockOut"),
    // Shown by the read-back once the inverter answers the delay register.
    {Kind::Frame, "Item_ResponseDelay", 0, 302, 255, 32, "", 0, kHidden},
};

constexpr ControlDecl kResponseDelayRows[] = {
    {Kind::Label, "Caption_ResponseDelay", 6, 6, 112, 18, "Response delay", 1},
    {Kind::Label, "Label_ResponseDelay", 120, 6, 64, 18, "??"},
    {Kind::Combo, "Combo_ResponseDelay", 186, 4, 64, 22,
     "0\n1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n11\n12\n13\n14\n15\n16\n17\n18\n19\n20\n21\n22\n23\n24\n25\n26\n27\n28\n29\n30"},
};

constexpr auto V = Show::Deci;

constexpr WordRead kCurveWords[] = {
    HookWord(2, "Label_KvarUp", SignedPercentWord),
    HookWord(3, "Label_KvarLow", SignedPercentWord),
    Word(4, "Label_UacMin", V, " V"),
    Word(5, "Label_UacMax", V, " V"),
    Word(6, "Label_UacLow", V, " V"),
    Word(7, "Label_UacUp", V, " V"),
    Word(8, "Label_Hystersis", V, " V"),
    Word(12, "Label_UacLockIn", Show::Decimal, " %"),
    Word(13, "Label_UacLockOut", Show::Decimal, " %"),
};

// Whole seconds: the hundredths are cut off.
std::optional<QString> WholeSecondsWord(const Modbus*, uint16_t word) {
  return QString::number(word / 100) + QStringLiteral(" sec");
}
constexpr WordRead kDelayWords[] = {HookWord(0, "Label_ResponseDelay", WholeSecondsWord)};

void ShowDelayItem(bool shown) {
  if (QWidget* item = Form_Main->Control(QStringLiteral("Item_ResponseDelay"))) item->setHidden(!shown);
}
int DelayAnswered(Modbus*) { return ShowDelayItem(true), 0; }
int DelayNotAnswered(Modbus*) { return ShowDelayItem(false), 0; }

constexpr ReadBlock kBlocks[] = {
    Read(kReadHolding, 33624, 14, kCurveWords),
    Read(kReadHolding, 33638, 1, kDelayWords).Then(DelayAnswered).Otherwise(DelayNotAnswered),
};
constexpr ReadView kView{"Group_QUCtrl", "Q(U)...", kBlocks};

// The combo's item is whole seconds; the register holds hundredths.
constexpr auto kDelayHundredths = [] {
  std::array<int, 31> a{};
  for (int s = 0; s < 31; ++s) a[s] = s * 100;
  return a;
}();

constexpr EditorDecl kEditors[] = {
    Edit("Edit_KvarUp", 33626, StrictInt, "Label_KvarUp").Signed().Value(SignedBy<"List_KvarUp">),
    Edit("Edit_KvarLow", 33627, StrictInt, "Label_KvarLow").Signed().Value(SignedBy<"List_KvarLow">),
    Edit("Edit_UacMin", 33628, X10, "Label_UacMin"),
    Edit("Edit_UacMax", 33629, X10, "Label_UacMax"),
    Edit("Edit_UacLow", 33630, X10, "Label_UacLow"),
    Edit("Edit_UacUp", 33631, X10, "Label_UacUp"),
    Edit("Edit_Hystersis", 33632, X10, "Label_Hystersis"),
    Edit("Edit_UacLockIn", 33636, StrictInt, "Label_UacLockIn"),
    Edit("Edit_UacLockOut", 33637, StrictInt, "Label_UacLockOut"),
    Combo("Combo_ResponseDelay", 33638, "Label_ResponseDelay").Codes(kDelayHundredths),
};

}  // namespace

extern const PanelControls kQUCtrlPanel{"Group_QUCtrl", kRows};
extern const PanelControls kResponseDelayPanel{"Item_ResponseDelay", kResponseDelayRows};

int PollQUCtrl(Modbus* link, uint8_t stop) { return RunReadView(link, stop, kView); }

std::span<const EditorDecl> QUCtrlEditors() { return kEditors; }

// The read-back views of this file, for what the editor fit needs to know of
// the readings.
std::span<const ReadView* const> QUCtrlReadViews() {
  static constexpr const ReadView* kViews[] = {&kView};
  return kViews;
}
