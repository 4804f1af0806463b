#pragma once
#include <QRgb>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>

class Modbus;
class QAbstractButton;
class QComboBox;
class QLineEdit;
class TForm_Main;

// Every setting editor turns one user action into one command in the link's
// mailbox and paints its value label red; the read-back view of its group
// paints it blue again once the inverter has been read. Editors never send
// anything themselves and never wait for the executor.

// ---- Commit events --------------------------------------------------------
// Each binds a handler to the one event that commits its control kind. The
// control's own handling of the event goes on as usual.

// Return or keypad Enter in the edit; every other key commits nothing.
void OnEnterKey(QLineEdit* edit, std::function<void()> fn);
// A press of any mouse button on a radio button or check box. The handler is
// given the checked state before the press toggles it. A view that sets the
// state (setChecked) or a keyboard toggle commits nothing.
void OnMouseDown(QAbstractButton* button, std::function<void(bool checkedBefore)> fn);
// The user chose an item of a combo box (never a setCurrentIndex of a view).
void OnUserChoice(QComboBox* combo, std::function<void(int index)> fn);
// A button's click.
void OnClick(QAbstractButton* button, std::function<void()> fn);

// ---- Value rules ----------------------------------------------------------

// SafeStrToFloat of the text times factor, truncated toward zero. A product
// beyond the 64-bit range saturates (a plain conversion would be undefined).
int64_t ScaledInteger(const QString& text, int factor);

// How an edit's text becomes the integer to store.
enum class ValueRule {
  Scaled,   // SafeStrToFloat x factor, truncated
  SafeInt,  // SafeStrToInt
  Strict,   // strict integer: invalid text shows an error box and posts nothing
};

// A range rule checks the integer the value rule computed.
enum class RangeForm {
  None,
  ClampAbove,        // full integer above hi becomes hi
  ClampBelow,        // full integer below lo becomes lo
  ClampAboveStored,  // the stored 16 bits read as signed, above hi, become hi
  ClampBelowStored,  // the stored 16 bits read as signed, below lo, become lo
  Drop,              // outside lo..hi: nothing is posted
  Refuse,            // outside lo..hi: the message is shown, nothing is posted
};

struct RangeRule {
  RangeForm form = RangeForm::None;
  int64_t lo = 0;
  int64_t hi = 0;
  const char* message = nullptr;  // Refuse only
};

// One edit field that posts one register (or coil) write on Enter.
struct EditDecl {
  const char* edit;
  int reg;
  int code;            // CommandCode posted
  ValueRule rule;
  int factor;          // Scaled only: 10, 100 or 1000
  const char* label;   // painted red on posting; nullptr: none
  const char* hint;    // the edit's tooltip; nullptr: none
  RangeRule range{};
};

// The 16-bit value a row posts for the text, or nothing when the rule or the
// range refuses it (an error box has then been shown where the rule says so)
// or when the value, after the range rule, lies outside -32768..65535 and so
// would wrap.
std::optional<uint16_t> EditValue(const EditDecl& row, const QString& text);

// What every alike editor does on Enter: computes the value from the edit's
// current text, posts it and paints the row's label red. Returns 0 when a
// command was posted, 1 when nothing was.
int CommitEdit(TForm_Main& f, const EditDecl& row);

// Binds the rows' edits to CommitEdit on Enter and gives them their hints.
void BindEdits(TForm_Main& f, std::span<const EditDecl> rows);

// ---- Read-back helpers ----------------------------------------------------

// How a reply word is written into its label.
enum class WordFormat { Deci, Centi, Milli, Decimal };

struct WordShow {
  const char* label;  // nullptr: the word is not shown
  WordFormat format;
  const char* unit;   // appended as it stands (" V", " Sec")
};

// Label text for one word: 2300 Deci " V" gives "230.0 V".
QString WordText(uint16_t word, WordFormat format, const char* unit);

// Word k of the last reply to rows[k]'s label, text only (the caller paints).
void ShowWords(const Modbus* link, std::span<const WordShow> rows);

// Paints the rows' labels in one colour.
void PaintWords(std::span<const WordShow> rows, QRgb colour);

// Paints one value label of the main window by name (no-op when absent).
void PaintLabel(const char* label, QRgb colour);
