// The meta block: where the two markers are found and what is parsed.
#include <gtest/gtest.h>

#include "support/FirmwareImage.h"
#include "support/QtPrinters.h"
#include "upgrade/HexInfo.h"

namespace {

// Records of 16 bytes over a byte stream.
std::vector<HexStruct> Records(const std::vector<std::uint8_t>& bytes, int size = 16) {
  std::vector<HexStruct> out;
  for (size_t at = 0; at < bytes.size(); at += static_cast<size_t>(size)) {
    HexStruct& r = out.emplace_back();
    r.Length = static_cast<int>(std::min(bytes.size() - at, static_cast<size_t>(size)));
    std::copy_n(bytes.begin() + static_cast<long>(at), r.Length, r.Data.begin());
  }
  return out;
}

// 160 bytes of 0x55 with the first marker ending at offset `end1` and the
// second ending at `end2` (0 leaves a marker out).
std::vector<std::uint8_t> Markers(int end1, int end2) {
  std::vector<std::uint8_t> b(160, 0x55);
  if (end1) std::copy(kMetaMarker1.begin(), kMetaMarker1.end(), b.begin() + end1 - 6);
  if (end2) std::copy(kMetaMarker2.begin(), kMetaMarker2.end(), b.begin() + end2 - 6);
  return b;
}

TEST(FindMetaBlock, PositionsOfTheTwoMarkers) {
  const struct {
    const char* name;
    int end1, end2, expected;
  } cases[] = {
      {"second two records later", 20, 52, 1},
      {"second four records later", 20, 84, 1},
      {"second five records later", 20, 100, -1},
      {"second before first", 52, 20, -1},
      {"both in one record", 20, 30, -1},
      {"first straddles records 1 and 2", 35, 70, 2},
      {"first marker in record 0 is not taken", 10, 40, 0},
      {"no first marker, second in record 3", 0, 52, 0},
      {"no second marker", 20, 0, -1},
  };
  for (const auto& c : cases) EXPECT_EQ(FindMetaBlock(Records(Markers(c.end1, c.end2))), c.expected) << c.name;
}

TEST(FindMetaBlock, ARepeatedFirstByteIsNotRetried) {
  auto b = Markers(26, 52);
  EXPECT_EQ(FindMetaBlock(Records(b)), 1);
  b[19] = kMetaMarker1[0];  // A3 A3 19 ...: the second A3 resets the count
  EXPECT_EQ(FindMetaBlock(Records(b)), 0) << "the first marker is not found there";
}

TEST(ParseMetaBlock, FieldsAndTheLaterSecondMarker) {
  fw::Meta meta;
  meta.swMinor = 7;
  meta.start = 0x80010000;
  meta.stop = 0x8001FFFF;
  meta.fill = 0x0A;
  meta.checksum = 0x00C3;
  auto bytes = fw::MetaBytes(meta);
  bytes.insert(bytes.begin(), 16, 0x00);
  // A second copy of the second marker further on takes the meta block with it.
  auto later = fw::MetaBytes(meta);
  later[7 + 6] = 3;  // processor of the later copy
  bytes.insert(bytes.end(), later.begin() + 7, later.end());
  const auto records = Records(bytes);
  ASSERT_EQ(FindMetaBlock(records), 1);
  HexInfo info;
  ASSERT_EQ(ParseMetaBlock(info, 1, records), "");
  EXPECT_EQ(info.Processor, 3);
  EXPECT_EQ(info.StartAddress, "0x80010000");
  EXPECT_EQ(info.StopAddress, "0x8001FFFF");
  EXPECT_EQ(info.FillValue, "0x0A");
  EXPECT_EQ(info.Checksum, "0x00C3");
  EXPECT_EQ(VersionText(info.SwVersionMajor, info.SwVersionMinor), "2.07");
  EXPECT_EQ(VersionText(1, 123), "1.123");

  fw::Recorder views;
  ShowMetaBlockInfo(&views, info);
  EXPECT_EQ(views.labels["L_SVERSION"], "2.07");
  EXPECT_EQ(views.labels["L_STARTADDR"], "0x80010000");
}

TEST(ParseMetaBlock, ARefusedBlockLeavesTheDescriptor) {
  fw::Meta meta;
  meta.processor = 200;
  auto bytes = fw::MetaBytes(meta);
  bytes.insert(bytes.begin(), 16, 0x00);
  HexInfo info;
  info.Processor = 4;
  info.ProductId = "0x00000001";
  EXPECT_EQ(ParseMetaBlock(info, 1, Records(bytes)), "Meta Block Error: Processor 200 Out Of Range");
  EXPECT_EQ(info.Processor, 4);
  EXPECT_EQ(info.ProductId, "0x00000001");
}

}  // namespace
