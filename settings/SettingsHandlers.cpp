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

// Each settings file's read-back views.
std::span<const ReadView* const> ActivePowerReadViews();
std::span<const ReadView* const> AustraliaSetReadViews();
std::span<const ReadView* const> CosPCtrlReadViews();
std::span<const ReadView* const> CosphiOfUReadViews();
std::span<const ReadView* const> CountryReadViews();
std::span<const ReadView* const> ExtendCosphiPReadViews();
std::span<const ReadView* const> FaultRideThroughReadViews();
std::span<const ReadView* const> JapUserSetReadViews();
std::span<const ReadView* const> JapanActivePowerReadViews();
std::span<const ReadView* const> JapanSetReadViews();
std::span<const ReadView* const> K4QSettingReadViews();
std::span<const ReadView* const> PFCtrlReadViews();
std::span<const ReadView* const> PUFunctionReadViews();
std::span<const ReadView* const> ProtectionFunctionReadViews();
std::span<const ReadView* const> ProtectionReadViews();
std::span<const ReadView* const> QUCtrlReadViews();
std::span<const ReadView* const> QbyNightReadViews();
std::span<const ReadView* const> QofPReadViews();
std::span<const ReadView* const> ReactivePowerReadViews();
std::span<const ReadView* const> RelayFunctionReadViews();
std::span<const ReadView* const> RprOvgrReadViews();
std::span<const ReadView* const> StatusCommandsReadViews();

std::span<const std::span<const ReadView* const>> SettingsReadViews() {
  static const std::span<const ReadView* const> views[] = {
      ActivePowerReadViews(),
      AustraliaSetReadViews(),
      CosPCtrlReadViews(),
      CosphiOfUReadViews(),
      CountryReadViews(),
      ExtendCosphiPReadViews(),
      FaultRideThroughReadViews(),
      JapUserSetReadViews(),
      JapanActivePowerReadViews(),
      JapanSetReadViews(),
      K4QSettingReadViews(),
      PFCtrlReadViews(),
      PUFunctionReadViews(),
      ProtectionFunctionReadViews(),
      ProtectionReadViews(),
      QUCtrlReadViews(),
      QbyNightReadViews(),
      QofPReadViews(),
      ReactivePowerReadViews(),
      RelayFunctionReadViews(),
      RprOvgrReadViews(),
      StatusCommandsReadViews(),
  };
  return views;
}

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
