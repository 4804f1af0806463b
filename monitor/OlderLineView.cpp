#include "monitor/OlderLineView.h"

#include <algorithm>
#include <map>
#include <string>

#include "app/ControlTable.h"
#include "app/Myfunc.h"
#include "app/main.h"
#include "link/Modbus.h"
#include "monitor/PollFrame.h"
#include "platform/ValueLabel.h"

namespace {

// Group_MerivonTest: the identification rows.
constexpr ControlDecl kMerivonTestRows[] = {
    {Kind::Label, "Label_MerivonTypeCap", 8, 36, 60, 18, "Type"},
    {Kind::Label, "Label_MerivonType", 72, 36, 176, 18, "??", 0, kBlue},
    {Kind::Label, "Label_MerivonSNCap", 8, 60, 60, 18, "SN"},
    {Kind::Label, "Label_MerivonSN", 72, 60, 176, 18, "??", 0, kBlue},
    {Kind::Label, "Label_MerivonSAPCap", 8, 84, 60, 18, "SAP"},
    {Kind::Label, "Label_MerivonSAP", 72, 84, 176, 18, "??", 0, kBlue},
    {Kind::Label, "Label_MerivonDateCap", 8, 108, 60, 18, "Date"},
    {Kind::Label, "Label_MerivonDate", 72, 108, 176, 18, "??", 0, kBlue},
    {Kind::Label, "Label_MerivonTimeCap", 8, 132, 60, 18, "Time"},
    {Kind::Label, "Label_MerivonTime", 72, 132, 176, 18, "??", 0, kBlue},
};

// Group_MerivonDc1, Dc2 and Ac1 to Ac3: the column heads, then a row per
// value with its caption, actual and average values and unit, one routine
// for the five alike panels. No item writes the averages, nor anything of
// Ac2 and Ac3: those keep their design captions.
struct MerivonRow {
  const char* key;  // "Vdc" gives Label_MerivonVdcActual<n>, ...Ave<n>, ...Cap<n>, ...Unit<n>
  const char* caption;
  const char* unit;
};
constexpr MerivonRow kMerivonDcRows[] = {
    {"Vdc", "Voltage", "V"}, {"Idc", "Current", "A"}, {"Pdc", "Power", "W"}, {"Iso", "Isolation", "MOhm"}};
constexpr MerivonRow kMerivonAcRows[] = {
    {"Vac", "Voltage", "V"}, {"Iac", "Current", "A"}, {"Pac", "Power", "W"}, {"Fac", "Frequency", "Hz"}};

std::span<const ControlDecl> MerivonRows(const char* panel, std::span<const MerivonRow> rows, int n) {
  static std::map<std::string, GeneratedRows> panels;
  GeneratedRows& g = panels[panel];
  if (!g.Rows().empty()) return g.Rows();
  const std::string head = std::string("Label_") + panel;
  const std::string nn = std::to_string(n);
  constexpr int kCaption = 8, kActual = 76, kAverage = 136, kUnit = 196, kValueWidth = 58;
  g.Add({Kind::Label, g.Name(head + "ActualHead"), kActual, 34, kValueWidth, 16, "Actual"});
  g.Add({Kind::Label, g.Name(head + "AverageHead"), kAverage, 34, kValueWidth, 16, "Average"});
  int top = 54;
  for (const MerivonRow& r : rows) {
    const std::string label = std::string("Label_Merivon") + r.key;
    g.Add({Kind::Label, g.Name(label + "Cap" + nn), kCaption, top, kActual - kCaption - 2, 18, r.caption});
    g.Add({Kind::Label, g.Name(label + "Actual" + nn), kActual, top, kValueWidth, 18, "??", 0, kBlue});
    g.Add({Kind::Label, g.Name(label + "Ave" + nn), kAverage, top, kValueWidth, 18, "??", 0, kBlue});
    g.Add({Kind::Label, g.Name(label + "Unit" + nn), kUnit, top, 248 - kUnit, 18, r.unit});
    top += 24;
  }
  return g.Rows();
}

constexpr uint8_t kAccepted = 6;
constexpr int kDataStart = 6;

// What an accepted reply shows; the writers below return false when the
// reply lacks the data bytes they need.
using Writer = bool (*)(const Modbus* link, QString& text);

// Data bytes the reply really holds: its count says N - 2, but never more
// than lie between the header and the CRC, so a count larger than the frame
// never reads the CRC, the end byte or stale buffer bytes as data.
int DataBytes(const Modbus* link) {
  const int claimed = link->Reply[3] - 2;
  const int received = link->RxLength - kDataStart - 3;
  return std::max(0, std::min(claimed, received));
}

int Data(const Modbus* link, int k) { return link->Reply[kDataStart + k]; }

// Characters of data bytes from..last (empty when there are none).
QString Chars(const Modbus* link, int from, int last) {
  QByteArray s;
  for (int k = from; k <= last && k < DataBytes(link); ++k) s += static_cast<char>(Data(link, k));
  return QString::fromLatin1(s);
}

bool TypeText(const Modbus* link, QString& text) {
  text = Chars(link, 2, link->Reply[3] - 3);
  return true;
}

bool AllChars(const Modbus* link, QString& text) {
  text = Chars(link, 0, link->Reply[3] - 3);
  return true;
}

bool DateText(const Modbus* link, QString& text) {
  if (DataBytes(link) < 4) return false;
  const int year = Data(link, 3);
  text = QString::number(Data(link, 2)) + '/' + QString::number(Data(link, 1)) + "/20" +
         QString::number(year / 10) + QString::number(year % 10);
  return true;
}

bool TimeText(const Modbus* link, QString& text) {
  if (DataBytes(link) < 3) return false;
  text = QString::number(Data(link, 0)) + ':' + QString::number(Data(link, 1)) + ':' + QString::number(Data(link, 2));
  return true;
}

bool Value16(const Modbus* link, int& v) {
  if (DataBytes(link) < 2) return false;
  v = Data(link, 0) * 256 + Data(link, 1);
  return true;
}

bool Decimal(const Modbus* link, QString& text) {
  int v;
  if (!Value16(link, v)) return false;
  text = QString::number(v);
  return true;
}

bool Tenths(const Modbus* link, QString& text) {
  int v;
  if (!Value16(link, v)) return false;
  text = FormatDeci(static_cast<float>(v));
  return true;
}

struct Ask {
  uint8_t command, subCommand;
  const char* label;
  Writer write;
};

int PollOlderLine(Modbus* link, uint8_t stop, const char* gate, const char* status, std::initializer_list<Ask> asks) {
  int result;
  if (!PollPrologue(link, stop, gate, QString::fromLatin1(status), result)) return result;
  for (const Ask& a : asks) {
    if (link->RequestStxEtx(a.command, a.subCommand)) return 1;
    if (!ReplyUsable(link, kAccepted)) continue;
    QString text;
    if (!a.write(link, text)) continue;
    if (ValueLabel* l = ViewLabel(a.label)) l->setText(text);
  }
  return 0;
}

}  // namespace

