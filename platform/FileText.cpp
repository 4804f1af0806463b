#include "platform/FileText.h"

#include <QStringDecoder>
#include <algorithm>

namespace {

// 0x80 to 0x9F of Windows-1252. The five bytes the code page leaves open
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) stand for the control character of the same
// number, as Windows converts them, so every byte survives a round trip.
constexpr char16_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98
};

// The byte of a character in Windows-1252, or -1 when it has none.
int Windows1252Byte(char16_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return c;
  for (int i = 0; i < 32; ++i)
    if (kHigh[i] == c) return 0x80 + i;
  return -1;
}

}  // namespace

FileEncoding DetectFileEncoding(const QByteArray& bytes) {
  auto ascii = [](char b) { return static_cast<unsigned char>(b) < 0x80; };
  if (std::all_of(bytes.begin(), bytes.end(), ascii)) return FileEncoding::Windows1252;
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  const QString text = utf8(bytes);  // the conversion runs when assigned
  return utf8.hasError() ? FileEncoding::Windows1252 : FileEncoding::Utf8;
}

QString DecodeFileText(const QByteArray& bytes, FileEncoding encoding) {
  if (encoding == FileEncoding::Utf8) return QString::fromUtf8(bytes);
  QString text(bytes.size(), Qt::Uninitialized);
  for (qsizetype i = 0; i < bytes.size(); ++i) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    text[i] = QChar(b >= 0x80 && b < 0xA0 ? kHigh[b - 0x80] : char16_t(b));
  }
  return text;
}

QByteArray EncodeFileText(const QString& text, FileEncoding encoding) {
  if (encoding == FileEncoding::Utf8) return text.toUtf8();
  QByteArray bytes;
  bytes.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t c = text[i].unicode();
    const int b = Windows1252Byte(c);
    bytes += b >= 0 ? char(b) : '?';
    // A character beyond the first plane is one unknown character, not two.
    if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) ++i;
  }
  return bytes;
}
