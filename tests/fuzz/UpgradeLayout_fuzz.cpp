// Firmware layouts drawn at random (record sizes, mixed or not, gaps that
// leave fill, byte or word addresses, program and erase sizes, fill byte,
// start and stop addresses at, inside or before records, records out of
// order or overlapping, type-02 and type-04 bases, the image below a 64 KiB
// boundary or 0x80000000, now and then a record that gives an address
// another value, a cut-off end or a malformed base record), loaded, and
// streamed into a simulated device's bank by the serial programming stream,
// one device at a time (0x10) and to the selected devices together (0x20).
// A file is refused with nothing sent, or the device holds, from the start
// address to the stop address, the file's byte at every address as an Intel
// HEX reader gives it and fill where it gives none (support/ImageLayout.h),
// with the device's checksum equal to the image's. A cut-off or malformed
// file is never taken. The stream's
// frames go through a socket pair straight into the device's bank: no pty,
// no line thread, and the line's clock jumps so that no block waits.
#include <sys/socket.h>
#include <unistd.h>

#include <QByteArray>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "LoaderFuzz.h"
#include "link/LineClock.h"
#include "support/ImageLayout.h"

namespace {

// The input read as numbers; 0 once it is used up.
struct Draw {
  const std::uint8_t* p;
  size_t n;
  unsigned Byte() {
    if (n == 0) return 0;
    --n;
    return *p++;
  }
  unsigned Below(unsigned k) { return k ? (Byte() | Byte() << 8) % k : 0; }
};

struct Drawn {
  layout::FileImage image;
  int variant = 0;  // 1: one device at a time (0x10), 0: together (0x20)
};

// The two records of the meta block stay together and in order, in their
// own unit; each other unit is one record.
using Unit = std::vector<layout::Record>;

// Puts the units in one of four orders: as drawn, reversed, the first third
// moved to the end, or neighbours exchanged.
std::vector<layout::Record> InOrder(std::vector<Unit> units, unsigned order) {
  if (order == 1) std::reverse(units.begin(), units.end());
  if (order == 2) std::rotate(units.begin(), units.begin() + static_cast<long>(units.size() / 3), units.end());
  if (order == 3)
    for (size_t i = 0; i + 1 < units.size(); i += 2) std::swap(units[i], units[i + 1]);
  std::vector<layout::Record> out;
  for (const Unit& u : units) out.insert(out.end(), u.begin(), u.end());
  return out;
}

// A record's address given through a type-02 segment: `crossing` puts it as
// near the segment's end as the segment's 16-byte grain lets it, so that a
// record longer than what is left runs past offset FFFF. Stays linear where
// no segment reaches the address.
void InSegment(layout::Record& rec, std::uint32_t ratio, bool crossing) {
  const auto address = static_cast<std::uint32_t>(rec.from / ratio);
  // The segment base is a multiple of 16: the offset keeps the address's low 4 bits.
  const std::uint32_t offset = crossing ? 0xFFF0u + (address & 0xFu) : std::min(address, 0x100u + (address & 0xFu));
  if (offset > address || address - offset > 0xFFFF0u) return;
  rec.addressing = 2;
  rec.offset = offset;
}

Drawn DrawLayout(Draw& in) {
  static const int kSizes[] = {0, 32, 48, 64, 100, 128, 200, 246};
  Drawn d;
  d.variant = static_cast<int>(in.Byte() & 1);
  const std::uint32_t ratio = 1 + (in.Byte() & 1);
  fw::Meta meta;
  meta.baudRate = 38400;
  meta.delay = 0;
  const unsigned pick = in.Byte();
  meta.programSize = static_cast<std::uint8_t>(pick < 160 ? kSizes[pick % 8] : in.Below(247));
  meta.eraseSize = static_cast<std::uint8_t>(in.Byte());
  meta.fill = static_cast<std::uint8_t>(in.Byte() < 200 ? 0xFF : in.Byte());
  const auto even = [ratio](unsigned v) { return static_cast<std::uint32_t>(v) * ratio; };
  const int size = static_cast<int>(even(1 + in.Below(64 / ratio)));
  const int first = in.Byte() < 128 ? 0 : static_cast<int>(even(1 + in.Below(64 / ratio)));

  // The first stretch holds the meta block past the file's first record.
  std::vector<layout::Stretch> data;
  const std::uint32_t from = even(in.Below(0x40));
  const std::uint32_t metaAt = from + static_cast<std::uint32_t>(first ? first : size) + even(in.Below(0x40));
  data.push_back({from, metaAt + 42 + even(in.Below(0x180))});
  for (unsigned k = in.Below(5); k > 0; --k) {
    const std::uint32_t at = data.back().to + even(in.Below(0x140));
    data.push_back({at, at + even(1 + in.Below(0x180))});
  }
  const std::uint32_t end = data.back().to;

  // Start: at the first record, inside the first stretch, before it, or anywhere.
  std::uint32_t startPos = from;
  switch (in.Byte() & 3) {
    case 1: startPos = from + even(in.Below((data.front().to - from) / ratio)); break;
    case 2: startPos = even(in.Below(from / ratio + 1)); break;
    case 3: startPos = even(in.Below(end / ratio)); break;
    default: break;
  }
  // Stop: past the data, or somewhere inside it (inside a record, often).
  std::uint32_t stop = end / ratio + in.Below(0x100);
  if (in.Byte() & 1) stop = (startPos + in.Below(end - startPos + 1)) / ratio;
  const std::int64_t clash = (in.Byte() & 15) == 0 ? static_cast<std::int64_t>(in.Below(end)) : -1;

  // Drawn last, so that an input that ends before them (they read as 0)
  // keeps the layout it had: record order, mixed sizes, overlaps, segment
  // addresses, where the image lies, a cut-off end, a malformed base record.
  const unsigned shape = in.Byte();
  const bool mixed = shape & 4, overlaps = shape & 8, segments = shape & 16;
  std::uint32_t sizes[4];
  for (std::uint32_t& z : sizes) z = mixed ? even(1 + in.Below(64 / ratio)) : static_cast<std::uint32_t>(size);
  const std::uint32_t overlap = even(1 + in.Below(8));
  std::uint32_t base = 0;  // the address of relative position 0
  switch (in.Byte() & 3) {
    case 1: base = 0x10000u - 0x100u + in.Below(0x100); break;          // the data crosses a 64 KiB boundary
    case 2: base = 0x80000000u - 0x200u + in.Below(0x200); break;       // and 0x80000000
    case 3: base = (in.Byte() << 24 | in.Byte() << 16 | in.Byte() << 8) & 0xFFFF0000u; break;
    default: break;
  }
  const unsigned cutDraw = in.Byte();
  const int cutLines = (cutDraw & 15) == 15 ? 1 + static_cast<int>(in.Below(6)) : 0;
  const bool badBase = (in.Byte() & 31) == 31;

  meta.start = startPos / ratio + base;
  meta.stop = stop + base;
  const std::vector<std::uint8_t> m = fw::MetaBytes(meta);
  const std::uint64_t basePos = static_cast<std::uint64_t>(base) * ratio;
  const auto byteAt = [&](std::uint32_t q) {
    return q >= metaAt && q < metaAt + m.size() ? m[q - metaAt] : layout::Pattern(q);
  };
  const auto record = [&](std::uint32_t a, std::uint32_t b) {
    layout::Record rec;
    rec.from = basePos + a;
    for (std::uint32_t q = a; q < b; ++q) rec.data.push_back(byteAt(q));
    return rec;
  };

  // Records of each stretch from its start, the meta block in two of its own.
  std::vector<Unit> units;
  const std::set<std::uint32_t> metaCuts = {metaAt, metaAt + 20, metaAt + 42};
  int k = 0;
  for (const layout::Stretch& st : data) {
    for (std::uint32_t p = st.from; p < st.to; ++k) {
      const bool inMeta = p >= metaAt && p < metaAt + 42;
      const std::uint32_t sz = k == 0 && first ? static_cast<std::uint32_t>(first) : sizes[k % 4];
      std::uint32_t next = inMeta ? st.to : std::min<std::uint32_t>(st.to, p + sz);
      for (std::uint32_t cut : metaCuts)
        if (cut > p && cut < next) next = cut;
      // Now and then a record begins before the last one ends (equal bytes).
      std::uint32_t a = p;
      if (overlaps && !inMeta && k % 3 == 1 && p >= st.from + overlap && (p - overlap >= metaAt + 42 || p <= metaAt)) a = p - overlap;
      layout::Record rec = record(a, next);
      if (segments && !inMeta && k % 2 == 0) InSegment(rec, ratio, k % 4 == 0);
      if (inMeta && p > metaAt)
        units.back().push_back(rec);
      else
        units.push_back({rec});
      p = next;
    }
  }
  std::vector<layout::Record> records = InOrder(units, shape & 3);
  // A record late in the file that gives an address other bytes.
  if (clash >= 0) {
    const auto at = static_cast<std::uint32_t>(clash) / ratio * ratio;
    layout::Record rec = record(at, at + 8);
    for (std::uint8_t& b : rec.data) b ^= 0x5A;
    records.push_back(rec);
  }
  d.image = layout::Emit(meta, static_cast<int>(ratio), records, cutLines, badBase);
  return d;
}

// A socket pair whose one end is the tool's port; the frames written to it
// are read back from the other end.
struct Line {
  int fds[2] = {-1, -1};
  Line() {
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, fds) != 0) std::abort();
    const int big = 1 << 20;
    ::setsockopt(fds[0], SOL_SOCKET, SO_SNDBUF, &big, sizeof big);
    ::setsockopt(fds[1], SOL_SOCKET, SO_RCVBUF, &big, sizeof big);
  }
  QByteArray Take() const {
    QByteArray out;
    char buf[65536];
    for (;;) {
      const ssize_t got = ::recv(fds[1], buf, sizeof buf, MSG_DONTWAIT);
      if (got <= 0) return out;
      out.append(buf, static_cast<qsizetype>(got));
    }
  }
};

