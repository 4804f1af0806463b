#include "monitor/OemEventView.h"

#include <string>

#include "app/ControlTable.h"
#include "app/Myfunc.h"
#include "app/main.h"
#include "link/FunctionCodes.h"
#include "link/Modbus.h"
#include "monitor/PollFrame.h"
#include "platform/ValueLabel.h"

namespace {

// Group_BRK_ThermalEvent, ...OpvEvent, ...VinEvent, ...OpvloEvent: the
// column heads and records 00 to 15, one per row, one routine for the four
// alike areas. The title is the panel's own title label (Label_BRK_ThermalEvent
// and so on). The thermal panel's value labels carry the "Group_" prefix as
// designed.
struct EventArea {
  const char* key;     // "Thermal" gives Label_BRK_ThermalStartHead and ...TimeHead
  const char* values;  // value label prefix, followed by ST/DT and 00..15
};
constexpr EventArea kEventAreas[] = {
    {"Thermal", "Group_BRK_Thm"},
    {"Opv", "Label_BRK_Opv"},
    {"Vin", "Label_BRK_Vin"},
    {"Opvlo", "Label_BRK_Opvlo"},
};

std::span<const ControlDecl> EventRows(int area) {
  static GeneratedRows areas[4];
  GeneratedRows& g = areas[area];
  if (!g.Rows().empty()) return g.Rows();
  const EventArea& a = kEventAreas[area];
  const std::string label = std::string("Label_BRK_") + a.key;
  g.Add({Kind::Label, g.Name(label + "StartHead"), 8, 40, 140, 16, "開始時間"});
  g.Add({Kind::Label, g.Name(label + "TimeHead"), 160, 40, 90, 16, "合計発生時間"});
  for (int k = 0; k < 16; ++k) {
    const std::string nn = (k < 10 ? "0" : "") + std::to_string(k);
    const int top = 58 + 20 * k;
    g.Add({Kind::Label, g.Name(a.values + ("ST" + nn)), 8, top, 140, 18, "??", 0, kBlue});
    g.Add({Kind::Label, g.Name(a.values + ("DT" + nn)), 160, top, 90, 18, "??", 0, kBlue});
  }
  return g.Rows();
}

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

extern const PanelControls kBRKThermalEventPanel{"Group_BRK_ThermalEvent", EventRows(0)};
extern const PanelControls kBRKOpvEventPanel{"Group_BRK_OpvEvent", EventRows(1)};
extern const PanelControls kBRKVinEventPanel{"Group_BRK_VinEvent", EventRows(2)};
extern const PanelControls kBRKOpvloEventPanel{"Group_BRK_OpvloEvent", EventRows(3)};

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
