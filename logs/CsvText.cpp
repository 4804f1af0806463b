#include "logs/CsvText.h"

#include "platform/FileText.h"

namespace {
bool IsBlank(QChar c) { return c.unicode() >= 1 && c.unicode() <= 32; }
}  // namespace

QStringList SplitDelimited(const QString& line) {
  QStringList fields;
  const qsizetype n = line.size();
  qsizetype i = 0;
  auto skipBlanks = [&] {
    while (i < n && IsBlank(line[i])) ++i;
  };
  skipBlanks();
  while (i < n) {
    QString field;
    if (line[i] == u'"') {
      ++i;
      while (i < n) {
        if (line[i] == u'"') {
          if (i + 1 < n && line[i + 1] == u'"') {
            field += u'"';
            i += 2;
            continue;
          }
          ++i;  // the closing quote
          break;
        }
        field += line[i++];
      }
    } else {
      while (i < n && line[i] != u',' && !IsBlank(line[i])) field += line[i++];
    }
    fields << field;
    skipBlanks();
    if (i < n && line[i] == u',') {
      ++i;
      if (i == n) fields << QString();  // a trailing comma: one more, empty field
      skipBlanks();
    }
  }
  return fields;
}

TextLines ReadTextLines(const QString& path) {
  TextLines out;
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return out;
  out.opened = true;
  const QByteArray bytes = f.readAll();
  const QString text = DecodeFileText(bytes, DetectFileEncoding(bytes));
  out.lines = text.split(u'\n');
  // A last line end closes the last line rather than opening an empty one.
  if (!out.lines.isEmpty() && out.lines.last().isEmpty()) out.lines.removeLast();
  for (QString& l : out.lines)
    if (l.endsWith(u'\r')) l.chop(1);
  return out;
}

bool WriteAll(QFile& file, const QByteArray& bytes) {
  return file.write(bytes) == bytes.size() && file.flush();
}

QString WriteErrorText(const QString& path) { return QStringLiteral("Write Error - ") + path; }
