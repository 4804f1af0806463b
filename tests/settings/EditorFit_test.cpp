#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTest>
#include <map>
#include <set>
#include <tuple>

#include "app/GroupPanel.h"
#include "app/main.h"
#include "link/PollingLoop.h"
#include "platform/ValueLabel.h"
#include "settings/EditorFit.h"
#include "settings/SettingEditors.h"
#include "support/PollFixture.h"

namespace {

// The room a combo box gives the text of its chosen item.
int ItemRoom(const QComboBox* c) {
  QStyleOptionComboBox opt;
  opt.initFrom(c);
  opt.editable = c->isEditable();
  opt.frame = c->hasFrame();
  opt.rect = c->rect();
  return c->style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, c).width() - 2;
}

// Where the edit draws its cursor, as an input method is told.
int CursorX(QLineEdit* e) { return e->inputMethodQuery(Qt::ImCursorRectangle).toRect().center().x(); }

bool Refused(const QStringList& messages) {
  for (const QString& m : messages)
    if (m.startsWith("Out of range") || m.contains("is not a valid")) return true;
  return false;
}

// Types the text into the edit as the user does and tells whether it stands
// whole in the box before Enter. Painted as on screen, the text scrolls to
// keep the cursor in view: with the cursor at its end the text must start in
// view, and Home must move the cursor by the text's whole width, with nothing
// scrolled.
::testing::AssertionResult TypedTextShowsWhole(QLineEdit* e, const QString& text) {
  QTest::keyClick(e, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(e, text);
  if (e->text() != text) return ::testing::AssertionFailure() << "the box holds \"" << e->text().toStdString() << '"';
  e->grab();
  const int firstInView = e->cursorPositionAt(QPoint(0, e->height() / 2));
  const int end = CursorX(e);
  QTest::keyClick(e, Qt::Key_Home);
  e->grab();
  const int shown = end - CursorX(e);
  QTest::keyClick(e, Qt::Key_End);
  const int width = e->fontMetrics().horizontalAdvance(text);
  if (firstInView != 0 || shown != width)
    return ::testing::AssertionFailure() << "cut off: " << shown << " of " << width << " px in view";
  return ::testing::AssertionSuccess();
}

// Every edit of the settings pages: its row's longest accepted text, typed,
// stands whole in the box before Enter, and Enter does not refuse it.
TEST(EditorFit, EveryBoxShowsTheLongestTextOfItsRow) {
  polltest::LinkedWindow t(false);
  int checked = 0;
  for (std::span<const EditorDecl> table : SettingsEditorTables())
    for (const EditorDecl& row : table) {
      auto* e = t.w.Ctl<QLineEdit>(QLatin1String(row.control));
      if (row.kind != EditorKind::Edit || !e) continue;
      const QString text = LongestAcceptedText(t.w, row);
      SCOPED_TRACE(std::string(row.control) + " \"" + text.toStdString() + "\"");
      EXPECT_TRUE(TypedTextShowsWhole(e, text));
      t.dialogs.messages.clear();
      QTest::keyClick(e, Qt::Key_Return);
      EXPECT_FALSE(Refused(t.dialogs.messages)) << t.dialogs.messages.join(" | ").toStdString();
      ++checked;
    }
  EXPECT_GT(checked, 0);
}

// A caption that a translation makes longer takes back the room the fit had
// given its editor: the row is fitted again from the layout's sizes.
TEST(EditorFit, ATranslatedCaptionTakesItsRoomBack) {
  polltest::LinkedWindow t(false);
  auto* caption = t.w.Ctl<QLabel>("Label71");
  ASSERT_NE(caption, nullptr);
  const QString german = QString::fromUtf8("Abschaltung U zu hoch:");
  const int need = caption->fontMetrics().size(0, german).width();
  ASSERT_GT(need, caption->width()) << "the text fits the fitted caption: it shows nothing";
  QDir(t.home.dir.path()).mkpath("profile");
  QFile table(t.home.dir.filePath("profile/LangTable.KXL"));
  ASSERT_TRUE(table.open(QIODevice::WriteOnly));
  const QString rows = "English\tDeutsch\tFrancais\r\nU High Off:\t" + german + "\tU haute:\r\n";
  table.write(QByteArray("\xFF\xFE") +
              QByteArray(reinterpret_cast<const char*>(rows.utf16()), rows.size() * 2));
  table.close();

  t.w.LanguageChange(1);
  ASSERT_EQ(caption->text(), german);
  EXPECT_LE(need, caption->contentsRect().width()) << "the translation is cut";
  auto* value = t.w.Ctl<QLabel>("Label_UHighOFF");
  auto* edit = t.w.Ctl<QLineEdit>("Edit_UHighOFF");
  EXPECT_LT(caption->geometry().right(), value->x());
  EXPECT_LT(value->geometry().right(), edit->x());
  EXPECT_TRUE(TypedTextShowsWhole(edit, "6553.5"));
}

// Every settings list shows each of its items whole in the closed box, and
// its open list is wide enough for them too.
TEST(EditorFit, EveryListShowsItsLongestItem) {
  polltest::LinkedWindow t(false);
  for (std::span<const EditorDecl> table : SettingsEditorTables())
    for (const EditorDecl& row : table) {
      auto* c = t.w.Ctl<QComboBox>(QLatin1String(row.control));
      if (row.kind != EditorKind::Combo || !c) continue;
      for (int i = 0; i < c->count(); ++i) {
        const QString item = c->itemText(i);
        const int need = c->fontMetrics().horizontalAdvance(item);
        EXPECT_LE(need, ItemRoom(c)) << row.control << " \"" << item.toStdString() << "\"";
        EXPECT_LE(need, c->view()->minimumWidth()) << row.control << " \"" << item.toStdString() << "\"";
      }
    }
}

// A box grows to the left, into the room its caption leaves; the caption,
// the value label and a sign chooser stay whole, apart and in the row, and
// the rows of a column stay aligned.
TEST(EditorFit, AWiderBoxTakesTheCaptionsSpareRoomAndKeepsTheRowWholeAndAligned) {
  polltest::LinkedWindow t(false);
  struct Row {
    const char *caption, *value, *chooser, *edit;
  };
  const Row rows[] = {
      {"Label71", "Label_UHighOFF", nullptr, "Edit_UHighOFF"},
      {"Label90", "Label_UHighOFFSlowTime", nullptr, "Edit_UHighOFFSlowTime"},
      {"Caption_FixCos", "Label_FixCos", "List_CosRange", "Edit_FixCos"},
      {"Caption_FixKvar", "Label_FixKvar", "List_FixKvar", "Edit_FixKvar"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.edit);
    auto* caption = t.w.Ctl<QLabel>(r.caption);
    auto* value = t.w.Ctl<ValueLabel>(r.value);
    auto* edit = t.w.Ctl<QLineEdit>(r.edit);
    ASSERT_TRUE(caption && value && edit);
    QList<QWidget*> order{caption, value};
    if (r.chooser) order << t.w.Control(r.chooser);
    order << edit;
    for (int k = 1; k < order.size(); ++k)
      EXPECT_LT(order[k - 1]->geometry().right(), order[k]->x()) << order[k]->objectName().toStdString();
    EXPECT_LE(edit->geometry().right(), edit->parentWidget()->width() - 1);
    EXPECT_LE(caption->fontMetrics().horizontalAdvance(caption->text()), caption->width());
    // A value label keeps room for a reading and its unit.
    EXPECT_GE(value->width(), value->fontMetrics().horizontalAdvance("253.5 V"));
  }
  EXPECT_EQ(t.w.Control("Edit_UHighOFF")->x(), t.w.Control("Edit_UHighOFFSlowTime")->x());
  EXPECT_EQ(t.w.Control("Label_UHighOFF")->x(), t.w.Control("Label_UHighOFFSlowTime")->x());
  EXPECT_EQ(t.w.Control("Edit_FixCos")->x(), t.w.Control("Edit_FixKvar")->x());
}

// The country box, as a technician works it: a click opens its list, a click
// on an item chooses it. Every name stands whole in the open list; the box
// beside the label that reads the country back shows the first ones whole.
TEST(EditorFit, ACountryChosenWithTheMouseShowsWhole) {
  polltest::LinkedWindow t(false);
  t.w.LoadedCountryNames[0] = "NONE";  // no country file: the built-in list
  t.w.CountryListInit();
  t.ShowPanel("Group_Country");
  t.w.resize(1024, 740);
  t.w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&t.w));
  auto* box = t.w.Ctl<QComboBox>("Combo_Country");
  ASSERT_NE(box, nullptr);
  ASSERT_GT(box->count(), 10);
  const struct {
    QString name;
    bool wholeInTheBox;
  } picks[] = {{"Default", true}, {"Custom", true}, {"Germany LV", false}, {"France LV VFR2014", false}};
  for (const auto& pick : picks) {
    SCOPED_TRACE(pick.name.toStdString());
    const int index = box->findText(pick.name);
    ASSERT_GE(index, 0);
    QTest::mouseClick(box, Qt::LeftButton);
    QAbstractItemView* list = box->view();
    ASSERT_TRUE(QTest::qWaitFor([list] { return list->isVisible(); })) << "the list did not open";
    const QModelIndex item = list->model()->index(index, 0);
    list->scrollTo(item);
    const QRect at = list->visualRect(item);
    EXPECT_LE(at.left() + box->fontMetrics().horizontalAdvance(pick.name), list->viewport()->width())
        << "cut in the open list";
    QTest::mouseMove(list->viewport(), at.center());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at.center());
    ASSERT_TRUE(QTest::qWaitFor([list] { return !list->isVisible(); })) << "the list stayed open";
    EXPECT_EQ(box->currentText(), pick.name);
    if (pick.wholeInTheBox)
      EXPECT_LE(box->fontMetrics().horizontalAdvance(pick.name), ItemRoom(box)) << "cut in the box";
  }
}

