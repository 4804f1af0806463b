#include "app/ControlTable.h"
#include "app/main.h"
#include "link/CommandCodes.h"
#include "link/FunctionCodes.h"
#include "settings/RelayViews.h"

// The K4Q model: parallel mode, efficiency mode, the arc-fault detector
// (switch, trip count, revision) and the shadow mode with its interval.

namespace {

constexpr ControlDecl kRows[] = {
    {Kind::Frame, "GroupBox_EUParallel", 6, 32, 242, 52, "Parallel Mode"},
    {Kind::Frame, "GroupBox_EUEff", 6, 90, 242, 52, "Efficiency Mode"},
    {Kind::Frame, "GroupBox_AFCI", 6, 148, 242, 110, "AFCI"},
    {Kind::Frame, "GroupBox_EUShadow", 6, 264, 242, 110, "Shadow Mode"},
};

// ON and OFF side by side, below the box's title.
#define ON_OFF(on, off) \
  {Kind::Radio, on, 10, 24, 100, 20, "ON"}, { Kind::Radio, off, 120, 24, 100, 20, "OFF" }
constexpr ControlDecl kParallelRows[] = {ON_OFF("Radio_EUParallelON", "Radio_EUParallelOFF")};
constexpr ControlDecl kEffRows[] = {ON_OFF("Radio_EUEffON", "Radio_EUEffOFF")};
constexpr ControlDecl kAfciRows[] = {
    ON_OFF("Radio_AFCION", "Radio_AFCIOFF"),
    {Kind::Label, "Caption_AFCICount", 10, 54, 60, 18, "Count:", 1},
    {Kind::Label, "Label_AFCICount", 74, 54, 80, 18, "??"},
    {Kind::Label, "Caption_AFCIREV", 10, 80, 60, 18, "REV:", 1},
    {Kind::Label, "Label_AFCIREV", 74, 80, 80, 18, "??"},
};
#undef ON_OFF
constexpr ControlDecl kShadowRows[] = {
    {Kind::Label, "Label_EUShadowMode", 10, 26, 90, 18, "Disable"},
    {Kind::Combo, "Combo_EUShadowMode", 110, 24, 120, 22, "Disable\nMorning\nNoon\nEvening\nAll day"},
    {Kind::Label, "Caption_EUShadowInterval", 10, 60, 100, 18, "Intervals(min)", 1},
    {Kind::Label, "Label_EUShadowInterval", 114, 60, 56, 18, "??"},
    {Kind::Edit, "Edit_EUShadowInterval", 174, 58, 56, 22},
};

constexpr int kParallelCoil = 24649;
constexpr int kEfficiencyCoil = 24619;
constexpr int kAfciCoil = 24652;
constexpr int kShadowMode = 48432;

constexpr WordRead kParallelWords[] = {RadioWord(0, "Radio_EUParallelON", "Radio_EUParallelOFF")};
constexpr WordRead kEffWords[] = {RadioWord(0, "Radio_EUEffON", "Radio_EUEffOFF")};
constexpr WordRead kAfciCountWords[] = {Word(0, "Label_AFCICount", Show::Decimal)};
constexpr WordRead kAfciRevWords[] = {Word(0, "Label_AFCIREV", Show::Decimal)};
constexpr CodeText kShadowModes[] = {{0, "Disable"}, {1, "Morning"}, {2, "Noon"}, {3, "Evening"}, {4, "All Day"}};
constexpr WordRead kShadowWords[] = {
    Word(0, "Label_EUShadowMode", Show::Text).Texts(kShadowModes, "Error"),
    Word(1, "Label_EUShadowInterval", Show::Decimal),
};

// The trip count is read right after the unlock word is written to 832.
// The AFCI radios keep the user's last click: the arc-fault view reads
// that coil.
constexpr ReadBlock kBlocks[] = {
    Read(kReadCoils, kParallelCoil, 1, kParallelWords),
    Read(kReadCoils, kEfficiencyCoil, 1, kEffWords),
    WriteFirst(832, 58247),
    Read(kReadInput, 1128, 1, kAfciCountWords),
    Read(kReadInput, 1046, 1, kAfciRevWords),
    Read(kReadHolding, kShadowMode, 2, kShadowWords),
};
constexpr ReadView kView{"Group_K4QSetting", "EU Set...", kBlocks};

constexpr EditorDecl kEditors[] = {
    Radio("Radio_EUParallelON", kParallelCoil, CmdWriteCoil, kCoilOn),
    Radio("Radio_EUParallelOFF", kParallelCoil, CmdWriteCoil, kCoilOff),
    Radio("Radio_EUEffON", kEfficiencyCoil, CmdWriteCoil, kCoilOn),
    Radio("Radio_EUEffOFF", kEfficiencyCoil, CmdWriteCoil, kCoilOff),
    Radio("Radio_AFCION", kAfciCoil, CmdWriteCoil, kCoilOn),
    Radio("Radio_AFCIOFF", kAfciCoil, CmdWriteCoil, kCoilOff),
    Combo("Combo_EUShadowMode", kShadowMode, "Label_EUShadowMode"),
    Edit("Edit_EUShadowInterval", kShadowMode + 1, X10, "Label_EUShadowInterval"),
};

}  // namespace

extern const PanelControls kK4QSettingPanel{"Group_K4QSetting", kRows};
extern const PanelControls kEUParallelPanel{"GroupBox_EUParallel", kParallelRows};
extern const PanelControls kEUEffPanel{"GroupBox_EUEff", kEffRows};
extern const PanelControls kAfciPanel{"GroupBox_AFCI", kAfciRows};
extern const PanelControls kEUShadowPanel{"GroupBox_EUShadow", kShadowRows};

int PollK4QSetting(Modbus* link, uint8_t stop) { return RunReadView(link, stop, kView); }

std::span<const EditorDecl> K4QSettingEditors() { return kEditors; }

// The read-back views of this file, for what the editor fit needs to know of
// the readings.
std::span<const ReadView* const> K4QSettingReadViews() {
  static constexpr const ReadView* kViews[] = {&kView};
  return kViews;
}
