#include "app/main.h"
#include "settings/FaultRideThroughView.h"
#include "settings/GainEditors.h"
#include "settings/ProtectionFunctionViews.h"
#include "monitor/UserPollView.h"
#include "settings/AustraliaSetView.h"
#include "settings/BatteryControlEditors.h"
#include "settings/CountryView.h"
#include "settings/EditorFit.h"
#include "settings/GridSupportViews.h"
#include "settings/JapanViews.h"
#include "settings/ProtectionViews.h"
#include "settings/RelayViews.h"
#include "settings/ServiceCommands.h"
#include "settings/SettingEditors.h"
#include "settings/StatusCommands.h"

std::span<const std::span<const EditorDecl>> SettingsEditorTables() {
  static const std::span<const EditorDecl> tables[] = {
      ProtectionEditors(),
      ProtectionFunctionEditors(),
      FaultRideThroughEditors(),
      StatusCommandEditors(),
      UserPollEditors(),
      CountryEditors(),
      AustraliaSetEditors(),
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
      RelayFunctionEditors(),
      RprOvgrEditors(),
      K4QSettingEditors(),
      JapanSetEditors(),
      JapUserSetEditors(),
      JapanActivePowerEditors(),
      BatteryControlEditors(),
      GainEditors(),
      ServiceCommandEditors(),
  };
  return tables;
}

// Every settings group's editor table, bound by one routine.
void TForm_Main::BindSettingsHandlers() {
  for (std::span<const EditorDecl> rows : SettingsEditorTables()) BindEditors(*this, rows);
  FitEditorsToText(*this);
  SelectFirstRelay(*this);
}
