#include "upgrade/Upgrade.h"

upgradeTool* Upgrader = nullptr;