const EditorDecl* RowOf(const char* control) {
  for (std::span<const EditorDecl> table : SettingsEditorTables())
    for (const EditorDecl& row : table)
      if (std::string(row.control) == control) return &row;
  return nullptr;
}

// Rows whose own code sets what they take: the maximum power in watts, up to
// a register's worth times the largest power factor an inverter reports, and
// the lifetime energy as a 32-bit count of tenths.
TEST(EditorFit, RowsThatSetTheirOwnRangeShowItsLongestText) {
  polltest::LinkedWindow t(false);
  const struct {
    const char* edit;
    const char* longest;
  } cases[] = {{"Edit_MaxPower", "65535000"}, {"Edit_LifeEnergy", "429496729.5"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.edit);
    const EditorDecl* row = RowOf(c.edit);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(LongestAcceptedText(t.w, *row), c.longest);
    auto* e = t.w.Ctl<QLineEdit>(c.edit);
    ASSERT_NE(e, nullptr);
    EXPECT_TRUE(TypedTextShowsWhole(e, c.longest));
  }
}

// No fit narrows a value label below what it reads back, its unit included,
// unless its own editor could not show its text otherwise (the caption gave
// all it had): each end of every row's range typed, written and read again.
TEST(EditorFit, EveryValueLabelShowsTheLongestReadingWithItsUnit) {
  polltest::LinkedWindow t;
  TForm_Main& w = t.w;
  w.IsSuperUser = 1;  // no access code asked
  std::vector<const EditorDecl*> rows;
  for (std::span<const EditorDecl> table : SettingsEditorTables())
    for (const EditorDecl& row : table)
      if (row.kind == EditorKind::Edit && row.label && w.Ctl<QLineEdit>(QLatin1String(row.control)) &&
          w.Ctl<ValueLabel>(QLatin1String(row.label)))
        rows.push_back(&row);
  ASSERT_FALSE(rows.empty());
  for (const EditorDecl* row : rows)
    for (QWidget* p = w.Control(QLatin1String(row->control)); p; p = p->parentWidget())
      if (auto* panel = qobject_cast<GroupPanel*>(p)) panel->show();
  int checked = 0;
  for (bool upper : {false, true}) {
    SCOPED_TRACE(upper ? "upper end" : "lower end");
    for (const EditorDecl* row : rows) {
      const Bounds b = RowBounds(*row);
      const int factor = row->rule == ValueRule::Scaled ? RowFactor(w, *row) : 1;
      auto* e = w.Ctl<QLineEdit>(QLatin1String(row->control));
      e->setText(UnitsText(upper ? b.hi : b.lo, factor));
      QTest::keyClick(e, Qt::Key_Return);
      if (w.Link.CmdCode != 0) ASSERT_EQ(w.ExecutePendingCommand(), 0) << row->control;
      w.Link.CmdCode = 0;
    }
    for (const PollRow& r : PollOrder())
      if (!r.runs || r.runs(w)) ASSERT_EQ(r.item(&w.Link, 0), 0);
    for (const EditorDecl* row : rows) {
      auto* label = w.Ctl<ValueLabel>(QLatin1String(row->label));
      if (label->fontColor() != clBlue) continue;  // nothing read back into it
      ++checked;
      const QVariant laidOut = label->property("LaidOutGeometry");
      if (!laidOut.isValid() || label->width() >= laidOut.toRect().width()) continue;  // as laid out
      if (label->fontMetrics().horizontalAdvance(label->text()) <= label->contentsRect().width()) continue;
      // Cut: the caption before it must have had nothing more to give.
      QLabel* caption = nullptr;
      for (QLabel* l : label->parentWidget()->findChildren<QLabel*>(Qt::FindDirectChildrenOnly))
        if (l != label && l->geometry().right() < label->x() && l->y() < label->y() + label->height() &&
            label->y() < l->y() + l->height() && (!caption || l->x() > caption->x()))
          caption = l;
      ASSERT_NE(caption, nullptr) << row->label;
      EXPECT_LE(caption->contentsRect().width() - caption->fontMetrics().size(0, caption->text()).width(), 1)
          << row->label << " \"" << label->text().toStdString() << "\" cut while "
          << caption->text().toStdString() << " has room to spare";
    }
  }
  EXPECT_GT(checked, int(rows.size()));
}

