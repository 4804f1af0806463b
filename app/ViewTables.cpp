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
extern const PanelControls kErrorEventPanel;
extern const PanelControls kErrorCodesPanel;

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
    &kErrorEventPanel,
    &kErrorCodesPanel,
};
}  // namespace

std::span<const PanelControls* const> AllPanelControls() { return kAll; }
