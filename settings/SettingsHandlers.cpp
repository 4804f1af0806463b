#include "app/main.h"
#include "settings/GridSupportViews.h"
#include "settings/ProtectionViews.h"
#include "settings/SettingEditors.h"

// Every settings group's editor table, bound by one routine.
void TForm_Main::BindSettingsHandlers() {
  const std::span<const EditorDecl> tables[] = {
      ProtectionEditors(),
      ReactivePowerEditors(),
      QUCtrlEditors(),
      CosPCtrlEditors(),
      ExtendCosphiPEditors(),
      QofPEditors(),
      QbyNightEditors(),
      CosphiOfUEditors(),
      ActivePowerEditors(),
      PFCtrlEditors(),
      PUFunctionEditors(),
  };
  for (std::span<const EditorDecl> rows : tables) BindEditors(*this, rows);
}
