#include "monitor/DeratingView.h"

#include <map>
#include <string>

#include "app/ControlTable.h"
#include "app/Myfunc.h"
#include "app/main.h"
#include "link/FunctionCodes.h"
#include "link/Modbus.h"
#include "monitor/PollFrame.h"
#include "platform/ValueLabel.h"

namespace {

// Group_DeratingRecordsOPV, ...Vin, ...OPVLo, ...PM: row number, start time
// and accumulated time of records 01 to 12, one routine for the four alike areas.
std::span<const ControlDecl> RecordRows(const std::string& key) {
  static std::map<std::string, GeneratedRows> areas;
  GeneratedRows& g = areas[key];
  if (!g.Rows().empty()) return g.Rows();
  const std::string label = "Label_Records" + key;
  g.Add({Kind::Label, g.Name(label + "StartHead"), 36, 34, 130, 16, "Start Time", 1});
  g.Add({Kind::Label, g.Name(label + "AddUpHead"), 170, 34, 80, 16, "Add up Time", 1});
  for (int k = 1; k <= 12; ++k) {
    const std::string nn = (k < 10 ? "0" : "") + std::to_string(k);
    const int top = 52 + 24 * (k - 1);
    g.Add({Kind::Label, g.Name(label + "No" + nn), 8, top, 26, 18, g.Name(nn + ".")});
    g.Add({Kind::Label, g.Name(label + "Start" + nn), 36, top, 130, 18, "??", 0, kBlue});
    g.Add({Kind::Label, g.Name(label + "AddUp" + nn), 170, top, 80, 18, "??", 0, kBlue});
  }
  return g.Rows();
}

constexpr ControlDecl kDeratingFlagRows[] = {
    {Kind::Label, "Label_DerateRecord1", 16, 34, 120, 18, "Thermal", 0, kSilver},
    {Kind::Label, "Label_DerateRecord2", 16, 58, 120, 18, "OPV", 0, kSilver},
    {Kind::Label, "Label_DerateRecord3", 16, 82, 120, 18, "Vin", 0, kSilver},
    {Kind::Label, "Label_DerateRecord4", 16, 106, 120, 18, "OPV_Lo", 0, kSilver},
    {Kind::Label, "Label_DerateRecord5", 16, 130, 120, 18, "PM", 0, kSilver},
    {Kind::Label, "Label_DerateRecord6", 16, 154, 120, 18, "P(F)", 0, kSilver},
    {Kind::Label, "Label_DerateRecord7", 16, 178, 120, 18, "Ramp up", 0, kSilver},
    {Kind::Label, "Label_DerateRecord8", 16, 202, 120, 18, "Others", 0, kSilver},
};

// Group_FanFail: internal and external fans, four rows of four each.
constexpr ControlDecl kFanFailRows[] = {
    {Kind::Label, "Label_FanIntBox", 8, 32, 120, 16, "Internal", 1},
    {Kind::Label, "Label_FanInt00", 16, 52, 40, 18, "F00", 0, kSilver},
    {Kind::Label, "Label_FanInt01", 72, 52, 40, 18, "F01", 0, kSilver},
    {Kind::Label, "Label_FanInt02", 128, 52, 40, 18, "F02", 0, kSilver},
    {Kind::Label, "Label_FanInt03", 184, 52, 40, 18, "F03", 0, kSilver},
    {Kind::Label, "Label_FanInt04", 16, 76, 40, 18, "F04", 0, kSilver},
    {Kind::Label, "Label_FanInt05", 72, 76, 40, 18, "F05", 0, kSilver},
    {Kind::Label, "Label_FanInt06", 128, 76, 40, 18, "F06", 0, kSilver},
    {Kind::Label, "Label_FanInt07", 184, 76, 40, 18, "F07", 0, kSilver},
    {Kind::Label, "Label_FanInt08", 16, 100, 40, 18, "F08", 0, kSilver},
    {Kind::Label, "Label_FanInt09", 72, 100, 40, 18, "F09", 0, kSilver},
    {Kind::Label, "Label_FanInt10", 128, 100, 40, 18, "F10", 0, kSilver},
    {Kind::Label, "Label_FanInt11", 184, 100, 40, 18, "F11", 0, kSilver},
    {Kind::Label, "Label_FanInt12", 16, 124, 40, 18, "F12", 0, kSilver},
    {Kind::Label, "Label_FanInt13", 72, 124, 40, 18, "F13", 0, kSilver},
    {Kind::Label, "Label_FanInt14", 128, 124, 40, 18, "F14", 0, kSilver},
    {Kind::Label, "Label_FanInt15", 184, 124, 40, 18, "F15", 0, kSilver},
    {Kind::Label, "Label_FanExtBox", 8, 156, 120, 16, "External", 1},
    {Kind::Label, "Label_FanExt00", 16, 176, 40, 18, "F00", 0, kSilver},
    {Kind::Label, "Label_FanExt01", 72, 176, 40, 18, "F01", 0, kSilver},
    {Kind::Label, "Label_FanExt02", 128, 176, 40, 18, "F02", 0, kSilver},
    {Kind::Label, "Label_FanExt03", 184, 176, 40, 18, "F03", 0, kSilver},
    {Kind::Label, "Label_FanExt04", 16, 200, 40, 18, "F04", 0, kSilver},
    {Kind::Label, "Label_FanExt05", 72, 200, 40, 18, "F05", 0, kSilver},
    {Kind::Label, "Label_FanExt06", 128, 200, 40, 18, "F06", 0, kSilver},
    {Kind::Label, "Label_FanExt07", 184, 200, 40, 18, "F07", 0, kSilver},
    {Kind::Label, "Label_FanExt08", 16, 224, 40, 18, "F08", 0, kSilver},
    {Kind::Label, "Label_FanExt09", 72, 224, 40, 18, "F09", 0, kSilver},
    {Kind::Label, "Label_FanExt10", 128, 224, 40, 18, "F10", 0, kSilver},
    {Kind::Label, "Label_FanExt11", 184, 224, 40, 18, "F11", 0, kSilver},
    {Kind::Label, "Label_FanExt12", 16, 248, 40, 18, "F12", 0, kSilver},
    {Kind::Label, "Label_FanExt13", 72, 248, 40, 18, "F13", 0, kSilver},
    {Kind::Label, "Label_FanExt14", 128, 248, 40, 18, "F14", 0, kSilver},
    {Kind::Label, "Label_FanExt15", 184, 248, 40, 18, "F15", 0, kSilver},
};

// A lit cause or failed fan is painted a red that differs from the stale
// display's red, and a clear one the button face: the stale and restore
// passes select labels by exact blue and red and so leave these alone.
constexpr QRgb kFlagSet = 0xFFFA0000u;    // RGB 250, 0, 0
constexpr QRgb kFlagClear = 0xFFF0F0F0u;  // button face

ValueLabel* Label(const QString& name) { return Form_Main->Ctl<ValueLabel>(name); }

QString Numbered(const QString& prefix, int n) {
  return prefix + QString::number(n).rightJustified(2, QLatin1Char('0'));
}

// One record area: records of three words (start time low word, high word,
// accumulated seconds); only the first twelve are read and shown.
int PollRecordArea(Modbus* link, uint8_t stop, const char* gate, const char* status, uint16_t first,
                   const char* key) {
  constexpr int kRecords = 12;
  int result;
  if (!PollPrologue(link, stop, gate, QLatin1String(status), result)) return result;
  if (link->Request(first, 3 * kRecords, kReadInput)) return 1;
  if (!ReplyUsable(link, kReadInput)) return 0;
  const QString start = QStringLiteral("Label_Records%1Start").arg(QLatin1String(key));
  const QString addUp = QStringLiteral("Label_Records%1AddUp").arg(QLatin1String(key));
  for (int k = 1; k <= kRecords; ++k) {
    const int w = 3 * (k - 1);
    const uint16_t low = ReplyWord(link, w);
    const uint16_t high = ReplyWord(link, w + 1);
    if (ValueLabel* l = Label(Numbered(start, k)))
      l->setText(FormatRegisterTime(low >> 8, low & 0xFF, high >> 8, high & 0xFF, 0));
    if (ValueLabel* l = Label(Numbered(addUp, k)))
      l->setText(FormatIntUnit(ReplyWord(link, w + 2), QStringLiteral(" sec")));
  }
  return 0;
}

void PaintFlag(const QString& name, bool set) {
  if (ValueLabel* l = Label(name)) l->setFontColor(set ? kFlagSet : kFlagClear);
}

}  // namespace

