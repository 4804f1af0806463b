#include "settings/SettingEditors.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>
#include <cstdint>

#include "app/Myfunc.h"
#include "app/main.h"
#include "link/Executor.h"
#include "link/Modbus.h"
#include "monitor/PollFrame.h"
#include "platform/Dialogs.h"
#include "platform/ValueLabel.h"

namespace {

class EnterFilter : public QObject {
 public:
  EnterFilter(QObject* parent, std::function<void()> fn) : QObject(parent), fn_(std::move(fn)) {}
  bool eventFilter(QObject* watched, QEvent* e) override {
    if (e->type() == QEvent::KeyPress) {
      const int key = static_cast<QKeyEvent*>(e)->key();
      if (key == Qt::Key_Return || key == Qt::Key_Enter) fn_();
    }
    return QObject::eventFilter(watched, e);
  }

 private:
  std::function<void()> fn_;
};

// Runs before the button handles the press, so its state is still the one
// before the toggle. A double click's second press arrives as its own event
// type and counts as a press too.
class MouseDownFilter : public QObject {
 public:
  MouseDownFilter(QAbstractButton* button, std::function<void(bool)> fn)
      : QObject(button), button_(button), fn_(std::move(fn)) {}
  bool eventFilter(QObject* watched, QEvent* e) override {
    if (e->type() == QEvent::MouseButtonPress || e->type() == QEvent::MouseButtonDblClick)
      fn_(button_->isChecked());
    return QObject::eventFilter(watched, e);
  }

 private:
  QAbstractButton* button_;
  std::function<void(bool)> fn_;
};

constexpr int64_t kLow16 = 0xFFFF;

}  // namespace

void OnEnterKey(QLineEdit* edit, std::function<void()> fn) {
  if (edit) edit->installEventFilter(new EnterFilter(edit, std::move(fn)));
}

void OnMouseDown(QAbstractButton* button, std::function<void(bool)> fn) {
  if (button) button->installEventFilter(new MouseDownFilter(button, std::move(fn)));
}

void OnUserChoice(QComboBox* combo, std::function<void(int)> fn) {
  if (!combo) return;
  // Qt reports a wheel step as a choice too; the window keeps the wheel off
  // its boxes (KeepTheWheelOffChoices), so what comes here is the user's.
  QObject::connect(combo, &QComboBox::activated, combo, [combo, fn = std::move(fn)](int index) {
    // Typed text that names no item is no choice.
    if (index < 0 || (combo->isEditable() && combo->currentText() != combo->itemText(index))) return;
    fn(index);
  });
}

void OnClick(QAbstractButton* button, std::function<void()> fn) {
  if (button) QObject::connect(button, &QAbstractButton::clicked, button, [fn = std::move(fn)] { fn(); });
}


int64_t ScaledInteger(const QString& text, int factor) {
  const long double product = std::trunc(SafeStrToFloat(text) * factor);
  constexpr auto kLimit = static_cast<long double>(kBeyondEveryRegister);
  return static_cast<int64_t>(std::clamp(product, -kLimit, kLimit));
}

