#include "app/ControlTable.h"

// Declared with their views.
extern const PanelControls kLinkTopPanel;
extern const PanelControls kLinkKindPanel;
extern const PanelControls kSendCommandPanel;
extern const PanelControls kVersionPanel;
extern const PanelControls kVersionTopPanel;
extern const PanelControls kHeaderPanel;
extern const PanelControls kClockTopPanel;
extern const PanelControls kEnergyClonePanel;
extern const PanelControls kOnSiteRepairPanel;
extern const PanelControls kStatusPanel;
extern const PanelControls kConstVoltPanel;
extern const PanelControls kAc1Panel;
extern const PanelControls kAc2Panel;
extern const PanelControls kAc3Panel;
extern const PanelControls kLnStPanel;
extern const PanelControls kStandAlonePanel;
extern const PanelControls kTotalPowerPanel;
extern const PanelControls kAdcPanel;
extern const PanelControls kVbusPanel;
extern const PanelControls kTotalBusPanel;
extern const PanelControls kOutputPowerPanel;
extern const PanelControls kTemper1Panel;
extern const PanelControls kTemper2Panel;
extern const PanelControls kMaxInputPanel;
extern const PanelControls kMaxOutputPanel;
extern const PanelControls kBTModule1Panel;
extern const PanelControls kBTModule2Panel;
extern const PanelControls kWarnEventPanel;
extern const PanelControls kTestValuePanel;
extern const PanelControls kDc1Panel;
extern const PanelControls kDc2Panel;
extern const PanelControls kDc3Panel;
extern const PanelControls kDc4Panel;
extern const PanelControls kDc5Panel;
extern const PanelControls kDc6Panel;
extern const PanelControls kStringCurrPanel;
extern const PanelControls kErrorEventPanel;
extern const PanelControls kErrorCodesPanel;
extern const PanelControls kDcRelayAccTimesPanel;
extern const PanelControls kAntiPidPanel;
extern const PanelControls kFactoryPanel;
extern const PanelControls kUseForFactoryPanel;
extern const PanelControls kFactoryClearPanel;
extern const PanelControls kAcTerminalPanel;
extern const PanelControls kFanTestPanel;
extern const PanelControls kVIPGainPanel;
extern const PanelControls kInvTimePanel;
extern const PanelControls kDailyEnergyPanel;
extern const PanelControls kMonthlyEnergyPanel;
extern const PanelControls kLoadPower1Panel;
extern const PanelControls kLoadPower2Panel;
extern const PanelControls kSubsidyPanel;
extern const PanelControls kBTCtrlPanel;
extern const PanelControls kBTInfoPanel;
extern const PanelControls kDeratingRecordsOPVPanel;
extern const PanelControls kDeratingRecordsVinPanel;
extern const PanelControls kDeratingRecordsOPVLoPanel;
extern const PanelControls kDeratingRecordsPMPanel;
extern const PanelControls kDeratingRecordsPanel;
extern const PanelControls kFanFailPanel;
extern const PanelControls kPoll01Panel;
extern const PanelControls kPoll02Panel;
extern const PanelControls kPoll03Panel;
extern const PanelControls kPoll04Panel;
extern const PanelControls kBrennikMMPanel;
extern const PanelControls kBRKSetPointPanel;
extern const PanelControls kBRKEnergyPanel;
extern const PanelControls kBRKTodayPanel;
extern const PanelControls kBRKAccumulatedPanel;
extern const PanelControls kBRKThermalEventPanel;
extern const PanelControls kBRKOpvEventPanel;
extern const PanelControls kBRKVinEventPanel;
extern const PanelControls kBRKOpvloEventPanel;
extern const PanelControls kMerivonTestPanel;
extern const PanelControls kMerivonDc1Panel;
extern const PanelControls kMerivonDc2Panel;
extern const PanelControls kMerivonAc1Panel;
extern const PanelControls kMerivonAc2Panel;
extern const PanelControls kMerivonAc3Panel;
extern const PanelControls kUacProtectionPanel;
extern const PanelControls kGroupBox39Panel;
extern const PanelControls kFreqProtectionPanel;
extern const PanelControls kInsulationPanel;
extern const PanelControls kGroundCurrPanel;
extern const PanelControls kDcInjPanel;
extern const PanelControls kCommProtectionPanel;
extern const PanelControls kEPOPanel;
extern const PanelControls kIslandingPanel;
extern const PanelControls kAntiIslandPanel;
extern const PanelControls kARCTestPanel;
extern const PanelControls kLVFRPanel;
extern const PanelControls kGroupBox48Panel;
extern const PanelControls kGroupBox49Panel;
extern const PanelControls kGroupBox50Panel;
extern const PanelControls kDryContactPanel;
extern const PanelControls kDryContactTestPanel;
extern const PanelControls kNightModePanel;
extern const PanelControls kCountryPanel;
extern const PanelControls kAustraliaSetPanel;
extern const PanelControls kGroupBox30Panel;
extern const PanelControls kGroupBox31Panel;
extern const PanelControls kReactivePowerPanel;
extern const PanelControls kQUCtrlPanel;
extern const PanelControls kResponseDelayPanel;
extern const PanelControls kCosPCtrlPanel;
extern const PanelControls kExtendCosphiPPanel;
extern const PanelControls kQofPPanel;
extern const PanelControls kQbyNightPanel;
extern const PanelControls kCosphiOfUPanel;
extern const PanelControls kActivePowerPanel;
extern const PanelControls kPFCtrlPanel;
extern const PanelControls kOverFrequencyPanel;
extern const PanelControls kUnderFrequencyPanel;
extern const PanelControls kPUFunctionPanel;
extern const PanelControls kRelayFunctionPanel;
extern const PanelControls kRprOvgrPanel;
extern const PanelControls kRpr1EnablePanel;
extern const PanelControls kRpr2EnablePanel;
extern const PanelControls kRpr1ModePanel;
extern const PanelControls kRpr2ModePanel;
extern const PanelControls kRpr1ReconnectPanel;
extern const PanelControls kRpr2ReconnectPanel;
extern const PanelControls kK4QSettingPanel;
extern const PanelControls kEUParallelPanel;
extern const PanelControls kEUEffPanel;
extern const PanelControls kAfciPanel;
extern const PanelControls kEUShadowPanel;
extern const PanelControls kJapanSetPanel;
extern const PanelControls kJapanRemotePanel;
extern const PanelControls kJapanStandAlonePanel;
extern const PanelControls kJapanRCMU1Panel;
extern const PanelControls kJapanRCMU2Panel;
extern const PanelControls kJapanParllModePanel;
extern const PanelControls kJapanThermalDisPanel;
extern const PanelControls kJapanDefaultPanel;
extern const PanelControls kJapanRepairPanel;
extern const PanelControls kJapanGfPanel;
extern const PanelControls kJapanLedTestPanel;
extern const PanelControls kJapanClearPanel;
extern const PanelControls kJapUserSetPanel;
extern const PanelControls kJapUserSetOldPanel;
extern const PanelControls kJapanActivePowerPanel;
extern const PanelControls kJapanErrorListPanel;

