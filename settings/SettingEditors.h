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
//
// Both halves are tables: a group declares its editors as EditorDecl rows
// (bound by BindEditors) and its read-back as a ReadView (run by
// RunReadView). What a table cannot say is a hook on the row.

// ---- Commit events --------------------------------------------------------
// Each binds a handler to the one event that commits its control kind. The
// control's own handling of the event goes on as usual.

// Return or keypad Enter in the edit; every other key commits nothing.
void OnEnterKey(QLineEdit* edit, std::function<void()> fn);
// A press of any mouse button on a radio button or check box. The handler is
// given the checked state before the press toggles it. A view that sets the
// state (setChecked) or a keyboard toggle commits nothing.
void OnMouseDown(QAbstractButton* button, std::function<void(bool checkedBefore)> fn);
// The user chose an item of a combo box (a click in its open list or a key on the focused box; never a
// setCurrentIndex of a view, never the wheel, which the window leaves to the page: EventHook.h). Typed text
// naming no item commits nothing.
void OnUserChoice(QComboBox* combo, std::function<void(int index)> fn);
// A button's click.
void OnClick(QAbstractButton* button, std::function<void()> fn);

// ---- Value rules ----------------------------------------------------------

// Where a typed number's integer lies beyond this bound it is the bound (of
// its sign): beyond every register by far, yet a hook may negate or double it
// without overflow.
constexpr int64_t kBeyondEveryRegister = int64_t{1} << 52;

// SafeStrToFloat of the text times factor, truncated toward zero, and held
// within kBeyondEveryRegister.
int64_t ScaledInteger(const QString& text, int factor);

// How an editor's input becomes the integer to store.
enum class ValueRule {
  Scaled,   // SafeStrToFloat x factor, truncated
  SafeInt,  // SafeStrToInt (decimal, or hexadecimal after 0x)
  Strict,   // strict integer
  Index,    // a combo's item index, plus an offset or through a code table
  Fixed,    // a constant: radio buttons, buttons; check boxes by their state
};

// A range rule checks the integer the value rule computed.
enum class RangeForm {
  None,
  ClampAbove,        // full integer above hi becomes hi
  ClampBelow,        // full integer below lo becomes lo
  ClampAboveStored,  // the stored 16 bits read as signed, above hi, become hi
  ClampBelowStored,  // the stored 16 bits read as signed, below lo, become lo
  Refuse,            // outside lo..hi: the message is shown, nothing is posted
};

struct RangeRule {
  RangeForm form = RangeForm::None;
  int64_t lo = 0;
  int64_t hi = 0;
  const char* message = nullptr;  // Refuse: its own text; nullptr: the row's range
};

// ---- Editor rows ----------------------------------------------------------

// The control kind decides the commit event.
enum class EditorKind {
  Edit,    // Enter; input: the edit's text
  Combo,   // the user's choice; input: the item index
  Radio,   // mouse-down, any button; posts its fixed value
  Check,   // mouse-down; input: the state before the toggle
  Button,  // click; input: nothing, or the text of the row's source edit
};

// What the user gave the editor.
struct EditorInput {
  QString text;
  int index = -1;
  bool checkedBefore = false;
};

// One command as an editor posts it. Values are full integers: the post
// refuses those that the row's register cannot hold.
struct Posting {
  int reg = 0;
  int code = 0;
  int64_t value = 0;
  int64_t value2 = 0;
};

struct EditorDecl;

// Full integers from lo to hi.
struct Bounds {
  int64_t lo;
  int64_t hi;
};

// A row's value hook replaces the value rule: it takes the input and the
// window state and gives the command, or nothing when it refused (after
// saying why).
using ValueHook = std::optional<Posting> (*)(TForm_Main& f, const EditorDecl& row, const EditorInput& in);
// For rows whose register and factor follow a profile option.
struct RegisterScale {
  int reg;
  int factor;
};
using RegisterHook = RegisterScale (*)(const TForm_Main& f);
// Runs before anything is computed; false ends the commit (an access-code
// gate, for one).
using GateHook = bool (*)(TForm_Main& f);
// Runs after the command was posted (a pause, enabling other buttons).
using AfterHook = void (*)(TForm_Main& f, const EditorDecl& row);
// For rows whose value hook sets the range it takes: the most and the least
// it takes, in the row's units times its factor.
using AcceptsHook = Bounds (*)(const TForm_Main& f);

