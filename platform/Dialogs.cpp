#include "platform/Dialogs.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
DialogHost* g_host = nullptr;

QWidget* Owner() { return QApplication::activeWindow(); }
}  // namespace

DialogHost& Dialogs() {
  static QtDialogHost qtHost;
  return g_host ? *g_host : qtHost;
}

void SetDialogHost(DialogHost* host) { g_host = host; }

void QtDialogHost::ShowMessage(const QString& text) {
  QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), text, QMessageBox::Ok, Owner());
  box.exec();
}

bool QtDialogHost::InputQuery(const QString& caption, const QString& prompt, QString& value) {
  // Label, edit, then OK and Cancel side by side; the window sized to them.
  QDialog dlg(Owner());
  dlg.setWindowTitle(caption);
  dlg.setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  const QFontMetrics fm(dlg.font());
  const int hUnit = fm.averageCharWidth();  // four dialog units
  auto* layout = new QVBoxLayout(&dlg);
  auto* label = new QLabel(prompt, &dlg);
  label->setWordWrap(true);
  label->setMaximumWidth(164 * hUnit / 4);
  auto* edit = new QLineEdit(value, &dlg);
  edit->setObjectName("InputEdit");
  edit->setMaxLength(255);
  edit->setMinimumWidth(164 * hUnit / 4);
  if (value == QLatin1String("Password")) edit->setEchoMode(QLineEdit::Password);
  edit->selectAll();
  auto* buttons = new QDialogButtonBox(&dlg);
  QPushButton* ok = buttons->addButton("OK", QDialogButtonBox::AcceptRole);
  buttons->addButton("Cancel", QDialogButtonBox::RejectRole);
  ok->setDefault(true);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dlg, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
  layout->addWidget(label);
  layout->addWidget(edit);
  layout->addWidget(buttons);
  dlg.setFixedSize(dlg.sizeHint());
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
