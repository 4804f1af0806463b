#include "settings/ProtectionFunctionViews.h"

#include <chrono>
#include <thread>

#include "app/ControlTable.h"
#include "app/main.h"
#include "link/FunctionCodes.h"
#include "link/Modbus.h"

namespace {

// ---- Panels ---------------------------------------------------------------
// Rows of 34 from below the title bar: caption, value label ("???" until
// read), edit or combo.

constexpr ControlDecl kInsulationRows[] = {
    {Kind::Radio, "Radio_InsulatON", 8, 32, 70, 20, "ON"},
    {Kind::Radio, "Radio_InsulatOFF", 90, 32, 70, 20, "OFF"},
    {Kind::Label, "Label_String1RavgCaption", 8, 68, 60, 18, "String 1:", 1},
    {Kind::Label, "Label_String1Ravg", 70, 68, 54, 18, "???"},
    {Kind::Label, "Label_String2RavgCaption", 130, 68, 60, 18, "String 2:", 1},
    {Kind::Label, "Label_String2Ravg", 192, 68, 56, 18, "???"},
    {Kind::Label, "Label_RLimitCaption", 8, 102, 118, 18, "R Limit:", 1},
    {Kind::Label, "Label_RLimit", 128, 102, 72, 18, "???"},
    {Kind::Edit, "Edit_RLimit", 202, 100, 46, 22},
};

constexpr ControlDecl kGroundCurrRows[] = {
    {Kind::Radio, "Radio_GroundCurrON", 8, 32, 70, 20, "ON"},
    {Kind::Radio, "Radio_GroundCurrOFF", 90, 32, 70, 20, "OFF"},
    {Kind::Label, "Label_GroundCurrAmpCaption", 8, 68, 118, 18, "Current:", 1},
    {Kind::Label, "Label_GroundCurrAmp", 128, 68, 72, 18, "???"},
    {Kind::Edit, "Edit_GroundCurrAmp", 202, 66, 46, 22},
    {Kind::Label, "Label_GroundCurrTimeCaption", 8, 102, 118, 18, "Trip Time:", 1},
    {Kind::Label, "Label_GroundCurrTime", 128, 102, 72, 18, "???"},
    {Kind::Edit, "Edit_GroundCurrTime", 202, 100, 46, 22},
};

constexpr ControlDecl kDcInjRows[] = {
    {Kind::Radio, "Radio_DcInjON", 8, 32, 70, 20, "ON"},
    {Kind::Radio, "Radio_DcInjOFF", 90, 32, 70, 20, "OFF"},
    {Kind::Label, "Label_DcInjAmpCaption", 8, 68, 118, 18, "Current:", 1},
    {Kind::Label, "Label_DcInjAmp", 128, 68, 72, 18, "???"},
    {Kind::Edit, "Edit_DcInjAmp", 202, 66, 46, 22},
    {Kind::Label, "Label_DcInjTimeCaption", 8, 102, 118, 18, "Trip Time:", 1},
    {Kind::Label, "Label_DcInjTime", 128, 102, 72, 18, "???"},
    {Kind::Edit, "Edit_DcInjTime", 202, 100, 46, 22},
};

constexpr ControlDecl kCommProtectionRows[] = {
    {Kind::Label, "Label_CommProtectionModeCaption", 8, 34, 118, 18, "Mode", 1},
    {Kind::Radio, "Radio_CommProtectionON", 128, 32, 56, 20, "ON"},
    {Kind::Radio, "Radio_CommProtectionOFF", 190, 32, 58, 20, "OFF"},
    {Kind::Label, "Label_CommProDisTimeCaption", 8, 68, 118, 18, "Disconnection time", 1},
    {Kind::Label, "Label_CommProDisTime", 128, 68, 72, 18, "???"},
    {Kind::Edit, "Edit_CommProDisTime", 202, 66, 46, 22},
};

constexpr ControlDecl kEPORows[] = {
    {Kind::Label, "Label_EPO1_ModeCaption", 8, 34, 38, 18, "EPO1", 1},
    {Kind::Label, "Label_EPO1_Mode", 48, 34, 88, 18, "???"},
    {Kind::Combo, "Combo_EPO1_Mode", 138, 32, 110, 22, "Normal Close\nNormal Open"},
    {Kind::Label, "Label_EPO2_ModeCaption", 8, 68, 38, 18, "EPO2", 1},
    {Kind::Label, "Label_EPO2_Mode", 48, 68, 88, 18, "???"},
    {Kind::Combo, "Combo_EPO2_Mode", 138, 66, 110, 22, "Normal Close\nNormal Open"},
};

// The second row is kept free for the active-power slope edit that shares
// this panel.
constexpr ControlDecl kIslandingRows[] = {
    {Kind::Label, "Label_IslandingModeCaption", 8, 34, 40, 18, "Mode", 1},
    {Kind::Label, "Label_IslandingMode", 50, 34, 60, 18, "???"},
    {Kind::Combo, "Combo_IslandingMode", 128, 32, 80, 22, "OFF\nON"},
};

constexpr ControlDecl kAntiIslandRows[] = {
    {Kind::Label, "Label463", 8, 34, 90, 18, "Mode (Japan)", 1},
    {Kind::Label, "Label_AntiIslandMode", 100, 34, 40, 18, "???"},
    {Kind::Combo, "Combo_AntiIslandMode", 148, 32, 80, 22, "OFF\nON"},
};

constexpr ControlDecl kARCTestRows[] = {
    {Kind::Radio, "Radio_ARC_Enable", 8, 32, 80, 20, "Enable"},
    {Kind::Radio, "Radio_ARC_Disable", 100, 32, 80, 20, "Disable"},
    {Kind::Label, "Label_ARC_FaultStatusCaption", 8, 68, 118, 18, "Status:", 1},
    {Kind::Label, "Label_ARC_FaultStatus", 128, 68, 72, 18, "???"},
    {Kind::Button, "Btn_ARC_Unlock", 8, 100, 100, 26, "Unlock"},
    {Kind::Button, "Btn_ARC_SelfTest", 120, 100, 100, 26, "Self-Test"},
};

// ---- Read-back ------------------------------------------------------------

// Which insulation reading the inverter offers follows the profile.
bool StringReadings(const TForm_Main& f) { return f.InverterState == 0; }
bool SingleReading(const TForm_Main& f) { return f.InverterState == 1; }

// The string readings are never painted; only the limit turns blue, whatever
// the replies were.
constexpr WordRead kInsulatCoil[] = {RadioWord(0, "Radio_InsulatON", "Radio_InsulatOFF")};
constexpr WordRead kInsulatStrings[] = {
    Word(0, "Label_String1Ravg", Show::Decimal).NoPaint(),
    Word(4, "Label_String2Ravg", Show::Decimal).NoPaint(),
};
constexpr WordRead kInsulatSingle[] = {
    Word(0, "Label_String1Ravg", Show::Decimal).NoPaint(),
    Word(0, "Label_String2Ravg", Show::Clear).NoPaint(),
};
constexpr WordRead kInsulatLimit[] = {Word(0, "Label_RLimit", Show::Decimal)};
constexpr ReadBlock kInsulationBlocks[] = {
    Read(kReadCoils, 24641, 1, kInsulatCoil),
    Read(kReadInput, 53288, 5, kInsulatStrings).When(StringReadings),
    // The single reading is taken on request: the write asks for it.
    WriteFirst(832, 9852).When(SingleReading),
    Read(kReadInput, 1131, 1, kInsulatSingle).When(SingleReading),
    Read(kReadHolding, 33584, 1, kInsulatLimit).Painted(Paint::Always),
};

constexpr WordRead kGroundCurrCoil[] = {RadioWord(0, "Radio_GroundCurrON", "Radio_GroundCurrOFF")};
constexpr WordRead kGroundCurrWords[] = {
    Word(0, "Label_GroundCurrAmp", Show::Deci, " A"),
    Word(1, "Label_GroundCurrTime", Show::Deci, " Sec"),
};
constexpr ReadBlock kGroundCurrBlocks[] = {
    Read(kReadCoils, 24642, 1, kGroundCurrCoil),
    Read(kReadHolding, 33593, 2, kGroundCurrWords).EndIfInvalid(),
};

// The DC-injection limit has two decimals, the ground-current limit one.
constexpr WordRead kDcInjCoil[] = {RadioWord(0, "Radio_DcInjON", "Radio_DcInjOFF")};
constexpr WordRead kDcInjWords[] = {
    Word(0, "Label_DcInjAmp", Show::Centi, " A"),
    Word(1, "Label_DcInjTime", Show::Deci, " Sec"),
};
constexpr ReadBlock kDcInjBlocks[] = {
    Read(kReadCoils, 24640, 1, kDcInjCoil),
    Read(kReadHolding, 33576, 2, kDcInjWords).EndIfInvalid(),
};

// Only the low byte of the mode word tells ON; the time turns blue whatever
// the reply was.
constexpr WordRead kCommProtectionWords[] = {
    RadioWord(0, "Radio_CommProtectionON", "Radio_CommProtectionOFF", 0x00FF, 1),
    Word(1, "Label_CommProDisTime", Show::Decimal, " Sec"),
};
constexpr ReadBlock kCommProtectionBlocks[] = {
    Read(kReadHolding, 25412, 2, kCommProtectionWords).Painted(Paint::Always),
};

constexpr CodeText kEpoModes[] = {{0, "Normal Close"}};
constexpr WordRead kEPOWords[] = {
    Word(0, "Label_EPO1_Mode", Show::Text).Texts(kEpoModes, "Normal Open"),
    Word(1, "Label_EPO2_Mode", Show::Text).Texts(kEpoModes, "Normal Open"),
};
constexpr ReadBlock kEPOBlocks[] = {Read(kReadHolding, 33603, 2, kEPOWords).EndIfInvalid()};

// A mode outside the list keeps its text but still turns blue.
constexpr CodeText kIslandingModes[] = {{0, "OFF"}, {0xFFFF, "ON"}};
constexpr WordRead kIslandingWords[] = {Word(0, "Label_IslandingMode", Show::Text).Texts(kIslandingModes)};
constexpr ReadBlock kIslandingBlocks[] = {Read(kReadHolding, 33580, 1, kIslandingWords).EndIfInvalid()};

constexpr CodeText kAntiIslandModes[] = {{0, "OFF"}, {3, "ON"}};
constexpr WordRead kAntiIslandWords[] = {Word(0, "Label_AntiIslandMode", Show::Text).Texts(kAntiIslandModes)};
constexpr ReadBlock kAntiIslandBlocks[] = {Read(kReadHolding, 33648, 1, kAntiIslandWords).EndIfInvalid()};

// The coil says detection is switched off. The fault state keeps its colour.
constexpr WordRead kARCCoil[] = {RadioWord(0, "Radio_ARC_Disable", "Radio_ARC_Enable")};
constexpr CodeText kArcStates[] = {{0, "Normal"}, {1, "Lock"}};
constexpr WordRead kARCState[] = {Word(0, "Label_ARC_FaultStatus", Show::Text).Texts(kArcStates).NoPaint()};
constexpr ReadBlock kARCTestBlocks[] = {
    Read(kReadCoils, 24652, 1, kARCCoil),
    Read(kReadHolding, 48384, 1, kARCState).EndIfInvalid(),
};

constexpr ReadView kInsulationView{"Group_Insulation", "Insulation...", kInsulationBlocks};
constexpr ReadView kGroundCurrView{"Group_GroundCurr", "GroundCurr...", kGroundCurrBlocks};
constexpr ReadView kDcInjView{"Group_DcInj", "Dc Inj...", kDcInjBlocks};
constexpr ReadView kCommProtectionView{"Group_CommProtection", "Comm Prot...", kCommProtectionBlocks};
constexpr ReadView kEPOView{"Group_EPO", "EPO...", kEPOBlocks};
constexpr ReadView kIslandingView{"Group_Islanding", "Islanding...", kIslandingBlocks};
constexpr ReadView kAntiIslandView{"Group_AntiIsland", "Anti-Islanding...", kAntiIslandBlocks};
constexpr ReadView kARCTestView{"Group_ARCTest", "ARC...", kARCTestBlocks};

// ---- Editors --------------------------------------------------------------

// Item 0 is OFF; ON is the register's own code.
constexpr int kIslandingCodes[] = {0, 0xFFFF};
constexpr int kAntiIslandCodes[] = {0, 3};

constexpr EditorDecl kEditors[] = {
    Radio("Radio_InsulatON", 24641, 5, kCoilOn),
    Radio("Radio_InsulatOFF", 24641, 5, kCoilOff),
    Edit("Edit_RLimit", 33584, SafeInt, "Label_RLimit"),
    Radio("Radio_GroundCurrON", 24642, 5, kCoilOn),
    Radio("Radio_GroundCurrOFF", 24642, 5, kCoilOff),
    Edit("Edit_GroundCurrAmp", 33593, X10, "Label_GroundCurrAmp"),
    Edit("Edit_GroundCurrTime", 33594, X10, "Label_GroundCurrTime"),
    Radio("Radio_DcInjON", 24640, 5, kCoilOn),
    Radio("Radio_DcInjOFF", 24640, 5, kCoilOff),
    Edit("Edit_DcInjAmp", 33576, X100, "Label_DcInjAmp"),
    Edit("Edit_DcInjTime", 33577, X10, "Label_DcInjTime"),
    Radio("Radio_CommProtectionON", 25412, 6, 1),
    Radio("Radio_CommProtectionOFF", 25412, 6, 0),
    Edit("Edit_CommProDisTime", 25413, SafeInt, "Label_CommProDisTime"),
    Combo("Combo_EPO1_Mode", 33603, "Label_EPO1_Mode"),
    Combo("Combo_EPO2_Mode", 33604, "Label_EPO2_Mode"),
    Combo("Combo_IslandingMode", 33580, "Label_IslandingMode").Codes(kIslandingCodes),
    Combo("Combo_AntiIslandMode", 33648, "Label_AntiIslandMode").Codes(kAntiIslandCodes),
    // The coil switches detection off.
    Radio("Radio_ARC_Enable", 24652, 5, kCoilOff).After(PauseAfterPost),
    Radio("Radio_ARC_Disable", 24652, 5, kCoilOn).After(PauseAfterPost),
    Button("Btn_ARC_Unlock", 48384, 6, 1),
    Button("Btn_ARC_SelfTest", 24675, 5, kCoilOn),
};

}  // namespace

