#include "app/GroupPanel.h"

namespace {
// name, layout section, Tag (full height), width, title
constexpr GroupPanelDecl kPanels[] = {
    {"Group_Version", "Version", 350, 255, "Version"},
    {"Group_Debug", nullptr, 490, 320, "Debug"},
};
}  // namespace

std::span<const GroupPanelDecl> GroupPanelTable() { return kPanels; }
