#pragma once
// Builds firmware images for the loader tests and the benchmark: a meta block
// with both markers, Intel HEX lines with correct checksums, a recorder of
// what the loaders show, and an independent bitwise CRC-16/MODBUS.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cstdint>
#include <map>
#include <utility>
#include <vector>

#include "upgrade/HexInfo.h"
#include "upgrade/UpgradeViews.h"

namespace fw {

struct Meta {
  std::uint8_t metaMajor = 1, metaMinor = 7;
  std::uint32_t productId = 71870541;
  std::uint8_t processor = 2;
  std::uint8_t hwMajor = 1, hwMinor = 5;
  std::uint8_t swMajor = 2, swMinor = 23;
  std::uint16_t baudRate = 9600;
  std::uint32_t start = 0, stop = 0x200;
  std::uint8_t eraseSize = 0, programSize = 0, delay = 30, fill = 0xFF;
  std::uint16_t checksum = 0xBEEF;
};

inline void PutLe(std::vector<std::uint8_t>& out, std::uint32_t v, int n) {
  for (int i = 0; i < n; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

// First marker, the 27 meta bytes, second marker: 41 bytes.
inline std::vector<std::uint8_t> MetaBytes(const Meta& m) {
  std::vector<std::uint8_t> b(kMetaMarker1.begin(), kMetaMarker1.end());
  b.push_back(m.metaMinor);
  b.push_back(m.metaMajor);
  PutLe(b, m.productId, 4);
  b.push_back(m.processor);
  b.push_back(m.hwMinor);
  b.push_back(m.hwMajor);
  b.push_back(m.swMinor);
  b.push_back(m.swMajor);
  PutLe(b, m.baudRate, 2);
  PutLe(b, m.start, 4);
  PutLe(b, m.stop, 4);
  b.push_back(m.eraseSize);
  b.push_back(m.programSize);
  b.push_back(m.delay);
  b.push_back(m.fill);
  PutLe(b, m.checksum, 2);
  b.insert(b.end(), kMetaMarker2.begin(), kMetaMarker2.end());
  return b;
}

// One Intel HEX line (without line end) with its checksum.
inline QByteArray HexLine(int type, std::uint16_t address, const std::vector<std::uint8_t>& data) {
  std::vector<std::uint8_t> all = {static_cast<std::uint8_t>(data.size()), static_cast<std::uint8_t>(address >> 8),
                                   static_cast<std::uint8_t>(address), static_cast<std::uint8_t>(type)};
  all.insert(all.end(), data.begin(), data.end());
  unsigned sum = 0;
  for (auto v : all) sum += v;
  all.push_back(static_cast<std::uint8_t>(-static_cast<int>(sum)));
  QByteArray line = ":";
  for (auto v : all) line += QByteArray::number(v, 16).rightJustified(2, '0').toUpper();
  return line;
}

// Data records of `size` bytes each over [from, from + bytes.size()).
inline QByteArray DataLines(std::uint16_t from, const std::vector<std::uint8_t>& bytes, int size, const char* eol = "\r\n") {
  QByteArray out;
  for (size_t at = 0; at < bytes.size(); at += static_cast<size_t>(size)) {
    const size_t n = std::min(bytes.size() - at, static_cast<size_t>(size));
    out += HexLine(0, static_cast<std::uint16_t>(from + at), std::vector<std::uint8_t>(bytes.begin() + static_cast<long>(at), bytes.begin() + static_cast<long>(at + n)));
    out += eol;
  }
  return out;
}

// An image of data records laid out as a file may lay them: byte positions
// [0, end) from meta.start, the first record `first` bytes long, the others
// `size` bytes (the last one what is left); addresses count `ratio` bytes
// each. Byte p is p * 7 + 3, but for the meta block at byte metaAt.
struct RecordImage {
  Meta meta;
  int ratio = 1;
  QByteArray hex;                   // the records and the end record
  std::vector<std::uint8_t> bytes;  // what the records carry, by byte position
};

inline RecordImage MakeRecordImage(const Meta& meta, int first, int size, size_t end, int ratio = 1, size_t metaAt = 0x60) {
  RecordImage r{meta, ratio, {}, std::vector<std::uint8_t>(end)};
  for (size_t p = 0; p < end; ++p) r.bytes[p] = static_cast<std::uint8_t>(p * 7 + 3);
  const auto m = MetaBytes(meta);
  std::copy(m.begin(), m.end(), r.bytes.begin() + static_cast<long>(metaAt));
  for (size_t at = 0; at < end;) {
    const size_t n = std::min(end - at, static_cast<size_t>(at == 0 ? first : size));
    r.hex += HexLine(0, static_cast<std::uint16_t>(meta.start + at / static_cast<size_t>(ratio)),
                     std::vector<std::uint8_t>(r.bytes.begin() + static_cast<long>(at), r.bytes.begin() + static_cast<long>(at + n)));
    r.hex += "\r\n";
    at += n;
  }
  r.hex += HexLine(1, 0, {}) + "\r\n";
  return r;
}

// The image bytes of `rows` blocks of `block` bytes from the start address:
// the records' bytes, the fill byte where no record lies.
inline std::vector<std::uint8_t> RowBytes(const RecordImage& r, int rows, int block) {
  std::vector<std::uint8_t> out(static_cast<size_t>(rows) * static_cast<size_t>(block), r.meta.fill);
  std::copy(r.bytes.begin(), r.bytes.begin() + static_cast<long>(std::min(r.bytes.size(), out.size())), out.begin());
  return out;
}

inline std::uint16_t RefCrc(const std::uint8_t* p, size_t n, std::uint16_t reg = 0xFFFF) {
  for (size_t i = 0; i < n; ++i) {
    reg ^= p[i];
    for (int k = 0; k < 8; ++k) reg = (reg & 1) ? static_cast<std::uint16_t>((reg >> 1) ^ 0xA001) : static_cast<std::uint16_t>(reg >> 1);
  }
  return reg;
}

struct Recorder : UpgradeViews {
  std::map<QString, QString> labels;
  QStringList events, upgradeEvents, messages;
  QStringList trafficEvents;  // List_Event lines by the traffic-log append
  std::vector<bool> startStates;
  void SetLabel(const QString& name, const QString& text) override { labels[name] = text; }
  void AppendEvent(const QString& line) override { trafficEvents << line; }
  void AppendEventLine(const QString& line) override { events << line; }
  void AppendUpgradeEvent(const QString& line) override { upgradeEvents << line; }
  void ShowMessage(const QString& text) override { messages << text; }
  void SetStartEnabled(bool enabled) override { startStates.push_back(enabled); }
};

}  // namespace fw
