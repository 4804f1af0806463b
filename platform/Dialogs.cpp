#include "platform/Dialogs.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

namespace {
DialogHost* g_host = nullptr;

QWidget* Owner() { return QApplication::activeWindow(); }
}  // namespace

DialogHost& Dialogs() {
  static QtDialogHost qtHost;
  return g_host ? *g_host : qtHost;
}

void SetDialogHost(DialogHost* host) { g_host = host; }

int DialogHost::ExecModal(QDialog* dialog) { return dialog->exec(); }

void QtDialogHost::ShowMessage(const QString& text) {
  QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), text, QMessageBox::Ok, Owner());
  box.exec();
}

bool QtDialogHost::InputQuery(const QString& caption, const QString& prompt, QString& value) {
  // Prompt label, edit below it, OK and Cancel side by side below that, the
  // window sized to them. Sizes are in dialog units of the window's font
  // (a quarter of the average character width, an eighth of the height).
  QDialog dlg(Owner());
  dlg.setWindowTitle(caption);
  const QFontMetrics fm(dlg.font());
  const auto hu = [&fm](int n) { return qRound(n * fm.averageCharWidth() / 4.0); };
  const auto vu = [&fm](int n) { return qRound(n * fm.height() / 8.0); };

  auto* label = new QLabel(prompt, &dlg);
  label->setWordWrap(true);
  const int labelHeight = prompt.isEmpty() ? fm.height() : label->heightForWidth(hu(164));
  label->setGeometry(hu(8), vu(8), hu(164), labelHeight);

  auto* edit = new QLineEdit(&dlg);
  edit->setObjectName("InputEdit");
  edit->setMaxLength(255);
  edit->setText(value);
  if (edit->text() == QLatin1String("Password")) {
    edit->setEchoMode(QLineEdit::Password);
    edit->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }"));  // '*'
  }
  edit->setGeometry(hu(8), label->geometry().bottom() + 1 + 5, hu(164), edit->sizeHint().height());
  edit->selectAll();  // the first key typed replaces the proposal

  const int buttonTop = edit->geometry().bottom() + 1 + 15;
  auto* ok = new QPushButton(QStringLiteral("OK"), &dlg);
  ok->setObjectName("OkButton");
  ok->setDefault(true);  // Enter presses it
  ok->setGeometry(hu(38), buttonTop, hu(50), vu(14));
  auto* cancel = new QPushButton(QStringLiteral("Cancel"), &dlg);
  cancel->setObjectName("CancelButton");
  cancel->setAutoDefault(false);
  cancel->setGeometry(hu(92), buttonTop, hu(50), vu(14));
  QObject::connect(ok, &QPushButton::clicked, &dlg, &QDialog::accept);
  QObject::connect(cancel, &QPushButton::clicked, &dlg, &QDialog::reject);  // Escape and the close box too

  dlg.setFixedSize(hu(180), cancel->geometry().bottom() + 1 + 13);
  if (const QScreen* screen = dlg.screen()) {
    QRect frame(QPoint(0, 0), dlg.size());
    frame.moveCenter(screen->geometry().center());
    dlg.move(frame.topLeft());
  }
  edit->setFocus();

  const bool accepted = dlg.exec() == QDialog::Accepted;
  if (accepted) value = edit->text();
  return accepted;
}

QString QtDialogHost::OpenFileName(const QString& caption, const QString& dir, const QString& filter) {
  return QFileDialog::getOpenFileName(Owner(), caption, dir, filter);
}

QString QtDialogHost::SaveFileName(const QString& caption, const QString& dir, const QString& filter) {
  return QFileDialog::getSaveFileName(Owner(), caption, dir, filter);
}
