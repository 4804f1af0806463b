#include "app/main.h"
#include "settings/AustraliaSetView.h"
#include "settings/CountryView.h"
#include "settings/ProtectionViews.h"
#include "settings/SettingEditors.h"

// Every settings group's editor table, bound by one routine.
void TForm_Main::BindSettingsHandlers() {
  for (std::span<const EditorDecl> rows : {
           ProtectionEditors(),
           CountryEditors(),
           AustraliaSetEditors(),
       })
    BindEditors(*this, rows);
}
