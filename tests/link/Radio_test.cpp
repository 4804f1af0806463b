// The radio dongle link: frequency text and selection, the dongle's reply
// parser, and set-up, exchanges and the frequency fallback against the
// simulated dongle on a pty.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTreeWidgetItem>
#include <clocale>
#include <cstring>
#include <memory>

#include "app/main.h"
#include "link/Modbus.h"
#include "link/Radio.h"
#include "sim/SimInverter.h"
#include "sim/SimRadioDongle.h"
#include "support/FakeDialogs.h"
#include "support/FakeLinkUi.h"
#include "support/NetFixture.h"
#include "support/PollFixture.h"

namespace {

QList<QByteArray> Commands(const SimRadioDongle& d) {
  QList<QByteArray> out;
  for (const QByteArray& c : d.Commands()) out << c;
  return out;
}

void SetReceived(Modbus& m, const char* text) {
  std::memset(m.Port.RxBuf, 0, Tcomm::kRxSize);
  std::strcpy(reinterpret_cast<char*>(m.Port.RxBuf), text);
  m.Port.RxCount = int(std::strlen(text));
}

// "rf tx " and the 13-byte payload: request, frequency, FF, CRC.
QByteArray TxCommand(const QByteArray& request6, int hz) {
  QByteArray payload = request6;
  for (int shift = 24; shift >= 0; shift -= 8) payload.append(char((uint32_t(hz) >> shift) & 0xFF));
  payload.append(char(0xFF));
  return "rf tx " + sim::WithCrc(payload).toHex().toUpper();
}

constexpr int kAlt = 900000000;
constexpr int kChosen = 928900000;

}  // namespace

TEST(RadioFrequency, TextIsReadWithAPointWhateverTheLocale) {
  const char* old = std::setlocale(LC_ALL, nullptr);
  const std::string saved = old ? old : "C";
  std::setlocale(LC_ALL, "de_DE.UTF-8");  // comma locale, where the CI has it
  struct Case {
    const char* text;
    int tenths;
  };
  const Case cases[] = {{"928.9", 9289}, {"932.0", 9320}, {"915", 9150},   {"862", 8620},
                        {"928,9", 9289}, {"", 0},         {"abc", 0},      {" 900.0 ", 9000}};
  for (const Case& c : cases) EXPECT_EQ(RadioFreqTenthsFromText(c.text), c.tenths) << c.text;
  std::setlocale(LC_ALL, saved.c_str());
}

TEST(RadioFrequency, SelectionKeepsToTheAllowedBand) {
  FakeDialogs dialogs;
  struct Case {
    int tenths;
    int hz;
    bool refused;
  };
  const Case cases[] = {{9289, 928900000, false}, {9320, 932000000, false}, {8620, 862000000, false},
                        {9321, kAlt, true},       {8619, kAlt, true},       {0, kAlt, true}};
  for (const Case& c : cases) {
    dialogs.messages.clear();
    auto m = std::make_unique<Modbus>();
    EXPECT_EQ(m->SelectRadioFrequency(c.tenths), 0);
    EXPECT_EQ(m->RadioFreq, c.hz) << c.tenths;
    EXPECT_EQ(dialogs.messages, c.refused ? QStringList{"illegal freq, default setting"} : QStringList{})
        << c.tenths;
    EXPECT_EQ(m->RadioFreqNow, 0);  // nothing sent
  }
}

TEST(RadioReply, ParserTakesPayloadRssiAndSnr) {
  FakeLinkUi ui;
  const QByteArray reply = sim::WithCrc(sim::Hex("01 03 02 12 34"));
  const QByteArray hex = reply.toHex().toUpper();
  struct Case {
    QByteArray text;
    bool filled;
    const char* rssi;
    const char* snr;
  };
  const Case cases[] = {
      {"Ok\r\nradio_rx " + hex + " -40 7\r\n", true, "RSSI: -40", "SNR: 7"},
      {"radio_rx " + hex, true, "", ""},                      // no quality tokens: nothing shown
      {"Ok radio_rx", false, "", ""},                         // nothing after the word
      {"radio_rx " + hex.left(hex.size() - 2) + "00 -51 3", false, "RSSI: -51", "SNR: 3"},  // CRC fails
      {"radio_rx 0103 -60 2", false, "RSSI: -60", "SNR: 2"},  // too short to carry a CRC
      {"Ok\r\n", false, "", ""},
  };
  for (const Case& c : cases) {
    // A signal from before, which no line may leave standing.
    ui.status[9] = "RSSI: -99";
    ui.status[10] = "SNR: 99";
    auto m = std::make_unique<Modbus>();
    m->SlaveId = 1;
    m->Request(1, 1, 3);  // no link: builds the request the reply answers
    m->ClearReply();
    SetReceived(*m, c.text.constData());
    EXPECT_EQ(m->ParseRadioReply(), 0);
    EXPECT_EQ(m->RxLength, c.filled ? 7 : 0) << c.text.constData();
    EXPECT_EQ(m->ReplyValid, c.filled ? 1 : 0) << c.text.constData();
    if (c.filled) EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(m->Reply), 7), reply);
    EXPECT_EQ(ui.status[9], c.rssi) << c.text.constData();
    EXPECT_EQ(ui.status[10], c.snr) << c.text.constData();
  }
}

