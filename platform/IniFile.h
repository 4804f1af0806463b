#pragma once
#include <QByteArray>
#include <QString>

#include "platform/FileText.h"
#include <vector>

// An INI file read and written the way the Windows profile-file functions do
// it, so that files made on Windows read the same here and keep their shape:
// - section and key names match without regard to case; the first matching
//   section, and in it the first matching key, counts;
// - a value read loses its surrounding blanks and one pair of enclosing
//   quotes ('...' or "..."), and is cut at 2,047 characters;
// - writing a key changes only that key's line, or adds the key at the end
//   of its section, or adds the section at the end of the file; every other
//   byte, CR LF line ends included, stays as it was;
// - a missing file is never created: writing to it is refused.
// Each write goes to disk at once. A refused write returns false and leaves
// the text "Unable to write to <path>" in LastError(); nothing is thrown.
// The file is text in the Windows program's code page (Windows-1252) unless
// it holds valid UTF-8; what is written goes in the encoding the file was
// read with, so that both programs read back the same text. A file of plain
// ASCII takes the code page. The encoding is judged once, when the object
// reads the file: its own writes never change it.
class IniFile {
 public:
  explicit IniFile(const QString& path);

  const QString& FileName() const { return path_; }
  bool Exists() const;

  QString ReadString(const QString& section, const QString& key, const QString& def = QString()) const;
  bool SectionExists(const QString& section) const;
  bool ValueExists(const QString& section, const QString& key) const;

  bool WriteString(const QString& section, const QString& key, const QString& value);
  const QString& LastError() const { return error_; }
  FileEncoding Encoding() const { return encoding_; }

  static constexpr int kMaxValueLength = 2047;

 private:
  enum class Kind { Blank, Section, Key };
  struct Line {
    int start = 0;    // offset of the line in data_
    int length = 0;   // bytes of text, line end excluded
    int eol = 0;      // bytes of line end (0, 1 or 2)
    Kind kind = Kind::Blank;
    QString name;     // section or key name, case-folded for lookups
  };
  void Parse();
  QByteArray Text(const Line& l) const { return data_.mid(l.start, l.length); }
  // Section lookup: index of the header line of the first matching section, or -1.
  int FindSection(const QString& section) const;
  // Key lookup inside the section whose header is at line index `header`.
  int FindKey(int header, const QString& key) const;
  int SectionEnd(int header) const;  // index of the line after the section's last line
  QByteArray LineEnd() const;
  bool Store(const QByteArray& data);
  bool Refuse();

  QString path_;
  QByteArray data_;
  std::vector<Line> lines_;
  QString error_;
  FileEncoding encoding_ = FileEncoding::Windows1252;
};