// The traffic log inside Group_Debug.
namespace {
constexpr ControlDecl kDebugRows[] = {
    {Kind::Log, "List_Event", 8, 32, 302, 408},
    {Kind::Button, "Btn_PrintLabel", 8, 450, 75, 26, "Print"},
};
constexpr PanelControls kDebugPanel{"Group_Debug", kDebugRows};

// Every panel's control table; each view adds its own line.
constexpr const PanelControls* kAll[] = {
    &kDebugPanel,
    &kLinkTopPanel,
    &kLinkKindPanel,  // inside kLinkTopPanel's frame
    &kSendCommandPanel,
    &kVersionPanel,
    &kVersionTopPanel,
    &kHeaderPanel,
    &kClockTopPanel,
    &kEnergyClonePanel,
    &kOnSiteRepairPanel,
    &kStatusPanel,
    &kConstVoltPanel,  // inside kStatusPanel's box
    &kAc1Panel,
    &kAc2Panel,
    &kAc3Panel,
    &kLnStPanel,
    &kStandAlonePanel,
    &kTotalPowerPanel,
    &kAdcPanel,
    &kVbusPanel,
    &kTotalBusPanel,
    &kOutputPowerPanel,
    &kTemper1Panel,
    &kTemper2Panel,
    &kMaxInputPanel,
    &kMaxOutputPanel,
    &kBTModule1Panel,
    &kBTModule2Panel,
    &kWarnEventPanel,
    &kTestValuePanel,
    &kDc1Panel,
    &kDc2Panel,
    &kDc3Panel,
    &kDc4Panel,
    &kDc5Panel,
    &kDc6Panel,
    &kStringCurrPanel,
    &kErrorEventPanel,
    &kErrorCodesPanel,
    &kDcRelayAccTimesPanel,
    &kAntiPidPanel,
    &kFactoryPanel,
    &kUseForFactoryPanel,  // inside Group_Factory
    &kFactoryClearPanel,   // inside Group_Factory
    &kAcTerminalPanel,
    &kFanTestPanel,
    &kVIPGainPanel,
    &kInvTimePanel,
    &kDailyEnergyPanel,
    &kMonthlyEnergyPanel,
    &kLoadPower1Panel,
    &kLoadPower2Panel,
    &kSubsidyPanel,
    &kBTCtrlPanel,
    &kBTInfoPanel,
    &kDeratingRecordsOPVPanel,
    &kDeratingRecordsVinPanel,
    &kDeratingRecordsOPVLoPanel,
    &kDeratingRecordsPMPanel,
    &kDeratingRecordsPanel,
    &kFanFailPanel,
    &kPoll01Panel,
    &kPoll02Panel,
    &kPoll03Panel,
    &kPoll04Panel,
    &kBrennikMMPanel,
    &kBRKSetPointPanel,
    &kBRKEnergyPanel,
    &kBRKTodayPanel,  // inside kBRKEnergyPanel
    &kBRKAccumulatedPanel,  // inside kBRKEnergyPanel
    &kBRKThermalEventPanel,
    &kBRKOpvEventPanel,
    &kBRKVinEventPanel,
    &kBRKOpvloEventPanel,
    &kMerivonTestPanel,
    &kMerivonDc1Panel,
    &kMerivonDc2Panel,
    &kMerivonAc1Panel,
    &kMerivonAc2Panel,
    &kMerivonAc3Panel,
    &kUacProtectionPanel,
    &kGroupBox39Panel,  // inside kUacProtectionPanel
    &kFreqProtectionPanel,
    &kInsulationPanel,
    &kGroundCurrPanel,
    &kDcInjPanel,
    &kCommProtectionPanel,
    &kEPOPanel,
    &kIslandingPanel,
    &kAntiIslandPanel,
    &kARCTestPanel,
    &kLVFRPanel,
    &kGroupBox48Panel,  // inside kLVFRPanel
    &kGroupBox49Panel,  // inside kLVFRPanel
    &kGroupBox50Panel,  // inside kLVFRPanel
    &kDryContactPanel,
    &kDryContactTestPanel,
    &kNightModePanel,
    &kCountryPanel,
    &kAustraliaSetPanel,
    &kGroupBox30Panel,  // inside kAustraliaSetPanel
    &kGroupBox31Panel,  // inside kAustraliaSetPanel
    &kReactivePowerPanel,
    &kQUCtrlPanel,
    &kResponseDelayPanel,  // inside kQUCtrlPanel
    &kCosPCtrlPanel,
    &kExtendCosphiPPanel,
    &kQofPPanel,
    &kQbyNightPanel,
    &kCosphiOfUPanel,
    &kActivePowerPanel,
    &kPFCtrlPanel,
    &kOverFrequencyPanel,   // inside kPFCtrlPanel
    &kUnderFrequencyPanel,  // inside kPFCtrlPanel
    &kPUFunctionPanel,
    &kRelayFunctionPanel,
    &kRprOvgrPanel,
    &kRpr1EnablePanel,        // inside kRprOvgrPanel
    &kRpr2EnablePanel,        // inside kRprOvgrPanel
    &kRpr1ModePanel,          // inside kRprOvgrPanel
    &kRpr2ModePanel,          // inside kRprOvgrPanel
    &kRpr1ReconnectPanel,     // inside kRprOvgrPanel
    &kRpr2ReconnectPanel,     // inside kRprOvgrPanel
    &kK4QSettingPanel,
    &kEUParallelPanel,  // inside kK4QSettingPanel
    &kEUEffPanel,       // inside kK4QSettingPanel
    &kAfciPanel,        // inside kK4QSettingPanel
    &kEUShadowPanel,    // inside kK4QSettingPanel
    &kJapanSetPanel,
    &kJapanRemotePanel,  // inside kJapanSetPanel
    &kJapanStandAlonePanel,  // inside kJapanSetPanel
    &kJapanRCMU1Panel,  // inside kJapanSetPanel
    &kJapanRCMU2Panel,  // inside kJapanSetPanel
    &kJapanParllModePanel,  // inside kJapanSetPanel
    &kJapanThermalDisPanel,  // inside kJapanSetPanel
    &kJapanDefaultPanel,  // inside kJapanSetPanel
    &kJapanRepairPanel,  // inside kJapanSetPanel
    &kJapanGfPanel,  // inside kJapanSetPanel
    &kJapanLedTestPanel,  // inside kJapanSetPanel
    &kJapanClearPanel,  // inside kJapanSetPanel
    &kJapUserSetPanel,
    &kJapUserSetOldPanel,
    &kJapanActivePowerPanel,
    &kJapanErrorListPanel,
};
}  // namespace

std::span<const PanelControls* const> AllPanelControls() { return kAll; }
