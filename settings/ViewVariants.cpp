#include "app/main.h"
#include "settings/SettingEditors.h"

// Relabelling that follows profile options; nothing here reads the inverter.
namespace {

// The titles of Group_GetAC1 to Group_GetAC3: output numbers or line-to-line
// names; the third is "VAC", not VCA.
constexpr CaptionVariant kAcTitles[] = {
    {"Label_GetAC1", {"Output 1", "VAB"}},
    {"Label_GetAC2", {"Output 2", "VBC"}},
    {"Label_GetAC3", {"Output 3", "VAC"}},
};

// The two alternative row sets of the Japan user settings: mode 1 shows the
// first and hides the second, mode 0 the opposite.
constexpr const char* kJapanOldRows[] = {
    "Label266", "Label268", "Label276",
    "Label_JapIslandPass", "Label_JapSupLevel", "Label_JapInOutDoor",
    "Combo_JapIslandPass", "Combo_JapSupLevel", "Combo_JapInOutDoor",
};
constexpr const char* kJapanNewRows[] = {
    "Label675", "Label666", "Label716",
    "Label_JapRPRStandbyTime", "Label_JapGroundFault", "Label_JapanSetMainLoadCal",
    "Combo_JapRPRStandbyTime", "Combo_JapGroundFault", "Combo_JapanSetMainLoadCal",
};

}  // namespace

void TForm_Main::SetAcGroupTitles(int variant) { ApplyCaptionVariant(*this, kAcTitles, variant); }

int TForm_Main::SetJapanUserSettingMode(int mode) {
  if (mode != 0 && mode != 1) return 0;
  for (const char* name : kJapanOldRows)
    if (QWidget* w = Control(QLatin1String(name))) w->setVisible(mode == 1);
  for (const char* name : kJapanNewRows)
    if (QWidget* w = Control(QLatin1String(name))) w->setVisible(mode == 0);
  return 0;
}
