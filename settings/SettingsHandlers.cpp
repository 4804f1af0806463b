#include "app/main.h"
#include "settings/ProtectionViews.h"

// Each settings group binds its editors here.
void TForm_Main::BindSettingsHandlers() {
  BindProtectionEditors(*this);
}