// The editors of a column stand in line. Only a row that has no room left
// to give, its caption and value label down to their texts, stands out.
TEST(EditorFit, EditorsOfAColumnStandInLineWhereTheirRowsHaveRoom) {
  polltest::LinkedWindow t(false);
  TForm_Main& w = t.w;
  w.LoadedCountryNames[0] = "NONE";
  w.CountryListInit();
  // A column: the editors of one parent that the layout put between the same
  // edges (a fit moves only the left one).
  std::map<std::tuple<QWidget*, int, int>, std::vector<const EditorDecl*>> columns;
  for (std::span<const EditorDecl> table : SettingsEditorTables())
    for (const EditorDecl& row : table) {
      QWidget* c = w.Control(QLatin1String(row.control));
      if (!c || (row.kind != EditorKind::Edit && row.kind != EditorKind::Combo)) continue;
      const QVariant laidOut = c->property("LaidOutGeometry");
      const QRect at = laidOut.isValid() ? laidOut.toRect() : c->geometry();
      columns[{c->parentWidget(), at.x(), at.right()}].push_back(&row);
    }
  for (const auto& [key, members] : columns) {
    int line = INT_MAX;
    for (const EditorDecl* row : members) line = std::min(line, w.Control(QLatin1String(row->control))->x());
    for (const EditorDecl* row : members) {
      QWidget* editor = w.Control(QLatin1String(row->control));
      if (editor->x() == line) continue;
      // What is left of the editor in its row: the caption and the value label.
      for (QLabel* l : editor->parentWidget()->findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) {
        if (l->geometry().right() >= editor->x() || l->y() >= editor->y() + editor->height() ||
            l->y() + l->height() <= editor->y() || l->isHidden())
          continue;
        const bool value = row->label && l->objectName() == QLatin1String(row->label);
        const QString text = value ? LongestReading(w, *row) : l->text();
        const int room = l->contentsRect().width() - l->fontMetrics().size(0, text).width();
        EXPECT_LE(room, 1) << row->control << " stands out of line at " << editor->x() << " (column at " << line
                           << ") while " << l->objectName().toStdString() << " has " << room << " px to spare";
      }
    }
  }
  // The country column, for one: the rows with room to give stand in line
  // (the country's label keeps room for the longest grid-code name, the
  // reclosure time's for "655.35 sec").
  EXPECT_EQ(w.Control("Edit_InverterID")->x(), w.Control("Combo_Baudrate")->x());
  EXPECT_EQ(w.Control("Combo_LanguageSelect")->x(), w.Control("Combo_Baudrate")->x());
}

}  // namespace
