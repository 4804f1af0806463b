#include "settings/EditorFit.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QStyleOptionFrame>
#include <algorithm>
#include <map>
#include <span>
#include <tuple>
#include <utility>
#include <vector>

#include "app/main.h"
#include "settings/SettingEditors.h"

namespace {

// A line edit keeps this much blank inside its contents on either side and a
// pixel for the cursor after the text; a combo box draws its item a pixel in
// from its edit field on either side.
constexpr int kEditInnerMargin = 2;
constexpr int kCursorWidth = 1;
constexpr int kComboTextInset = 1;

// Where the layout put a control that a fit moved: every fit starts again
// from there, so that a caption that grew (a translation) takes its room back.
constexpr const char* kLaidOut = "LaidOutGeometry";

void SetFitted(QWidget* w, const QRect& r) {
  if (!w->property(kLaidOut).isValid()) w->setProperty(kLaidOut, w->geometry());
  w->setGeometry(r);
}

void RestoreLaidOut(TForm_Main& f) {
  for (QWidget* w : f.findChildren<QWidget*>())
    if (const QVariant laidOut = w->property(kLaidOut); laidOut.isValid()) w->setGeometry(laidOut.toRect());
}

int TextWidth(const QLabel* label, const QString& text) {
  return label->fontMetrics().size(0, text).width() + label->width() - label->contentsRect().width();
}

QString LongestItem(const QComboBox* combo) {
  QString longest;
  for (int i = 0; i < combo->count(); ++i)
    if (combo->fontMetrics().horizontalAdvance(combo->itemText(i)) > combo->fontMetrics().horizontalAdvance(longest))
      longest = combo->itemText(i);
  return longest;
}

// The width an edit needs to show `text` whole, frame and margins included.
int EditWidthFor(const QLineEdit* edit, const QString& text) {
  QStyleOptionFrame opt;
  opt.initFrom(edit);
  opt.rect = edit->rect();
  opt.lineWidth = edit->hasFrame() ? edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &opt, edit) : 0;
  opt.midLineWidth = 0;
  opt.state |= QStyle::State_Sunken;
  opt.features = QStyleOptionFrame::None;
  const QRect contents = edit->style()->subElementRect(QStyle::SE_LineEditContents, &opt, edit);
  const QMargins margins = edit->textMargins();
  const int chrome = edit->width() - contents.width() + margins.left() + margins.right() + 2 * kEditInnerMargin;
  return edit->fontMetrics().horizontalAdvance(text) + kCursorWidth + chrome;
}

// The width a combo box needs to show its longest item whole.
int ComboWidthFor(const QComboBox* combo) {
  QStyleOptionComboBox opt;
  opt.initFrom(combo);
  opt.editable = combo->isEditable();
  opt.frame = combo->hasFrame();
  opt.rect = combo->rect();
  const QRect field = combo->style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, combo);
  // A box that takes typed text shows it in a line edit of its own.
  const int inset = combo->isEditable() ? kEditInnerMargin + kCursorWidth : kComboTextInset;
  return combo->fontMetrics().horizontalAdvance(LongestItem(combo)) + 2 * inset + combo->width() - field.width();
}

bool SameRow(const QWidget* a, const QWidget* b) {
  return a->y() < b->y() + b->height() && b->y() < a->y() + a->height();
}

// What lies before an editor in its row, up to and including its caption:
// controls that move with it (a sign chooser), its value label, its caption.
struct RowBefore {
  QWidget* editor;
  std::vector<QWidget*> moving;
  QLabel* value = nullptr;
  QLabel* caption = nullptr;
};

RowBefore ControlsBefore(QWidget* editor, const char* valueLabel) {
  RowBefore row{editor, {}};
  std::vector<QWidget*> before;
  for (QWidget* w : editor->parentWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
    if (w != editor && SameRow(w, editor) && w->x() + w->width() <= editor->x() + 1) before.push_back(w);
  std::sort(before.begin(), before.end(), [](QWidget* a, QWidget* b) { return a->x() > b->x(); });
  for (QWidget* w : before) {
    if (auto* label = qobject_cast<QLabel*>(w)) {
      if (valueLabel && w->objectName() == QLatin1String(valueLabel)) {
        row.value = label;
        continue;
      }
      row.caption = label;
      break;
    }
    // Another editor: the row before it is not this editor's.
    if (qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w)) break;
    row.moving.push_back(w);
  }
  return row;
}

struct Member {
  QWidget* editor;
  int need;
  const char* valueLabel;
  QString reading;  // the longest text the value label must keep room for
};

