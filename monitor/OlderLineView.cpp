#include "monitor/OlderLineView.h"

#include <algorithm>

#include "app/ControlTable.h"
#include "app/Myfunc.h"
#include "app/main.h"
#include "link/Modbus.h"
#include "monitor/PollFrame.h"
#include "platform/ValueLabel.h"

namespace {

// Group_MerivonTest: the identification rows.
constexpr ControlDecl kMerivonTestRows[] = {
    {Kind::Label, "Label_MerivonTitle", 8, 22, 240, 16, "MERIVON"},
    {Kind::Label, "Label_MerivonTypeCap", 8, 44, 60, 18, "Type"},
    {Kind::Label, "Label_MerivonType", 72, 44, 176, 18, "??", 0, kBlue},
    {Kind::Label, "Label_MerivonSNCap", 8, 68, 60, 18, "SN"},
    {Kind::Label, "Label_MerivonSN", 72, 68, 176, 18, "??", 0, kBlue},
    {Kind::Label, "Label_MerivonSAPCap", 8, 92, 60, 18, "SAP"},
    {Kind::Label, "Label_MerivonSAP", 72, 92, 176, 18, "??", 0, kBlue},
    {Kind::Label, "Label_MerivonDateCap", 8, 116, 60, 18, "Date"},
    {Kind::Label, "Label_MerivonDate", 72, 116, 176, 18, "??", 0, kBlue},
    {Kind::Label, "Label_MerivonTimeCap", 8, 140, 60, 18, "Time"},
    {Kind::Label, "Label_MerivonTime", 72, 140, 176, 18, "??", 0, kBlue},
};

// Group_MerivonDc1, Group_MerivonDc2, Group_MerivonAc1: a row per value with
// its actual and average values and its unit. No item writes the averages.
constexpr ControlDecl kMerivonDc1Rows[] = {
    {Kind::Label, "Label_MerivonDc1Title", 8, 22, 240, 16, "Solar Input1"},
    {Kind::Label, "Label_MerivonDc1ActualHead", 90, 40, 60, 16, "Actual"},
    {Kind::Label, "Label_MerivonDc1AverageHead", 154, 40, 60, 16, "Average"},
    {Kind::Label, "Label_MerivonVdcCap1", 8, 60, 80, 18, "Voltage"},
    {Kind::Label, "Label_MerivonVdcActual1", 90, 60, 60, 18, "??", 0, kBlue},
    {Kind::Label, "Label_MerivonVdcAve1", 154, 60, 60, 18, "??", 0, kBlue},
    {Kind::Label, "Label_MerivonVdcUnit1", 218, 60, 30, 18, "V"},
    {Kind::Label, "Label_MerivonIdcCap1", 8, 84, 80, 18, "Current"},
    {Kind::Label, "Label_MerivonIdcActual1", 90, 84, 60, 18, "??", 0, kBlue},
    {Kind::Label, "Label_MerivonIdcAve1", 154, 84, 60, 18, "??", 0, kBlue},
    {Kind::Label, "Label_MerivonIdcUnit1", 218, 84, 30, 18, "A"},
    {Kind::Label, "Label_MerivonPdcCap1", 8, 108, 80, 18, "Power"},
    {Kind::Label, "Label_MerivonPdcActual1", 90, 108, 60, 18, "??", 0, kBlue},
    {Kind::Label, "Label_MerivonPdcAve1", 154, 108, 60, 18, "??", 0, kBlue},
    {Kind::Label, "Label_MerivonPdcUnit1", 218, 108, 30, 18, "W"},
    {Kind::Label, "Label_MerivonIsoCap1", 8, 132, 80, 18, "Isolation"},
    {Kind::Label, "Label_MerivonIsoActual1", 90, 132, 60, 18, "??", 0, kBlue},
    {Kind::Label, "Label_MerivonIsoAve1", 154, 132, 60, 18, "??", 0, kBlue},
    {Kind::Label, "Label_MerivonIsoUnit1", 218, 132, 34, 18, "MOhm"},
};
constexpr ControlDecl kMerivonDc2Rows[] = {
    {Kind::Label, "Label_MerivonDc2Title", 8, 22, 240, 16, "Solar Input2"},
    {Kind::Label, "Label_MerivonDc2ActualHead", 90, 40, 60, 16, "Actual"},
    {Kind::Label, "Label_MerivonDc2AverageHead", 154, 40, 60, 16, "Average"},
    {Kind::Label, "Label_MerivonVdcCap2", 8, 60, 80, 18, "Voltage"},
    {Kind::Label, "Label_MerivonVdcActual2", 90, 60, 60, 18, "??", 0, kBlue},
    {Kind::Label, "Label_MerivonVdcAve2", 154, 60, 60, 18, "??", 0, kBlue},
    {Kind::Label, "Label_MerivonVdcUnit2", 218, 60, 30, 18, "V"},
    {Kind::Label, "Label_MerivonIdcCap2", 8, 84, 80, 18, "Current"},
    {Kind::Label, "Label_MerivonIdcActual2", 90, 84, 60, 18, "??", 0, kBlue},
    {Kind::Label, "Label_MerivonIdcAve2", 154, 84, 60, 18, "??", 0, kBlue},
    {Kind::Label, "Label_MerivonIdcUnit2", 218, 84, 30, 18, "A"},
    {Kind::Label, "Label_MerivonPdcCap2", 8, 108, 80, 18, "Power"},
    {Kind::Label, "Label_MerivonPdcActual2", 90, 108, 60, 18, "??", 0, kBlue},
    {Kind::Label, "Label_MerivonPdcAve2", 154, 108, 60, 18, "??", 0, kBlue},
    {Kind::Label, "Label_MerivonPdcUnit2", 218, 108, 30, 18, "W"},
    {Kind::Label, "Label_MerivonIsoCap2", 8, 132, 80, 18, "Isolation"},
    {Kind::Label, "Label_MerivonIsoActual2", 90, 132, 60, 18, "??", 0, kBlue},
    {Kind::Label, "Label_MerivonIsoAve2", 154, 132, 60, 18, "??", 0, kBlue},
    {Kind::Label, "Label_MerivonIsoUnit2", 218, 132, 34, 18, "MOhm"},
};
constexpr ControlDecl kMerivonAc1Rows[] = {
    {Kind::Label, "Label_MerivonAc1Title", 8, 22, 240, 16, "Solar Output1"},
    {Kind::Label, "Label_MerivonAc1ActualHead", 90, 40, 60, 16, "Actual"},
    {Kind::Label, "Label_MerivonAc1AverageHead", 154, 40, 60, 16, "Average"},
    {Kind::Label, "Label_MerivonVacCap1", 8, 60, 80, 18, "Voltage"},
    {Kind::Label, "Label_MerivonVacActual1", 90, 60, 60, 18, "??", 0, kBlue},
    {Kind::Label, "Label_MerivonVacAve1", 154, 60, 60, 18, "??", 0, kBlue},
    {Kind::Label, "Label_MerivonVacUnit1", 218, 60, 30, 18, "V"},
    {Kind::Label, "Label_MerivonIacCap1", 8, 84, 80, 18, "Current"},
    {Kind::Label, "Label_MerivonIacActual1", 90, 84, 60, 18, "??", 0, kBlue},
    {Kind::Label, "Label_MerivonIacAve1", 154, 84, 60, 18, "??", 0, kBlue},
    {Kind::Label, "Label_MerivonIacUnit1", 218, 84, 30, 18, "A"},
    {Kind::Label, "Label_MerivonPacCap1", 8, 108, 80, 18, "Power"},
    {Kind::Label, "Label_MerivonPacActual1", 90, 108, 60, 18, "??", 0, kBlue},
    {Kind::Label, "Label_MerivonPacAve1", 154, 108, 60, 18, "??", 0, kBlue},
    {Kind::Label, "Label_MerivonPacUnit1", 218, 108, 30, 18, "W"},
    {Kind::Label, "Label_MerivonFacCap1", 8, 132, 80, 18, "Frequency"},
    {Kind::Label, "Label_MerivonFacActual1", 90, 132, 60, 18, "??", 0, kBlue},
    {Kind::Label, "Label_MerivonFacAve1", 154, 132, 60, 18, "??", 0, kBlue},
    {Kind::Label, "Label_MerivonFacUnit1", 218, 132, 30, 18, "Hz"},
};

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
extern const PanelControls kMerivonDc1Panel{"Group_MerivonDc1", kMerivonDc1Rows};
extern const PanelControls kMerivonDc2Panel{"Group_MerivonDc2", kMerivonDc2Rows};
extern const PanelControls kMerivonAc1Panel{"Group_MerivonAc1", kMerivonAc1Rows};

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