// The dongle on a pty with inverter 1 behind it, the port opened as the link
// opening opens it.
class RadioLinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    bus.AddSlave(1);
    bus.SetHolding(1, 1, 0x0042);
    link = std::make_unique<Modbus>();
    ASSERT_EQ(link->OpenSerial(dongle.PortPath()), 0);
    link->LinkMode = LinkRadio;
    link->SetBaudIndex(3);
  }

  FakeDialogs dialogs;
  FakeLinkUi ui;
  sim::SimInverter bus;
  SimRadioDongle dongle{[this](const QByteArray& frame) { return bus.Exchange(frame).value_or(QByteArray()); }};
  std::unique_ptr<Modbus> link;
};

TEST_F(RadioLinkTest, SetUpFrequencySelectionAndExchanges) {
  EXPECT_EQ(link->SetupRadio(), 0);
  EXPECT_EQ(Commands(dongle), (QList<QByteArray>{"rf set_freq 900000000", "rf rx_con off", "rf set_sync 51",
                                                 "rf set_sf 9", "rf set_bw 250", "rf set_pwr 15"}));
  EXPECT_EQ(link->RadioFreqNow, kAlt);
  for (const char* line : {"rf rx_con off", "rf set_sync 51", "rf set_sf 9", "rf set_bw 250", "rf set_pwr 15"})
    EXPECT_TRUE(ui.lines.contains(line)) << line;
  // The dongle is already there: nothing is sent.
  dongle.ClearRecords();
  EXPECT_EQ(link->SendRadioFrequency(kAlt), 0);
  EXPECT_TRUE(dongle.Commands().empty());

  link->SelectRadioFrequency(RadioFreqTenthsFromText("928.9"));
  EXPECT_EQ(link->RadioFreq, kChosen);
  dongle.SetQuality(-47, 9);

  // The inverter still listens on the fallback; it answers there and follows
  // the frequency in the payload, and the dongle moves after it.
  link->SlaveId = 1;
  ASSERT_EQ(link->Request(1, 1, 3), 0);
  EXPECT_EQ(link->ReplyValid, 1);
  EXPECT_EQ(link->Reply[4], 0x42);
  EXPECT_EQ(Commands(dongle), (QList<QByteArray>{TxCommand(sim::Hex("01 03 00 00 00 01"), kChosen), "rf rx_con on",
                                                 "rf rx_con off", "rf set_freq 928900000"}));
  EXPECT_EQ(link->RadioFreqNow, kChosen);
  EXPECT_EQ(dongle.InverterFrequency(), kChosen);
  EXPECT_EQ(ui.status[9], "RSSI: -47");
  EXPECT_EQ(ui.status[10], "SNR: 9");
  EXPECT_EQ(ui.status[3], "1");
  EXPECT_TRUE(ui.lines.contains("Tx:32:" + link->Port.CmdText));

  // Now both are on the chosen frequency: one transmission, no switching.
  dongle.ClearRecords();
  ASSERT_EQ(link->Request(2, 5, 6), 0);
  EXPECT_EQ(link->ReplyValid, 1);
  EXPECT_EQ(bus.Holding(1, 2), 5);
  EXPECT_EQ(dongle.Commands().size(), 3u);
  EXPECT_EQ(link->NoReplyCount, 0);
}

TEST_F(RadioLinkTest, NoAnswerFallsBackAndComesBack) {
  link->SetupRadio();
  link->SelectRadioFrequency(9289);
  link->SendRadioFrequency(kChosen);
  ASSERT_EQ(link->RadioFreqNow, kChosen);
  dongle.SetInverterFrequency(kAlt);  // the inverter went back to the fallback
  dongle.ClearRecords();

  link->SlaveId = 1;
  ASSERT_EQ(link->Request(1, 1, 3), 0);
  EXPECT_EQ(link->ReplyValid, 1);
  const auto commands = Commands(dongle);
  ASSERT_EQ(commands.size(), 8);
  EXPECT_TRUE(commands[0].startsWith("rf tx "));
  EXPECT_EQ(commands[3], "rf set_freq 900000000");
  EXPECT_TRUE(commands[4].startsWith("rf tx "));
  EXPECT_EQ(commands[7], "rf set_freq 928900000");
  EXPECT_EQ(link->RadioFreqNow, kChosen);
  EXPECT_EQ(link->TxCount, 2);
  // One exchange, counted once, and it got its reply.
  EXPECT_EQ(link->NoReplyCount, 0);
  EXPECT_EQ(link->FailStreak, 0);
}