// What one row can give its editor: the caption's spare room, then the
// value label's beyond its longest reading (never below what it had).
struct Spare {
  int caption = 0;
  int value = 0;
};

Spare SpareOf(const RowBefore& r, const QString& reading) {
  Spare s;
  if (r.caption) s.caption = std::max(0, r.caption->width() - TextWidth(r.caption, r.caption->text()));
  if (r.value) s.value = std::max(0, r.value->width() - TextWidth(r.value, reading));
  return s;
}

// The editors of a column grow alike, by what the row that needs it most can
// get, and each row gives what it can of that; the right edges stay put.
// Captions give alike first, so the value labels stay aligned as well.
void FitColumn(const std::vector<Member>& column) {
  std::vector<RowBefore> rows;
  std::vector<Spare> spares;
  int grow = 0;
  for (const Member& m : column) {
    rows.push_back(ControlsBefore(m.editor, m.valueLabel));
    spares.push_back(SpareOf(rows.back(), m.reading));
    // A row whose editor shows its text already only keeps the column aligned:
    // its value label gives nothing.
    if (m.need <= m.editor->width()) spares.back().value = 0;
    grow = std::max(grow, std::min(m.need - m.editor->width(), spares.back().caption + spares.back().value));
  }
  if (grow <= 0) return;
  int alike = grow;
  for (const Spare& spare : spares) alike = std::min(alike, spare.caption);
  for (size_t i = 0; i < rows.size(); ++i) {
    const RowBefore& r = rows[i];
    const int take = std::min(grow, spares[i].caption + spares[i].value);
    const int fromValue = std::min(take - std::min(take, alike), spares[i].value);
    const int fromCaption = take - fromValue;
    SetFitted(r.editor, r.editor->geometry().adjusted(-take, 0, 0, 0));
    for (QWidget* w : r.moving) SetFitted(w, w->geometry().translated(-take, 0));
    if (r.value) SetFitted(r.value, r.value->geometry().adjusted(-fromCaption, 0, -take, 0));
    if (r.caption) SetFitted(r.caption, r.caption->geometry().adjusted(0, 0, -fromCaption, 0));
  }
}

// The editor's need and what its value label shows at most; a need of 0
// for controls that show no text of their own.
Member MemberOf(const TForm_Main& f, const EditorDecl& row, QWidget* control) {
  if (auto* edit = qobject_cast<QLineEdit*>(control); edit && row.kind == EditorKind::Edit) {
    const QString text = LongestAcceptedText(f, row);
    // The label reads the same number back.
    return {control, EditWidthFor(edit, text), row.label, text};
  }
  if (auto* combo = qobject_cast<QComboBox*>(control); combo && row.kind == EditorKind::Combo) {
    const QString item = LongestItem(combo);
    // The open list shows every item whole, whatever the box's width.
    combo->view()->setMinimumWidth(combo->fontMetrics().horizontalAdvance(item) + 2 * kComboTextInset +
                                   2 * combo->view()->frameWidth() +
                                   combo->style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    // The label reads back the item chosen.
    return {control, ComboWidthFor(combo), row.label, item};
  }
  return {control, 0, nullptr, {}};
}

// Columns: editors of one parent with the same left and right edges (a
// column moves as one, so a fitted column keeps its members).
using ColumnKey = std::tuple<QWidget*, int, int>;

std::map<ColumnKey, std::vector<Member>> Columns(TForm_Main& f) {
  std::map<ColumnKey, std::vector<Member>> columns;
  for (std::span<const EditorDecl> table : SettingsEditorTables())
    for (const EditorDecl& row : table) {
      QWidget* control = f.Control(QLatin1String(row.control));
      if (!control || !control->parentWidget()) continue;
      Member m = MemberOf(f, row, control);
      if (m.need <= 0) continue;
      columns[{control->parentWidget(), control->x(), control->x() + control->width()}].push_back(std::move(m));
    }
  return columns;
}

}  // namespace

QString LongestAcceptedText(const TForm_Main& f, const EditorDecl& row) {
  int factor = row.rule == ValueRule::Scaled ? row.factor : 1;
  // A register that follows a profile option has that option's scale.
  if (row.where && row.rule == ValueRule::Scaled) {
    const RegisterScale at = row.where(f);
    if (at.reg != 0) factor = at.factor;
  }
  const Bounds b = RowBounds(row);
  const QString lo = UnitsText(b.lo, factor);
  const QString hi = UnitsText(b.hi, factor);
  return lo.size() > hi.size() ? lo : hi;
}

void FitEditorsToText(TForm_Main& f) {
  RestoreLaidOut(f);
  for (const auto& [key, column] : Columns(f)) FitColumn(column);
}
