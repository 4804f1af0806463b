#pragma once
#include <QString>

// Firmware-upgrade state. One object, Upgrader, serves the whole run: it is
// made at program start, before the main window, with every number 0 and
// every text empty; the firmware page fills it when first used.
class upgradeTool {
 public:
  upgradeTool() = default;
};

extern upgradeTool* Upgrader;
