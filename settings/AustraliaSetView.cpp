#include "settings/AustraliaSetView.h"

#include "app/ControlTable.h"
#include "link/FunctionCodes.h"
#include "settings/SettingEditors.h"
#include "settings/SettingRows.h"

namespace {

// Caption, value label ("???" until read) and edit, one row of 34 inside a box.
constexpr RowColumns kColumns{8, 116, 126, 64, 192, 50};
#define AU_ROW(top, caption, text, label, edit) \
  SETTING_ROW(kColumns, top, caption, text, label, "???", Kind::Edit, edit, "")

constexpr ControlDecl kAustraliaRows[] = {
    {Kind::Label, "Label492", 16, 36, 116, 18, "DRM", 1},
    {Kind::Label, "Label_DRM", 134, 36, 64, 18, "???"},
    {Kind::Frame, "GroupBox30", 8, 66, 250, 126, "Uac Protection 2"},
    {Kind::Frame, "GroupBox31", 266, 66, 250, 92, "P of U"},
};
constexpr ControlDecl kGroupBox30Rows[] = {
    AU_ROW(24, "Label493", "U High Off:", "Label_UHighOff2", "Edit_UHighOff2"),
    AU_ROW(58, "Label494", "U High Off Time:", "Label_UHighOffTime2", "Edit_UHighOffTime2"),
    AU_ROW(92, "Label495", "U High On:", "Label_UHighOn2", "Edit_UHighOn2"),
};
constexpr ControlDecl kGroupBox31Rows[] = {
    AU_ROW(24, "Label496", "Start Voltage:", "Label_PuStartVolt", "Edit_PuStartVolt"),
    AU_ROW(58, "Label497", "Stop Voltage:", "Label_PuStopVolt", "Edit_PuStopVolt"),
};

#undef AU_ROW

// The DRM state is shown as read and never coloured.
constexpr WordRead kDrmWords[] = {Word(0, "Label_DRM", Show::Decimal).NoPaint()};
constexpr WordRead kStage2Words[] = {
    Word(0, "Label_UHighOff2", Show::Deci, " V"),
    Word(1, "Label_UHighOffTime2", Show::Centi, " Sec"),
    Word(2, "Label_UHighOn2", Show::Deci, " V"),
};
constexpr WordRead kPofUWords[] = {
    Word(0, "Label_PuStartVolt", Show::Deci, " V"),
    Word(1, "Label_PuStopVolt", Show::Deci, " V"),
};

// The stage-2 and P of U labels turn blue whatever the replies were: a
// label an edit painted red shows its old value in blue.
constexpr ReadBlock kAustraliaBlocks[] = {
    Read(kReadInput, 1793, 1, kDrmWords),
    Read(kReadHolding, 33564, 3, kStage2Words).Painted(Paint::Always),
    Read(kReadHolding, 48550, 2, kPofUWords).Painted(Paint::Always),
};
constexpr ReadView kAustraliaView{"Group_AustraliaSet", "Australia Set...", kAustraliaBlocks};

constexpr EditorDecl kEditors[] = {
    Edit("Edit_UHighOff2", 33564, X10, "Label_UHighOff2"),
    Edit("Edit_UHighOffTime2", 33565, X100, "Label_UHighOffTime2"),
    Edit("Edit_UHighOn2", 33566, X10, "Label_UHighOn2"),
    Edit("Edit_PuStartVolt", 48550, X10, "Label_PuStartVolt"),
    Edit("Edit_PuStopVolt", 48551, X10, "Label_PuStopVolt"),
};

}  // namespace

extern const PanelControls kAustraliaSetPanel{"Group_AustraliaSet", kAustraliaRows};
extern const PanelControls kGroupBox30Panel{"GroupBox30", kGroupBox30Rows};
extern const PanelControls kGroupBox31Panel{"GroupBox31", kGroupBox31Rows};

int PollAustraliaSet(Modbus* link, uint8_t stop) { return RunReadView(link, stop, kAustraliaView); }

std::span<const EditorDecl> AustraliaSetEditors() { return kEditors; }

// The read-back views of this file, for what the editor fit needs to know of
// the readings.
std::span<const ReadView* const> AustraliaSetReadViews() {
  static constexpr const ReadView* kViews[] = {&kAustraliaView};
  return kViews;
}