extern const PanelControls kInsulationPanel{"Group_Insulation", kInsulationRows};
extern const PanelControls kGroundCurrPanel{"Group_GroundCurr", kGroundCurrRows};
extern const PanelControls kDcInjPanel{"Group_DcInj", kDcInjRows};
extern const PanelControls kCommProtectionPanel{"Group_CommProtection", kCommProtectionRows};
extern const PanelControls kEPOPanel{"Group_EPO", kEPORows};
extern const PanelControls kIslandingPanel{"Group_Islanding", kIslandingRows};
extern const PanelControls kAntiIslandPanel{"Group_AntiIsland", kAntiIslandRows};
extern const PanelControls kARCTestPanel{"Group_ARCTest", kARCTestRows};

int PollInsulation(Modbus* link, uint8_t stop) { return RunReadView(link, stop, kInsulationView); }
int PollGroundCurr(Modbus* link, uint8_t stop) { return RunReadView(link, stop, kGroundCurrView); }
int PollDcInj(Modbus* link, uint8_t stop) { return RunReadView(link, stop, kDcInjView); }
int PollCommProtection(Modbus* link, uint8_t stop) { return RunReadView(link, stop, kCommProtectionView); }
int PollEPO(Modbus* link, uint8_t stop) { return RunReadView(link, stop, kEPOView); }
int PollIslanding(Modbus* link, uint8_t stop) { return RunReadView(link, stop, kIslandingView); }
int PollAntiIsland(Modbus* link, uint8_t stop) { return RunReadView(link, stop, kAntiIslandView); }
int PollARCTest(Modbus* link, uint8_t stop) { return RunReadView(link, stop, kARCTestView); }

std::span<const EditorDecl> ProtectionFunctionEditors() { return kEditors; }

// The read-back views of this file, for what the editor fit needs to know of
// the readings.
std::span<const ReadView* const> ProtectionFunctionReadViews() {
  static constexpr const ReadView* kViews[] = {&kInsulationView, &kGroundCurrView, &kDcInjView, &kCommProtectionView, &kEPOView, &kIslandingView, &kAntiIslandView, &kARCTestView};
  return kViews;
}
