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
};
}  // namespace

std::span<const PanelControls* const> AllPanelControls() { return kAll; }
