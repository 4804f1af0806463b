#include <gtest/gtest.h>

#include "app/SharedTables.h"

TEST(SharedTables, EventTextsBySlot) {
  const struct {
    int slot;
    const char* text;
  } cases[] = {
      {0, ""},
      {1, "F01- HW DC Inject (R Phase)"},
      {12, "F12- "},
      {42, "F42- CT sensor Fail (R相)"},
      {75, "F75-"},
      {100, "F100- Battery Under Temperature"},
      {112, "F112- Battery Communication Fail"},
      {128, "F128-"},
      {129, "E01- Over Frequency Range"},
      {142, "E14- "},
      {152, "E24- "},
      {164, "E36- Slow Under Voltage Range (R Phase)"},
      {165, "E37-"},
      {208, "E80-"},
      {209, "W01-"},
      {219, "W11- FAN_FAIL"},
      {256, "W48-"},
  };
  for (const auto& c : cases) EXPECT_EQ(EventTexts[c.slot], QString::fromUtf8(c.text)) << c.slot;
}

TEST(SharedTables, EveryEventTextStartsWithItsLabel) {
  int described = 0;
  for (int slot = 1; slot < kEventSlots; ++slot) {
    const QChar letter = slot > 208 ? 'W' : slot > 128 ? 'E' : 'F';
    const int n = slot > 208 ? slot - 208 : slot > 128 ? slot - 128 : slot;
    const QString label = QString(letter) + QString::number(n).rightJustified(2, '0') + "-";
    ASSERT_TRUE(EventTexts[slot].startsWith(label)) << slot << " " << EventTexts[slot].toStdString();
    if (EventTexts[slot].size() > label.size() + 1) ++described;
  }
  EXPECT_EQ(described, 127);
}

TEST(SharedTables, JapaneseEventTextsByCode) {
  const struct {
    int code;
    const char* text;
  } cases[] = {
      {0, "0"},
      {1, "G_F01- 直流分検出"},
      {2, "G_F02- "},
      {75, "G_F75- "},
      {76, "0"},
      {128, "0"},
      {129, "G_E01- 系統過周波数"},
      {163, "G_E35- "},
      {164, "0"},
      {232, "G_W24- 主幹負荷計測異常"},
      {238, "G_W30- "},
      {239, "0"},
      {0xFF00, "0"},
      {0xFF01, "S_F01- "},
      {0xFF05, "S_F05- 高温異常"},
      {0xFF47, "S_F71- "},
      {0xFF48, "0"},
      {0xFF80, "0"},
      {0xFF9E, "S_E30- 太陽電池過電圧〈自立〉"},
      {0xFFA3, "S_E35- "},
      {0xFFA4, "0"},
      {0xFFD1, "S_W01- "},
      {0xFFE4, "S_W20- 自立運転操作警告"},
      {0xFFEE, "S_W30- "},
      {0xFFEF, "0"},
      {-1, "0"},
  };
  for (const auto& c : cases) EXPECT_EQ(EventCodeText(c.code), QString::fromUtf8(c.text)) << c.code;
}

TEST(SharedTables, BuiltInCountryLists) {
  // List for any product but 71836405: 32 codes in ascending order.
  const auto& names = CountryNames[BuiltInCountryList(0)];
  const auto& codes = CountryCodes[BuiltInCountryList(0)];
  int offered = 0;
  for (int code = 0; code < kCountryListSize; ++code) {
    if (names[code].isEmpty()) continue;
    EXPECT_EQ(codes[offered], code);
    ++offered;
  }
  EXPECT_EQ(offered, 32);
  for (int i = offered; i < kCountryListSize; ++i) EXPECT_EQ(codes[i], 0);
  EXPECT_EQ(names[codes[0]], "Default");
  EXPECT_EQ(names[codes[31]], "Namibia");
  EXPECT_EQ(codes[6], 7);
  EXPECT_EQ(names[7], "Greece");
  EXPECT_EQ(names[28], "Germany LV");
  EXPECT_EQ(names[6], "");

  const int second = BuiltInCountryList(71836405);
  EXPECT_EQ(second, 1);
  EXPECT_EQ(CountryCodes[second][0], 1);
  EXPECT_EQ(CountryCodes[second][1], 28);
  EXPECT_EQ(CountryCodes[second][2], 0);
  EXPECT_EQ(CountryNames[second][1], "Custom");
  EXPECT_EQ(CountryNames[second][28], "Germany LV");
  EXPECT_EQ(CountryNames[second][0], "");
  EXPECT_EQ(BuiltInCountryList(71836404), 0);
}
