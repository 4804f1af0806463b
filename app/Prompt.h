#pragma once
#include <QString>

// The tool's one-line text prompt (access codes, the recording interval).
// Callers never test the result, they test the text: any way out of the
// prompt other than OK leaves the value "Cancel". When the proposed value is
// exactly "Password" the entry is masked with '*'.

// value holds the proposed text on entry and the answer on return. Always true.
bool InputQuery(const QString& caption, const QString& prompt, QString& value);

// Asks with defaultText proposed and returns the answer ("Cancel" when cancelled).
QString InputBox(const QString& caption, const QString& prompt, const QString& defaultText);
