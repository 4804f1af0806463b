#pragma once
#include <span>

struct EditorDecl;

// The measurement gain editors: the channel and its twelve gains, read back
// by PollVIPGain. The calibration edits beside them are hidden and post
// nothing.
std::span<const EditorDecl> GainEditors();
