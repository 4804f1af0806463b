// INI files (*.KXL) over arbitrary contents, and one write into them.
// The input is five texts, each ended by a zero byte (the section, key and
// value written, and a section and key looked up besides), then the file's
// bytes. A write keeps these rules:
// - the value reads back as written, and the file keeps the encoding it was
//   read with;
// - the bytes change within one line of the old file, or lines are added:
//   the rest of the file is as it was;
// - any other key reads as before.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <vector>

#include "FuzzRule.h"
#include "platform/IniFile.h"

namespace {

bool IsBlank(QChar c) { return c == u' ' || c == u'\t'; }

bool HasLineEnd(const QString& text) { return text.contains(u'\r') || text.contains(u'\n'); }

// A name or value as the file keeps it: one line, without blanks at its ends.
bool Plain(const QString& text) {
  return !HasLineEnd(text) && (text.isEmpty() || (!IsBlank(text.front()) && !IsBlank(text.back())));
}

// Texts that read back as they are written: what a reader takes apart (a
// "=" in a key, a key or section that looks like a section header, quotes
// around a value, more than a value holds) is left to the other rules.
bool Writable(const QString& section, const QString& key, const QString& value) {
  if (section.isEmpty() || key.isEmpty() || !Plain(section) || !Plain(key) || !Plain(value)) return false;
  if (key.contains(u'=') || key.startsWith(u'[')) return false;
  const bool quoted = value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') && value.back() == value.front();
  return !quoted && value.size() <= IniFile::kMaxValueLength;
}

QByteArray FileBytes(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The changed part of new against old, after their common start and end:
// a change inside one line holds no line end in what it replaced.
bool ChangedWithinOneLine(const QByteArray& before, const QByteArray& after) {
  const qsizetype n = std::min(before.size(), after.size());
  qsizetype head = 0;
  while (head < n && before[head] == after[head]) ++head;
  qsizetype tail = 0;
  while (tail < n - head && before[before.size() - 1 - tail] == after[after.size() - 1 - tail]) ++tail;
  const QByteArray replaced = before.mid(head, before.size() - head - tail);
  return !replaced.contains('\r') && !replaced.contains('\n');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  const QByteArray input = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
  std::vector<QByteArray> texts;
  qsizetype at = 0;
  while (texts.size() < 5) {
    const qsizetype end = input.indexOf('\0', at);
    if (end < 0) return 0;
    texts.push_back(input.mid(at, end - at));
    at = end + 1;
  }
  const QByteArray before = input.mid(at);

  static QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("Fuzz.KXL"));
  {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(before) != before.size())
      RequireRules("the file could not be made");
  }
  IniFile ini(path);
  const FileEncoding encoding = ini.Encoding();
  // The texts are typed in the file's own encoding, so that it can hold them.
  auto text = [&](int i) { return DecodeFileText(texts[size_t(i)], encoding); };
  const QString section = text(0), key = text(1), value = text(2), otherSection = text(3), otherKey = text(4);
  if (!Writable(section, key, value)) return 0;
  const bool same = otherSection.toCaseFolded() == section.toCaseFolded() && otherKey.toCaseFolded() == key.toCaseFolded();
  const QString otherBefore = ini.ReadString(otherSection, otherKey, QStringLiteral("(none)"));

  if (!ini.WriteString(section, key, value)) RequireRules("a write to a writable file was refused");
  if (ini.Encoding() != encoding) RequireRules("the write changed the file's encoding");
  if (ini.ReadString(section, key) != value) RequireRules("the value does not read back as written");
  const QByteArray after = FileBytes(path);
  if (!ChangedWithinOneLine(before, after)) RequireRules("the write changed more than one line");
  if (!same && ini.ReadString(otherSection, otherKey, QStringLiteral("(none)")) != otherBefore)
    RequireRules("the write changed another key");
  // Read afresh, the file gives the value again when its bytes still say the
  // same encoding (plain ASCII with code-page bytes that happen to form UTF-8
  // cannot).
  const IniFile again(path);
  if (again.Encoding() == encoding && again.ReadString(section, key) != value)
    RequireRules("the value does not read back from the file");
  return 0;
}
