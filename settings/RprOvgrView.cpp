#include "app/ControlTable.h"
#include "app/main.h"
#include "link/CommandCodes.h"
#include "link/FunctionCodes.h"
#include "settings/RelayViews.h"

// The two external trigger inputs wired to the RPR and OVGR relays. Their
// switches are flags of one word per input; a write carries one flag, with
// bit 15 to set it and without to clear it. The radios commit on their click,
// so a view checking them from code posts nothing.

namespace {

// One input per column: its title, three radio pairs each in its own frame
// (so that the pairs exclude only each other), the values and the unlock.
#define RPR_COLUMN(x, n, title)                                                                         \
  {Kind::Label, "Label_RPR" #n "Title", (x) + 6, 34, 244, 18, title, 1},                                \
      {Kind::Frame, "Panel_RPR" #n "Enable", (x) + 6, 58, 240, 28},                                     \
      {Kind::Frame, "GroupBox_RPR" #n "Mode", (x) + 6, 92, 240, 52, "\u30e2\u30fc\u30c9"},              \
      {Kind::Frame, "GroupBox_RPR" #n "Reconnect", (x) + 6, 150, 240, 52,                               \
       "\u518d\u63a5\u7d9a\u30bf\u30a4\u30d7"},                                                          \
      {Kind::Label, "Caption_RPR" #n "Status", (x) + 6, 214, 110, 18, "\u72b6\u614b \u30ed\u30c3\u30af", 1}, \
      {Kind::Label, "Label_RPR" #n "Status", (x) + 120, 214, 70, 18, "??"},                             \
      {Kind::Button, "Btn_RPR" #n "TrigUnlock", (x) + 194, 210, 56, 26, "\u89e3\u9664"},                \
      {Kind::Label, "Caption_RPR" #n "CountdownTime", (x) + 6, 248, 110, 18,                            \
       "\u30ab\u30a6\u30f3\u30c8\u30c0\u30a6\u30f3", 1},                                                \
      {Kind::Label, "Label_RPR" #n "CountdownTime", (x) + 120, 248, 70, 18, "??"},                      \
      {Kind::Label, "Caption_RPR" #n "ReconnectTime", (x) + 6, 282, 110, 18, "\u518d\u63a5\u7d9a\u6642\u9593", 1}, \
      {Kind::Label, "Label_RPR" #n "ReconnectTime", (x) + 120, 282, 70, 18, "??"},                      \
      {Kind::Edit, "Edit_RPR" #n "ReconnectTime", (x) + 194, 280, 56, 22}

constexpr ControlDecl kRows[] = {
    RPR_COLUMN(0, 1, "\u5916\u90e8\u8a98\u56e01\uff08D/I V1 to K5\uff09"),
    RPR_COLUMN(262, 2, "\u5916\u90e8\u8a98\u56e02\uff08D/I V1 to K6\uff09"),
};
#undef RPR_COLUMN

#define RPR_PAIR(frame, top, on, onText, off, offText) \
  constexpr ControlDecl frame[] = {                    \
      {Kind::Radio, on, 8, top, 124, 20, onText},      \
      {Kind::Radio, off, 136, top, 100, 20, offText},  \
  }
RPR_PAIR(kRpr1EnableRows, 4, "Radio_RPR1Enabled", "\u6709\u52b9", "Radio_RPR1Disabled", "\u7121\u52b9");
RPR_PAIR(kRpr2EnableRows, 4, "Radio_RPR2Enabled", "\u6709\u52b9", "Radio_RPR2Disabled", "\u7121\u52b9");
RPR_PAIR(kRpr1ModeRows, 24, "Radio_RPR1NormalOpen", "\u30ce\u30fc\u30de\u30eb\u30aa\u30fc\u30d7\u30f3",
         "Radio_RPR1NormalClose", "\u30af\u30ed\u30fc\u30ba");
RPR_PAIR(kRpr2ModeRows, 24, "Radio_RPR2NormalOpen", "\u30ce\u30fc\u30de\u30eb\u30aa\u30fc\u30d7\u30f3",
         "Radio_RPR2NormalClose", "\u30af\u30ed\u30fc\u30ba");
RPR_PAIR(kRpr1ReconnectRows, 24, "Radio_RPR1ReconnectAuto", "\u30aa\u30fc\u30c8", "Radio_RPR1ReconnectManual",
         "\u624b\u52d5");
RPR_PAIR(kRpr2ReconnectRows, 24, "Radio_RPR2ReconnectAuto", "\u30aa\u30fc\u30c8", "Radio_RPR2ReconnectManual",
         "\u624b\u52d5");
#undef RPR_PAIR

constexpr int kInput1Flags = 52672;
constexpr int kInput2Flags = 52675;
constexpr int kTripLock = 25411;

// Flag bits of an input's word, and bit 15 that sets the flag named.
constexpr int kEnabled = 0x0001;
constexpr int kNormalOpen = 0x0002;
constexpr int kManual = 0x0004;
constexpr int kSet = 0x8000;
// Bits of the trip lock word.
constexpr int kLocked1 = 0x0008;
constexpr int kLocked2 = 0x0010;

constexpr WordRead kInputWords[] = {
    RadioWord(0, "Radio_RPR1Enabled", "Radio_RPR1Disabled", kEnabled, kEnabled),
    RadioWord(0, "Radio_RPR1NormalOpen", "Radio_RPR1NormalClose", kNormalOpen, kNormalOpen),
    RadioWord(0, "Radio_RPR1ReconnectManual", "Radio_RPR1ReconnectAuto", kManual, kManual),
    Word(1, "Label_RPR1ReconnectTime", Show::Decimal, " sec"),
    Word(2, "Label_RPR1CountdownTime", Show::Decimal, " sec"),
    RadioWord(3, "Radio_RPR2Enabled", "Radio_RPR2Disabled", kEnabled, kEnabled),
    RadioWord(3, "Radio_RPR2NormalOpen", "Radio_RPR2NormalClose", kNormalOpen, kNormalOpen),
    RadioWord(3, "Radio_RPR2ReconnectManual", "Radio_RPR2ReconnectAuto", kManual, kManual),
    Word(4, "Label_RPR2ReconnectTime", Show::Decimal, " sec"),
    Word(5, "Label_RPR2CountdownTime", Show::Decimal, " sec"),
};
constexpr CodeText kLock1[] = {{0, "\u30ce\u30fc\u30de\u30eb"}, {kLocked1, "\u30ed\u30c3\u30af"}};
constexpr CodeText kLock2[] = {{0, "\u30ce\u30fc\u30de\u30eb"}, {kLocked2, "\u30ed\u30c3\u30af"}};
constexpr WordRead kLockWords[] = {
    Word(0, "Label_RPR1Status", Show::Text).Texts(kLock1).Mask(kLocked1),
    Word(0, "Label_RPR2Status", Show::Text).Texts(kLock2).Mask(kLocked2),
};

constexpr ReadBlock kBlocks[] = {
    Read(kReadHolding, kInput1Flags, 6, kInputWords),
    Read(kReadHolding, kTripLock, 1, kLockWords),
};
constexpr ReadView kView{"Group_RPR_OVGR", "RPR...", kBlocks};

// The radios are click rows: a Button row commits on the click event.
constexpr EditorDecl kEditors[] = {
    Button("Radio_RPR1Enabled", kInput1Flags, CmdWriteRegister, kSet | kEnabled),
    Button("Radio_RPR1Disabled", kInput1Flags, CmdWriteRegister, kEnabled),
    Button("Radio_RPR1NormalOpen", kInput1Flags, CmdWriteRegister, kSet | kNormalOpen),
    Button("Radio_RPR1NormalClose", kInput1Flags, CmdWriteRegister, kNormalOpen),
    Button("Radio_RPR1ReconnectManual", kInput1Flags, CmdWriteRegister, kSet | kManual),
    Button("Radio_RPR1ReconnectAuto", kInput1Flags, CmdWriteRegister, kManual),
    Edit("Edit_RPR1ReconnectTime", kInput1Flags + 1, SafeInt, "Label_RPR1ReconnectTime"),
    Button("Btn_RPR1TrigUnlock", kTripLock, CmdWriteRegister, kSet | kLocked1),
    Button("Radio_RPR2Enabled", kInput2Flags, CmdWriteRegister, kSet | kEnabled),
    Button("Radio_RPR2Disabled", kInput2Flags, CmdWriteRegister, kEnabled),
    Button("Radio_RPR2NormalOpen", kInput2Flags, CmdWriteRegister, kSet | kNormalOpen),
    Button("Radio_RPR2NormalClose", kInput2Flags, CmdWriteRegister, kNormalOpen),
    Button("Radio_RPR2ReconnectManual", kInput2Flags, CmdWriteRegister, kSet | kManual),
    Button("Radio_RPR2ReconnectAuto", kInput2Flags, CmdWriteRegister, kManual),
    Edit("Edit_RPR2ReconnectTime", kInput2Flags + 1, SafeInt, "Label_RPR2ReconnectTime"),
    Button("Btn_RPR2TrigUnlock", kTripLock, CmdWriteRegister, kSet | kLocked2),
};

}  // namespace

extern const PanelControls kRprOvgrPanel{"Group_RPR_OVGR", kRows};
extern const PanelControls kRpr1EnablePanel{"Panel_RPR1Enable", kRpr1EnableRows};
extern const PanelControls kRpr2EnablePanel{"Panel_RPR2Enable", kRpr2EnableRows};
extern const PanelControls kRpr1ModePanel{"GroupBox_RPR1Mode", kRpr1ModeRows};
extern const PanelControls kRpr2ModePanel{"GroupBox_RPR2Mode", kRpr2ModeRows};
extern const PanelControls kRpr1ReconnectPanel{"GroupBox_RPR1Reconnect", kRpr1ReconnectRows};
extern const PanelControls kRpr2ReconnectPanel{"GroupBox_RPR2Reconnect", kRpr2ReconnectRows};

int PollRPROVGR(Modbus* link, uint8_t stop) { return RunReadView(link, stop, kView); }

std::span<const EditorDecl> RprOvgrEditors() { return kEditors; }

// The read-back views of this file, for what the editor fit needs to know of
// the readings.
std::span<const ReadView* const> RprOvgrReadViews() {
  static constexpr const ReadView* kViews[] = {&kView};
  return kViews;
}
