#include "settings/CountryView.h"

#include <QComboBox>
#include <algorithm>
#include <vector>

#include "app/ControlTable.h"
#include "app/SharedTables.h"
#include "app/main.h"
#include "link/CommandCodes.h"
#include "link/FunctionCodes.h"
#include "link/Modbus.h"
#include "settings/SettingEditors.h"

namespace {

constexpr const char* kCountryHint =
    "When changing country setting, previously made settings will automatically return to default values.";

// Caption, value label ("???" until read) and editor, one row of 34. The
// country row gives its value label the room of a long grid-code name.
constexpr ControlDecl kCountryRows[] = {
    {Kind::Label, "Label44", 8, 34, 56, 18, "Country", 1},
    {Kind::Label, "Label_Country", 66, 34, 112, 18, "???"},
    {Kind::Combo, "Combo_Country", 180, 32, 68, 22},
    {Kind::Label, "Label53", 8, 68, 100, 18, "Reclosure Time", 1},
    {Kind::Label, "Label_ReclosureSet", 110, 68, 68, 18, "???"},
    {Kind::Edit, "Edit_ReclosureSet", 180, 66, 68, 22},
    // Shown by the profiles that offer the inverter's language.
    {Kind::Label, "Label_ShowLang", 8, 102, 100, 18, "Language", 1, kHidden},
    {Kind::Label, "Label_LanguageSelect", 110, 102, 68, 18, "???", 0, kHidden},
    {Kind::Combo, "Combo_LanguageSelect", 180, 100, 68, 22, "English\nGerman\nFrench\nItalian\nSpanish\nNederlands", 0,
     kHidden},
    {Kind::Label, "Label687", 8, 136, 100, 18, "Inverter ID", 1},
    {Kind::Label, "Label_InverterID", 110, 136, 68, 18, "???"},
    {Kind::Edit, "Edit_InverterID", 180, 134, 68, 22},
    {Kind::Label, "Label478", 8, 170, 104, 18, "RS485 Baud rate", 1},
    {Kind::Label, "Label_Baudrate", 114, 170, 64, 18, "???"},
    {Kind::Combo, "Combo_Baudrate", 180, 168, 68, 22, "9600\n19200\n38400"},
};

constexpr CodeText kLanguages[] = {{0, "English"}, {1, "German"},  {2, "French"},
                                   {3, "Italian"}, {4, "Spanish"}, {5, "Nederlands"}};
constexpr CodeText kBaudRates[] = {{0, "2400"}, {1, "4800"}, {2, "9600"}, {3, "19200"}, {4, "38400"}};

// The list whose names the country label and combo show.
std::span<const QString> ActiveCountryNames(const TForm_Main& f, int productId) {
  if (f.LoadedCountryNames[0] != QLatin1String("NONE")) return f.LoadedCountryNames;
  return CountryNames[BuiltInCountryList(productId)];
}

// The country word names a code of the list the current inverter uses.
std::optional<QString> CountryWord(const Modbus* link, uint16_t word) {
  return CountryNameOfCode(*Form_Main, link->IdProductId[link->SlaveId], word);
}

constexpr WordRead kCountryWords[] = {HookWord(0, "Label_Country", CountryWord)};
// Any code but the six blanks the label.
constexpr WordRead kLanguageWords[] = {Word(0, "Label_LanguageSelect", Show::Text).Texts(kLanguages, "")};
constexpr WordRead kReclosureWords[] = {Word(0, "Label_ReclosureSet", Show::Centi, " sec")};
constexpr WordRead kInverterIdWords[] = {Word(0, "Label_InverterID", Show::Decimal)};
// An unknown speed code keeps the text, painted blue all the same.
constexpr WordRead kBaudWords[] = {Word(0, "Label_Baudrate", Show::Text).Texts(kBaudRates)};

constexpr ReadBlock kCountryBlocks[] = {
    Read(kReadHolding, 797, 1, kCountryWords),
    Read(kReadHolding, 48162, 1, kLanguageWords),
    Read(kReadHolding, 48154, 1, kReclosureWords),
    Read(kReadHolding, 48163, 1, kInverterIdWords),
    Read(kReadHolding, 33821, 1, kBaudWords).EndIfInvalid(),
};
constexpr ReadView kCountryView{"Group_Country", "Country...", kCountryBlocks};

std::optional<Posting> CountryChoice(TForm_Main& f, const EditorDecl& row, const EditorInput& in) {
  const std::optional<int> code = CountryCodeOfItem(f, in.index);
  if (!code) return std::nullopt;  // an item of no list entry: no code to write
  return Posting{row.reg, row.code, *code, 0};
}

constexpr RangeRule kBusId{RangeForm::Refuse, 1, 254, "ID Range 1~254"};

constexpr EditorDecl kEditors[] = {
    Combo("Combo_Country", 797, "Label_Country").Value(CountryChoice).Hint(kCountryHint),
    Edit("Edit_ReclosureSet", 48154, X100, "Label_ReclosureSet"),
    Combo("Combo_LanguageSelect", 48162, "Label_LanguageSelect"),
    // A bus address: 0 would be the broadcast address. Sent to the current
    // inverter alone, also with Broadcast chosen, so that no two inverters
    // end with the same ID.
    Edit("Edit_InverterID", 48163, SafeInt, "Label_InverterID").Range(kBusId).Code(CmdWriteRegisterCurrent),
    Combo("Combo_Baudrate", 33821, "Label_Baudrate").Offset(2),
};

}  // namespace

