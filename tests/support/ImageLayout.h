#pragma once
// Firmware files laid out at will, and the rule every image the loader takes
// keeps in a device: from the start address to the stop address the device
// holds the file's byte at every address the file gives, the fill byte where
// it gives none, and nothing below the start address. Shared by the placement
// test and the layout fuzz target.
#include <QByteArray>

#include <algorithm>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "sim/SimBootDevice.h"
#include "support/FirmwareImage.h"

namespace layout {

// File bytes over [from, to), in byte positions (address × bytes per address).
struct Stretch {
  std::uint32_t from, to;
};

struct FileImage {
  fw::Meta meta;
  int ratio = 1;
  QByteArray hex;
  std::vector<int> bytes;  // by byte position from origin: what the file gives there, -1 where it gives nothing
  std::vector<std::uint64_t> clashes;  // byte positions the file gives a second, other value
  std::uint64_t origin = 0;  // the byte position of bytes[0]
  // Why no reader may take the file (a cut-off end, a malformed base
  // record); empty when it is sound.
  const char* unsound = "";

  // What the file gives at byte position p, -1 for nothing.
  int At(std::uint64_t p) const { return p >= origin && p - origin < bytes.size() ? bytes[static_cast<size_t>(p - origin)] : -1; }

  // Whether the file gives a byte position from the start to the stop
  // address two values: such a file must be refused.
  bool ClashInBank() const {
    for (std::uint64_t p : clashes)
      if (p >= static_cast<std::uint64_t>(meta.start) * static_cast<std::uint64_t>(ratio) &&
          p < static_cast<std::uint64_t>(meta.stop) * static_cast<std::uint64_t>(ratio))
        return true;
    return false;
  }
};

// The byte the file gives at byte position p.
inline std::uint8_t Pattern(std::uint64_t p) { return static_cast<std::uint8_t>(p * 7 + 3); }

// One data record per piece of the stretches: pieces of `size` bytes from
// each stretch's start (the file's first one `first` bytes when not 0); the
// meta block, at byte position metaAt inside a stretch, always lies in two
// records of its own, so that its markers are found whatever the size.
// Addresses are positions / ratio; stretches, sizes and metaAt are multiples
// of ratio, positions / ratio stay below 0x10000. A clash (>= 0) adds, last
// in the file, an 8-byte record at that position (down to a multiple of
// ratio) with other bytes than the file gave there before.
inline FileImage Build(const fw::Meta& meta, int ratio, const std::vector<Stretch>& data, int size, int first,
                       std::uint32_t metaAt, std::int64_t clash = -1) {
  FileImage f{meta, ratio, {}, {}, {}};
  std::uint32_t end = 0;
  for (const Stretch& s : data) end = std::max(end, s.to);
  f.bytes.assign(end, -1);
  const std::vector<std::uint8_t> m = fw::MetaBytes(meta);
  const std::set<std::uint32_t> metaCuts = {metaAt, metaAt + 20, metaAt + 42};
  const auto put = [&](std::uint32_t from, const std::vector<std::uint8_t>& bytes) {
    f.hex += fw::HexLine(0, static_cast<std::uint16_t>(from / static_cast<std::uint32_t>(ratio)), bytes) + "\r\n";
  };
  bool firstRecord = true;
  for (const Stretch& s : data) {
    for (std::uint32_t p = s.from; p < s.to; ++p)
      f.bytes[p] = p >= metaAt && p < metaAt + m.size() ? m[p - metaAt] : Pattern(p);
    for (std::uint32_t p = s.from; p < s.to;) {
      const bool inMeta = p >= metaAt && p < metaAt + 42;
      std::uint32_t next = inMeta ? s.to : std::min<std::uint32_t>(s.to, p + static_cast<std::uint32_t>(firstRecord && first ? first : size));
      for (std::uint32_t cut : metaCuts)
        if (cut > p && cut < next) next = cut;
      std::vector<std::uint8_t> bytes;
      for (std::uint32_t q = p; q < next; ++q) bytes.push_back(static_cast<std::uint8_t>(f.bytes[q]));
      put(p, bytes);
      firstRecord = false;
      p = next;
    }
  }
  if (clash >= 0) {
    const auto at = static_cast<std::uint32_t>(clash) / static_cast<std::uint32_t>(ratio) * static_cast<std::uint32_t>(ratio);
    if (f.bytes.size() < at + 8) f.bytes.resize(at + 8, -1);
    std::vector<std::uint8_t> bytes;
    for (std::uint32_t q = at; q < at + 8; ++q) {
      // Where the file gave nothing, the record gives a byte without a clash.
      if (f.bytes[q] < 0) {
        f.bytes[q] = Pattern(q) ^ 0x5A;
        bytes.push_back(static_cast<std::uint8_t>(f.bytes[q]));
      } else {
        f.clashes.push_back(q);
        bytes.push_back(static_cast<std::uint8_t>(~f.bytes[q]));
      }
    }
    put(at, bytes);
  }
  f.hex += fw::HexLine(1, 0, {}) + "\r\n";
  return f;
}

// One data record of a drawn file: the byte position its data is meant for
// and how its address reaches the file.
struct Record {
  std::uint64_t from = 0;
  std::vector<std::uint8_t> data;
  // 4: a type-04 base record before it where the upper address bits change
  // (none while they are 0 from the start); 2: a type-02 segment base, the
  // record at `offset` inside the segment.
  int addressing = 4;
  std::uint32_t offset = 0;
};

// The HEX text of records in the order given, and what an Intel HEX reader
// makes of it, independently of the tool's loader: under a type-02 base a
// record's addresses wrap inside its 64 KiB segment, under a type-04 base
// they run on. badBase puts a type-04 record of one byte (00) first; cutLines > 0
// leaves out the end record and the cutLines - 1 lines before it (an
// interrupted copy). What the file gives is taken from all its records.
inline FileImage Emit(const fw::Meta& meta, int ratio, const std::vector<Record>& records, int cutLines = 0, bool badBase = false) {
  FileImage f{meta, ratio, {}, {}, {}};
  const auto r = static_cast<std::uint32_t>(ratio);
  std::vector<QByteArray> lines;
  if (badBase) {
    lines.push_back(fw::HexLine(4, 0, {0x00}));
    f.unsound = "a base record of one byte";
  }
  std::map<std::uint64_t, std::uint8_t> held;
  int mode = 4;
  std::uint32_t base = 0;  // a reader starts from base 0
  for (const Record& rec : records) {
    const auto address = static_cast<std::uint32_t>(rec.from / r);
    std::uint32_t recBase, offset;
    if (rec.addressing == 2) {
      offset = rec.offset;
      recBase = address - offset;
      if (mode != 2 || base != recBase) {
        const std::uint32_t segment = recBase >> 4;
        lines.push_back(fw::HexLine(2, 0, {static_cast<std::uint8_t>(segment >> 8), static_cast<std::uint8_t>(segment)}));
      }
    } else {
      recBase = address & 0xFFFF0000u;
      offset = address & 0xFFFFu;
      if (mode != 4 || base != recBase)
        lines.push_back(fw::HexLine(4, 0, {static_cast<std::uint8_t>(recBase >> 24), static_cast<std::uint8_t>(recBase >> 16)}));
    }
    mode = rec.addressing;
    base = recBase;
    lines.push_back(fw::HexLine(0, static_cast<std::uint16_t>(offset), rec.data));
    for (size_t k = 0; k < rec.data.size(); ++k) {
      const std::uint32_t unit = offset + static_cast<std::uint32_t>(k) / r;
      const std::uint32_t a = rec.addressing == 2 ? recBase + (unit & 0xFFFFu) : recBase + unit;
      const std::uint64_t p = static_cast<std::uint64_t>(a) * r + k % r;
      const auto [it, fresh] = held.emplace(p, rec.data[k]);
      if (!fresh && it->second != rec.data[k]) f.clashes.push_back(p);
    }
  }
  size_t keep = lines.size();
  if (cutLines > 0) {
    keep -= std::min(keep, static_cast<size_t>(cutLines - 1));
    f.unsound = "no end record";
  } else {
    lines.push_back(fw::HexLine(1, 0, {}));
    keep = lines.size();
  }
  for (size_t i = 0; i < keep; ++i) f.hex += lines[i] + "\r\n";
  if (!held.empty()) {
    f.origin = held.begin()->first;
    f.bytes.assign(static_cast<size_t>(held.rbegin()->first - f.origin + 1), -1);
    for (const auto& [p, v] : held) f.bytes[static_cast<size_t>(p - f.origin)] = v;
  }
  return f;
}

inline std::string Hex(std::uint64_t v) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string s;
  do {
    s.insert(s.begin(), kDigits[v & 15]);
    v >>= 4;
  } while (v);
  return "0x" + s;
}