extern const PanelControls kMerivonTestPanel{"Group_MerivonTest", kMerivonTestRows};
extern const PanelControls kMerivonDc1Panel{"Group_MerivonDc1", MerivonRows("MerivonDc1", kMerivonDcRows, 1)};
extern const PanelControls kMerivonDc2Panel{"Group_MerivonDc2", MerivonRows("MerivonDc2", kMerivonDcRows, 2)};
extern const PanelControls kMerivonAc1Panel{"Group_MerivonAc1", MerivonRows("MerivonAc1", kMerivonAcRows, 1)};
extern const PanelControls kMerivonAc2Panel{"Group_MerivonAc2", MerivonRows("MerivonAc2", kMerivonAcRows, 2)};
extern const PanelControls kMerivonAc3Panel{"Group_MerivonAc3", MerivonRows("MerivonAc3", kMerivonAcRows, 3)};

int PollMerivonTest(Modbus* link, uint8_t stop) {
  return PollOlderLine(link, stop, "Group_MerivonTest", "Merivon...",
                       {{0, 0, "Label_MerivonType", TypeText},
                        {0, 1, "Label_MerivonSN", AllChars},
                        {0, 9, "Label_MerivonSAP", AllChars},
                        {0, 32, "Label_MerivonDate", DateText},
                        {0, 33, "Label_MerivonTime", TimeText}});
}

int PollMerivonDc1(Modbus* link, uint8_t stop) {
  return PollOlderLine(link, stop, "Group_MerivonDc1", "Dc1...",
                       {{16, 2, "Label_MerivonVdcActual1", Decimal},
                        {16, 1, "Label_MerivonIdcActual1", Tenths},
                        {16, 3, "Label_MerivonPdcActual1", Decimal},
                        {16, 12, "Label_MerivonIsoActual1", Decimal}});
}

int PollMerivonDc2(Modbus* link, uint8_t stop) {
  return PollOlderLine(link, stop, "Group_MerivonDc2", "Dc2...",
                       {{16, 5, "Label_MerivonVdcActual2", Decimal},
                        {16, 4, "Label_MerivonIdcActual2", Tenths},
                        {16, 6, "Label_MerivonPdcActual2", Decimal},
                        {16, 13, "Label_MerivonIsoActual2", Decimal}});
}

int PollMerivonAc1(Modbus* link, uint8_t stop) {
  return PollOlderLine(link, stop, "Group_MerivonAc1", "Ac1...",
                       {{16, 7, "Label_MerivonVacActual1", Decimal},
                        {16, 8, "Label_MerivonIacActual1", Tenths},
                        {16, 9, "Label_MerivonPacActual1", Decimal},
                        {16, 10, "Label_MerivonFacActual1", Decimal}});
}