TEST_F(RadioLinkTest, SilenceRefusedFrequencyAndBadPayloadAreNoReply) {
  link->SetupRadio();
  link->SelectRadioFrequency(9289);
  dongle.SetRefusedFrequency(kChosen);  // the dongle will not go there
  dongle.SetCorruptReply(true);
  link->SlaveId = 1;
  ASSERT_EQ(link->Request(1, 1, 3), 0);
  EXPECT_EQ(link->ReplyValid, 0);
  EXPECT_EQ(link->RxLength, 0);
  EXPECT_EQ(link->RadioFreqNow, kAlt);  // "Error" left it where it was
  EXPECT_EQ(link->NoReplyCount, 1);
  EXPECT_EQ(link->CrcErrors, 0);  // a radio payload with a bad CRC is no reply

  link->SlaveId = 9;  // nobody there
  ASSERT_EQ(link->Request(1, 1, 3), 0);
  EXPECT_EQ(link->NoReplyCount, 2);
  EXPECT_EQ(ui.status[5], "NoRx/Error:1/0");
}

TEST_F(RadioLinkTest, ProbeAndScanOverTheRadio) {
  bus.AddSlave(3);
  link->SetupRadio();
  link->ScanStartId = 1;
  link->ScanEndId = 3;
  link->IdProductId[1] = 99;
  EXPECT_EQ(link->ScanSlaves(), 1);
  EXPECT_EQ(link->IdPresent[1], 1);
  EXPECT_EQ(link->IdPresent[2], 0);
  EXPECT_EQ(link->IdPresent[3], 3);
  EXPECT_EQ(link->IdBaudIndex[1], 3);
  EXPECT_EQ(link->IdBaudIndex[3], 3);
  EXPECT_EQ(link->IdProductId[1], 0);
  EXPECT_EQ(link->IdProductId[3], 0);
  EXPECT_EQ(ui.status[0], "ID: 3");
  // The probe reads input register 40963 of each ID.
  const auto payloads = dongle.Payloads();
  ASSERT_FALSE(payloads.empty());
  EXPECT_EQ(sim::HexText(payloads[0].left(6)), "01 04 A0 02 00 01");
}

TEST_F(RadioLinkTest, AWriteFailureOfTheDongleFailsTheRequest) {
  link->SlaveId = 1;
  link->Port.Close();
  EXPECT_EQ(link->Request(1, 1, 3), 1);
}

TEST_F(RadioLinkTest, FramesWithoutARadioFormAreRefusedAndNothingIsSentAgain) {
  link->SetupRadio();
  link->SlaveId = 1;
  // A write goes out and is answered; its command text is the last one built.
  ASSERT_EQ(link->Request(2, 5, 6), 0);
  ASSERT_EQ(link->ReplyValid, 1);
  ASSERT_EQ(bus.Holding(1, 2), 5);
  bus.SetHolding(1, 2, 0);
  dongle.ClearRecords();
  const int sent = link->TxCount;

  // Neither frame has a radio form: nothing goes over the air, above all not
  // the write before them again, and no reply is left to decode.
  for (int pass = 0; pass < 2; ++pass) {
    const int r = pass == 0 ? link->WriteRegister32(785, 0x12345678) : link->RequestStxEtx(0x10, 0x02);
    EXPECT_EQ(r, 0) << pass;
    EXPECT_TRUE(dongle.Payloads().empty()) << pass;
    EXPECT_EQ(bus.Holding(1, 2), 0) << pass;
    EXPECT_EQ(link->RxLength, 0) << pass;
    EXPECT_EQ(link->ReplyValid, 0) << pass;
    EXPECT_TRUE(link->Port.CmdText.isEmpty()) << pass;
  }
  EXPECT_EQ(link->TxCount, sent);
  EXPECT_EQ(link->NoReplyCount, 0);
  EXPECT_EQ(link->CrcErrors, 0);

  // The next radio request carries its own text.
  ASSERT_EQ(link->Request(1, 1, 3), 0);
  EXPECT_EQ(link->ReplyValid, 1);
  EXPECT_EQ(link->Port.CmdText, TxCommand(sim::Hex("01 03 00 00 00 01"), kAlt));
}

