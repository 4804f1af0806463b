#include <QString>
#include <optional>

#include "app/ControlTable.h"
#include "app/Myfunc.h"
#include "app/main.h"
#include "link/CommandCodes.h"
#include "link/FunctionCodes.h"
#include "link/Modbus.h"
#include "monitor/PollFrame.h"
#include "settings/JapanViews.h"
#include "settings/SettingEditors.h"
#include "settings/SettingRows.h"

namespace {

// ---- Panels ---------------------------------------------------------------
// One setting per row: caption, value label ("??" until read) and its combo
// box or edit. The current layout's 25 rows need a pitch of 31 px to fit the
// panel; two of its captions take two lines. A combo's items are the codes
// it writes, index 0 first.

constexpr int kFirstRow = 32;
constexpr int kPitch = 31;
constexpr int Row(int k) { return kFirstRow + kPitch * k; }

constexpr RowColumns kColumns{8, 250, 262, 104, 372, 140};
#define JAP_COMBO_ROW(k, caption, text, label, combo, items) \
  SETTING_ROW(kColumns, Row(k), caption, text, label, "??", Kind::Combo, combo, items)
// A caption of two lines, centred on the row; no one-line cell of the
// language table can name it, so it is not translated.
#define JAP_TALL_COMBO_ROW(k, caption, text, label, combo, items)                               \
  {Kind::Label, caption, kColumns.captionX, Row(k) - 4, kColumns.captionWidth, 30, text, 0},    \
      {Kind::Label, label, kColumns.labelX, Row(k) + 2, kColumns.labelWidth, 18, "??"},         \
      {Kind::Combo, combo, kColumns.editorX, Row(k), kColumns.editorWidth, 22, items}
#define JAP_EDIT_ROW(k, caption, text, label, edit) \
  SETTING_ROW(kColumns, Row(k), caption, text, label, "??", Kind::Edit, edit, "")

constexpr char kOVRItems[] = "110\n111\n112\n113\n114\n115\n116\n117\n118\n119\n120";  // 11
constexpr char kUVRItems[] = "80\n81\n82\n83\n84\n85\n86\n87\n88\n89\n90\n91\n92";  // 13
constexpr char kVSTItems[] = "0.5\n1\n1.5\n2";  // 4
constexpr char kOFR60Items[] = "60.5\n60.6\n60.7\n60.8\n60.9\n61\n61.1\n61.2\n61.3\n61.4\n61.5\n61.6\n61.7\n61.8\n61.9\n62";  // 16
constexpr char kOFR60OldItems[] = "60.6\n60.7\n60.8\n60.9\n61\n61.1\n61.2\n61.3\n61.4\n61.5\n61.6\n61.7\n61.8";  // 13
constexpr char kUFR60Items[] = "57\n57.1\n57.2\n57.3\n57.4\n57.5\n57.6\n57.7\n57.8\n57.9\n58\n58.1\n58.2\n58.3\n58.4\n58.5\n58.6\n58.7\n58.8\n58.9\n59\n59.1\n59.2\n59.3\n59.4\n59.5";  // 26
constexpr char kUFR60OldItems[] = "58.2\n58.3\n58.4\n58.5\n58.6\n58.7\n58.8\n58.9\n59\n59.1\n59.2\n59.3\n59.4";  // 13
constexpr char kRTItems[] = "10\n60\n150\n300\nSet";  // 5
constexpr char kSuppVoltItems[] = "OFF\n107\n107.5\n108\n108.5\n109\n109.5\n110\n110.5\n111\n111.5\n112";  // 12
constexpr char kOnOffItems[] = "OFF\nON";  // 2
constexpr char kSupLevelItems[] = "0\n50";  // 2
constexpr char kOFR50Items[] = "50.5\n50.6\n50.7\n50.8\n50.9\n51\n51.1\n51.2\n51.3\n51.4\n51.5\n51.6\n51.7\n51.8\n51.9\n52";  // 16
constexpr char kOFR50OldItems[] = "50.5\n50.6\n50.7\n50.8\n50.9\n51\n51.1\n51.2\n51.3\n51.4\n51.5";  // 11
constexpr char kUFR50Items[] = "47\n47.1\n47.2\n47.3\n47.4\n47.5\n47.6\n47.7\n47.8\n47.9\n48\n48.1\n48.2\n48.3\n48.4\n48.5\n48.6\n48.7\n48.8\n48.9\n49\n49.1\n49.2\n49.3\n49.4\n49.5";  // 26
constexpr char kUFR50OldItems[] = "48.5\n48.6\n48.7\n48.8\n48.9\n49\n49.1\n49.2\n49.3\n49.4\n49.5";  // 11
constexpr char kInOutDoorItems[] = "In-door\nOut-door";  // 2
constexpr char kConstPFItems[] = "OFF\nInd 0.80\nInd 0.81\nInd 0.82\nInd 0.83\nInd 0.84\nInd 0.85\nInd 0.86\nInd 0.87\nInd 0.88\nInd 0.89\nInd 0.90\nInd 0.91\nInd 0.92\nInd 0.93\nInd 0.94\nInd 0.95\nInd 0.96\nInd 0.97\nInd 0.98\nInd 0.99\n1.00";  // 22
constexpr char kConstPFOldItems[] = "OFF\nInd 0.80\nInd 0.81\nInd 0.82\nInd 0.83\nInd 0.84\nInd 0.85\nInd 0.86\nInd 0.87\nInd 0.88\nInd 0.89\nInd 0.90\nInd 0.91\nInd 0.92\nInd 0.93\nInd 0.94\nInd 0.95\nInd 0.96\nInd 0.97\nInd 0.98\nInd 0.99\n1.00\nCap 0.99\nCap 0.98\nCap 0.97\nCap 0.96\nCap 0.95\nCap 0.94\nCap 0.93\nCap 0.92\nCap 0.91\nCap 0.90\nCap 0.89\nCap 0.88\nCap 0.87\nCap 0.86\nCap 0.85\nCap 0.84\nCap 0.83\nCap 0.82\nCap 0.81\nCap 0.80";  // 42
constexpr char kQUPUItems[] = "OFF\n105.0/107.0\n105.0/107.5\n105.0/108.0\n105.5/108.5\n106.0/109.0\n106.5/109.5\n107.0/110.0\n107.5/110.5\n108.0/111.0\n108.5/111.5\n109.0/112.0";  // 12
constexpr char kQUPUOldItems[] = "OFF\nIndex 1\nIndex 2\nIndex 3\nIndex 4\nIndex 5\nIndex 6\nIndex 7\nIndex 8\nIndex 9\nIndex 10\nIndex 11";  // 12
constexpr char kQUPFItems[] = "0.85\n0.86\n0.87\n0.88\n0.89\n0.90\n0.91\n0.92\n0.93\n0.94\n0.95\n0.96\n0.97\n0.98\n0.99\n1.00";  // 16
constexpr char kPMMItems[] = "OFF\nRated";  // 2
constexpr char kAPSItems[] = "0\n60\n120\n180\n240\n300\n360\n420\n480\n540\n600";  // 11
constexpr char kAPSOldItems[] = "60\n120\n180\n240\n300\n360\n420\n480\n540\n600";  // 10
constexpr char kActiveIslandingItems[] = "Gain 0\nGain A\nGain C";  // 3
constexpr char kRPRStandbyTimeItems[] = "0\n1200\n2400\n3600\n4800\n6000";  // 6

constexpr ControlDecl kJapUserSetRows[] = {
    JAP_COMBO_ROW(0, "Label_JapOVRCaption", "系統過電圧 OVR", "Label_JapOVR", "Combo_JapOVR", kOVRItems),
    JAP_COMBO_ROW(1, "Label_JapUVRCaption", "系統不足電圧 UVR", "Label_JapUVR", "Combo_JapUVR", kUVRItems),
    JAP_COMBO_ROW(2, "Label_JapVSTCaption", "OVR・UVR 整定時間", "Label_JapVST", "Combo_JapVST", kVSTItems),
    JAP_COMBO_ROW(3, "Label_JapOFR60Caption", "系統過周波数 OFR (60Hz)", "Label_JapOFR60", "Combo_JapOFR60", kOFR60Items),
    JAP_COMBO_ROW(4, "Label_JapUFR60Caption", "系統不足周波数 UFR  (60Hz)", "Label_JapUFR60", "Combo_JapUFR60", kUFR60Items),
    JAP_COMBO_ROW(5, "Label_JapFSTCaption", "OFR・UFR 整定時間", "Label_JapFST", "Combo_JapFST", kVSTItems),
    JAP_COMBO_ROW(6, "Label_JapRTCaption", "連系保護リレー復帰時間", "Label_JapRT", "Combo_JapRT", kRTItems),
    JAP_COMBO_ROW(7, "Label_JapSuppVoltCaption", "系統電圧上昇抑制(有効電力制御)", "Label_JapSuppVolt", "Combo_JapSuppVolt", kSuppVoltItems),
    JAP_COMBO_ROW(8, "Label266", " 単独運転検出機能(受動方式)", "Label_JapIslandPass", "Combo_JapIslandPass", kOnOffItems),
    JAP_COMBO_ROW(9, "Label268", "出力制御レベル", "Label_JapSupLevel", "Combo_JapSupLevel", kSupLevelItems),
    JAP_COMBO_ROW(10, "Label_JapOFR50Caption", "系統過周波数 OFR (50Hz)", "Label_JapOFR50", "Combo_JapOFR50", kOFR50Items),
    JAP_COMBO_ROW(11, "Label_JapUFR50Caption", "系統不足周波数 UFR (50Hz)", "Label_JapUFR50", "Combo_JapUFR50", kUFR50Items),
    JAP_COMBO_ROW(12, "Label_JapRCMUCaption", "地絡電流検出", "Label_JapRCMU", "Combo_JapRCMU", kOnOffItems),
    JAP_COMBO_ROW(13, "Label276", "表示設定（屋内用・屋外用）", "Label_JapInOutDoor", "Combo_JapInOutDoor", kInOutDoorItems),
    JAP_COMBO_ROW(14, "Label_JapConstPFCaption", "力率一定制御", "Label_JapConstPF", "Combo_JapConstPF", kConstPFItems),
    JAP_TALL_COMBO_ROW(15, "Label_JapQU_PUCaption", "系統電圧上昇抑制(進相無効\n電力制御、有効電力制御)", "Label_JapQU_PU", "Combo_JapQU_PU", kQUPUItems),
    JAP_TALL_COMBO_ROW(16, "Label_JapQU_PFCaption", "進相無効電力制御の\n運転力率整定値", "Label_JapQU_PF", "Combo_JapQU_PF", kQUPFItems),
    JAP_COMBO_ROW(17, "Label_JapPMMCaption", "出力制御機能", "Label_JapPMM", "Combo_JapPMM", kPMMItems),
    JAP_EDIT_ROW(18, "Label_JapAPPCaption", "出力制御の調整", "Label_JapAPP", "Edit_JapAPP"),
    JAP_COMBO_ROW(19, "Label_JapAPSCaption", "出力制御の時間", "Label_JapAPS", "Combo_JapAPS", kAPSItems),
    JAP_COMBO_ROW(20, "Label_JapActiveIslandingCaption", "Active Islanding", "Label_JapActiveIslanding", "Combo_JapActiveIslanding", kActiveIslandingItems),
    JAP_COMBO_ROW(21, "Label675", "RPR待機時間", "Label_JapRPRStandbyTime", "Combo_JapRPRStandbyTime", kRPRStandbyTimeItems),
    JAP_COMBO_ROW(22, "Label666", "対地絶縁抵抗(モジュール側)", "Label_JapGroundFault", "Combo_JapGroundFault", kOnOffItems),
    JAP_COMBO_ROW(23, "Label716", "主幹負荷計測", "Label_JapanSetMainLoadCal", "Combo_JapanSetMainLoadCal", kOnOffItems),
    JAP_EDIT_ROW(24, "Label_JapIDsettingCaption", "機器 ID 設定", "Label_JapIDsetting", "Edit_JapIDsetting"),
};
constexpr ControlDecl kJapUserSetOldRows[] = {
    JAP_COMBO_ROW(0, "Label_JapOVRCaption_Old", "OVR(115V)", "Label_JapOVR_Old", "Combo_JapOVR_Old", kOVRItems),
    JAP_COMBO_ROW(1, "Label_JapUVRCaption_Old", "UVR(80V)", "Label_JapUVR_Old", "Combo_JapUVR_Old", kUVRItems),
    JAP_COMBO_ROW(2, "Label_JapVSTCaption_Old", "Volt Setting Time(1)", "Label_JapVST_Old", "Combo_JapVST_Old", kVSTItems),
    JAP_COMBO_ROW(3, "Label_JapOFR60Caption_Old", "OFR(61.2Hz)", "Label_JapOFR60_Old", "Combo_JapOFR60_Old", kOFR60OldItems),
    JAP_COMBO_ROW(4, "Label_JapUFR60Caption_Old", "UFR(58.2Hz)", "Label_JapUFR60_Old", "Combo_JapUFR60_Old", kUFR60OldItems),
    JAP_COMBO_ROW(5, "Label_JapFSTCaption_Old", "FREQ Setting Time(1)", "Label_JapFST_Old", "Combo_JapFST_Old", kVSTItems),
    JAP_COMBO_ROW(6, "Label_JapRTCaption_Old", "Recover Time(300)", "Label_JapRT_Old", "Combo_JapRT_Old", kRTItems),
    JAP_COMBO_ROW(7, "Label_JapSuppVoltCaption_Old", "Suppression Volt(0.85)", "Label_JapSuppVolt_Old", "Combo_JapSuppVolt_Old", kSuppVoltItems),
    JAP_COMBO_ROW(8, "Label_JapIslandPassCaption_Old", "Islanding passive(ON)", "Label_JapIslandPass_Old", "Combo_JapIslandPass_Old", kOnOffItems),
    JAP_COMBO_ROW(9, "Label_JapSupLevelCaption_Old", "Suppression Level(50%)", "Label_JapSupLevel_Old", "Combo_JapSupLevel_Old", kSupLevelItems),
    JAP_COMBO_ROW(10, "Label_JapOFR50Caption_Old", "OFR(51.0Hz)", "Label_JapOFR50_Old", "Combo_JapOFR50_Old", kOFR50OldItems),
    JAP_COMBO_ROW(11, "Label_JapUFR50Caption_Old", "UFR(48.5Hz)", "Label_JapUFR50_Old", "Combo_JapUFR50_Old", kUFR50OldItems),
    JAP_COMBO_ROW(12, "Label_JapRCMUCaption_Old", "RCMU Confirm Time(ON)", "Label_JapRCMU_Old", "Combo_JapRCMU_Old", kOnOffItems),
    JAP_COMBO_ROW(13, "Label_JapInOutDoorCaption_Old", "In/Out-door Install(Out)", "Label_JapInOutDoor_Old", "Combo_JapInOutDoor_Old", kInOutDoorItems),
    JAP_COMBO_ROW(14, "Label_JapConstPFCaption_Old", "Constant power factor(OFF))", "Label_JapConstPF_Old", "Combo_JapConstPF_Old", kConstPFOldItems),
    JAP_COMBO_ROW(15, "Label_JapQU_PUCaption_Old", "Q(U) / P(U) [9]", "Label_JapQU_PU_Old", "Combo_JapQU_PU_Old", kQUPUOldItems),
    JAP_COMBO_ROW(16, "Label_JapQU_PFCaption_Old", "Q(U)_PF[0.85]", "Label_JapQU_PF_Old", "Combo_JapQU_PF_Old", kQUPFItems),
    JAP_COMBO_ROW(17, "Label_JapPMMCaption_Old", "Power Manager Mode(OFF)", "Label_JapPMM_Old", "Combo_JapPMM_Old", kPMMItems),
    JAP_EDIT_ROW(18, "Label_JapAPPCaption_Old", "Active Power Percentage(100)", "Label_JapAPP_Old", "Edit_JapAPP_Old"),
    JAP_COMBO_ROW(19, "Label_JapAPSCaption_Old", "Active Power Slop(300)", "Label_JapAPS_Old", "Combo_JapAPS_Old", kAPSOldItems),
    JAP_EDIT_ROW(20, "Label_JapIDsettingCaption_Old", "ID setting(1)", "Label_JapIDsetting_Old", "Edit_JapIDsetting_Old"),
    {Kind::Label, "Label_ReturnToDefaultCaption", 8, Row(21) + 4, 250, 18, "Return to Default", 1},
    {Kind::Button, "Btn_ReturnToDefault", 372, Row(21), 100, 26, "Run"},
};

#undef JAP_COMBO_ROW
#undef JAP_TALL_COMBO_ROW
#undef JAP_EDIT_ROW

// ---- Read-back ------------------------------------------------------------

constexpr CodeText kOvrTexts[] = {{0, "110 V"}, {1, "111 V"}, {2, "112 V"}, {3, "113 V"}, {4, "114 V"}, {5, "115 V"},
                                  {6, "116 V"}, {7, "117 V"}, {8, "118 V"}, {9, "119 V"}, {10, "120 V"}};
constexpr CodeText kUvrTexts[] = {{0, "80 V"}, {1, "81 V"}, {2, "82 V"},  {3, "83 V"},  {4, "84 V"},
                                  {5, "85 V"}, {6, "86 V"}, {7, "87 V"},  {8, "88 V"},  {9, "89 V"},
                                  {10, "90 V"}, {11, "91 V"}, {12, "92 V"}};
constexpr CodeText kTripTimeTexts[] = {{0, "0.5 sec"}, {1, "1.0 sec"}, {2, "1.5 sec"}, {3, "2.0 sec"}};
constexpr CodeText kRecoverTexts[] = {{0, "10 sec"}, {1, "60 sec"}, {2, "150 sec"}, {3, "300 sec"}, {4, "Set"}};
constexpr CodeText kSuppVoltTexts[] = {{0, "OFF"},     {1, "107 V"}, {2, "107.5 V"}, {3, "108 V"},
                                       {4, "108.5 V"}, {5, "109 V"}, {6, "109.5 V"}, {7, "110 V"},
                                       {8, "110.5 V"}, {9, "111 V"}, {10, "111.5 V"}, {11, "112 V"}};
// Rows with one named code and a text for every other.
constexpr CodeText kOneIsOn[] = {{1, "ON"}};
constexpr CodeText kOneIsFifty[] = {{1, "50 %"}};
constexpr CodeText kZeroIsOff[] = {{0, "OFF"}};
constexpr CodeText kZeroIsIndoor[] = {{0, "In-door"}};
constexpr CodeText kQuPuTexts[] = {
    {0, "OFF"},           {1, "105.0/107.0V"}, {2, "105.0/107.5V"},  {3, "105.0/108.0V"},
    {4, "105.5/108.5V"},  {5, "106.0/109.0V"}, {6, "106.5/109.5V"},  {7, "107.0/110.0V"},
    {8, "107.5/110.5V"},  {9, "108.0/111.0V"}, {10, "108.5/111.5V"}, {11, "109.0/112.0V"}};
constexpr CodeText kQuPuOldTexts[] = {{0, "OFF"},    {1, "Index1"}, {2, "Index2"},   {3, "Index3"},
                                      {4, "Index4"}, {5, "Index5"}, {6, "Index6"},   {7, "Index7"},
                                      {8, "Index8"}, {9, "Index9"}, {10, "Index10"}, {11, "Index11"}};
constexpr CodeText kActiveIslandingTexts[] = {{0, "Gain 0"}, {1, "Gain A"}, {2, "Gain C"}};
constexpr CodeText kRprStandbyTexts[] = {{0, "0"},    {1, "1200"}, {2, "2400"},
                                         {3, "3600"}, {4, "4800"}, {5, "6000"}};

// A frequency level: its base (in tenths of a hertz) plus the code in tenths.
template <int BaseTenths>
std::optional<QString> Frequency(const Modbus*, uint16_t code) {
  return FormatDecimals(static_cast<float>(BaseTenths + code) / 10.0f, 1) + QStringLiteral(" Hz");
}

// The reactive power control's power factor: 0.85 plus the code in hundredths.
std::optional<QString> QuPowerFactor(const Modbus*, uint16_t code) {
  return FormatDecimals(static_cast<float>(85 + code) / 100.0f, 2);
}

// The constant power factor code: OFF, inductive 0.80 to 0.99, 1.00, then
// capacitive 0.99 down to 0.80.
std::optional<QString> PowerFactorCode(const Modbus*, uint16_t code) {
  if (code == 0) return QStringLiteral("OFF");
  if (code == 1) return QStringLiteral("Ind 0.8");
  if (code <= 20) return QStringLiteral("Ind 0.%1").arg(79 + code);
  if (code == 21) return QStringLiteral("1.00");
  if (code <= 41) return QStringLiteral("Cap 0.%1").arg(121 - code);
  return QStringLiteral("??");
}

constexpr auto T = Show::Text;

// Register 25344 upward, in register order.
constexpr WordRead kUserWords[] = {
    Word(0, "Label_JapOVR", T).Texts(kOvrTexts),
    Word(1, "Label_JapUVR", T).Texts(kUvrTexts),
    Word(2, "Label_JapVST", T).Texts(kTripTimeTexts),
    HookWord(3, "Label_JapOFR60", Frequency<605>),
    HookWord(4, "Label_JapUFR60", Frequency<570>),
    Word(5, "Label_JapFST", T).Texts(kTripTimeTexts),
    Word(6, "Label_JapRT", T).Texts(kRecoverTexts),
    Word(7, "Label_JapSuppVolt", T).Texts(kSuppVoltTexts),
    Word(8, "Label_JapIslandPass", T).Texts(kOneIsOn, "OFF"),
    Word(9, "Label_JapSupLevel", T).Texts(kOneIsFifty, "0 %"),
    HookWord(10, "Label_JapOFR50", Frequency<505>),
    HookWord(11, "Label_JapUFR50", Frequency<470>),
    Word(12, "Label_JapRCMU", T).Texts(kZeroIsOff, "ON"),
    Word(13, "Label_JapInOutDoor", T).Texts(kZeroIsIndoor, "Out-door"),
    HookWord(14, "Label_JapConstPF", PowerFactorCode),
    Word(15, "Label_JapQU_PU", T).Texts(kQuPuTexts),
    HookWord(16, "Label_JapQU_PF", QuPowerFactor),
    Word(17, "Label_JapPMM", T).Texts(kZeroIsOff, "Rated"),
    Word(18, "Label_JapAPP", Show::Decimal, " %"),
    Word(19, "Label_JapAPS", Show::Decimal),
    Word(20, "Label_JapActiveIslanding", T).Texts(kActiveIslandingTexts),
    Word(21, "Label_JapRPRStandbyTime", T).Texts(kRprStandbyTexts),
    Word(22, "Label_JapGroundFault", T).Texts(kZeroIsOff, "ON"),
    Word(23, "Label_JapanSetMainLoadCal", T).Texts(kZeroIsOff, "ON"),
};
// The older layout: its own frequency bases and index texts, no last four.
constexpr WordRead kUserOldWords[] = {
    Word(0, "Label_JapOVR_Old", T).Texts(kOvrTexts),
    Word(1, "Label_JapUVR_Old", T).Texts(kUvrTexts),
    Word(2, "Label_JapVST_Old", T).Texts(kTripTimeTexts),
    HookWord(3, "Label_JapOFR60_Old", Frequency<606>),
    HookWord(4, "Label_JapUFR60_Old", Frequency<582>),
    Word(5, "Label_JapFST_Old", T).Texts(kTripTimeTexts),
    Word(6, "Label_JapRT_Old", T).Texts(kRecoverTexts),
    Word(7, "Label_JapSuppVolt_Old", T).Texts(kSuppVoltTexts),
    Word(8, "Label_JapIslandPass_Old", T).Texts(kOneIsOn, "OFF"),
    Word(9, "Label_JapSupLevel_Old", T).Texts(kOneIsFifty, "0 %"),
    HookWord(10, "Label_JapOFR50_Old", Frequency<505>),
    HookWord(11, "Label_JapUFR50_Old", Frequency<485>),
    Word(12, "Label_JapRCMU_Old", T).Texts(kZeroIsOff, "ON"),
    Word(13, "Label_JapInOutDoor_Old", T).Texts(kZeroIsIndoor, "Out-door"),
    HookWord(14, "Label_JapConstPF_Old", PowerFactorCode),
    Word(15, "Label_JapQU_PU_Old", T).Texts(kQuPuOldTexts),
    HookWord(16, "Label_JapQU_PF_Old", QuPowerFactor),
    Word(17, "Label_JapPMM_Old", T).Texts(kZeroIsOff, "Rated"),
    Word(18, "Label_JapAPP_Old", Show::Decimal, " %"),
    Word(19, "Label_JapAPS_Old", Show::Decimal),
};
constexpr WordRead kIdWord[] = {Word(0, "Label_JapIDsetting", Show::Decimal)};
constexpr WordRead kIdOldWord[] = {Word(0, "Label_JapIDsetting_Old", Show::Decimal)};

// Only these models keep their settings here, so whenever the view reads
// them the register map is the native one; it is named before the read, so
// a failed read leaves it named too.
int NameNativeMap(Modbus*) {
  SetText(QStringLiteral("Label_InvProtocol"), QStringLiteral("Tarvo"));
  return 0;
}

// Labels turn blue only from a usable reply: a missed reply must not look
// like a confirmed setting.
constexpr ReadBlock kUserBlocks[] = {
    Read(kReadHolding, 25344, 24, kUserWords).EndIfInvalid().Before(NameNativeMap),
    Read(kReadHolding, 44040, 1, kIdWord),
};
constexpr ReadBlock kUserOldBlocks[] = {
    Read(kReadHolding, 25344, 20, kUserOldWords).EndIfInvalid(),
    Read(kReadHolding, 44040, 1, kIdOldWord),
};
constexpr ReadView kUserView{"Group_JapUserSet", "Japan User...", kUserBlocks};
constexpr ReadView kUserOldView{"Group_JapUserSet_Old", "Japan User...", kUserOldBlocks};

// ---- Editors --------------------------------------------------------------
// Every combo writes its item index, but the slope combos write the number
// they show. The current layout refuses a percentage and a device ID outside
// their ranges before anything reaches the mailbox; the older one posts what
// is typed, as far as the register holds it.

constexpr int kSlopes[] = {0, 60, 120, 180, 240, 300, 360, 420, 480, 540, 600};
constexpr int kSlopesOld[] = {60, 120, 180, 240, 300, 360, 420, 480, 540, 600};
constexpr RangeRule kPercentRange{RangeForm::Refuse, 0, 100, "Please input 0~100"};
constexpr RangeRule kIdRange{RangeForm::Refuse, 1, 32, "Please input 1~32"};

constexpr EditorDecl kEditors[] = {
    Combo("Combo_JapOVR", 25344, "Label_JapOVR"),
    Combo("Combo_JapUVR", 25345, "Label_JapUVR"),
    Combo("Combo_JapVST", 25346, "Label_JapVST"),
    Combo("Combo_JapOFR60", 25347, "Label_JapOFR60"),
    Combo("Combo_JapUFR60", 25348, "Label_JapUFR60"),
    Combo("Combo_JapFST", 25349, "Label_JapFST"),
    Combo("Combo_JapRT", 25350, "Label_JapRT"),
    Combo("Combo_JapSuppVolt", 25351, "Label_JapSuppVolt"),
    Combo("Combo_JapIslandPass", 25352, "Label_JapIslandPass"),
    Combo("Combo_JapSupLevel", 25353, "Label_JapSupLevel"),
    Combo("Combo_JapOFR50", 25354, "Label_JapOFR50"),
    Combo("Combo_JapUFR50", 25355, "Label_JapUFR50"),
    Combo("Combo_JapRCMU", 25356, "Label_JapRCMU"),
    Combo("Combo_JapInOutDoor", 25357, "Label_JapInOutDoor"),
    Combo("Combo_JapConstPF", 25358, "Label_JapConstPF"),
    Combo("Combo_JapQU_PU", 25359, "Label_JapQU_PU"),
    Combo("Combo_JapQU_PF", 25360, "Label_JapQU_PF"),
    Combo("Combo_JapPMM", 25361, "Label_JapPMM"),
    Edit("Edit_JapAPP", 25362, SafeInt, "Label_JapAPP").Range(kPercentRange),
    Combo("Combo_JapAPS", 25363, "Label_JapAPS").Codes(kSlopes),
    Combo("Combo_JapActiveIslanding", 25364, "Label_JapActiveIslanding"),
    Combo("Combo_JapRPRStandbyTime", 25365, "Label_JapRPRStandbyTime"),
    Combo("Combo_JapGroundFault", 25366, "Label_JapGroundFault"),
    Combo("Combo_JapanSetMainLoadCal", 25367, "Label_JapanSetMainLoadCal"),
    Edit("Edit_JapIDsetting", 44040, SafeInt, "Label_JapIDsetting").Range(kIdRange),

    Combo("Combo_JapOVR_Old", 25344, "Label_JapOVR_Old"),
    Combo("Combo_JapUVR_Old", 25345, "Label_JapUVR_Old"),
    Combo("Combo_JapVST_Old", 25346, "Label_JapVST_Old"),
    Combo("Combo_JapOFR60_Old", 25347, "Label_JapOFR60_Old"),
    Combo("Combo_JapUFR60_Old", 25348, "Label_JapUFR60_Old"),
    Combo("Combo_JapFST_Old", 25349, "Label_JapFST_Old"),
    Combo("Combo_JapRT_Old", 25350, "Label_JapRT_Old"),
    Combo("Combo_JapSuppVolt_Old", 25351, "Label_JapSuppVolt_Old"),
    Combo("Combo_JapIslandPass_Old", 25352, "Label_JapIslandPass_Old"),
    Combo("Combo_JapSupLevel_Old", 25353, "Label_JapSupLevel_Old"),
    Combo("Combo_JapOFR50_Old", 25354, "Label_JapOFR50_Old"),
    Combo("Combo_JapUFR50_Old", 25355, "Label_JapUFR50_Old"),
    Combo("Combo_JapRCMU_Old", 25356, "Label_JapRCMU_Old"),
    Combo("Combo_JapInOutDoor_Old", 25357, "Label_JapInOutDoor_Old"),
    Combo("Combo_JapConstPF_Old", 25358, "Label_JapConstPF_Old"),
    Combo("Combo_JapQU_PU_Old", 25359, "Label_JapQU_PU_Old"),
    Combo("Combo_JapQU_PF_Old", 25360, "Label_JapQU_PF_Old"),
    Combo("Combo_JapPMM_Old", 25361, "Label_JapPMM_Old"),
    Edit("Edit_JapAPP_Old", 25362, SafeInt, "Label_JapAPP_Old"),
    Combo("Combo_JapAPS_Old", 25363, "Label_JapAPS_Old").Codes(kSlopesOld),
    Edit("Edit_JapIDsetting_Old", 44040, SafeInt, "Label_JapIDsetting_Old"),
    Button("Btn_ReturnToDefault", 24691, CmdWriteCoil, kCoilOn),
};

}  // namespace

extern const PanelControls kJapUserSetPanel{"Group_JapUserSet", kJapUserSetRows};
extern const PanelControls kJapUserSetOldPanel{"Group_JapUserSet_Old", kJapUserSetOldRows};

int PollJapUserSet(Modbus* link, uint8_t stop) { return RunReadView(link, stop, kUserView); }
int PollJapUserSetOld(Modbus* link, uint8_t stop) { return RunReadView(link, stop, kUserOldView); }

std::span<const EditorDecl> JapUserSetEditors() { return kEditors; }

// The read-back views of this file, for what the editor fit needs to know of
// the readings.
std::span<const ReadView* const> JapUserSetReadViews() {
  static constexpr const ReadView* kViews[] = {&kUserView, &kUserOldView};
  return kViews;
}
