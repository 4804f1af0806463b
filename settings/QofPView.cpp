#include "app/ControlTable.h"
#include "link/FunctionCodes.h"
#include "settings/GridSupportViews.h"
#include "settings/ReactiveHooks.h"
#include "settings/SettingRows.h"

// The Q(P) curve: its power reference, the number of points in use and up to
// ten points of power and reactive power, in tenths of a percent.

namespace {

constexpr ControlDecl kRows[] = {
    COMBO_ROW(0, 32, "Caption_QofP_Mode", "Mode", "Label_QofP_Mode", "??", "Combo_QofP_Mode", "Rated\nActual"),
    VALUE_ROW(262, 32, "Caption_QofP_SetPoint", "No of Set Point", "Label_QofP_SetPoint", "??", "Edit_QofP_SetPoint"),
    VALUE_ROW(0, 66, "Caption_QofP_P0", "P0", "Label_QofP_P0", "??", "Edit_QofP_P0"),
    VALUE_ROW(0, 100, "Caption_QofP_P1", "P1", "Label_QofP_P1", "??", "Edit_QofP_P1"),
    VALUE_ROW(0, 134, "Caption_QofP_P2", "P2", "Label_QofP_P2", "??", "Edit_QofP_P2"),
    VALUE_ROW(0, 168, "Caption_QofP_P3", "P3", "Label_QofP_P3", "??", "Edit_QofP_P3"),
    VALUE_ROW(0, 202, "Caption_QofP_P4", "P4", "Label_QofP_P4", "??", "Edit_QofP_P4"),
    VALUE_ROW(0, 236, "Caption_QofP_P5", "P5", "Label_QofP_P5", "??", "Edit_QofP_P5"),
    VALUE_ROW(0, 270, "Caption_QofP_P6", "P6", "Label_QofP_P6", "??", "Edit_QofP_P6"),
    VALUE_ROW(0, 304, "Caption_QofP_P7", "P7", "Label_QofP_P7", "??", "Edit_QofP_P7"),
    VALUE_ROW(0, 338, "Caption_QofP_P8", "P8", "Label_QofP_P8", "??", "Edit_QofP_P8"),
    VALUE_ROW(0, 372, "Caption_QofP_P9", "P9", "Label_QofP_P9", "??", "Edit_QofP_P9"),
    SIGNED_ROW(262, 66, "Caption_QofP_Q0", "Q0", "Label_QofP_Q0", "??", "List_QofP_RangeQ0", "Edit_QofP_Q0"),
    SIGNED_ROW(262, 100, "Caption_QofP_Q1", "Q1", "Label_QofP_Q1", "??", "List_QofP_RangeQ1", "Edit_QofP_Q1"),
    SIGNED_ROW(262, 134, "Caption_QofP_Q2", "Q2", "Label_QofP_Q2", "??", "List_QofP_RangeQ2", "Edit_QofP_Q2"),
    SIGNED_ROW(262, 168, "Caption_QofP_Q3", "Q3", "Label_QofP_Q3", "??", "List_QofP_RangeQ3", "Edit_QofP_Q3"),
    SIGNED_ROW(262, 202, "Caption_QofP_Q4", "Q4", "Label_QofP_Q4", "??", "List_QofP_RangeQ4", "Edit_QofP_Q4"),
    SIGNED_ROW(262, 236, "Caption_QofP_Q5", "Q5", "Label_QofP_Q5", "??", "List_QofP_RangeQ5", "Edit_QofP_Q5"),
    SIGNED_ROW(262, 270, "Caption_QofP_Q6", "Q6", "Label_QofP_Q6", "??", "List_QofP_RangeQ6", "Edit_QofP_Q6"),
    SIGNED_ROW(262, 304, "Caption_QofP_Q7", "Q7", "Label_QofP_Q7", "??", "List_QofP_RangeQ7", "Edit_QofP_Q7"),
    SIGNED_ROW(262, 338, "Caption_QofP_Q8", "Q8", "Label_QofP_Q8", "??", "List_QofP_RangeQ8", "Edit_QofP_Q8"),
    SIGNED_ROW(262, 372, "Caption_QofP_Q9", "Q9", "Label_QofP_Q9", "??", "List_QofP_RangeQ9", "Edit_QofP_Q9"),
};

constexpr CodeText kReference[] = {{0, "Rated"}};

// The reference, the count, then each point's power and reactive power.
constexpr WordRead kCurveWords[] = {
    Word(0, "Label_QofP_Mode", Show::Text).Texts(kReference, "Actual"),
    HookWord(1, "Label_QofP_SetPoint", SignedIntWord),
    HookWord(2, "Label_QofP_P0", SignedTenthsPercentWord),
    HookWord(3, "Label_QofP_Q0", CurveTenthsWord),
    HookWord(4, "Label_QofP_P1", SignedTenthsPercentWord),
    HookWord(5, "Label_QofP_Q1", CurveTenthsWord),
    HookWord(6, "Label_QofP_P2", SignedTenthsPercentWord),
    HookWord(7, "Label_QofP_Q2", CurveTenthsWord),
    HookWord(8, "Label_QofP_P3", SignedTenthsPercentWord),
    HookWord(9, "Label_QofP_Q3", CurveTenthsWord),
    HookWord(10, "Label_QofP_P4", SignedTenthsPercentWord),
    HookWord(11, "Label_QofP_Q4", CurveTenthsWord),
    HookWord(12, "Label_QofP_P5", SignedTenthsPercentWord),
    HookWord(13, "Label_QofP_Q5", CurveTenthsWord),
    HookWord(14, "Label_QofP_P6", SignedTenthsPercentWord),
    HookWord(15, "Label_QofP_Q6", CurveTenthsWord),
    HookWord(16, "Label_QofP_P7", SignedTenthsPercentWord),
    HookWord(17, "Label_QofP_Q7", CurveTenthsWord),
    HookWord(18, "Label_QofP_P8", SignedTenthsPercentWord),
    HookWord(19, "Label_QofP_Q8", CurveTenthsWord),
    HookWord(20, "Label_QofP_P9", SignedTenthsPercentWord),
    HookWord(21, "Label_QofP_Q9", CurveTenthsWord),
};

constexpr ReadBlock kBlocks[] = {
    Read(kReadHolding, 48826, 22, kCurveWords).EndIfInvalid(),
};
constexpr ReadView kView{"Group_QofP", "Q(P)...", kBlocks};

constexpr EditorDecl kEditors[] = {
    Combo("Combo_QofP_Mode", 48826, "Label_QofP_Mode"),
    Edit("Edit_QofP_SetPoint", 48827, SafeInt, "Label_QofP_SetPoint").Signed(),
    Edit("Edit_QofP_P0", 48828, X10, "Label_QofP_P0").Signed(),
    Edit("Edit_QofP_Q0", 48829, X10, "Label_QofP_Q0").Signed().Value(SignedBy<"List_QofP_RangeQ0">),
    Edit("Edit_QofP_P1", 48830, X10, "Label_QofP_P1").Signed(),
    Edit("Edit_QofP_Q1", 48831, X10, "Label_QofP_Q1").Signed().Value(SignedBy<"List_QofP_RangeQ1">),
    Edit("Edit_QofP_P2", 48832, X10, "Label_QofP_P2").Signed(),
    Edit("Edit_QofP_Q2", 48833, X10, "Label_QofP_Q2").Signed().Value(SignedBy<"List_QofP_RangeQ2">),
    Edit("Edit_QofP_P3", 48834, X10, "Label_QofP_P3").Signed(),
    Edit("Edit_QofP_Q3", 48835, X10, "Label_QofP_Q3").Signed().Value(SignedBy<"List_QofP_RangeQ3">),
    Edit("Edit_QofP_P4", 48836, X10, "Label_QofP_P4").Signed(),
    Edit("Edit_QofP_Q4", 48837, X10, "Label_QofP_Q4").Signed().Value(SignedBy<"List_QofP_RangeQ4">),
    Edit("Edit_QofP_P5", 48838, X10, "Label_QofP_P5").Signed(),
    Edit("Edit_QofP_Q5", 48839, X10, "Label_QofP_Q5").Signed().Value(SignedBy<"List_QofP_RangeQ5">),
    Edit("Edit_QofP_P6", 48840, X10, "Label_QofP_P6").Signed(),
    Edit("Edit_QofP_Q6", 48841, X10, "Label_QofP_Q6").Signed().Value(SignedBy<"List_QofP_RangeQ6">),
    Edit("Edit_QofP_P7", 48842, X10, "Label_QofP_P7").Signed(),
    Edit("Edit_QofP_Q7", 48843, X10, "Label_QofP_Q7").Signed().Value(SignedBy<"List_QofP_RangeQ7">),
    Edit("Edit_QofP_P8", 48844, X10, "Label_QofP_P8").Signed(),
    Edit("Edit_QofP_Q8", 48845, X10, "Label_QofP_Q8").Signed().Value(SignedBy<"List_QofP_RangeQ8">),
    Edit("Edit_QofP_P9", 48846, X10, "Label_QofP_P9").Signed(),
    Edit("Edit_QofP_Q9", 48847, X10, "Label_QofP_Q9").Signed().Value(SignedBy<"List_QofP_RangeQ9">),
};

}  // namespace

extern const PanelControls kQofPPanel{"Group_QofP", kRows};

int PollQofP(Modbus* link, uint8_t stop) { return RunReadView(link, stop, kView); }

std::span<const EditorDecl> QofPEditors() { return kEditors; }

// The read-back views of this file, for what the editor fit needs to know of
// the readings.
std::span<const ReadView* const> QofPReadViews() {
  static constexpr const ReadView* kViews[] = {&kView};
  return kViews;
}
