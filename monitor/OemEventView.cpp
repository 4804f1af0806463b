#include "monitor/OemEventView.h"

#include "app/ControlTable.h"
#include "app/Myfunc.h"
#include "app/main.h"
#include "link/Modbus.h"
#include "monitor/PollFrame.h"
#include "platform/ValueLabel.h"

namespace {

// Group_BRK_ThermalEvent, ...OpvEvent, ...VinEvent, ...OpvloEvent: the
// title, the column heads and records 00 to 15, one per row. The thermal
// panel's value labels carry the "Group_" prefix as designed.
constexpr ControlDecl kThermalEventRows[] = {
    {Kind::Label, "Label_BRK_ThermalEvent", 8, 22, 240, 16, "温度抑制_高温"},
    {Kind::Label, "Label_BRK_ThermalStartHead", 8, 40, 140, 16, "開始時間"},
    {Kind::Label, "Label_BRK_ThermalTimeHead", 160, 40, 90, 16, "合計発生時間"},
    {Kind::Label, "Group_BRK_ThmST00", 8, 58, 140, 18, "??", 0, kBlue},
    {Kind::Label, "Group_BRK_ThmDT00", 160, 58, 90, 18, "??", 0, kBlue},
    {Kind::Label, "Group_BRK_ThmST01", 8, 78, 140, 18, "??", 0, kBlue},
    {Kind::Label, "Group_BRK_ThmDT01", 160, 78, 90, 18, "??", 0, kBlue},
    {Kind::Label, "Group_BRK_ThmST02", 8, 98, 140, 18, "??", 0, kBlue},
    {Kind::Label, "Group_BRK_ThmDT02", 160, 98, 90, 18, "??", 0, kBlue},
    {Kind::Label, "Group_BRK_ThmST03", 8, 118, 140, 18, "??", 0, kBlue},
    {Kind::Label, "Group_BRK_ThmDT03", 160, 118, 90, 18, "??", 0, kBlue},
    {Kind::Label, "Group_BRK_ThmST04", 8, 138, 140, 18, "??", 0, kBlue},
    {Kind::Label, "Group_BRK_ThmDT04", 160, 138, 90, 18, "??", 0, kBlue},
    {Kind::Label, "Group_BRK_ThmST05", 8, 158, 140, 18, "??", 0, kBlue},
    {Kind::Label, "Group_BRK_ThmDT05", 160, 158, 90, 18, "??", 0, kBlue},
    {Kind::Label, "Group_BRK_ThmST06", 8, 178, 140, 18, "??", 0, kBlue},
    {Kind::Label, "Group_BRK_ThmDT06", 160, 178, 90, 18, "??", 0, kBlue},
    {Kind::Label, "Group_BRK_ThmST07", 8, 198, 140, 18, "??", 0, kBlue},
    {Kind::Label, "Group_BRK_ThmDT07", 160, 198, 90, 18, "??", 0, kBlue},
    {Kind::Label, "Group_BRK_ThmST08", 8, 218, 140, 18, "??", 0, kBlue},
    {Kind::Label, "Group_BRK_ThmDT08", 160, 218, 90, 18, "??", 0, kBlue},
    {Kind::Label, "Group_BRK_ThmST09", 8, 238, 140, 18, "??", 0, kBlue},
    {Kind::Label, "Group_BRK_ThmDT09", 160, 238, 90, 18, "??", 0, kBlue},
    {Kind::Label, "Group_BRK_ThmST10", 8, 258, 140, 18, "??", 0, kBlue},
    {Kind::Label, "Group_BRK_ThmDT10", 160, 258, 90, 18, "??", 0, kBlue},
    {Kind::Label, "Group_BRK_ThmST11", 8, 278, 140, 18, "??", 0, kBlue},
    {Kind::Label, "Group_BRK_ThmDT11", 160, 278, 90, 18, "??", 0, kBlue},
    {Kind::Label, "Group_BRK_ThmST12", 8, 298, 140, 18, "??", 0, kBlue},
    {Kind::Label, "Group_BRK_ThmDT12", 160, 298, 90, 18, "??", 0, kBlue},
    {Kind::Label, "Group_BRK_ThmST13", 8, 318, 140, 18, "??", 0, kBlue},
    {Kind::Label, "Group_BRK_ThmDT13", 160, 318, 90, 18, "??", 0, kBlue},
    {Kind::Label, "Group_BRK_ThmST14", 8, 338, 140, 18, "??", 0, kBlue},
    {Kind::Label, "Group_BRK_ThmDT14", 160, 338, 90, 18, "??", 0, kBlue},
    {Kind::Label, "Group_BRK_ThmST15", 8, 358, 140, 18, "??", 0, kBlue},
    {Kind::Label, "Group_BRK_ThmDT15", 160, 358, 90, 18, "??", 0, kBlue},
};
constexpr ControlDecl kOpvEventRows[] = {
    {Kind::Label, "Label_BRK_OpvEvent", 8, 22, 240, 16, "電圧抑制_高圧"},
    {Kind::Label, "Label_BRK_OpvStartHead", 8, 40, 140, 16, "開始時間"},
    {Kind::Label, "Label_BRK_OpvTimeHead", 160, 40, 90, 16, "合計発生時間"},
    {Kind::Label, "Label_BRK_OpvST00", 8, 58, 140, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_OpvDT00", 160, 58, 90, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_OpvST01", 8, 78, 140, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_OpvDT01", 160, 78, 90, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_OpvST02", 8, 98, 140, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_OpvDT02", 160, 98, 90, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_OpvST03", 8, 118, 140, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_OpvDT03", 160, 118, 90, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_OpvST04", 8, 138, 140, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_OpvDT04", 160, 138, 90, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_OpvST05", 8, 158, 140, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_OpvDT05", 160, 158, 90, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_OpvST06", 8, 178, 140, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_OpvDT06", 160, 178, 90, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_OpvST07", 8, 198, 140, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_OpvDT07", 160, 198, 90, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_OpvST08", 8, 218, 140, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_OpvDT08", 160, 218, 90, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_OpvST09", 8, 238, 140, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_OpvDT09", 160, 238, 90, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_OpvST10", 8, 258, 140, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_OpvDT10", 160, 258, 90, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_OpvST11", 8, 278, 140, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_OpvDT11", 160, 278, 90, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_OpvST12", 8, 298, 140, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_OpvDT12", 160, 298, 90, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_OpvST13", 8, 318, 140, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_OpvDT13", 160, 318, 90, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_OpvST14", 8, 338, 140, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_OpvDT14", 160, 338, 90, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_OpvST15", 8, 358, 140, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_OpvDT15", 160, 358, 90, 18, "??", 0, kBlue},
};
constexpr ControlDecl kVinEventRows[] = {
    {Kind::Label, "Label_BRK_VinEvent", 8, 22, 240, 16, "入力電圧抑制_高圧"},
    {Kind::Label, "Label_BRK_VinStartHead", 8, 40, 140, 16, "開始時間"},
    {Kind::Label, "Label_BRK_VinTimeHead", 160, 40, 90, 16, "合計発生時間"},
    {Kind::Label, "Label_BRK_VinST00", 8, 58, 140, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_VinDT00", 160, 58, 90, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_VinST01", 8, 78, 140, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_VinDT01", 160, 78, 90, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_VinST02", 8, 98, 140, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_VinDT02", 160, 98, 90, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_VinST03", 8, 118, 140, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_VinDT03", 160, 118, 90, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_VinST04", 8, 138, 140, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_VinDT04", 160, 138, 90, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_VinST05", 8, 158, 140, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_VinDT05", 160, 158, 90, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_VinST06", 8, 178, 140, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_VinDT06", 160, 178, 90, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_VinST07", 8, 198, 140, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_VinDT07", 160, 198, 90, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_VinST08", 8, 218, 140, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_VinDT08", 160, 218, 90, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_VinST09", 8, 238, 140, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_VinDT09", 160, 238, 90, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_VinST10", 8, 258, 140, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_VinDT10", 160, 258, 90, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_VinST11", 8, 278, 140, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_VinDT11", 160, 278, 90, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_VinST12", 8, 298, 140, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_VinDT12", 160, 298, 90, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_VinST13", 8, 318, 140, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_VinDT13", 160, 318, 90, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_VinST14", 8, 338, 140, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_VinDT14", 160, 338, 90, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_VinST15", 8, 358, 140, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_VinDT15", 160, 358, 90, 18, "??", 0, kBlue},
};
constexpr ControlDecl kOpvloEventRows[] = {
    {Kind::Label, "Label_BRK_OpvloEvent", 8, 22, 240, 16, "電圧抑制_低圧"},
    {Kind::Label, "Label_BRK_OpvloStartHead", 8, 40, 140, 16, "開始時間"},
    {Kind::Label, "Label_BRK_OpvloTimeHead", 160, 40, 90, 16, "合計発生時間"},
    {Kind::Label, "Label_BRK_OpvloST00", 8, 58, 140, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_OpvloDT00", 160, 58, 90, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_OpvloST01", 8, 78, 140, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_OpvloDT01", 160, 78, 90, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_OpvloST02", 8, 98, 140, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_OpvloDT02", 160, 98, 90, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_OpvloST03", 8, 118, 140, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_OpvloDT03", 160, 118, 90, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_OpvloST04", 8, 138, 140, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_OpvloDT04", 160, 138, 90, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_OpvloST05", 8, 158, 140, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_OpvloDT05", 160, 158, 90, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_OpvloST06", 8, 178, 140, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_OpvloDT06", 160, 178, 90, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_OpvloST07", 8, 198, 140, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_OpvloDT07", 160, 198, 90, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_OpvloST08", 8, 218, 140, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_OpvloDT08", 160, 218, 90, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_OpvloST09", 8, 238, 140, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_OpvloDT09", 160, 238, 90, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_OpvloST10", 8, 258, 140, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_OpvloDT10", 160, 258, 90, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_OpvloST11", 8, 278, 140, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_OpvloDT11", 160, 278, 90, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_OpvloST12", 8, 298, 140, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_OpvloDT12", 160, 298, 90, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_OpvloST13", 8, 318, 140, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_OpvloDT13", 160, 318, 90, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_OpvloST14", 8, 338, 140, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_OpvloDT14", 160, 338, 90, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_OpvloST15", 8, 358, 140, 18, "??", 0, kBlue},
    {Kind::Label, "Label_BRK_OpvloDT15", 160, 358, 90, 18, "??", 0, kBlue},
};

constexpr uint8_t kReadInput = 4;

// One record area: records of three words (start time low word, high word,
// occurrence seconds); sixteen are read and shown.
int PollEventArea(Modbus* link, uint8_t stop, const char* gate, const char* status, uint16_t first,
                  const char* prefix) {
  constexpr int kRecords = 16;
  int result;
  if (!PollPrologue(link, stop, gate, QString::fromLatin1(status), result)) return result;
  if (link->Request(first, 3 * kRecords, kReadInput)) return 1;
  if (!ReplyUsable(link, kReadInput)) return 0;
  for (int k = 0; k < kRecords; ++k) {
    const QString number = QString::number(k).rightJustified(2, QLatin1Char('0'));
    const uint16_t low = ReplyWord(link, 3 * k);
    const uint16_t high = ReplyWord(link, 3 * k + 1);
    if (auto* l = Form_Main->Ctl<ValueLabel>(QLatin1String(prefix) + "ST" + number))
      l->setText(FormatRegisterTime(low >> 8, low & 0xFF, high >> 8, high & 0xFF, 0));
    if (auto* l = Form_Main->Ctl<ValueLabel>(QLatin1String(prefix) + "DT" + number))
      l->setText(FormatSeconds(ReplyWord(link, 3 * k + 2)));
  }
  return 0;
}

}  // namespace

extern const PanelControls kBRKThermalEventPanel{"Group_BRK_ThermalEvent", kThermalEventRows};
extern const PanelControls kBRKOpvEventPanel{"Group_BRK_OpvEvent", kOpvEventRows};
extern const PanelControls kBRKVinEventPanel{"Group_BRK_VinEvent", kVinEventRows};
extern const PanelControls kBRKOpvloEventPanel{"Group_BRK_OpvloEvent", kOpvloEventRows};

int PollBRKThermalEvent(Modbus* link, uint8_t stop) {
  return PollEventArea(link, stop, "Group_BRK_ThermalEvent", "OTP...", 21056, "Group_BRK_Thm");
}

int PollBRKOpvEvent(Modbus* link, uint8_t stop) {
  return PollEventArea(link, stop, "Group_BRK_OpvEvent", "OVP...", 21120, "Label_BRK_Opv");
}

int PollBRKVinEvent(Modbus* link, uint8_t stop) {
  return PollEventArea(link, stop, "Group_BRK_VinEvent", "Vin P...", 21184, "Label_BRK_Vin");
}

int PollBRKOpvloEvent(Modbus* link, uint8_t stop) {
  return PollEventArea(link, stop, "Group_BRK_OpvloEvent", "OVP Low...", 21248, "Label_BRK_Opvlo");
}
