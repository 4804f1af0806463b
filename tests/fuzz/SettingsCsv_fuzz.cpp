// The settings-upload and configuration-model files over arbitrary bytes:
// the lines as read from the file, their fields, and what the two readers
// make of them.
// - The lines, put back in the file's encoding with their line ends, are
//   the file's bytes.
// - Fields written back quoted split into the same fields.
// - An upload line is taken exactly when it has three fields and a register
//   from 1 to 65,536, with its name, register and value from them; it is left
//   out for its value exactly when the value field (after a bit-test mark) is
//   no whole number from -32,768 to 65,535; a bit-test value judges a
//   register by the one bit it names.
// - The model has one row per line with fields, each cut to its width.
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "FuzzRule.h"
#include "app/Myfunc.h"
#include "logs/ConfigDump.h"
#include "logs/CsvText.h"
#include "logs/SettingsUpload.h"
#include "platform/FileText.h"

namespace {

const char* BrokenLines(const QByteArray& bytes, const QStringList& lines) {
  const FileEncoding encoding = DetectFileEncoding(bytes);
  qsizetype at = 0;
  for (const QString& line : lines) {
    const QByteArray encoded = EncodeFileText(line, encoding);
    if (line.contains(u'\n') || bytes.mid(at, encoded.size()) != encoded) return "a line is not the file's text";
    at += encoded.size();
    if (bytes.mid(at, 2) == "\r\n") at += 2;
    else if (bytes.mid(at, 1) == "\n" || bytes.mid(at) == "\r") ++at;  // a last CR ends the last line too
    else if (at < bytes.size()) return "a line ends before its line end";
  }
  return at == bytes.size() ? "" : "the lines leave part of the file out";
}

QString Quoted(const QStringList& fields) {
  QStringList quoted;
  for (QString f : fields) quoted << u'"' + f.replace(u'"', QStringLiteral("\"\"")) + u'"';
  return quoted.join(u',');
}

const char* BrokenUploadLine(const QString& text, const QStringList& fields) {
  UploadLine line;
  const UploadLineKind kind = ParseUploadLine(text, line);
  const int reg = fields.size() >= 3 ? SafeStrToInt(fields[1]) : 0;
  const bool taken = fields.size() >= 3 && reg >= 1 && reg <= 65536;
  if ((kind == UploadLineKind::Skipped) == taken) return "upload line taken or skipped wrongly";
  if (!taken) return "";
  if (line.name != fields[0] || line.reg != reg) return "upload line name or register";
  if (line.bitTest != (fields[2].startsWith(u'b') || fields[2].startsWith(u'B'))) return "bit-test line";
  // The value field read on its own: blanks, a sign, then decimal digits or
  // hexadecimal ones after "$", "x" or "0x" (at most 8 significant, read as
  // 32 bits); used only from -32,768 to 65,535.
  QString value = fields[2];
  if (line.bitTest) value[0] = u'0';
  static const QRegularExpression number(QStringLiteral("^ *([+-]?)(?:(?:\\$|[xX]|0[xX])([0-9A-Fa-f]+)|([0-9]+))$"));
  const QRegularExpressionMatch m = number.match(value);
  bool held = false;
  qint64 n = 0;
  if (m.hasMatch()) {
    const bool hex = m.capturedLength(2) > 0;
    QString digits = m.captured(hex ? 2 : 3);
    while (digits.size() > 1 && digits.startsWith(u'0')) digits.remove(0, 1);
    if (digits.size() <= (hex ? 8 : 12)) {
      n = digits.toLongLong(nullptr, hex ? 16 : 10);
      if (m.captured(1) == QLatin1String("-")) n = -n;
      if (hex) n = static_cast<std::int32_t>(static_cast<std::uint32_t>(n));
      held = n >= -32768 && n <= 65535;
    }
  }
  if (held != (kind == UploadLineKind::Setting)) return "upload value taken or left out wrongly";
  if (!held) return "";
  if (line.value != static_cast<std::uint16_t>(n)) return "upload value";
  // The named bit: the highest of bits 0 to 14; bit 15 its wanted state.
  int bit = 14;
  while (bit >= 0 && !(line.value & (1 << bit))) --bit;
  const int wanted = line.value >> 15;
  for (const std::uint16_t content : {line.value, std::uint16_t(~line.value), std::uint16_t(0), std::uint16_t(0xFFFF)}) {
    const bool holds = line.bitTest ? bit >= 0 && ((content >> bit) & 1) == wanted : content == line.value;
    if (RegisterHolds(line, content) != holds) return "register judged wrongly";
  }
  return "";
}

const char* BrokenModel(const QStringList& lines) {
  const QList<ConfigArch> rows = ParseConfigModel(lines);
  qsizetype r = 0;
  for (const QString& line : lines) {
    const QStringList f = SplitDelimited(line);
    if (f.isEmpty()) continue;
    if (r >= rows.size()) return "a model line gave no row";
    const ConfigArch& row = rows[r++];
    auto field = [&](int k, int width) { return k < f.size() ? f[k].left(width) : QString(); };
    if (row.Name != field(0, ConfigArch::kNameWidth) || row.Address != field(1, ConfigArch::kAddressWidth) ||
        row.Extra != field(2, ConfigArch::kExtraWidth))
      return "model row fields";
  }
  return r == rows.size() ? "" : "a model row without its line";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
  static QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("Settings.csv"));
  {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
      RequireRules("the file could not be made");
  }
  const TextLines file = ReadTextLines(path);
  if (!file.opened) RequireRules("the file did not open");
  RequireRules(BrokenLines(bytes, file.lines));
  for (const QString& line : file.lines) {
    const QStringList fields = SplitDelimited(line);
    if (SplitDelimited(Quoted(fields)) != fields) RequireRules("fields written back quoted split otherwise");
    RequireRules(BrokenUploadLine(line, fields));
  }
  RequireRules(BrokenModel(file.lines));
  return 0;
}