struct EditorDecl {
  EditorKind kind = EditorKind::Edit;
  const char* control = nullptr;
  int reg = 0;
  int code = 6;             // CommandCode posted
  ValueRule rule = ValueRule::Scaled;
  int factor = 1;           // Scaled: 10, 100 or 1000; Index: offset added
  int fixed = 0;            // Fixed: the value; Check: posted when the box was checked before
  int fixedUnchecked = 0;   // Check: posted when the box was clear before
  const char* label = nullptr;   // painted red on posting
  const char* label2 = nullptr;  // a second label painted red
  const char* hint = nullptr;    // the control's tooltip
  const char* source = nullptr;  // Button: the edit whose text is the input
  RangeRule range{};
  std::span<const int> codes{};  // Index: item index to the value posted
  bool signedWord = false;       // the register holds -32768..32767, else 0..65535
  ValueHook value = nullptr;
  RegisterHook where = nullptr;
  GateHook gate = nullptr;
  AfterHook after = nullptr;
  AcceptsHook accepts = nullptr;

  constexpr EditorDecl Code(int c) const { EditorDecl r = *this; r.code = c; return r; }
  constexpr EditorDecl Signed() const { EditorDecl r = *this; r.signedWord = true; return r; }
  constexpr EditorDecl Range(RangeRule g) const { EditorDecl r = *this; r.range = g; return r; }
  constexpr EditorDecl Hint(const char* h) const { EditorDecl r = *this; r.hint = h; return r; }
  constexpr EditorDecl Label2(const char* l) const { EditorDecl r = *this; r.label2 = l; return r; }
  constexpr EditorDecl Offset(int o) const { EditorDecl r = *this; r.factor = o; return r; }
  constexpr EditorDecl Codes(std::span<const int> c) const { EditorDecl r = *this; r.codes = c; return r; }
  constexpr EditorDecl Value(ValueHook h) const { EditorDecl r = *this; r.value = h; return r; }
  constexpr EditorDecl Where(RegisterHook h) const { EditorDecl r = *this; r.where = h; return r; }
  constexpr EditorDecl Gate(GateHook h) const { EditorDecl r = *this; r.gate = h; return r; }
  constexpr EditorDecl After(AfterHook h) const { EditorDecl r = *this; r.after = h; return r; }
  constexpr EditorDecl Accepts(AcceptsHook h) const { EditorDecl r = *this; r.accepts = h; return r; }
  constexpr EditorDecl Source(const char* edit) const { EditorDecl r = *this; r.source = edit; return r; }
};

// How an edit's text is read: the rule and its factor.
struct TextRule {
  ValueRule rule;
  int factor;
};
constexpr TextRule X10{ValueRule::Scaled, 10};
constexpr TextRule X100{ValueRule::Scaled, 100};
constexpr TextRule X1000{ValueRule::Scaled, 1000};
constexpr TextRule SafeInt{ValueRule::SafeInt, 1};
constexpr TextRule StrictInt{ValueRule::Strict, 1};

// Row makers, one per control kind; register writes (code 6) unless a row
// says .Code(...).
constexpr EditorDecl Edit(const char* edit, int reg, TextRule rule, const char* label, const char* hint = nullptr) {
  EditorDecl r;
  r.kind = EditorKind::Edit;
  r.control = edit;
  r.reg = reg;
  r.rule = rule.rule;
  r.factor = rule.factor;
  r.label = label;
  r.hint = hint;
  return r;
}
constexpr EditorDecl Combo(const char* combo, int reg, const char* label) {
  EditorDecl r;
  r.kind = EditorKind::Combo;
  r.control = combo;
  r.reg = reg;
  r.rule = ValueRule::Index;
  r.factor = 0;
  r.label = label;
  return r;
}
constexpr EditorDecl Radio(const char* radio, int reg, int code, int value) {
  EditorDecl r;
  r.kind = EditorKind::Radio;
  r.control = radio;
  r.reg = reg;
  r.code = code;
  r.rule = ValueRule::Fixed;
  r.fixed = value;
  return r;
}
constexpr EditorDecl Check(const char* check, int reg, int code, int valueWhenChecked, int valueWhenClear) {
  EditorDecl r;
  r.kind = EditorKind::Check;
  r.control = check;
  r.reg = reg;
  r.code = code;
  r.rule = ValueRule::Fixed;
  r.fixed = valueWhenChecked;
  r.fixedUnchecked = valueWhenClear;
  return r;
}
constexpr EditorDecl Button(const char* button, int reg, int code, int value) {
  EditorDecl r;
  r.kind = EditorKind::Button;
  r.control = button;
  r.reg = reg;
  r.code = code;
  r.rule = ValueRule::Fixed;
  r.fixed = value;
  return r;
}

