#include "settings/SettingEditors.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <cmath>
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
  if (combo) QObject::connect(combo, &QComboBox::activated, combo, std::move(fn));
}

void OnClick(QAbstractButton* button, std::function<void()> fn) {
  if (button) QObject::connect(button, &QAbstractButton::clicked, button, [fn = std::move(fn)] { fn(); });
}

int64_t ScaledInteger(const QString& text, int factor) {
  const long double product = std::trunc(SafeStrToFloat(text) * factor);
  // 2^63 bounds: beyond them the conversion would be undefined.
  constexpr long double kLimit = 9223372036854775808.0L;
  if (product >= kLimit) return INT64_MAX;
  if (product <= -kLimit) return INT64_MIN;
  return static_cast<int64_t>(product);
}

std::optional<uint16_t> EditValue(const EditDecl& row, const QString& text) {
  int64_t v = 0;
  switch (row.rule) {
    case ValueRule::Scaled: v = ScaledInteger(text, row.factor); break;
    case ValueRule::SafeInt: v = SafeStrToInt(text); break;
    case ValueRule::Strict: {
      int parsed = 0;
      if (!StrictStrToInt(text, parsed)) {
        ShowMessage(QLatin1Char('\'') + text + QStringLiteral("' is not a valid integer value"));
        return std::nullopt;
      }
      v = parsed;
      break;
    }
  }
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
    case RangeForm::Drop:
      if (v < r.lo || v > r.hi) return std::nullopt;
      break;
    case RangeForm::Refuse:
      if (v < r.lo || v > r.hi) {
        if (r.message) ShowMessage(QString::fromLatin1(r.message));
        return std::nullopt;
      }
      break;
  }
  // A value that does not fit a 16-bit word (signed or unsigned) would be
  // written as its low 16 bits, a different setting altogether.
  if (v < -32768 || v > 65535) return std::nullopt;
  return static_cast<uint16_t>(v & kLow16);
}

int CommitEdit(TForm_Main& f, const EditDecl& row) {
  auto* edit = f.Ctl<QLineEdit>(QLatin1String(row.edit));
  if (!edit) return 1;
  const std::optional<uint16_t> value = EditValue(row, edit->text());
  if (!value) return 1;
  PostCommand(f.Link, row.code, row.reg, *value);
  if (row.label) PaintLabel(row.label, clRed);
  return 0;
}

void BindEdits(TForm_Main& f, std::span<const EditDecl> rows) {
  for (const EditDecl& row : rows) {
    auto* edit = f.Ctl<QLineEdit>(QLatin1String(row.edit));
    if (!edit) continue;
    if (row.hint) edit->setToolTip(QString::fromLatin1(row.hint));
    const EditDecl* r = &row;  // rows live in static tables
    OnEnterKey(edit, [&f, r] { CommitEdit(f, *r); });
  }
}

QString WordText(uint16_t word, WordFormat format, const char* unit) {
  QString text;
  switch (format) {
    case WordFormat::Deci: text = FormatDeci(word); break;
    case WordFormat::Centi: text = FormatCenti(word); break;
    case WordFormat::Milli: text = FormatMilli(word); break;
    case WordFormat::Decimal: text = QString::number(word); break;
  }
  return unit ? text + QString::fromUtf8(unit) : text;
}

void ShowWords(const Modbus* link, std::span<const WordShow> rows) {
  for (size_t k = 0; k < rows.size(); ++k) {
    if (!rows[k].label) continue;
    if (ValueLabel* l = ViewLabel(rows[k].label))
      l->setText(WordText(ReplyWord(link, static_cast<int>(k)), rows[k].format, rows[k].unit));
  }
}

void PaintWords(std::span<const WordShow> rows, QRgb colour) {
  for (const WordShow& r : rows)
    if (r.label) PaintLabel(r.label, colour);
}

void PaintLabel(const char* label, QRgb colour) {
  if (ValueLabel* l = ViewLabel(label)) l->setFontColor(colour);
}
