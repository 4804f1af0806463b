// Every group panel as a technician sees it: its controls inside the panel,
// below the title bar, apart from each other, and every caption whole.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QFontMetrics>
#include <QGlyphRun>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTextLayout>
#include <algorithm>
#include <functional>
#include <set>
#include <span>

#include "app/ControlTable.h"
#include "app/GroupPanel.h"
#include "app/main.h"
#include "support/PanelGeometry.h"
#include "support/QtPrinters.h"

namespace {

using panelgeo::Placed;
using panelgeo::RoomFor;
using panelgeo::ShownControls;

// Panels drawn wider in one of their layouts than in the table: the voltage
// protection panel's two wide layouts bring its second column into view.
int WidestLayout(const GroupPanelDecl& d) {
  return QString::fromLatin1(d.name) == "Group_UacProtection" ? 520 : d.width;
}

// Panels taller in one profile than in the table: the active power panel
// shows its slope row at 250 px.
int TallestLayout(const GroupPanelDecl& d) {
  return QString::fromLatin1(d.name) == "Group_ActivePower" ? 250 : d.tag;
}

// The allowed overlaps: row captions that the design makes one label holding
// the row's name, the slashes between its columns and its unit, with the
// values laid over the blanks between them. A control may lie over such a
// caption only within its blanks, never on a printed character.
constexpr const char* kCaptionsWithGaps[] = {
    "Label_BRK_VdcRow", "Label_BRK_IdcRow", "Label_BRK_PdcRow", "Label_BRK_VacRow",
    "Label_BRK_IacRow", "Label_BRK_PacRow", "Label_BRK_FacRow", "Label_BRK_EnergyTodayRow",
    "Label_BRK_EnergyAccRow",
};

bool HasGaps(const QWidget* w) {
  for (const char* name : kCaptionsWithGaps)
    if (w->objectName() == QLatin1String(name)) return true;
  return false;
}

// The panel-coordinate spans of the caption's printed (non-blank) characters.
QList<std::pair<int, int>> InkSpans(const QLabel* caption, const QRect& at) {
  const QString text = caption->text();
  const QFontMetrics fm = caption->fontMetrics();
  QList<std::pair<int, int>> spans;
  for (int i = 0; i < text.size(); ++i) {
    if (text[i].isSpace()) continue;
    const int x = at.left() + caption->contentsRect().left() + fm.horizontalAdvance(text.left(i));
    spans.push_back({x, x + fm.horizontalAdvance(text[i])});
  }
  return spans;
}

// Every caption of every panel, shown or not, with its title and the top
// bar's captions: where it is, the control, its text, the width the text
// needs and the room the control gives it.
struct Caption {
  std::string where;
  QWidget* w;
  QString text;
  int needed, room;
};

void ForEachCaption(const TForm_Main& win, const std::function<void(const Caption&)>& visit) {
  const auto take = [&](const std::string& where, QWidget* c) {
    Caption cap{where, c, {}, 0, 0};
    cap.room = RoomFor(c, cap.text, cap.needed);
    if (!cap.text.isEmpty()) visit(cap);
  };
  for (const GroupPanelDecl& d : GroupPanelTable()) {
    GroupPanel* panel = win.Panel(d.name);
    if (!panel) continue;
    // Hidden rows too: each shows its caption once a profile or a view shows it.
    for (const Placed& p : ShownControls(win, panel, true)) take(d.name, p.w);
    take(d.name, panel->TitleLabel());
  }
  for (QWidget* c : win.Control("Group_Top")->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
    if (!c->inherits("ImageBox")) take("Group_Top", c);
}

// Whether some installed font can draw the character: the font falls back to
// any font that has the glyph and draws glyph 0, an empty box, only where
// none has it.
bool HasGlyph(const QFont& font, const QString& character) {
  QTextLayout layout(character, font);
  layout.beginLayout();
  layout.createLine();
  layout.endLayout();
  const QList<QGlyphRun> runs = layout.glyphRuns();
  if (runs.isEmpty()) return false;
  for (const QGlyphRun& run : runs)
    for (const quint32 glyph : run.glyphIndexes())
      if (glyph == 0) return false;
  return true;
}

// The characters of the captions that no installed font draws, with a caption
// that uses each. Without a font for them the width checks would measure empty
// boxes and pass whatever the layout.
QString MissingGlyphs(const TForm_Main& win) {
  constexpr int kListed = 8;
  std::set<QString> seen;
  QString report;
  int missing = 0;
  ForEachCaption(win, [&](const Caption& c) {
    for (const QChar ch : c.text) {
      if (ch.isSpace() || !seen.insert(QString(ch)).second || HasGlyph(c.w->font(), QString(ch))) continue;
      if (++missing <= kListed)
        report += QStringLiteral("\n  '%1' (U+%2) in %3 of %4")
                      .arg(ch)
                      .arg(ch.unicode(), 4, 16, QLatin1Char('0'))
                      .arg(c.w->objectName(), QString::fromStdString(c.where));
    }
  });
  if (missing > kListed) report += QStringLiteral("\n  and %1 more").arg(missing - kListed);
  return report;
}

class PanelLayout : public ::testing::Test {
 protected:
  void SetUp() override {
    // The wide voltage layout with the high side's second slow stage in
    // view: every control of the panel's layouts at once.
    w.Control("GroupBox39")->setVisible(true);
    const QString missing = MissingGlyphs(w);
    ASSERT_TRUE(missing.isEmpty())
        << "No installed font has glyphs for these caption characters, so their widths cannot be measured "
           "(install a font with Japanese glyphs, e.g. Debian's fonts-droid-fallback):"
        << missing.toStdString();
  }
  TForm_Main w;
};

TEST_F(PanelLayout, EveryControlLiesInsideItsPanelBelowTheTitleBar) {
  for (const GroupPanelDecl& d : GroupPanelTable()) {
    GroupPanel* panel = w.Panel(d.name);
    ASSERT_NE(panel, nullptr) << d.name;
    const QRect body(0, GroupPanel::kTitleHeight, WidestLayout(d), TallestLayout(d) - GroupPanel::kTitleHeight);
    // Hidden rows too: a profile or a view may show them.
    for (const Placed& p : ShownControls(w, panel, true))
      EXPECT_TRUE(body.contains(p.r)) << d.name << ": " << p.w->objectName().toStdString() << " at ("
                                      << p.r.x() << ", " << p.r.y() << ", " << p.r.width() << " x "
                                      << p.r.height() << ")";
  }
}

TEST_F(PanelLayout, NoTwoShownControlsOfAPanelOverlap) {
  for (const GroupPanelDecl& d : GroupPanelTable()) {
    GroupPanel* panel = w.Panel(d.name);
    ASSERT_NE(panel, nullptr) << d.name;
    const QList<Placed> shown = ShownControls(w, panel);
    for (int i = 0; i < shown.size(); ++i)
      for (int j = i + 1; j < shown.size(); ++j) {
        const Placed& a = shown[i];
        const Placed& b = shown[j];
        // A frame holds its own rows.
        if (a.w->isAncestorOf(b.w) || b.w->isAncestorOf(a.w)) continue;
        if (!a.r.intersects(b.r)) continue;
        const Placed* caption = HasGaps(a.w) ? &a : HasGaps(b.w) ? &b : nullptr;
        if (!caption) {
          ADD_FAILURE() << d.name << ": " << a.w->objectName().toStdString() << " overlaps "
                        << b.w->objectName().toStdString();
          continue;
        }
        const Placed& over = caption == &a ? b : a;
        for (const auto& [from, to] : InkSpans(static_cast<QLabel*>(caption->w), caption->r))
          EXPECT_TRUE(to <= over.r.left() || from > over.r.right())
              << d.name << ": " << over.w->objectName().toStdString() << " covers a character of "
              << caption->w->objectName().toStdString() << " at " << from;
      }
  }
}

TEST_F(PanelLayout, EveryCaptionFitsItsControlInTheDefaultFontShownOrNot) {
  ForEachCaption(w, [](const Caption& c) {
    EXPECT_LE(c.needed, c.room) << c.where << ": " << c.w->objectName().toStdString() << " \""
                                << c.text.toStdString() << "\"";
  });
}

// The voltage protection rows: caption, value label and edit of each value.
struct ProtectionRow {
  const char *caption, *value, *edit;
};
constexpr ProtectionRow kUacFirstColumn[] = {
    {"Label71", "Label_UHighOFF", "Edit_UHighOFF"},
    {"Label78", "Label_UHighOFFTime", "Edit_UHighOFFTime"},
    {"Label82", "Label_UHighON", "Edit_UHighON"},
    {"Label94", "Label_ULowOFF", "Edit_ULowOFF"},
    {"Label95", "Label_ULowOFFTime", "Edit_ULowOFFTime"},
    {"Label96", "Label_ULowON", "Edit_ULowON"},
    {"Label87", "Label_UHighOFFSlow", "Edit_UHighOFFSlow"},
    {"Label90", "Label_UHighOFFSlowTime", "Edit_UHighOFFSlowTime"},
    {"Label92", "Label_UHighONSlow", "Edit_UHighONSlow"},
    {"Label97", "Label_ULowOFFSlow", "Edit_ULowOFFSlow"},
    {"Label98", "Label_ULowOFFSlowTime", "Edit_ULowOFFSlowTime"},
    {"Label99", "Label_ULowONSlow", "Edit_ULowONSlow"},
};
constexpr ProtectionRow kUacSecondStage[] = {
    {"Label551", "Label_UHighOFFSlow2", "Edit_UHighOFFSlow2"},
    {"Label569", "Label_UHighOFFSlowTime2", "Edit_UHighOFFSlowTime2"},
    {"Label575", "Label_UHighONSlow2", "Edit_UHighONSlow2"},
    {"Label594", "Label_ULowOFFSlow2", "Edit_ULowOFFSlow2"},
    {"Label601", "Label_ULowOFFSlowTime2", "Edit_ULowOFFSlowTime2"},
    {"Label603", "Label_ULowONSlow2", "Edit_ULowONSlow2"},
};

// What a technician finds right of a caption, on its line: every shown
// control of the panel that meets the band from the caption's right edge
// to the panel's right edge at the caption's height.
QStringList BesideCaption(const TForm_Main& w, GroupPanel* panel, const char* caption) {
  QWidget* c = w.Control(caption);
  const QRect at(c->mapTo(panel, QPoint(0, 0)), c->size());
  const QRect band(at.right() + 1, at.top(), panel->width() - at.right() - 1, at.height());
  QStringList found;
  for (const Placed& p : ShownControls(w, panel))
    if (p.w->objectName() != "GroupBox39" && p.r.intersects(band)) found << p.w->objectName();
  found.sort();
  return found;
}

TEST(VoltageProtectionLayout, EachCaptionHasItsOwnValueAndEditBesideItInBothWideLayouts) {
  TForm_Main w;
  GroupPanel* panel = w.Panel("Group_UacProtection");
  panel->resize(520, panel->height());
  for (const bool highSideShown : {true, false}) {  // VacProtectSet 1, then 2
    SCOPED_TRACE(highSideShown ? "high side shown" : "high side hidden");
    w.Control("GroupBox39")->setVisible(highSideShown);
    const std::span<const ProtectionRow> columns[] = {kUacFirstColumn, kUacSecondStage};
    for (const auto& rows : columns)
      for (const ProtectionRow& r : rows) {
        if (!w.Control(r.caption)->isVisibleTo(panel)) continue;
        QStringList expected{r.value, r.edit};
        expected.sort();
        // In the first column the second column's row of the same height
        // lies beside it too, but only beyond the first column's edit.
        QStringList beside = BesideCaption(w, panel, r.caption);
        beside.erase(std::remove_if(beside.begin(), beside.end(),
                                    [&](const QString& n) {
                                      return w.Control(n)->mapTo(panel, QPoint(0, 0)).x() >= 255 &&
                                             w.Control(r.caption)->mapTo(panel, QPoint(0, 0)).x() < 255;
                                    }),
                     beside.end());
        EXPECT_EQ(beside, expected) << r.caption;
      }
  }
  EXPECT_TRUE(w.Control("Label594")->isVisibleTo(panel));
}

TEST(VoltageProtectionLayout, NarrowLayoutShowsOnlyTheFirstTwelveValues) {
  TForm_Main w;
  GroupPanel* panel = w.Panel("Group_UacProtection");
  ASSERT_EQ(panel->width(), 255);
  const auto left = [&](const char* name) { return w.Control(name)->mapTo(panel, QPoint(0, 0)).x(); };
  for (const ProtectionRow& r : kUacFirstColumn)
    for (const char* name : {r.caption, r.value, r.edit})
      EXPECT_LE(left(name) + w.Control(name)->width(), 255) << name;
  for (const ProtectionRow& r : kUacSecondStage)
    for (const char* name : {r.caption, r.value, r.edit}) EXPECT_GE(left(name), 255) << name;
}

}  // namespace