extern const PanelControls kCountryPanel{"Group_Country", kCountryRows};

QString CountryNameOfCode(const TForm_Main& f, int productId, int code) {
  if (code > 255) code = 0;
  // The built-in lists end at code 99.
  const std::span<const QString> names = ActiveCountryNames(f, productId);
  if (code < 0 || static_cast<size_t>(code) >= names.size()) return QString();
  return names[static_cast<size_t>(code)];
}

std::vector<CountryItem> CountryItems(const TForm_Main& f) {
  std::vector<CountryItem> items;
  if (f.LoadedCountryNames[0] != QLatin1String("NONE")) {
    // The loader decided what the profile's list offers.
    const int count = std::clamp(f.LoadedCountryCount, 0, static_cast<int>(f.LoadedCountryCodes.size()));
    for (int k = 0; k < count; ++k) {
      const int code = f.LoadedCountryCodes[static_cast<size_t>(k)];
      if (code >= 0 && static_cast<size_t>(code) < f.LoadedCountryNames.size())
        items.push_back({code, f.LoadedCountryNames[static_cast<size_t>(code)]});
    }
    return items;
  }
  // The built-in list up to its end mark, without its blank entries.
  const std::span<const QString> names = CountryNames[BuiltInCountryList(f.Link.IdProductId[f.Link.SlaveId])];
  for (size_t code = 0; code < names.size(); ++code) {
    if (names[code] == QLatin1String("END")) break;
    if (names[code].size() >= 2) items.push_back({static_cast<int>(code), names[code]});
  }
  return items;
}

std::optional<int> CountryCodeOfItem(const TForm_Main& f, int index) {
  const auto* combo = f.Ctl<QComboBox>(QStringLiteral("Combo_Country"));
  if (!combo || index < 0 || index >= combo->count()) return std::nullopt;
  // The combo was filled from these items in this order.
  const std::vector<CountryItem> items = CountryItems(f);
  if (static_cast<size_t>(index) >= items.size()) return std::nullopt;
  return items[static_cast<size_t>(index)].code;
}

int PollCountry(Modbus* link, uint8_t stop) { return RunReadView(link, stop, kCountryView); }

std::span<const EditorDecl> CountryEditors() { return kEditors; }

// The read-back views of this file, for what the editor fit needs to know of
// the readings.
std::span<const ReadView* const> CountryReadViews() {
  static constexpr const ReadView* kViews[] = {&kCountryView};
  return kViews;
}
