#include "app/Prompt.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <functional>

#include "support/FakeDialogs.h"

namespace {

// ---- Through the answering fake ------------------------------------------

TEST(InputBox, ReturnsTheAnswer) {
  FakeDialogs fake;
  fake.answers = {"1234", ""};
  EXPECT_EQ(InputBox("Input Password Please", "", "Password"), "1234");
  EXPECT_EQ(InputBox("Period", "Please Input Interval(sec)", "2"), "");  // OK with an emptied field
  ASSERT_EQ(fake.prompts.size(), 2u);
  EXPECT_EQ(fake.prompts[0].caption, "Input Password Please");
  EXPECT_EQ(fake.prompts[0].prompt, "");
  EXPECT_EQ(fake.prompts[0].proposed, "Password");
  EXPECT_EQ(fake.prompts[1].caption, "Period");
  EXPECT_EQ(fake.prompts[1].prompt, "Please Input Interval(sec)");
  EXPECT_EQ(fake.prompts[1].proposed, "2");
}

TEST(InputQuery, AnyWayOutButOkGivesCancelAndStillTrue) {
  FakeDialogs fake;  // no answers queued: the prompt is cancelled
  QString value = "2";
  EXPECT_TRUE(InputQuery("Period", "Please Input Interval(sec)", value));
  EXPECT_EQ(value, "Cancel");
  EXPECT_EQ(InputBox("Input Password Please", "", "Password"), "Cancel");
}

// ---- The real modal prompt, answered by a timer --------------------------

// Runs action on the prompt once it is shown modally. Whatever the action
// does, a prompt still open after two seconds is rejected so the test cannot
// hang; that counts as a failure.
class Answer {
 public:
  explicit Answer(std::function<void(QDialog*, QLineEdit*)> action) : action_(std::move(action)) {
    poll_.setInterval(5);
    QObject::connect(&poll_, &QTimer::timeout, [this] {
      auto* dlg = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      if (!dlg || !dlg->isVisible()) return;
      poll_.stop();
      dialog_ = dlg;
      QTimer::singleShot(2000, &guard_, [this] {
        if (dialog_ && dialog_->isVisible()) {
          stuck_ = true;
          dialog_->reject();
        }
      });
      auto* edit = dlg->findChild<QLineEdit*>("InputEdit");
      if (!edit) {
        ADD_FAILURE() << "no edit named InputEdit";
        dlg->reject();
        return;
      }
      action_(dlg, edit);
    });
    poll_.start();
  }
  ~Answer() { EXPECT_FALSE(stuck_) << "the prompt did not close"; }

 private:
  std::function<void(QDialog*, QLineEdit*)> action_;
  QTimer poll_;
  QObject guard_;
  QPointer<QDialog> dialog_;
  bool stuck_ = false;
};

void Key(QWidget* target, Qt::Key key, const QString& text = QString()) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
  QApplication::sendEvent(target, &press);
  QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
  QApplication::sendEvent(target, &release);
}

void Type(QLineEdit* edit, const QString& text) {
  for (QChar c : text) Key(edit, static_cast<Qt::Key>(c.toUpper().unicode()), QString(c));
}

TEST(QtInputQuery, PasswordIsMaskedSelectedAndReturnedOnEnter) {
  bool checked = false;
  Answer answer([&](QDialog* dlg, QLineEdit* edit) {
    EXPECT_EQ(dlg->windowTitle(), "Input Password Please");
    EXPECT_EQ(edit->echoMode(), QLineEdit::Password);
    EXPECT_EQ(edit->displayText(), "********");
    EXPECT_EQ(edit->selectedText(), "Password");
    EXPECT_EQ(edit->maxLength(), 255);
    checked = true;
    Key(edit, Qt::Key_Return);  // Enter presses OK
  });
  EXPECT_EQ(InputBox("Input Password Please", "", "Password"), "Password");
  EXPECT_TRUE(checked);
}

TEST(QtInputQuery, ClearTextAndEscapeGivesCancel) {
  bool checked = false;
  Answer answer([&](QDialog* dlg, QLineEdit* edit) {
    EXPECT_EQ(edit->echoMode(), QLineEdit::Normal);
    EXPECT_EQ(edit->displayText(), "2");
    bool promptShown = false;
    for (const QLabel* label : dlg->findChildren<QLabel*>()) promptShown |= label->text() == "Please Input Interval(sec)";
    EXPECT_TRUE(promptShown);
    checked = true;
    Key(edit, Qt::Key_Escape);
  });
  QString value = "2";
  EXPECT_TRUE(InputQuery("Period", "Please Input Interval(sec)", value));
  EXPECT_EQ(value, "Cancel");
  EXPECT_TRUE(checked);
}

TEST(QtInputQuery, OnlyTheExactWordPasswordMasks) {
  for (const QString& proposed : {QString("password"), QString("Password "), QString("PW")}) {
    Answer answer([&](QDialog*, QLineEdit* edit) {
      EXPECT_EQ(edit->echoMode(), QLineEdit::Normal) << proposed.toStdString();
      Key(edit, Qt::Key_Return);
    });
    EXPECT_EQ(InputBox("Input Password Please", "", proposed), proposed);
  }
}

TEST(QtInputQuery, CloseBoxGivesCancel) {
  Answer answer([](QDialog* dlg, QLineEdit*) { dlg->close(); });
  EXPECT_EQ(InputBox("Period", "Please Input Interval(sec)", "2"), "Cancel");
}

TEST(QtInputQuery, TypingReplacesTheProposal) {
  Answer answer([](QDialog* dlg, QLineEdit* edit) {
    Type(edit, "k7");
    dlg->findChild<QPushButton*>("OkButton")->click();
  });
  EXPECT_EQ(InputBox("Input Password Please", "", "Password"), "k7");
}

TEST(QtInputQuery, OkWithAnEmptiedFieldGivesEmptyText) {
  Answer answer([](QDialog* dlg, QLineEdit* edit) {
    Key(edit, Qt::Key_Delete);  // removes the selected proposal
    EXPECT_EQ(edit->text(), "");
    dlg->findChild<QPushButton*>("OkButton")->click();
  });
  EXPECT_EQ(InputBox("Period", "Please Input Interval(sec)", "2"), "");
}

TEST(QtInputQuery, AtMost255Characters) {
  Answer answer([](QDialog*, QLineEdit* edit) {
    Type(edit, QString(300, u'9'));
    EXPECT_EQ(edit->text().size(), 255);
    Key(edit, Qt::Key_Return);
  });
  EXPECT_EQ(InputBox("Period", "", ""), QString(255, u'9'));
}

TEST(QtInputQuery, CancelButtonGivesCancel) {
  Answer answer([](QDialog* dlg, QLineEdit* edit) {
    Type(edit, "5");
    dlg->findChild<QPushButton*>("CancelButton")->click();
  });
  EXPECT_EQ(InputBox("Period", "Please Input Interval(sec)", "2"), "Cancel");
}

}  // namespace
