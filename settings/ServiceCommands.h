#pragma once
#include <span>

struct EditorDecl;

// The service technician's one-shot commands and test switches: the factory
// resets, repair mode, grid lock, data save, the fan test and the label dump
// of the debug panel.
std::span<const EditorDecl> ServiceCommandEditors();
