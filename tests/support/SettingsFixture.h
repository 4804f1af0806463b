#pragma once
// Settings groups end to end: the user commits an editor as the user would,
// the mailbox and the red labels are checked, the executor sends the write to
// the simulated inverter, and the exact frame is compared.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QSignalBlocker>
#include <vector>

#include "support/PollFixture.h"
#include "support/UserInput.h"

namespace settingstest {

using polltest::Rtu;

inline QString ReadHolding(int reg, int count) { return Rtu({1, 3, (reg - 1) >> 8, (reg - 1) & 0xFF, 0, count}); }
inline QString ReadCoil(int coil) { return Rtu({1, 1, (coil - 1) >> 8, (coil - 1) & 0xFF, 0, 1}); }
inline QString WriteHolding(int reg, int value) {
  return Rtu({1, 6, (reg - 1) >> 8, (reg - 1) & 0xFF, (value >> 8) & 0xFF, value & 0xFF});
}
inline QString WriteCoil(int coil, int value) {
  return Rtu({1, 5, (coil - 1) >> 8, (coil - 1) & 0xFF, (value >> 8) & 0xFF, value & 0xFF});
}

// Commits a control the way its kind commits: an edit gets `input` typed and
// Enter; a combo has the item whose text is `input` chosen from the keyboard;
// radio buttons and check boxes get a mouse press; buttons a click.
inline void Commit(TForm_Main& w, const char* control, const char* input = nullptr) {
  QWidget* c = w.Control(QLatin1String(control));
  if (!c) throw std::runtime_error(std::string("no control ") + control);
  if (auto* e = qobject_cast<QLineEdit*>(c)) {
    e->setText(QString::fromUtf8(input ? input : ""));
    input::KeyClick(e, Qt::Key_Return);
  } else if (auto* combo = qobject_cast<QComboBox*>(c)) {
    const int k = combo->findText(QString::fromUtf8(input), Qt::MatchExactly);
    if (k < 0) throw std::runtime_error(std::string("no item ") + input);
    {
      const QSignalBlocker quiet(combo);
      combo->setCurrentIndex(k == 0 ? 1 : k - 1);
    }
    input::KeyClick(combo, k == 0 ? Qt::Key_Up : Qt::Key_Down);
  } else if (auto* b = qobject_cast<QAbstractButton*>(c)) {
    input::MouseClick(b);
  } else {
    throw std::runtime_error(std::string("not an editor: ") + control);
  }
}

// One editor row as the tests read it against the group's editor table.
struct EditorCase {
  const char* control;
  const char* input;  // typed text or chosen item; nullptr for a press or click
  int reg;
  int value;
  const char* label;  // painted red; nullptr: none
  int code = 6;
};

// Commits each case, checks mailbox and label, runs the executor and checks
// the one frame it sent (function 5 for code 5, 6 for code 6).
inline void ExpectEditorWrites(polltest::LinkedWindow& t, const std::vector<EditorCase>& cases) {
  TForm_Main& w = t.w;
  for (const EditorCase& c : cases) {
    const std::string what = std::string(c.control) + " " + (c.input ? c.input : "");
    w.Link.CmdCode = 0;
    if (c.label) polltest::Paint(w, c.label, "x", clBlue);
    Commit(w, c.control, c.input);
    ASSERT_EQ(w.Link.CmdCode, c.code) << what;
    EXPECT_EQ(w.Link.CmdRegister, c.reg) << what;
    EXPECT_EQ(static_cast<uint16_t>(w.Link.CmdValue), c.value) << what;
    if (c.label) EXPECT_EQ(polltest::Colour(w, c.label), clRed) << what;
    t.sim.ClearFrames();
    ASSERT_EQ(w.ExecutePendingCommand(), 0) << what;
    const QString frame = c.code == 5 ? WriteCoil(c.reg, c.value) : WriteHolding(c.reg, c.value);
    EXPECT_EQ(t.Frames(), std::vector<QString>{frame}) << what;
    w.Link.CmdCode = 0;
  }
}

// Each refused input shows a message (this one, when given) and leaves
// mailbox and label alone.
struct RefusedCase {
  const char* control;
  const char* input;
  const char* label;
  const char* message = nullptr;
};
inline void ExpectRefused(polltest::LinkedWindow& t, const std::vector<RefusedCase>& cases) {
  TForm_Main& w = t.w;
  for (const RefusedCase& c : cases) {
    w.Link.CmdCode = 0;
    const qsizetype before = t.dialogs.messages.size();
    if (c.label) polltest::Paint(w, c.label, "x", clBlue);
    Commit(w, c.control, c.input);
    EXPECT_EQ(w.Link.CmdCode, 0) << c.control << " " << c.input;
    EXPECT_EQ(t.dialogs.messages.size(), before + 1) << c.control << " " << c.input;
    if (c.message && t.dialogs.messages.size() > before)
      EXPECT_EQ(t.dialogs.messages.last(), QString::fromUtf8(c.message)) << c.control << " " << c.input;
    if (c.label) EXPECT_EQ(polltest::Colour(w, c.label), clBlue) << c.control;
  }
}

}  // namespace settingstest