extern const PanelControls kDeratingRecordsOPVPanel{"Group_DeratingRecordsOPV", RecordRows("OPV")};
extern const PanelControls kDeratingRecordsVinPanel{"Group_DeratingRecordsVin", RecordRows("Vin")};
extern const PanelControls kDeratingRecordsOPVLoPanel{"Group_DeratingRecordsOPVLo", RecordRows("OPVLo")};
extern const PanelControls kDeratingRecordsPMPanel{"Group_DeratingRecordsPM", RecordRows("PM")};
extern const PanelControls kDeratingRecordsPanel{"Group_DeratingRecords", kDeratingFlagRows};
extern const PanelControls kFanFailPanel{"Group_FanFail", kFanFailRows};

int PollDeratingRecordsOPV(Modbus* link, uint8_t stop) {
  return PollRecordArea(link, stop, "Group_DeratingRecordsOPV", "OPV...", 21120, "OPV");
}

int PollDeratingRecordsVin(Modbus* link, uint8_t stop) {
  return PollRecordArea(link, stop, "Group_DeratingRecordsVin", "Vin...", 21184, "Vin");
}

int PollDeratingRecordsOPVLo(Modbus* link, uint8_t stop) {
  return PollRecordArea(link, stop, "Group_DeratingRecordsOPVLo", "OPVLo...", 21248, "OPVLo");
}

int PollDeratingRecordsPM(Modbus* link, uint8_t stop) {
  return PollRecordArea(link, stop, "Group_DeratingRecordsPM", "Thermal...", 21056, "PM");
}

int PollDeratingRecords(Modbus* link, uint8_t stop) {
  int result;
  if (!PollPrologue(link, stop, "Group_DeratingRecords", QStringLiteral("Derating..."), result)) return result;
  if (link->Request(20991, 1, kReadInput)) return 1;
  if (!ReplyUsable(link, kReadInput)) return 0;
  const uint16_t flags = ReplyWord(link, 0);
  for (int bit = 1; bit <= 8; ++bit)
    PaintFlag(QStringLiteral("Label_DerateRecord") + QString::number(bit), flags & (1u << bit));
  return 0;
}

int PollFanFail(Modbus* link, uint8_t stop) {
  int result;
  if (!PollPrologue(link, stop, "Group_FanFail", QStringLiteral("Fan Fail..."), result)) return result;
  if (link->Request(53297, 4, kReadInput)) return 1;
  if (!ReplyUsable(link, kReadInput)) return 0;
  const uint16_t internal = ReplyWord(link, 0);
  const uint16_t external = ReplyWord(link, 2);
  for (int n = 0; n < 16; ++n) {
    PaintFlag(Numbered(QStringLiteral("Label_FanInt"), n), internal & (1u << n));
    PaintFlag(Numbered(QStringLiteral("Label_FanExt"), n), external & (1u << n));
  }
  return 0;
}
