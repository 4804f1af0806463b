#include "platform/IniFile.h"

#include <QFile>
#include <QFileInfo>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

QByteArray Trim(const QByteArray& b) {
  int from = 0, to = b.size();
  while (from < to && IsBlank(b[from])) ++from;
  while (to > from && IsBlank(b[to - 1])) --to;
  return b.mid(from, to - from);
}

// "[name]" gives name; a line that is no section header gives a null array.
QByteArray SectionName(const QByteArray& text) {
  const QByteArray t = Trim(text);
  if (!t.startsWith('[')) return {};
  const int close = t.lastIndexOf(']');
  const QByteArray name = close > 0 ? t.mid(1, close - 1) : t.mid(1);
  return Trim(name).isNull() ? QByteArray("") : Trim(name);
}

// The key of a key line ("key=value" or a bare "key"); empty for a blank line.
QByteArray KeyName(const QByteArray& text) {
  const int eq = text.indexOf('=');
  return Trim(eq < 0 ? text : text.left(eq));
}

}  // namespace

IniFile::IniFile(const QString& path) : path_(path) {
  QFile f(path_);
  if (f.open(QIODevice::ReadOnly)) data_ = f.readAll();
  // Judged once: what this object writes keeps the file in the encoding it
  // was read with, even where the new bytes would pass for the other one.
  encoding_ = DetectFileEncoding(data_);
  Parse();
}

bool IniFile::Exists() const {
  const QFileInfo info(path_);
  return info.exists() && info.isFile();
}

void IniFile::Parse() {
  lines_.clear();
  const int n = data_.size();
  int pos = 0;
  while (pos < n) {
    Line l;
    l.start = pos;
    int i = pos;
    while (i < n && data_[i] != '\n' && data_[i] != '\r') ++i;
    l.length = i - pos;
    if (i < n) l.eol = (data_[i] == '\r' && i + 1 < n && data_[i + 1] == '\n') ? 2 : 1;
    const QByteArray text = Text(l);
    const QByteArray section = SectionName(text);
    if (!section.isNull()) {
      l.kind = Kind::Section;
      l.name = DecodeFileText(section, encoding_).toCaseFolded();
    } else if (const QByteArray key = KeyName(text); !key.isEmpty()) {
      l.kind = Kind::Key;
      l.name = DecodeFileText(key, encoding_).toCaseFolded();
    }
    lines_.push_back(std::move(l));
    pos = i + lines_.back().eol;
  }
}

int IniFile::FindSection(const QString& section) const {
  const QString wanted = section.toCaseFolded();
  for (size_t i = 0; i < lines_.size(); ++i)
    if (lines_[i].kind == Kind::Section && lines_[i].name == wanted) return int(i);
  return -1;
}

int IniFile::SectionEnd(int header) const {
  size_t i = size_t(header) + 1;
  while (i < lines_.size() && lines_[i].kind != Kind::Section) ++i;
  return int(i);
}

int IniFile::FindKey(int header, const QString& key) const {
  const QString wanted = key.toCaseFolded();
  for (size_t i = size_t(header) + 1; i < lines_.size() && lines_[i].kind != Kind::Section; ++i)
    if (lines_[i].kind == Kind::Key && lines_[i].name == wanted) return int(i);
  return -1;
}

bool IniFile::SectionExists(const QString& section) const { return FindSection(section) >= 0; }

bool IniFile::ValueExists(const QString& section, const QString& key) const {
  const int header = FindSection(section);
  return header >= 0 && FindKey(header, key) >= 0;
}

QString IniFile::ReadString(const QString& section, const QString& key, const QString& def) const {
  const int header = FindSection(section);
  if (header < 0) return def;
  const int at = FindKey(header, key);
  if (at < 0) return def;
  const QByteArray text = Text(lines_[size_t(at)]);
  const int eq = text.indexOf('=');
  if (eq < 0) return QString("");
  QString value = DecodeFileText(Trim(text.mid(eq + 1)), encoding_);
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
    value = value.mid(1, value.size() - 2);
  if (value.size() > kMaxValueLength) value.truncate(kMaxValueLength);
  return value;
}

QByteArray IniFile::LineEnd() const {
  for (const Line& l : lines_)
    if (l.eol) return data_.mid(l.start + l.length, l.eol);
  return "\r\n";
}

bool IniFile::WriteString(const QString& section, const QString& key, const QString& value) {
  error_.clear();
  if (!Exists()) return Refuse();
  const QByteArray eol = LineEnd();
  auto encode = [this](const QString& text) { return EncodeFileText(text, encoding_); };
  const QByteArray entry = encode(key) + '=' + encode(value);
  QByteArray out = data_;
  const int header = FindSection(section);
  if (header < 0) {
    // A new section goes at the end of the file.
    if (!out.isEmpty() && !out.endsWith('\n') && !out.endsWith('\r')) out += eol;
    out += '[' + encode(section) + ']' + eol + entry + eol;
  } else if (const int at = FindKey(header, key); at >= 0) {
    // The key's line is replaced; its stored spelling and line end stay.
    const Line& l = lines_[size_t(at)];
    out.replace(l.start, l.length, KeyName(Text(l)) + '=' + encode(value));
  } else {
    // A new key follows the last non-blank line of its section.
    int last = header;
    const int end = SectionEnd(header);
    for (int i = header + 1; i < end; ++i)
      if (!Trim(Text(lines_[size_t(i)])).isEmpty()) last = i;
    const Line& l = lines_[size_t(last)];
    const int insertAt = l.start + l.length + l.eol;
    out.insert(insertAt, (l.eol ? QByteArray() : eol) + entry + eol);
  }
  return Store(out);
}

bool IniFile::Store(const QByteArray& data) {
  // A file that nobody may write is read-only, even for a privileged user.
  // (The mode bits are asked, not access(): root may write anything.)
  constexpr QFileDevice::Permissions kWrite =
      QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
  QFile f(path_);
  if (!(f.permissions() & kWrite)) return Refuse();
  if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return Refuse();
  const qint64 written = f.write(data);
  const bool flushed = f.flush();
  f.close();
  if (written != data.size() || !flushed || f.error() != QFileDevice::NoError) return Refuse();
  data_ = data;
  Parse();
  return true;
}

bool IniFile::Refuse() {
  error_ = QString("Unable to write to %1").arg(path_);
  return false;
}
