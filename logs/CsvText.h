#pragma once
#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>

// The field splitter of the model and upload files: delimiter ",", the
// double-quote mark as quote character, lenient about what follows a field.
// Characters with codes 1 to 32 before and after a field are skipped and end
// an unquoted field (so a space outside quotes starts a new field); a quoted
// field runs to its closing quote, two quotes inside standing for one, or to
// the end of the line; a trailing "," adds one empty field. A blank line
// gives no field at all.
QStringList SplitDelimited(const QString& line);

// The lines of a text file, each whole however long, without their CR LF or
// LF. The bytes are decoded as the file's own encoding (UTF-8 when valid,
// otherwise Windows-1252).
struct TextLines {
  bool opened = false;
  QStringList lines;
};
TextLines ReadTextLines(const QString& path);

// One write of a whole piece of a file, checked: false when not every byte
// went out.
bool WriteAll(QFile& file, const QByteArray& bytes);

// A message for a file that could not be written (a full disk, say).
QString WriteErrorText(const QString& path);
