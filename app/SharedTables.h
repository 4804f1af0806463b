#pragma once
#include <QString>
#include <array>
#include <vector>

// Constant tables that several views share. They are built once before the
// main window exists and never change afterwards.

// Event numbers: fault Fn = n (1..128), error En = 128 + n (1..80),
// warning Wn = 208 + n (1..48); 0 = no event.
constexpr int kEventSlots = 257;

// Text of each event number 0..256: the label ("F01", "E36", "W11"), a
// hyphen and, for a described event, a blank and the description.
extern const std::array<QString, kEventSlots> EventTexts;

// Japanese event texts: one table per operating mode (grid-tied "G_",
// self-sustained "S_" with 0xFF in the code's high byte) and class.
struct JpEventTable {
  const char* prefix;     // "G_F", "G_E", "G_W", "S_F", "S_E", "S_W"
  int firstCode;          // code of entry 0
  std::vector<QString> texts;
};
extern const std::array<JpEventTable, 6> JpEventTexts;

// The Japanese text of an event code, "0" for a code in no table.
QString EventCodeText(int code);

// Built-in grid-code lists: names indexed by grid-code number (empty for a
// code the list does not offer) and the offered codes in display order
// (ascending), the rest 0. List 0 serves every inverter but product ID
// 71836405, which list 1 serves.
constexpr int kCountryListSize = 100;
constexpr int kCountryList2ProductId = 71836405;
extern const std::array<std::array<QString, kCountryListSize>, 2> CountryNames;
extern const std::array<std::array<int, kCountryListSize>, 2> CountryCodes;

// Index of the built-in list for an inverter's product ID.
int BuiltInCountryList(int productId);
