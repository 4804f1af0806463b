#include "app/ControlTable.h"
#include "link/FunctionCodes.h"
#include "settings/GridSupportViews.h"
#include "settings/ReactiveHooks.h"
#include "settings/SettingRows.h"

// Reactive power: the control mode, the fixed cos φ and Q set-points and the
// response time.

namespace {

constexpr ControlDecl kRows[] = {
    {Kind::Label, "Caption_ReactiveMode", 6, 34, 40, 18, "Mode", 1},
    {Kind::Label, "Label_ReactiveMode", 50, 34, 200, 18, "??"},
    {Kind::Combo, "Combo_ReactiveMode", 6, 60, 244, 22,
     "Disable\nConstant cos(φ)\ncos(φ) of P Control\nConstant Q\nQ(U) Control\nQ(U) CEI021 B\nQ(U) Class B\n"
     "Q(U) Class C\nVoltage suppression\nCosphi(U)\nQ(P)\nExtend Cos(φ) of P Control\nReserved\n"
     "Fixed Kvar 24/7\nQ(U) 24/7"},
    SIGNED_ROW(0, 94, "Caption_FixCos", "Fixed cosφ", "Label_FixCos", "??", "List_CosRange", "Edit_FixCos"),
    SIGNED_ROW(0, 128, "Caption_FixKvar", "Fixed Q (%)", "Label_FixKvar", "??", "List_FixKvar", "Edit_FixKvar"),
    VALUE_ROW(0, 162, "Caption_ReDelayT", "Response Time", "Label_ReDelayT", "??", "Edit_ReDelayT"),
};

// The read-back texts; code 12 reads back under another name than its item.
constexpr CodeText kModes[] = {
    {0, "Disable"},
    {1, "Constant cos(φ)"},
    {2, "cos(φ) of P Control"},
    {3, "Constant Q"},
    {4, "Q(U) Control"},
    {5, "Q(U) CEI021 B"},
    {6, "Q(U) Class B"},
    {7, "Q(U) Class C"},
    {8, "Voltage suppression"},
    {9, "Cosphi(U)"},
    {10, "Q(P)"},
    {11, "Extend Cos(φ) of P Control"},
    {12, "Q(P) 24/7"},
    {13, "Fixed Kvar 24/7"},
    {14, "Q(U) 24/7"},
};

// At "1%" the mode and the cos φ come in one reply and turn blue together;
// at "0.1%" the mode turns blue with the fine cos φ read after it.
constexpr WordRead kModeCoarseWords[] = {
    Word(0, "Label_ReactiveMode", Show::Text).Texts(kModes),
    HookWord(1, "Label_FixCos", CosCoarseWord),
};
constexpr WordRead kModeWords[] = {
    Word(0, "Label_ReactiveMode", Show::Text).Texts(kModes).NoPaint(),
};
constexpr WordRead kFineWords[] = {
    HookWord(0, "Label_FixCos", CosFineWord),
    HookWord(0, "Label_ReactiveMode", KeepTextWord),
};
constexpr WordRead kFixedQWords[] = {
    HookWord(0, "Label_FixKvar", SignedPercentWord),
    Word(9, "Label_ReDelayT", Show::Centi, " sec"),
};

constexpr ReadBlock kBlocks[] = {
    Read(kReadHolding, 33616, 2, kModeCoarseWords).When(CoarseCosPhi),
    Read(kReadHolding, 33616, 2, kModeWords).When(NotCoarseCosPhi),
    Read(kReadHolding, 48795, 1, kFineWords).When(FineCosPhi),
    Read(kReadHolding, 33624, 10, kFixedQWords),
};
constexpr ReadView kView{"Group_ReactivePower", "Reactive...", kBlocks};

constexpr EditorDecl kEditors[] = {
    Combo("Combo_ReactiveMode", 33616, "Label_ReactiveMode"),
    Edit("Edit_FixCos", 0, X100, "Label_FixCos").Signed()
        .Where(CosPhiRegister<33617, 48795>).Value(SignedBy<"List_CosRange">),
    Edit("Edit_FixKvar", 33624, StrictInt, "Label_FixKvar").Signed().Value(SignedBy<"List_FixKvar">),
    Edit("Edit_ReDelayT", 33633, X100, "Label_ReDelayT"),
};

}  // namespace

extern const PanelControls kReactivePowerPanel{"Group_ReactivePower", kRows};

int PollReactivePower(Modbus* link, uint8_t stop) { return RunReadView(link, stop, kView); }

std::span<const EditorDecl> ReactivePowerEditors() { return kEditors; }

// The read-back views of this file, for what the editor fit needs to know of
// the readings.
std::span<const ReadView* const> ReactivePowerReadViews() {
  static constexpr const ReadView* kViews[] = {&kView};
  return kViews;
}
