#include "settings/EditorFit.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QStyleOptionFrame>
#include <algorithm>
#include <cstring>
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
  QString reading;  // the longest text the value label shows, unit included
  QString number;   // the same without its unit
};

// What one row can give its editor: the caption's spare room, then the
// value label's beyond its longest reading (never below what it had), and,
// for its own editor only, the label's room for the reading's unit.
struct Spare {
  int caption = 0;
  int value = 0;
  int unit = 0;
};

Spare SpareOf(const RowBefore& r, const Member& m) {
  Spare s;
  if (r.caption) s.caption = std::max(0, r.caption->width() - TextWidth(r.caption, r.caption->text()));
  if (r.value) {
    s.value = std::max(0, r.value->width() - TextWidth(r.value, m.reading));
    s.unit = std::max(0, r.value->width() - TextWidth(r.value, m.number) - s.value);
  }
  return s;
}

// The editors of a column grow alike, by what the row that needs it most can
// get; every row gives what it can of that, a row that needs no more room
// too, so that the column stands in line. A row that cannot give it all
// stands out by what it lacks. The right edges stay put. Captions give alike
// first, so the value labels stand in line as well. A value label keeps room
// for its reading's unit unless its own editor cannot show its text without
// it: what is typed comes first.
void FitColumn(const std::vector<Member>& column) {
  std::vector<RowBefore> rows;
  std::vector<int> gives;  // what each row's value label gives at most
  std::vector<int> captionGives;
  int grow = 0;
  for (const Member& m : column) {
    rows.push_back(ControlsBefore(m.editor, m.valueLabel));
    const Spare spare = SpareOf(rows.back(), m);
    const int lacks = m.need - m.editor->width();
    gives.push_back(spare.value + (lacks > 0 ? spare.unit : 0));
    captionGives.push_back(spare.caption);
    grow = std::max(grow, std::min(lacks, spare.caption + gives.back()));
  }
  if (grow <= 0) return;
  int alike = grow;
  for (const int caption : captionGives) alike = std::min(alike, caption);
  for (size_t i = 0; i < rows.size(); ++i) {
    const RowBefore& r = rows[i];
    const int take = std::min(grow, captionGives[i] + gives[i]);
    const int fromValue = std::min(take - std::min(take, alike), gives[i]);
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
    const QString typed = LongestAcceptedText(f, row);
    return {control, EditWidthFor(edit, typed), row.label, LongestReading(f, row), typed};
  }
  if (auto* combo = qobject_cast<QComboBox*>(control); combo && row.kind == EditorKind::Combo) {
    const QString item = LongestItem(combo);
    // The open list shows every item whole, whatever the box's width.
    combo->view()->setMinimumWidth(combo->fontMetrics().horizontalAdvance(item) + 2 * kComboTextInset +
                                   2 * combo->view()->frameWidth() +
                                   combo->style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    return {control, ComboWidthFor(combo), row.label, item, item};
  }
  return {control, 0, nullptr, {}, {}};
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
  const int factor = RowFactor(f, row);
  const Bounds b = row.accepts ? row.accepts(f) : RowBounds(row);
  const QString lo = UnitsText(b.lo, factor);
  const QString hi = UnitsText(b.hi, factor);
  return lo.size() > hi.size() ? lo : hi;
}

QString LongestReading(const TForm_Main& f, const EditorDecl& row) {
  if (auto* combo = f.Ctl<QComboBox>(QLatin1String(row.control)); combo && row.kind == EditorKind::Combo)
    return LongestItem(combo);
  QString longest;
  const Bounds b = RowBounds(row);
  if (row.label)
    for (std::span<const ReadView* const> views : SettingsReadViews())
      for (const ReadView* view : views)
        for (const ReadBlock& block : view->blocks)
          for (const WordRead& w : block.words) {
            if (!w.target || std::strcmp(w.target, row.label) != 0) continue;
            for (const int64_t end : {b.lo, b.hi}) {
              const std::optional<QString> text = WordText(&f.Link, w, static_cast<uint16_t>(end & 0xFFFF));
              if (text && text->size() > longest.size()) longest = *text;
            }
          }
  return longest.isEmpty() ? LongestAcceptedText(f, row) : longest;
}

void FitEditorsToText(TForm_Main& f) {
  RestoreLaidOut(f);
  for (const auto& [key, column] : Columns(f)) FitColumn(column);
}