// The after hook of the radios that block the window for 500 ms once they
// have posted (a plain sleep: nothing is processed meanwhile).
void PauseAfterPost(TForm_Main& f, const EditorDecl& row);
// Tests may record those pauses instead of waiting; nullptr restores real
// sleeping.
void SetEditorSleep(std::function<void(int ms)> sleep);

constexpr int kCoilOn = 0xFF00;
constexpr int kCoilOff = 0;

// The integer a text gives under a rule with its factor: nothing when the
// text is no number (the message has been shown). Empty text is no number. A
// number beyond every register ("1e300", a 20-digit integer) and the words
// "inf" and "nan", or a number beyond the double range ("1e309"), give
// kBeyondEveryRegister (negated for a minus sign), which every range check
// refuses.
std::optional<int64_t> TextValue(ValueRule rule, int factor, const QString& text);

// The value the row's rule and range give for the input, before the 16-bit
// check; nothing when refused (with a message that says why). A text that is
// no finite number is refused with the row's range whatever its range rule.
std::optional<int64_t> RuleValue(const TForm_Main& f, const EditorDecl& row, const EditorInput& in);

// The factor between what the row's user types and the integer it posts: a
// scaled row's own (10, 100, 1000), or that of the register its profile
// option names; 1 for every other rule.
int RowFactor(const TForm_Main& f, const EditorDecl& row);

// What a row posts: its register's range (0..65535 unsigned, -32768..32767
// signed) narrowed by its range rule, a clamp's limit included.
Bounds RowBounds(const EditorDecl& row);
// A full value in the row's units: divided by its factor (10, 100, 1000),
// with as many decimals as the factor has zeros.
QString UnitsText(int64_t value, int factor);
// "Out of range: the value must lie from <lo> to <hi>", the bounds in the
// row's units (divided by its factor).
void ShowRangeMessage(Bounds bounds, int factor);

// The 16-bit word a full value is stored as, or nothing (after the range
// message for `shown`) when the register cannot hold it.
std::optional<uint16_t> StoredWord(int64_t value, bool signedWord, Bounds shown, int factor);

// What every editor does on its commit event: the gate, the value (rule and
// range, or the row's hook), the register's range check, the post, the red labels,
// the after hook. Returns 0 when a command was posted, 1 when nothing was.
int CommitEditor(TForm_Main& f, const EditorDecl& row, const EditorInput& in);

// The input the row's control holds now (its text, index or state).
EditorInput CurrentInput(TForm_Main& f, const EditorDecl& row);

// Binds each row's control to CommitEditor on its kind's commit event and
// gives it its hint. Rows must live in static tables.
void BindEditors(TForm_Main& f, std::span<const EditorDecl> rows);

// Every settings group's editor table, as the window binds them.
std::span<const std::span<const EditorDecl>> SettingsEditorTables();

struct ReadView;
// Every settings group's read-back views.
std::span<const std::span<const ReadView* const>> SettingsReadViews();

// ---- Read-back views ------------------------------------------------------

// A code and its text, for words that select a text.
struct CodeText {
  int code;
  const char* text;
};

// How a reply word reaches its control.
enum class Show {
  Deci,     // FormatDeci + unit
  Centi,    // FormatCenti + unit
  Milli,    // FormatMilli + unit
  Decimal,  // the word as "%i" + unit
  Text,     // (word & mask) looked up in texts; otherwise `otherwise`, or the text is kept
  Radio,    // (word & mask) == on checks target, else `off`
  Clear,    // the label's text is emptied
  Hook,     // the row's hook gives the text (nothing: kept)
};

using WordHook = std::optional<QString> (*)(const Modbus* link, uint16_t word);

struct WordRead {
  int word = 0;                  // index in the block's reply (a coil reply has one: its state byte)
  const char* target = nullptr;  // value label, or the ON radio button
  Show show = Show::Decimal;
  const char* unit = nullptr;    // appended as it stands
  std::span<const CodeText> texts{};
  const char* otherwise = nullptr;  // Text: for codes not in texts; nullptr keeps the text
  const char* off = nullptr;        // Radio: the OFF button
  uint16_t mask = 0xFFFF;
  uint16_t on = 1;
  bool paint = true;  // false: the label's colour is never changed
  WordHook hook = nullptr;

