#include <gtest/gtest.h>

#include <cstring>

#include "app/GroupPanel.h"
#include "app/main.h"
#include "link/Modbus.h"
#include "monitor/PollFrame.h"

namespace {

struct Factors {
  int dc, power, energy, ac, voltage;
  bool operator==(const Factors&) const = default;
};

Factors Decode(int word, int phaseCount) {
  Factors f{-1, -1, -1, -1, -1};
  EXPECT_EQ(DecodeScaleWord(word, &phaseCount, &f.dc, &f.power, &f.energy, &f.ac, &f.voltage), 0);
  return f;
}

}  // namespace

TEST(DecodeScaleWord, WorkedWordsAndDefaults) {
  const struct {
    int word, phases;
    Factors expected;
  } cases[] = {
      {0x1DA4, 3, {10, 100, 100, 1, 100}},
      {0x1DA5, 3, {100, 1, 10, 100, 10}},  // bit 0 set: defaults
      {0x1DA5, 1, {100, 1, 1, 100, 10}},
      {0x0000, 1, {100, 1, 1, 100, 10}},
      {0x0000, 3, {100, 1, 10, 100, 10}},
      {0x0001, 1, {100, 1, 1, 100, 10}},
      {0x0002, 1, {100, 1, 1, 100, 10}},
      {0x0002, 3, {100, 1, 10, 100, 10}},
      {0x0002, 0, {100, 1, 10, 100, 10}},
      {0x0200, 1, {100, 1, 10, 100, 10}},  // energy code 8
      {0x0200, 3, {100, 1, 10, 100, 10}},
      {0xC002, 1, {100, 1, 1, 100, 10}},   // bits 14 and 15 ignored
  };
  for (const auto& c : cases) EXPECT_EQ(Decode(c.word, c.phases), c.expected) << std::hex << c.word;
}

TEST(DecodeScaleWord, EachFieldByItsOwnTable) {
  // Bit 1 of the DC field keeps every word even and non-zero where needed.
  const int dc[4] = {100, 100, 10, 1};
  for (int code = 0; code < 4; ++code) EXPECT_EQ(Decode(code << 1 | 0x4000, 3).dc, dc[code]) << code;
  const int power[8] = {1, 1, 1, 10, 100, 1000, 1, 1};
  for (int code = 0; code < 8; ++code) EXPECT_EQ(Decode(code << 3 | 0x4000, 3).power, power[code]) << code;
  const int energy3[16] = {10, 1, 1, 1, 1, 10, 100, 1000, 10, 10, 10, 10, 10, 10, 10, 10};
  for (int code = 0; code < 16; ++code) {
    EXPECT_EQ(Decode(code << 6 | 0x4000, 3).energy, energy3[code]) << code;
    EXPECT_EQ(Decode(code << 6 | 0x4000, 1).energy, code == 0 ? 1 : energy3[code]) << code;
  }
  for (int code = 0; code < 4; ++code) EXPECT_EQ(Decode(code << 10 | 0x4000, 3).ac, dc[code]) << code;
  const int voltage[4] = {10, 100, 10, 1};
  for (int code = 0; code < 4; ++code) EXPECT_EQ(Decode(code << 12 | 0x4000, 3).voltage, voltage[code]) << code;
}

TEST(VersionText, HighByteDotTensAndUnitsOfTheLowByte) {
  const struct {
    uint16_t word;
    const char* text;
  } cases[] = {
      {0x0105, "V1.05"}, {0x0163, "V1.99"}, {0x01C8, "V1.200"}, {0x0207, "V2.07"},
      {0x027B, "V2.123"}, {0x0100, "V1.00"}, {0xFF00, "V255.00"}, {0x0000, "V0.00"},
  };
  for (const auto& c : cases) EXPECT_EQ(VersionText(c.word), c.text) << std::hex << c.word;
}

TEST(TestSpecBit, TheHighestLowBitInTheStateBit15AsksFor) {
  const struct {
    int selector, value, result;
  } cases[] = {
      {0x8004, 0x0004, 1}, {0x0004, 0x0004, 0}, {0x0005, 0x0001, 1},  // bit 2 chosen, not bit 0
      {0x8005, 0x0001, 0}, {0x4000, 0x0000, 1}, {0xC000, 0x4000, 1},  {0xC000, 0x3FFF, 0},
      {0x8000, 0x0000, 0}, {0x8000, 0xFFFF, 0}, {0x0000, 0x0000, 0},  {0x18001, 0x10001, 1},  // bits above 15 ignored
  };
  for (const auto& c : cases) EXPECT_EQ(TestSpecBit(c.selector, c.value), c.result) << std::hex << c.selector << " " << c.value;
}

TEST(ReplyUsable, OnlyAValidReplyToTheFunctionSent) {
  Modbus link;
  link.Reply[1] = 3;
  link.ReplyValid = 1;
  EXPECT_TRUE(ReplyUsable(&link, 3));
  EXPECT_FALSE(ReplyUsable(&link, 4));
  link.Reply[1] = 0x83;  // exception reply
  EXPECT_FALSE(ReplyUsable(&link, 3));
  link.Reply[1] = 3;
  link.ReplyValid = 0;
  EXPECT_FALSE(ReplyUsable(&link, 3));

  const uint8_t frame[] = {1, 3, 4, 0x12, 0x34, 0xAB, 0xCD};
  std::memcpy(link.Reply, frame, sizeof frame);
  EXPECT_EQ(ReplyWord(&link, 0), 0x1234);
  EXPECT_EQ(ReplyWord(&link, 1), 0xABCD);
}

TEST(PollPrologue, StopThenPendingCommandThenHiddenPanel) {
  TForm_Main w;
  Modbus& link = w.Link;
  GroupPanel* gate = w.Panel("Group_Version");
  ASSERT_NE(gate, nullptr);
  const QString status = "Version...";
  int result = -1;

  w.SetStatus(2, "previous");
  // Stop wins over everything and touches nothing.
  link.CmdCode = 6;
  gate->setHidden(true);
  EXPECT_FALSE(PollPrologue(&link, 1, "Group_Version", status, result));
  EXPECT_EQ(result, 1);
  gate->setHidden(false);
  EXPECT_FALSE(PollPrologue(&link, 1, "Group_Version", status, result));
  EXPECT_EQ(result, 1);
  // A pending command: go on without traffic and without a status text.
  EXPECT_FALSE(PollPrologue(&link, 0, "Group_Version", status, result));
  EXPECT_EQ(result, 0);
  link.CmdCode = 0;
  // Hidden panel: the same.
  gate->setHidden(true);
  EXPECT_FALSE(PollPrologue(&link, 0, "Group_Version", status, result));
  EXPECT_EQ(result, 0);
  EXPECT_EQ(w.StatusText(2), "previous");
  // A panel that no view built counts as hidden.
  EXPECT_FALSE(PollPrologue(&link, 0, "Group_NoSuchPanel", status, result));
  EXPECT_EQ(result, 0);
  // Shown on a page that is not on screen: the panel's own flag decides.
  gate->setHidden(false);
  ASSERT_FALSE(gate->isVisible());
  EXPECT_TRUE(PollPrologue(&link, 0, "Group_Version", status, result));
  EXPECT_EQ(w.StatusText(2), "Version...");
}