// Empty when the device's memory keeps the rule for the file, else the first
// byte that breaks it.
inline std::string Mismatch(const FileImage& f, const sim::BootDevice& d) {
  const std::uint64_t ratio = static_cast<std::uint64_t>(f.ratio);
  const std::uint64_t start = f.meta.start * ratio, stop = f.meta.stop * ratio;
  if (!d.memory.empty() && d.memory.begin()->first < start)
    return "byte " + Hex(d.memory.begin()->first) + " below the start address was written";
  const auto fileByte = [&f](std::uint64_t p) { return f.At(p); };
  std::uint64_t last = start;  // past the file's last byte from start to stop
  for (std::uint64_t p = std::max(start, f.origin); p < std::min<std::uint64_t>(stop, f.origin + f.bytes.size()); ++p)
    if (fileByte(p) >= 0) last = p + 1;
  auto it = d.memory.lower_bound(start);
  for (std::uint64_t p = start; p < stop; ++p) {
    int held = -1;  // erased, never written
    if (it != d.memory.end() && it->first == p) held = (it++)->second;
    const int given = fileByte(p);
    const int expected = given >= 0 ? given : f.meta.fill;
    // Past the file's last byte the device may be left erased.
    const bool ok = p < last ? (held < 0 ? 0xFF : held) == expected : held < 0 || held == f.meta.fill;
    if (!ok)
      return "byte " + Hex(p) + " (address " + Hex(p / ratio) + "): device " + (held < 0 ? "erased" : Hex(static_cast<std::uint64_t>(held))) +
             ", file " + (given >= 0 ? Hex(static_cast<std::uint64_t>(given)) : "none, fill " + Hex(f.meta.fill));
  }
  return "";
}

}  // namespace layout