// The frames of one stream into the device's bank; empty when each was a
// whole request with a right CRC, else what was wrong.
std::string Feed(const QByteArray& bytes, sim::BootDevice& device) {
  const auto* b = reinterpret_cast<const std::uint8_t*>(bytes.constData());
  const size_t n = static_cast<size_t>(bytes.size());
  for (size_t i = 0; i < n;) {
    if (n - i < 8) return "cut-off frame";
    const size_t length = static_cast<size_t>(b[i + 4]) + 7;
    if (n - i < length) return "frame longer than the stream";
    const std::uint16_t crc = fw::RefCrc(b + i, length - 2);
    if (b[i + length - 2] != (crc & 0xFF) || b[i + length - 1] != (crc >> 8)) return "frame with a wrong CRC";
    const int command = b[i + 5];
    if (command == 0x10 || command == 0x20)
      sim::TakeBlock(device, command, QByteArray(reinterpret_cast<const char*>(b + i + 6), static_cast<qsizetype>(length - 8)));
    i += length;
  }
  return "";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  static NullViews views;
  static upgradeTool tool;
  static Line line;
  static const bool ready = [] {
    tool.Views = &views;
    tool.Port.AttachDescriptor(line.fds[0]);
    tool.LongPause = [](int) {};
    // Each look at the clock is a second later: no block waits.
    SetLineClock([] {
      static LineTimePoint now;
      return now += std::chrono::seconds(1);
    });
    SetLineSleep([](int) {});
    return true;
  }();
  (void)ready;

  Draw in{data, size};
  const Drawn drawn = DrawLayout(in);
  const layout::FileImage& image = drawn.image;
  // One device in the table: a bootloader of version 2 (one at a time, and
  // 32-byte blocks) or 3 (together).
  tool.DeviceId[1] = 1;
  tool.BootVersion[1] = drawn.variant == 1 ? 2 : 3;
  tool.Selected[1] = 1;
  tool.StepOk[1] = 1;
  tool.CurrentId = 1;

  const int result = tool.LoadHexData(image.hex);
  std::string broken = BrokenLoadRule(tool, result, tool.Info.StopAddress);
  if (broken.empty() && result == 0 && image.ClashInBank()) broken = "took a file that gives an address two values";
  if (broken.empty() && result == 0 && *image.unsound) broken = std::string("took a file with ") + image.unsound;
  if (broken.empty() && result != 0) {
    // A refused file leaves nothing to send.
    line.Take();
    tool.ProgramBlocks(drawn.variant);
    if (!line.Take().isEmpty()) broken = "a refused file was sent";
  }
  if (broken.empty() && result == 0) {
    tool.Info.AttemptDelay = 0;
    sim::BootDevice device;
    device.bytesPerAddress = image.ratio;
    sim::SelectBank(device, image.meta.start);
    line.Take();
    if (tool.ProgramBlocks(drawn.variant) != 0) broken = "the stream failed";
    if (broken.empty()) broken = Feed(line.Take(), device);
    if (broken.empty()) broken = layout::Mismatch(image, device);
    const int expected = drawn.variant == 1 ? tool.Info.Crc10 : tool.Info.Crc20;
    if (broken.empty() && sim::DeviceChecksum(device) != expected) broken = "device checksum differs from the image's";
  }
  if (!broken.empty()) {
    std::fprintf(stderr, "broken rule: %s\n%s\n", broken.c_str(), image.hex.constData());
    std::abort();
  }
  return 0;
}