namespace {

// How an edit's text reads under a rule.
enum class Reading {
  Number,     // value holds its integer, within kBeyondEveryRegister
  NoNumber,   // a typo, an empty edit
  NotFinite,  // "inf", "nan", beyond the double range: value holds the bound of its sign
};
struct Typed {
  Reading reading;
  int64_t value = 0;
};

// "inf", "infinity" and "nan", as the C library would read them.
bool IsNotFiniteWord(const QString& text) {
  QString word = text.trimmed().toLower();
  if (word.startsWith(u'+') || word.startsWith(u'-')) word.remove(0, 1);
  return word == u"inf" || word == u"infinity" || word == u"nan";
}

int64_t Beyond(bool negative) { return negative ? -kBeyondEveryRegister : kBeyondEveryRegister; }

Typed ReadText(ValueRule rule, int factor, const QString& text) {
  if (IsNotFiniteWord(text)) return {Reading::NotFinite, Beyond(text.trimmed().startsWith(u'-'))};
  const std::optional<double> x = FloatTextValue(text);
  if (x && !std::isfinite(*x)) return {Reading::NotFinite, Beyond(*x < 0)};
  int parsed = 0;
  switch (rule) {
    case ValueRule::Scaled:
      if (!x) return {Reading::NoNumber};
      return {Reading::Number, ScaledInteger(text, factor)};
    case ValueRule::SafeInt:
    case ValueRule::Strict:
      if (StrictStrToInt(text, parsed)) return {Reading::Number, parsed};
      if (const int sign = BeyondIntSign(text)) return {Reading::Number, Beyond(sign < 0)};
      // Not written as an integer, but far beyond one all the same ("1e300").
      if (x && std::fabs(*x) > INT32_MAX) return {Reading::Number, Beyond(*x < 0)};
      return {Reading::NoNumber};
    case ValueRule::Index:
    case ValueRule::Fixed:
      break;
  }
  return {Reading::NoNumber};
}

void ShowNoNumber(ValueRule rule, const QString& text) {
  // A typo must not become a trip level of 0.
  ShowMessage(QLatin1Char('\'') + text +
              (rule == ValueRule::Scaled ? QStringLiteral("' is not a valid number")
                                         : QStringLiteral("' is not a valid integer value")));
}

// The row's own refusal: its message, or the range it posts.
void RefuseForRow(const EditorDecl& row, int factor) {
  if (row.range.form == RangeForm::Refuse && row.range.message) ShowMessage(QString::fromLatin1(row.range.message));
  else ShowRangeMessage(RowBounds(row), factor);
}

std::optional<int64_t> ApplyRange(const EditorDecl& row, int factor, int64_t v) {
  const RangeRule& r = row.range;
  switch (r.form) {
    case RangeForm::None: break;
    case RangeForm::ClampAbove:
      if (v > r.hi) v = r.hi;
      break;
    case RangeForm::ClampBelow:
      if (v < r.lo) v = r.lo;
      break;
    case RangeForm::ClampAboveStored:
      if (static_cast<int16_t>(v & kLow16) > r.hi) v = r.hi;
      break;
    case RangeForm::ClampBelowStored:
      if (static_cast<int16_t>(v & kLow16) < r.lo) v = r.lo;
      break;
    case RangeForm::Refuse:
      if (v < r.lo || v > r.hi) {
        RefuseForRow(row, factor);
        return std::nullopt;
      }
      break;
  }
  return v;
}

Bounds RegisterBounds(bool signedWord) { return signedWord ? Bounds{-32768, 32767} : Bounds{0, 65535}; }

}  // namespace

std::optional<int64_t> TextValue(ValueRule rule, int factor, const QString& text) {
  const Typed typed = ReadText(rule, factor, text);
  if (typed.reading == Reading::NoNumber) {
    ShowNoNumber(rule, text);
    return std::nullopt;
  }
  return typed.value;
}

int RowFactor(const TForm_Main& f, const EditorDecl& row) {
  if (row.rule != ValueRule::Scaled) return 1;
  // A hook that names no register leaves the row's own scale.
  if (row.where)
    if (const RegisterScale at = row.where(f); at.reg != 0) return at.factor;
  return row.factor;
}

std::optional<int64_t> RuleValue(const TForm_Main& f, const EditorDecl& row, const EditorInput& in) {
  const int factor = RowFactor(f, row);
  std::optional<int64_t> v;
  switch (row.rule) {
    case ValueRule::Scaled:
    case ValueRule::SafeInt:
    case ValueRule::Strict: {
      const Typed typed = ReadText(row.rule, factor, in.text);
      if (typed.reading == Reading::NoNumber) {
        ShowNoNumber(row.rule, in.text);
        return std::nullopt;
      }
      // No clamp makes a setting of infinity.
      if (typed.reading == Reading::NotFinite) {
        RefuseForRow(row, factor);
        return std::nullopt;
      }
      v = typed.value;
      break;
    }
    case ValueRule::Index:
      if (in.index < 0) return std::nullopt;
      if (!row.codes.empty()) {
        if (static_cast<size_t>(in.index) >= row.codes.size()) return std::nullopt;
        v = row.codes[static_cast<size_t>(in.index)];
      } else {
        v = in.index + row.factor;
      }
      break;
    case ValueRule::Fixed:
      v = row.kind == EditorKind::Check && !in.checkedBefore ? row.fixedUnchecked : row.fixed;
      break;
  }
  if (!v) return std::nullopt;
  return ApplyRange(row, factor, *v);
}

Bounds RowBounds(const EditorDecl& row) {
  Bounds b = RegisterBounds(row.signedWord);
  const RangeRule& r = row.range;
  switch (r.form) {
    case RangeForm::None: break;
    case RangeForm::ClampAbove: b.hi = std::min(b.hi, r.hi); break;
    case RangeForm::ClampBelow: b.lo = std::max(b.lo, r.lo); break;
    // Judged on the stored word read as signed: an unsigned register's upper
    // half reads negative, so it passes the upper clamp and the lower one
    // lifts it to the limit.
    case RangeForm::ClampAboveStored:
      if (row.signedWord) b.hi = std::min(b.hi, r.hi);
      break;
    case RangeForm::ClampBelowStored:
      b.lo = std::max(b.lo, r.lo);
      b.hi = std::min<int64_t>(b.hi, INT16_MAX);
      break;
    case RangeForm::Refuse:
      b.lo = std::max(b.lo, r.lo);
      b.hi = std::min(b.hi, r.hi);
      break;
  }
  return b;
}