  constexpr WordRead Texts(std::span<const CodeText> t, const char* other = nullptr) const {
    WordRead r = *this; r.show = Show::Text; r.texts = t; r.otherwise = other; return r;
  }
  constexpr WordRead Mask(uint16_t m) const { WordRead r = *this; r.mask = m; return r; }
  constexpr WordRead NoPaint() const { WordRead r = *this; r.paint = false; return r; }
};

constexpr WordRead Word(int k, const char* label, Show show, const char* unit = nullptr) {
  WordRead r;
  r.word = k;
  r.target = label;
  r.show = show;
  r.unit = unit;
  return r;
}
constexpr WordRead RadioWord(int k, const char* onRadio, const char* offRadio, uint16_t mask = 0xFFFF,
                             uint16_t on = 1) {
  WordRead r;
  r.word = k;
  r.target = onRadio;
  r.off = offRadio;
  r.show = Show::Radio;
  r.mask = mask;
  r.on = on;
  r.paint = false;
  return r;
}
constexpr WordRead HookWord(int k, const char* label, WordHook hook) {
  WordRead r;
  r.word = k;
  r.target = label;
  r.show = Show::Hook;
  r.hook = hook;
  return r;
}

// A switch word: 0 shows "Disable", any other value "Enable".
inline constexpr CodeText kDisableText[] = {{0, "Disable"}};
constexpr WordRead SwitchWord(int k, const char* label) {
  return Word(k, label, Show::Text).Texts(kDisableText, "Enable");
}

// When a block's labels turn blue.
enum class Paint {
  IfUsed,  // when its reply was used
  Always,  // at the end of the view, whatever the reply was
  Never,
};

// A block runs only when its condition holds (nullptr: always).
using BlockCondition = bool (*)(const TForm_Main& f);
// Runs after a used reply was shown, before painting (default writes from a
// copy of the reply). Nonzero: a request failed, the view returns 1.
using BlockAfter = int (*)(Modbus* link);

struct ReadBlock {
  uint8_t function = 3;  // 1, 3 or 4: a read of `count` from `first`; 6: writes `count` to `first`
  int first = 0;
  int count = 0;
  std::span<const WordRead> words{};
  Paint paint = Paint::IfUsed;
  bool endIfInvalid = false;  // an unusable reply ends the view (returns 0)
  BlockCondition when = nullptr;
  BlockAfter after = nullptr;
  BlockAfter unusable = nullptr;  // runs instead of showing when the reply is unusable
  BlockAfter before = nullptr;    // runs before the request, whatever comes of it

  constexpr ReadBlock Painted(Paint p) const { ReadBlock r = *this; r.paint = p; return r; }
  constexpr ReadBlock EndIfInvalid() const { ReadBlock r = *this; r.endIfInvalid = true; return r; }
  constexpr ReadBlock When(BlockCondition c) const { ReadBlock r = *this; r.when = c; return r; }
  constexpr ReadBlock Then(BlockAfter a) const { ReadBlock r = *this; r.after = a; return r; }
  constexpr ReadBlock Otherwise(BlockAfter a) const { ReadBlock r = *this; r.unusable = a; return r; }
  constexpr ReadBlock Before(BlockAfter a) const { ReadBlock r = *this; r.before = a; return r; }
};

constexpr ReadBlock Read(uint8_t function, int first, int count, std::span<const WordRead> words) {
  ReadBlock b;
  b.function = function;
  b.first = first;
  b.count = count;
  b.words = words;
  return b;
}
constexpr ReadBlock WriteFirst(int reg, int value) {
  ReadBlock b;
  b.function = 6;
  b.first = reg;
  b.count = value;
  return b;
}

struct ReadView {
  const char* gate;    // the group panel that gates the view
  const char* status;  // status panel 2's text
  std::span<const ReadBlock> blocks;
};

// The read-back of one group: the common opening, then each block in order.
// A failed request returns 1 at once; an unusable reply skips its block (or
// ends the view where the block says so). Returns 0 otherwise.
int RunReadView(Modbus* link, uint8_t stop, const ReadView& view);

// The text a word gives under a row's format (the hook and table lookups
// included); nothing when the label keeps its text.
std::optional<QString> WordText(const Modbus* link, const WordRead& row, uint16_t word);

// Paints one value label of the main window by name (no-op when absent).
void PaintLabel(const char* label, QRgb colour);

// ---- Caption variants -----------------------------------------------------

// A caption label's text in each variant of its group.
struct CaptionVariant {
  const char* label;
  const char* texts[2];
};

// Sets every row's label to its text of the variant; a variant the table
// does not have changes nothing.
void ApplyCaptionVariant(TForm_Main& f, std::span<const CaptionVariant> rows, int variant);
