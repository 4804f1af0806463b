#pragma once
#include <span>

struct EditorDecl;

// The battery control editors (operation mode, SOC limit, peak cut and the
// charge and discharge windows) and the feed-in subsidy editors. Their
// read-back views are PollBTCTRL and PollSubsidy.
std::span<const EditorDecl> BatteryControlEditors();
