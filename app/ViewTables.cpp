#include "app/ControlTable.h"

// The traffic log inside Group_Debug.
namespace {
constexpr ControlDecl kDebugRows[] = {
    {Kind::Log, "List_Event", 8, 28, 302, 443},
};
constexpr PanelControls kDebugPanel{"Group_Debug", kDebugRows};

// Every panel's control table; each view adds its own line.
constexpr const PanelControls* kAll[] = {
    &kDebugPanel,
};
}  // namespace

std::span<const PanelControls* const> AllPanelControls() { return kAll; }