QString UnitsText(int64_t value, int factor) {
  if (factor <= 1) return QString::number(value);
  int decimals = 0;
  for (int f = factor; f > 1; f /= 10) ++decimals;
  return QString::number(static_cast<double>(value) / factor, 'f', decimals);
}

void ShowRangeMessage(Bounds bounds, int factor) {
  ShowMessage(QStringLiteral("Out of range: the value must lie from ") + UnitsText(bounds.lo, factor) +
              QStringLiteral(" to ") + UnitsText(bounds.hi, factor));
}

std::optional<uint16_t> StoredWord(int64_t value, bool signedWord, Bounds shown, int factor) {
  // A value the register cannot hold would be written as its low 16 bits
  // and read back as another setting altogether (-5 V as 6553.1 V, 40000 %
  // as -25536 %).
  const Bounds held = RegisterBounds(signedWord);
  if (value < held.lo || value > held.hi) {
    ShowRangeMessage(shown, factor);
    return std::nullopt;
  }
  return static_cast<uint16_t>(value & kLow16);
}

EditorInput CurrentInput(TForm_Main& f, const EditorDecl& row) {
  EditorInput in;
  const QString name = QLatin1String(row.control);
  switch (row.kind) {
    case EditorKind::Edit:
      if (auto* e = f.Ctl<QLineEdit>(name)) in.text = e->text();
      break;
    case EditorKind::Combo:
      if (auto* c = f.Ctl<QComboBox>(name)) in.index = c->currentIndex();
      break;
    case EditorKind::Radio:
    case EditorKind::Check:
      if (auto* b = f.Ctl<QAbstractButton>(name)) in.checkedBefore = b->isChecked();
      break;
    case EditorKind::Button:
      if (row.source)
        if (auto* e = f.Ctl<QLineEdit>(QLatin1String(row.source))) in.text = e->text();
      break;
  }
  return in;
}

namespace {
std::function<void(int)> editorSleep;
}  // namespace

void SetEditorSleep(std::function<void(int)> sleep) { editorSleep = std::move(sleep); }

void PauseAfterPost(TForm_Main&, const EditorDecl&) {
  constexpr int kPauseMs = 500;
  if (editorSleep) editorSleep(kPauseMs);
  else std::this_thread::sleep_for(std::chrono::milliseconds(kPauseMs));
}

int CommitEditor(TForm_Main& f, const EditorDecl& row, const EditorInput& in) {
  if (row.gate && !row.gate(f)) return 1;
  std::optional<Posting> post;
  if (row.value) {
    post = row.value(f, row, in);
  } else if (const std::optional<int64_t> v = RuleValue(f, row, in)) {
    const int reg = row.where ? row.where(f).reg : row.reg;
    post = Posting{reg, row.code, *v, 0};
  }
  if (!post) return 1;
  const int factor = RowFactor(f, row);
  const std::optional<uint16_t> word = StoredWord(post->value, row.signedWord, RowBounds(row), factor);
  if (!word) return 1;
  const std::optional<uint16_t> word2 = StoredWord(post->value2, row.signedWord, RegisterBounds(row.signedWord), 1);
  if (!word2) return 1;
  PostCommand(f.Link, post->code, post->reg, static_cast<int16_t>(*word), static_cast<int16_t>(*word2));
  if (row.label) PaintLabel(row.label, clRed);
  if (row.label2) PaintLabel(row.label2, clRed);
  if (row.after) row.after(f, row);
  return 0;
}

void BindEditors(TForm_Main& f, std::span<const EditorDecl> rows) {
  for (const EditorDecl& row : rows) {
    const EditorDecl* r = &row;  // rows live in static tables
    const QString name = QLatin1String(row.control);
    QWidget* control = f.Control(name);
    if (!control) continue;
    if (row.hint) control->setToolTip(QString::fromLatin1(row.hint));
    switch (row.kind) {
      case EditorKind::Edit:
        OnEnterKey(f.Ctl<QLineEdit>(name), [&f, r] { CommitEditor(f, *r, CurrentInput(f, *r)); });
        break;
      case EditorKind::Combo:
        OnUserChoice(f.Ctl<QComboBox>(name), [&f, r](int index) {
          EditorInput in;
          in.index = index;
          CommitEditor(f, *r, in);
        });
        break;
      case EditorKind::Radio:
      case EditorKind::Check:
        OnMouseDown(f.Ctl<QAbstractButton>(name), [&f, r](bool before) {
          EditorInput in;
          in.checkedBefore = before;
          CommitEditor(f, *r, in);
        });
        break;
      case EditorKind::Button:
        OnClick(f.Ctl<QAbstractButton>(name), [&f, r] { CommitEditor(f, *r, CurrentInput(f, *r)); });
        break;
    }
  }
}

