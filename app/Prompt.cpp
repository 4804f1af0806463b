#include "app/Prompt.h"

#include "platform/Dialogs.h"

bool InputQuery(const QString& caption, const QString& prompt, QString& value) {
  QString answer = value;
  if (Dialogs().InputQuery(caption, prompt, answer))
    value = answer;
  else
    value = QStringLiteral("Cancel");
  return true;
}

QString InputBox(const QString& caption, const QString& prompt, const QString& defaultText) {
  QString value = defaultText;
  InputQuery(caption, prompt, value);
  return value;
}
