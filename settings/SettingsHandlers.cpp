#include "app/main.h"
#include "settings/FaultRideThroughView.h"
#include "settings/ProtectionFunctionViews.h"
#include "monitor/UserPollView.h"
#include "settings/AustraliaSetView.h"
#include "settings/CountryView.h"
#include "settings/ProtectionViews.h"
#include "settings/SettingEditors.h"
#include "settings/StatusCommands.h"

// Every settings group's editor table, bound by one routine.
void TForm_Main::BindSettingsHandlers() {
  for (std::span<const EditorDecl> rows : {
           ProtectionEditors(),
           ProtectionFunctionEditors(),
           FaultRideThroughEditors(),
           StatusCommandEditors(),
           UserPollEditors(),
           CountryEditors(),
           AustraliaSetEditors(),
       })
    BindEditors(*this, rows);
}