// ---- Read-back ------------------------------------------------------------

std::optional<QString> WordText(const Modbus* link, const WordRead& row, uint16_t word) {
  QString text;
  switch (row.show) {
    case Show::Deci: text = FormatDeci(word); break;
    case Show::Centi: text = FormatCenti(word); break;
    case Show::Milli: text = FormatMilli(word); break;
    case Show::Decimal: text = QString::number(word); break;
    case Show::Clear: return QString();
    case Show::Hook: return row.hook ? row.hook(link, word) : std::nullopt;
    case Show::Radio: return std::nullopt;
    case Show::Text: {
      const int code = word & row.mask;
      for (const CodeText& c : row.texts)
        if (c.code == code) return QString::fromUtf8(c.text);
      if (!row.otherwise) return std::nullopt;
      return QString::fromUtf8(row.otherwise);
    }
  }
  return row.unit ? text + QString::fromUtf8(row.unit) : text;
}

namespace {

// Word k of the reply; a coil reply has one word, its state byte as it came
// (the rows decide: most are ON for 1 only, one row for anything but 0).
uint16_t BlockWord(const Modbus* link, const ReadBlock& b, int k) {
  if (b.function == 1) return link->Reply[3];
  return ReplyWord(link, k);
}

void ShowBlock(const Modbus* link, const ReadBlock& b) {
  TForm_Main& f = *Form_Main;
  for (const WordRead& w : b.words) {
    if (w.word < 0 || (b.function != 1 && w.word >= b.count)) continue;  // beyond the reply
    const uint16_t word = BlockWord(link, b, w.word);
    if (w.show == Show::Radio) {
      const char* pick = (word & w.mask) == w.on ? w.target : w.off;
      if (auto* r = pick ? f.Ctl<QAbstractButton>(QLatin1String(pick)) : nullptr) r->setChecked(true);
      continue;
    }
    const std::optional<QString> text = WordText(link, w, word);
    if (text) SetText(QLatin1String(w.target), *text);
  }
}

void PaintBlock(const ReadBlock& b) {
  for (const WordRead& w : b.words)
    if (w.paint && w.show != Show::Radio && w.target) PaintLabel(w.target, clBlue);
}

void PaintAlwaysBlocks(const TForm_Main& f, const ReadView& view) {
  for (const ReadBlock& b : view.blocks)
    if (b.paint == Paint::Always && (!b.when || b.when(f))) PaintBlock(b);
}

}  // namespace

int RunReadView(Modbus* link, uint8_t stop, const ReadView& view) {
  int result;
  if (!PollPrologue(link, stop, view.gate, QString::fromLatin1(view.status), result)) return result;
  const TForm_Main& f = *Form_Main;
  for (const ReadBlock& b : view.blocks) {
    if (b.when && !b.when(f)) continue;
    if (b.before && b.before(link)) return 1;
    if (b.function == 6) {
      if (link->Request(static_cast<uint16_t>(b.first), static_cast<int16_t>(b.count), 6)) return 1;
      continue;
    }
    if (link->Request(static_cast<uint16_t>(b.first), static_cast<int16_t>(b.count), b.function)) return 1;
    if (!ReplyUsable(link, b.function)) {
      if (b.unusable && b.unusable(link)) return 1;
      if (b.endIfInvalid) {
        PaintAlwaysBlocks(f, view);
        return 0;
      }
      continue;
    }
    ShowBlock(link, b);
    if (b.after && b.after(link)) return 1;
    if (b.paint == Paint::IfUsed) PaintBlock(b);
  }
  PaintAlwaysBlocks(f, view);
  return 0;
}

void PaintLabel(const char* label, QRgb colour) {
  if (ValueLabel* l = ViewLabel(label)) l->setFontColor(colour);
}

void ApplyCaptionVariant(TForm_Main& f, std::span<const CaptionVariant> rows, int variant) {
  if (variant < 0 || variant > 1) return;
  for (const CaptionVariant& r : rows)
    if (auto* l = f.Ctl<QLabel>(QLatin1String(r.label))) l->setText(QString::fromUtf8(r.texts[variant]));
}
