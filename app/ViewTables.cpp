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
extern const PanelControls kTotalPowerPanel;
extern const PanelControls kDcRelayAccTimesPanel;
extern const PanelControls kAntiPidPanel;
extern const PanelControls kFactoryPanel;
extern const PanelControls kUseForFactoryPanel;
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

// The traffic log inside Group_Debug.
namespace {
constexpr ControlDecl kDebugRows[] = {
    {Kind::Log, "List_Event", 8, 28, 302, 443},
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
    &kTotalPowerPanel,
    &kDcRelayAccTimesPanel,
    &kAntiPidPanel,
    &kFactoryPanel,
    &kUseForFactoryPanel,  // inside Group_Factory
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
};
}  // namespace

std::span<const PanelControls* const> AllPanelControls() { return kAll; }
