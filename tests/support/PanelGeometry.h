#pragma once
// Where a group panel's controls lie and whether their captions fit: shared
// by the panel layout checks and the first-run test of the shipped pages.
#include <QAbstractButton>
#include <QFontMetrics>
#include <QLabel>
#include <QList>
#include <QPushButton>
#include <QStyle>

#include "app/ControlTable.h"
#include "app/GroupPanel.h"
#include "app/main.h"

namespace panelgeo {

// The text a control shows and the room it has for it, or an empty text for
// controls whose caption is not a line of text beside nothing.
inline int RoomFor(QWidget* w, QString& text, int& needed) {
  if (auto* l = qobject_cast<QLabel*>(w)) {
    text = l->text();
    needed = l->fontMetrics().size(0, text).width();
    return l->contentsRect().width();
  }
  if (auto* b = qobject_cast<QPushButton*>(w)) {
    // The text and the button's margins (its size hint adds a minimum width
    // that a short caption does not need).
    text = b->text();
    needed = b->fontMetrics().horizontalAdvance(text) + 2 * b->style()->pixelMetric(QStyle::PM_ButtonMargin);
    return b->width();
  }
  if (auto* b = qobject_cast<QAbstractButton*>(w)) {
    // The indicator of a radio button or check box comes with the text.
    text = b->text();
    needed = b->sizeHint().width();
    return b->width();
  }
  text.clear();
  needed = 0;
  return 0;
}

// A control of a panel and where it lies, in panel coordinates.
struct Placed {
  QWidget* w;
  QRect r;
};

// The shown controls of one panel, from the panel's own rows and from the
// rows of the frames that lie in it; with `hiddenToo` also those that a
// profile or a view may show later.
inline QList<Placed> ShownControls(const TForm_Main& win, GroupPanel* panel, bool hiddenToo = false) {
  QList<Placed> out;
  for (const PanelControls* pc : AllPanelControls()) {
    QWidget* parent = win.Control(QString::fromLatin1(pc->panel));
    if (!parent || (parent != panel && !panel->isAncestorOf(parent))) continue;
    for (const ControlDecl& d : pc->controls) {
      QWidget* w = win.Control(QString::fromLatin1(d.name));
      if (!w || (!hiddenToo && !w->isVisibleTo(panel))) continue;
      out.push_back({w, QRect(w->mapTo(panel, QPoint(0, 0)), w->size())});
    }
  }
  return out;
}

}  // namespace panelgeo
