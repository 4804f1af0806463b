#include "app/SharedTables.h"

#include <QHash>

namespace {

// Every described event, its text beginning with the label of its slot.
constexpr const char* kDescribedEvents[] = {
    "F01- HW DC Inject (R Phase)",
    "F02- HW DC Inject (S Phase)",
    "F03- HW DC Inject (T Phase)",
    "F04- HW DC Inject (Total)",
    "F05- NTC Over Temperature",
    "F06- NTC Circuit Fail",
    "F07- NTC Under Temperature",
    "F08- Heat Sink NTC1 Circuit Fail",
    "F09- Heat Sink NTC2 Circuit Fail",
    "F10- Heat Sink NTC3 Circuit Fail",
    "F11- Inverter Choke Over Temperature",
    "F13- AC Relay Test Open",
    "F14- Firmware Incompatibility",
    "F15- ADC Vgrid/Vinverter/Iout Bias Fail",
    "F16- ADC Vin/Vbus Bias Fail",
    "F17- ADC Iin Bias Fail",
    "F18- ADC Vgrid Bias Fail",
    "F19- ADC Iout_dc Bias Fail",
    "F20- Efficiency Abnormal",
    "F21- HW Fan",
    "F22- Internal Communication Fault (Redundant)",
    "F23- Internal Communication Fault (Display)",
    "F24- Residual Current Over Rating",
    "F25- Insulation",
    "F26- Three Phase Current Unbalance",
    "F27- RCMU Circuit Fail",
    "F28- Relay Test Short",
    "F29- Relay Test Open",
    "F30- Bus unbalance",
    "F31- Bus P Over Voltage",
    "F32- Bus P Under Voltage",
    "F33- Bus N Over Voltage",
    "F34- Bus N Under Voltage",
    "F35- Bus Voltage Over Rating",
    "F36- Output Current Transient Over Rating (R Phase)",
    "F37- Output Current Over Rating (R Phase)",
    "F38- Output Current Transient Over Rating (S Phase)",
    "F39- Output Current Over Rating (S Phase)",
    "F40- Output Current Transient Over Rating (T Phase)",
    "F41- Output Current Over Rating (T Phase)",
    "F42- CT sensor Fail (R相)",
    "F43- CT sensor Fail (S相)",
    "F44- CT sensor Fail (T相)",
    "F45- HW OOCP Circuit",
    "F46- Inverter Failure",
    "F47- SA OVP",
    "F48- SA OPP",
    "F50- HW ZC Fail",
    "F55- Thermal Fuse Open",
    "F56- Hardware Incompatibility",
    "F57- AC Aux-Power Fail",
    "F58- Arc circuit fail",
    "F59- Arc fault",
    "F60- PV1 Current Over Rating",
    "F61- PV2 Current Over Rating",
    "F62- PV3 Current Over Rating",
    "F63- PV4 Current Over Rating",
    "F64- PV5 Current Over Rating",
    "F65- PV6 Current Over Rating",
    "F70- PV1 Current Transient Over Rating",
    "F71- PV2 Current Transient Over Rating",
    "F72- PV3 Current Transient Over Rating",
    "F73- PV4 Current Transient Over Rating",
    "F74- External Communication Fail",
    "F76- DC Relay Fail",
    "F77- External CT Fail",
    "F80- DC Relay Test Short",
    "F81- DC Relay Test Open",
    "F82- BT Relay Fail",
    "F83- BT Relay Test Short",
    "F84- BT Relay Test Open",
    "F85- ATS Grid Relay Fail",
    "F86- ATS Grid Relay Test Short",
    "F87- ATS Grid Relay Test Open",
    "F88- ATS Load Relay Fail",
    "F89- ATS Load Relay Test Short",
    "F90- ATS Load Relay Test Open",
    "F91- ATS AC Current Over Rating",
    "F92- ATS Over Temperature",
    "F93- ATS Under Temperature",
    "F94- ATS Heat Sink Circuit Fail",
    "F95- ATS Bais Fail",
    "F96- Internal Communiction Fault(ATS)",
    "F97- Battery Over Voltage",
    "F98- Battery Under Voltage",
    "F99- Battery Over Temperature",
    "F100- Battery Under Temperature",
    "F101- Battery Over Current",
    "F102- Battery Cell Voltage Imbalancing",
    "F103- Battery Temporary Failure",
    "F104- Battery Permanent Failure",
    "F112- Battery Communication Fail",
    "E01- Over Frequency Range",
    "E02- Under Frequency Range",
    "E03- Anti_Passive",
    "E04- Anti_OFR",
    "E05- Anti_UFR",
    "E06- Phase Jump",
    "E07- Grid Quality",
    "E08- AC Connected Fail",
    "E09- No Grid",
    "E10- Under Voltage Range (R Phase)",
    "E11- Over Voltage Range (R Phase)",
    "E12- Over Transient Voltage Range (R Phase)",
    "E13- Slow Over Voltage Range (R Phase)",
    "E15- Under Voltage Range (S Phase)",
    "E16- Over Voltage Range (S Phase)",
    "E17- Over Transient Voltage Range (S Phase)",
    "E18- Slow Over Voltage Range (S Phase)",
    "E19- Frequency abnormal",
    "E20- Under Voltage Range (T Phase)",
    "E21- Over Voltage Range (T Phase)",
    "E22- Over Transient Voltage Range (T Phase)",
    "E23- Slow Over Voltage Range (T Phase)",
    "E25- EPO",
    "E26- Under Transient Voltage Range (S Phase)",
    "E27- Slow Under Voltage Range (S Phase)",
    "E28- Under Transient Voltage Range (T Phase)",
    "E29- Slow Under Voltage Range (T Phase)",
    "E30- PV1 Input Voltage Too High",
    "E31- PV2 Input Voltage Too High",
    "E32- Over Frequency Range Slow",
    "E33- Under Frequency Range Slow",
    "E34- Insulation",
    "E35- Under Transient Voltage Range (R Phase)",
    "E36- Slow Under Voltage Range (R Phase)",
    "W11- FAN_FAIL",
};

// Slots without a description whose text keeps the blank after the hyphen;
// every other undescribed slot ends at the hyphen.
constexpr int kBareWithBlank[] = {12, 49, 51, 52, 53, 54, 66, 67, 68, 69, 78, 79, 128 + 14, 128 + 24};

QString EventLabel(int slot) {
  char letter = 'F';
  int n = slot;
  if (slot > 208) {
    letter = 'W';
    n = slot - 208;
  } else if (slot > 128) {
    letter = 'E';
    n = slot - 128;
  }
  return QString(QChar(letter)) + QString::number(n).rightJustified(2, QChar('0'));
}

std::array<QString, kEventSlots> BuildEventTexts() {
  std::array<QString, kEventSlots> t;
  for (int slot = 1; slot < kEventSlots; ++slot) t[slot] = EventLabel(slot) + "-";
  for (int slot : kBareWithBlank) t[slot] += " ";
  QHash<QString, int> slotOf;
  for (int slot = 1; slot < kEventSlots; ++slot) slotOf.insert(EventLabel(slot), slot);
  for (const char* text : kDescribedEvents) {
    const QString s = QString::fromUtf8(text);
    t[slotOf.value(s.left(s.indexOf('-')))] = s;
  }
  return t;
}

constexpr const char* kGFDescribed[] = {
    "G_F01- 直流分検出",
    "G_F05- 高温異常",
    "G_F06- 温度検出異常",
    "G_F07- 低温異常",
    "G_F08- 温度異常 -1",
    "G_F09- 温度異常 -2",
    "G_F10- 温度異常 -3",
    "G_F15- ADC 1フィードバック信号異常",
    "G_F16- ADC 2フィードバック信号異常",
    "G_F17- ADC 3フィードバック信号異常",
    "G_F18- ADC Vgrid Bias Fail",
    "G_F19- ADC 4フィードバック信号異常",
    "G_F20- Efficiency Abnormal",
    "G_F22- Internal COMM. Fault(RED)",
    "G_F23- 内部通信異常",
    "G_F24- 直流地絡",
    "G_F27- 直流地絡信号異常",
    "G_F28- リレー溶着検出",
    "G_F29- リレー接続不可",
    "G_F35- バス過電圧",
    "G_F37- 交流過電流",
    "G_F50- ゼロクロス未入力",
    "G_F55- 温度センサのオープン、ショート",
    "G_F56- Hardware Incompatibility",
    "G_F60- 入力回路-1過電流",
    "G_F61- 入力回路-2過電流",
    "G_F62- 入力回路-3過電流",
    "G_F63- 入力回路-4過電流",
    "G_F74- 外部通信異",
};

constexpr const char* kGEDescribed[] = {
    "G_E01- 系統過周波数",
    "G_E02- 系統不足周波数",
    "G_E03- 単独運転 受動的方式検出",
    "G_E04- 単独運転 能動的方式検出-1",
    "G_E05- 単独運転 能動的方式検出-2",
    "G_E10- 系統不足電圧",
    "G_E11- 系統過電圧",
    "G_E14- 相間過電圧",
    "G_E19- Frequency abnormal",
    "G_E30- 太陽電池過電圧〈連係〉",
    "G_E34- 絶縁異常",
};

constexpr const char* kGWDescribed[] = {
    "G_W24- 主幹負荷計測異常",
};

constexpr const char* kSFDescribed[] = {
    "S_F05- 高温異常",
    "S_F06- 温度検出異常",
    "S_F07- 低温異常",
    "S_F08- 温度異常 -1",
    "S_F09- 温度異常 -2",
    "S_F10- 温度異常 -3",
    "S_F15- ADC 1フィードバック信号異常",
    "S_F16- ADC 2フィードバック信号異常",
    "S_F17- ADC 3フィードバック信号異常",
    "S_F22- Internal COMM. Fault(RED)",
    "S_F23- 内部通信異常",
    "S_F24- 直流地絡",
    "S_F27- 直流地絡信号異常",
    "S_F28- リレー溶着検出",
    "S_F35- 昇圧部過電圧",
    "S_F37- 出力過電流",
    "S_F48- 過負荷",
    "S_F55- 温度センサのオープン、ショート",
    "S_F56- HW Incompatibility",
    "S_F60- 入力回路-1過電流",
    "S_F61- 入力回路-2過電流",
    "S_F62- 入力回路-3過電流",
    "S_F63- 入力回路-4過電流",
};

constexpr const char* kSEDescribed[] = {
    "S_E30- 太陽電池過電圧〈自立〉",
    "S_E34- 絶縁異常",
};

constexpr const char* kSWDescribed[] = {
    "S_W20- 自立運転操作警告",
    "S_W24- 主幹負荷計測異常",
};

template <size_t N>
JpEventTable BuildJp(const char* prefix, int firstCode, int count, const char* const (&described)[N]) {
  JpEventTable t{prefix, firstCode, {}};
  t.texts.reserve(count);
  for (int k = 0; k < count; ++k)
    t.texts.push_back(QString::fromLatin1(prefix) + QString::number(k + 1).rightJustified(2, QChar('0')) + "- ");
  for (const char* text : described) {
    const QString s = QString::fromUtf8(text);
    const int k = s.mid(3, s.indexOf('-') - 3).toInt() - 1;
    t.texts[k] = s;
  }
  return t;
}

struct CountryEntry {
  int code;
  const char* name;
};

// List 0: every product but 71836405, in display order.
constexpr CountryEntry kCountryList1[] = {
    {0, "Default"},
    {1, "Custom"},
    {2, "Netherlands"},
    {3, "Belgium"},
    {4, "France LV"},
    {5, "Spain"},
    {7, "Greece"},
    {8, "Austria"},
    {11, "England"},
    {14, "AU/NZ"},
    {16, "Taiwan"},
    {20, "Slovakia"},
    {21, "Czech"},
    {22, "Portugal"},
    {24, "China"},
    {26, "Italy LV"},
    {27, "Italy MV"},
    {28, "Germany LV"},
    {29, "Germany MV"},
    {30, "Hungary"},
    {31, "Thailand MEA"},
    {32, "Thailand MEA2013"},
    {33, "Thailand PEA"},
    {34, "France LV VFR2013"},
    {35, "France LV VFR2014"},
    {36, "AU/NZ PL"},
    {37, "India"},
    {38, "AU/NZ LV"},
    {39, "AU/NZ MV"},
    {40, "JAPAN 50Hz"},
    {41, "JAPAN 60Hz"},
    {42, "Namibia"},
};

// List 1: product ID 71836405.
constexpr CountryEntry kCountryList2[] = {
    {1, "Custom"},
    {28, "Germany LV"},
};

template <size_t N>
void FillCountryList(const CountryEntry (&entries)[N], std::array<QString, kCountryListSize>& names,
                     std::array<int, kCountryListSize>& codes) {
  for (size_t i = 0; i < N; ++i) {
    names[entries[i].code] = QString::fromLatin1(entries[i].name);
    codes[i] = entries[i].code;
  }
}

struct BuiltInCountries {
  std::array<std::array<QString, kCountryListSize>, 2> names;
  std::array<std::array<int, kCountryListSize>, 2> codes{};
};

BuiltInCountries BuildCountries() {
  BuiltInCountries c;
  FillCountryList(kCountryList1, c.names[0], c.codes[0]);
  FillCountryList(kCountryList2, c.names[1], c.codes[1]);
  return c;
}

const BuiltInCountries kCountries = BuildCountries();

}  // namespace

const std::array<QString, kEventSlots> EventTexts = BuildEventTexts();

const std::array<JpEventTable, 6> JpEventTexts = {
    BuildJp("G_F", 1, 75, kGFDescribed),
    BuildJp("G_E", 129, 35, kGEDescribed),
    BuildJp("G_W", 209, 30, kGWDescribed),
    BuildJp("S_F", 0xFF01, 71, kSFDescribed),
    BuildJp("S_E", 0xFF81, 35, kSEDescribed),
    BuildJp("S_W", 0xFFD1, 30, kSWDescribed),
};

const std::array<std::array<QString, kCountryListSize>, 2> CountryNames = kCountries.names;
const std::array<std::array<int, kCountryListSize>, 2> CountryCodes = kCountries.codes;

QString EventCodeText(int code) {
  for (const JpEventTable& t : JpEventTexts) {
    const int k = code - t.firstCode;
    if (k >= 0 && k < int(t.texts.size())) return t.texts[k];
  }
  return QStringLiteral("0");
}

int BuiltInCountryList(int productId) { return productId == kCountryList2ProductId ? 1 : 0; }