// A payload with a sound CRC that does not answer what was asked (its byte
// count is wrong) is no reply, like one whose CRC fails: a radio payload is
// never counted as a reply error.
TEST(RadioPayload, SoundCrcWithTheWrongByteCountIsNoReply) {
  FakeDialogs dialogs;
  FakeLinkUi ui;
  SimRadioDongle dongle([](const QByteArray&) { return sim::WithCrc(sim::Hex("01 03 04 00 2A 00 00")); });
  Modbus link;
  ASSERT_EQ(link.OpenSerial(dongle.PortPath()), 0);
  link.LinkMode = LinkRadio;
  link.SetBaudIndex(3);
  link.SetupRadio();
  link.SlaveId = 1;
  ASSERT_EQ(link.Request(1, 1, 3), 0);
  EXPECT_GE(dongle.Payloads().size(), 1u);
  EXPECT_EQ(link.ReplyValid, 0);
  EXPECT_EQ(link.RxLength, 0);
  EXPECT_EQ(link.CrcErrors, 0);
  EXPECT_EQ(link.NoReplyCount, 1);
  EXPECT_EQ(ui.status[5], "NoRx/Error:0/0");
  link.Port.Close();
}

// ---------------------------------------------------------------------------
// The radio link opened from the main window: set-up, the chosen frequency,
// a probe, and a fallback when the inverter went back to the fallback.

TEST(RadioLinkWindow, SetUpSelectionProbeAndFallbackWithSignalQuality) {
  polltest::TempHome home;
  FakeDialogs dialogs;
  sim::SimInverter bus;
  bus.AddSlave(1);
  SimRadioDongle dongle([&bus](const QByteArray& frame) { return bus.Exchange(frame).value_or(QByteArray()); });
  dongle.SetQuality(-52, 6);
  TForm_Main w;
  w.AddTreeRoot();
  nettest::ChooseProfile(w);
  auto* ports = w.Ctl<QComboBox>("Combo_COM");
  ports->clear();
  ports->addItem(dongle.PortPath());
  ports->setCurrentIndex(0);
  w.Ctl<QRadioButton>("Radio_ComSub1g")->setChecked(true);
  ASSERT_EQ(w.Ctl<QLineEdit>("Edit_RolaNextFreq")->text(), "928.9");
  w.Ctl<QLineEdit>("Edit_StartID")->setText("1");
  w.Ctl<QLineEdit>("Edit_EndID")->setText("1");

  QList<QByteArray> opening;
  int stage = 0;
  nettest::Every5ms(w, [&] {
    const bool idle = w.Link.CmdCode == 0 && w.TreeRoot->childCount() == 1;
    if (stage == 0 && w.LinkOpen) {
      w.Btn_ScanIDClick();  // probe ID 1 between two passes
      stage = 1;
    } else if (stage == 1 && idle) {
      opening = Commands(dongle);
      dongle.SetInverterFrequency(kAlt);  // the inverter restarted on the fallback
      dongle.ClearRecords();
      w.Btn_ScanIDClick();
      stage = 2;
    } else if (stage == 2 && idle && dongle.Payloads().size() >= 2) {
      w.ClosePortClick();
      return true;
    }
    return false;
  });
  w.OpenPortClick();

  const QByteArray probe = TxCommand(sim::Hex("01 04 A0 02 00 01"), kChosen);
  EXPECT_EQ(opening, (QList<QByteArray>{"rf set_freq 900000000", "rf rx_con off", "rf set_sync 51", "rf set_sf 9",
                                        "rf set_bw 250", "rf set_pwr 15", probe, "rf rx_con on", "rf rx_con off",
                                        "rf set_freq 928900000"}));
  EXPECT_EQ(Commands(dongle), (QList<QByteArray>{probe, "rf rx_con on", "rf rx_con off", "rf set_freq 900000000",
                                                 probe, "rf rx_con on", "rf rx_con off", "rf set_freq 928900000"}));
  EXPECT_EQ(dongle.Frequency(), kChosen);
  EXPECT_EQ(dongle.InverterFrequency(), kChosen);
  EXPECT_EQ(w.Link.IdPresent[1], 1);
  EXPECT_EQ(w.Link.IdBaudIndex[1], 3);
  ASSERT_EQ(w.TreeRoot->childCount(), 1);
  EXPECT_EQ(w.TreeRoot->child(0)->text(0), "ID:001");
  EXPECT_EQ(w.Link.SlaveId, 1);
  EXPECT_EQ(w.StatusText(1), "38400");
  EXPECT_EQ(w.StatusText(9), "RSSI: -52");
  EXPECT_EQ(w.StatusText(10), "SNR: 6");
  EXPECT_EQ(w.StatusText(4), "COM Close");
  EXPECT_TRUE(dialogs.messages.isEmpty());
}
