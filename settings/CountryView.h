#pragma once
#include <QString>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "settings/SettingEditors.h"

class Modbus;
class TForm_Main;

// The inverter's installation settings: grid code, reclosure time, display
// language, bus ID and RS-485 speed. The grid code's name comes from the
// profile's country list when one is loaded, otherwise from the built-in
// list that the current inverter's product ID selects.
int PollCountry(Modbus* link, uint8_t stop);

// The name the active list gives a grid code read from the inverter; a code
// the list does not reach shows as the empty text, like a code it leaves
// unnamed.
QString CountryNameOfCode(const TForm_Main& f, int productId, int code);

// What Combo_Country offers, item by item: the entries the loaded profile
// list offers, or the named entries of the built-in list that the current
// inverter's product ID selects, up to its end mark. The combo is filled from
// them and a choice is turned back into its code through them.
struct CountryItem {
  int code;
  QString name;
};
std::vector<CountryItem> CountryItems(const TForm_Main& f);

// The grid code that choosing item `index` of Combo_Country writes: the code
// that item was filled from; nothing when the combo has no such item.
std::optional<int> CountryCodeOfItem(const TForm_Main& f, int index);

// The five editors of the group.
std::span<const EditorDecl> CountryEditors();
