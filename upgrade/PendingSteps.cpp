// Stand-ins for the serial procedures until their own unit is in: each
// refuses, so no run sends a frame.
#include "upgrade/Upgrade.h"

int upgradeTool::RunBootProcedure() { return 1; }
int upgradeTool::RunV02Procedure() { return 1; }
int upgradeTool::RunV03Procedure() { return 1; }
int upgradeTool::RunBinProcedure() { return 1; }
