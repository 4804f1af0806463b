#include <gtest/gtest.h>

#include "link/Modbus.h"
#include "monitor/OlderLineView.h"
#include "platform/ValueLabel.h"
#include "sim/SimOlderLine.h"
#include "support/PollFixture.h"
#include "support/QtPrinters.h"

using polltest::Colour;
using polltest::Text;

namespace {

// The framed request for slave 1 as hex text.
QString Framed(int command, int sub) {
  QByteArray f = sim::Bytes({0x02, 0x05, 0x01, 0x02, command, sub});
  const uint16_t c = sim::CrcArc(reinterpret_cast<const uint8_t*>(f.constData()) + 1, 5);
  f += sim::Bytes({c & 0xFF, c >> 8, 0x03});
  return sim::HexText(f);
}

QByteArray Word(int v) { return sim::Bytes({v >> 8, v & 0xFF}); }

struct OlderLineView : polltest::ViewTest {
  sim::OlderLineProtocol& older = sim::AddOlderLine(t.sim);
};

}  // namespace

TEST(OlderLineFrame, RequestMatchesTheWorkedFrame) {
  EXPECT_EQ(Framed(16, 2), "02 05 01 02 10 02 E0 3D 03");
}

TEST_F(OlderLineView, IdentificationTexts) {
  t.ShowPanel("Group_MerivonTest");
  older.SetData(1, 0, 0, "\x01\x02" "TL5000");  // type: bytes 2 to N - 3
  older.SetData(1, 0, 1, "SN123456");
  older.SetData(1, 0, 9, "SAP-77");
  older.SetData(1, 0, 32, sim::Bytes({0, 7, 15, 5}));
  older.SetData(1, 0, 33, sim::Bytes({9, 5, 30}));

  ASSERT_EQ(PollMerivonTest(&w.Link, 0), 0);

  EXPECT_EQ(t.Frames(), (std::vector<QString>{Framed(0, 0), Framed(0, 1), Framed(0, 9), Framed(0, 32), Framed(0, 33)}));
  EXPECT_EQ(w.StatusText(2), "Merivon...");
  EXPECT_EQ(Text(w, "Label_MerivonType"), "TL5000");
  EXPECT_EQ(Text(w, "Label_MerivonSN"), "SN123456");
  EXPECT_EQ(Text(w, "Label_MerivonSAP"), "SAP-77");
  EXPECT_EQ(Text(w, "Label_MerivonDate"), "15/7/2005");
  EXPECT_EQ(Text(w, "Label_MerivonTime"), "9:5:30");
  EXPECT_EQ(Colour(w, "Label_MerivonDate"), clBlue);

  // Short identification replies give empty texts; year byte 12 gives 2012.
  older.SetData(1, 0, 0, "\x01\x02");  // N = 4
  older.SetData(1, 0, 1, "");          // N = 2
  older.SetData(1, 0, 32, sim::Bytes({0, 7, 15, 12}));
  ASSERT_EQ(PollMerivonTest(&w.Link, 0), 0);
  EXPECT_EQ(Text(w, "Label_MerivonType"), "");
  EXPECT_EQ(Text(w, "Label_MerivonSN"), "");
  EXPECT_EQ(Text(w, "Label_MerivonDate"), "15/7/2012");
}

TEST_F(OlderLineView, InputAndOutputValues) {
  t.ShowPanel("Group_MerivonDc1");
  t.ShowPanel("Group_MerivonDc2");
  t.ShowPanel("Group_MerivonAc1");
  const struct {
    int (*poll)(Modbus*, uint8_t);
    const char* status;
    struct {
      int sub, value;
      const char *label, *text;
    } rows[4];
  } items[] = {
      {PollMerivonDc1, "Dc1...",
       {{2, 400, "Label_MerivonVdcActual1", "400"},
        {1, 123, "Label_MerivonIdcActual1", "12.3"},
        {3, 4920, "Label_MerivonPdcActual1", "4920"},
        {12, 65535, "Label_MerivonIsoActual1", "65535"}}},
      {PollMerivonDc2, "Dc2...",
       {{5, 385, "Label_MerivonVdcActual2", "385"},
        {4, 0, "Label_MerivonIdcActual2", "0.0"},
        {6, 0, "Label_MerivonPdcActual2", "0"},
        {13, 20, "Label_MerivonIsoActual2", "20"}}},
      {PollMerivonAc1, "Ac1...",
       {{7, 230, "Label_MerivonVacActual1", "230"},
        {8, 65535, "Label_MerivonIacActual1", "6553.5"},
        {9, 4700, "Label_MerivonPacActual1", "4700"},
        {10, 50, "Label_MerivonFacActual1", "50"}}},
  };
  for (const auto& item : items) {
    std::vector<QString> frames;
    for (const auto& r : item.rows) {
      older.SetData(1, 16, r.sub, Word(r.value));
      frames.push_back(Framed(16, r.sub));
    }
    t.sim.ClearFrames();
    ASSERT_EQ(item.poll(&w.Link, 0), 0);
    EXPECT_EQ(t.Frames(), frames);
    EXPECT_EQ(w.StatusText(2), item.status);
    for (const auto& r : item.rows) EXPECT_EQ(Text(w, r.label), r.text) << r.label;
  }
  EXPECT_EQ(Text(w, "Label_MerivonVdcAve1"), "??");  // averages are never written
}

TEST_F(OlderLineView, OutputsTwoAndThreeKeepTheirDesignCaptions) {
  // No item writes them; they show their rows as designed, not an empty panel.
  for (const char* n : {"2", "3"}) {
    SCOPED_TRACE(n);
    const struct {
      const char* key;
      const char *caption, *unit;
    } rows[] = {{"Vac", "Voltage", "V"}, {"Iac", "Current", "A"}, {"Pac", "Power", "W"}, {"Fac", "Frequency", "Hz"}};
    const QString panel = QStringLiteral("Group_MerivonAc") + n;
    EXPECT_EQ(Text(w, "Label_MerivonAc" + QString(n) + "ActualHead"), "Actual");
    EXPECT_EQ(Text(w, "Label_MerivonAc" + QString(n) + "AverageHead"), "Average");
    for (const auto& r : rows) {
      const QString label = QStringLiteral("Label_Merivon") + r.key;
      EXPECT_EQ(Text(w, label + "Cap" + n), r.caption);
      EXPECT_EQ(Text(w, label + "Actual" + n), "??");
      EXPECT_EQ(Colour(w, label + "Actual" + n), clBlue);
      EXPECT_EQ(Text(w, label + "Ave" + n), "??");
      EXPECT_EQ(Text(w, label + "Unit" + n), r.unit);
      EXPECT_EQ(w.Control(label + "Actual" + n)->parentWidget(), w.Control(panel));
    }
  }
}

TEST_F(OlderLineView, RefusedBadOrShortRepliesLeaveTheirLabel) {
  t.ShowPanel("Group_MerivonDc1");
  older.SetData(1, 16, 2, Word(400));
  older.SetData(1, 16, 1, Word(123));
  older.SetData(1, 16, 3, Word(4920));
  older.SetData(1, 16, 12, Word(7));
  ASSERT_EQ(PollMerivonDc1(&w.Link, 0), 0);

  older.SetData(1, 16, 2, Word(1));
  older.SetData(1, 16, 3, Word(1));
  older.SetData(1, 16, 12, Word(1));
  // Refused (not 6), a bad CRC, and a reply too short for a 16-bit value:
  // each leaves its own label; the last request still goes out.
  older.SetRawReply(1, 16, 2, sim::Bytes({0x02, 0x15, 0x01, 0x04, 16, 2, 0x00, 0x01}));
  t.sim.QueueFault(sim::ReplyFault{});
  t.sim.QueueFault(sim::ReplyFault::BadCrc());
  older.SetRawReply(1, 16, 3, sim::Bytes({0x02, 0x06, 0x01, 0x03, 16, 3, 0x05}));
  ASSERT_EQ(PollMerivonDc1(&w.Link, 0), 0);
  EXPECT_EQ(Text(w, "Label_MerivonVdcActual1"), "400");
  EXPECT_EQ(Text(w, "Label_MerivonIdcActual1"), "12.3");
  EXPECT_EQ(Text(w, "Label_MerivonPdcActual1"), "4920");
  EXPECT_EQ(Text(w, "Label_MerivonIsoActual1"), "1");

  // A count larger than the frame: only the bytes before the CRC are text.
  t.ShowPanel("Group_MerivonTest");
  older.SetRawReply(1, 0, 1, sim::Bytes({0x02, 0x06, 0x01, 0x20, 0, 1, 'A', 'B'}));
  ASSERT_EQ(PollMerivonTest(&w.Link, 0), 0);
  EXPECT_EQ(Text(w, "Label_MerivonSN"), "AB");
}

TEST_F(OlderLineView, GateStopAndLinkFailure) {
  const std::initializer_list<polltest::GatedItem> items = {{PollMerivonTest, "Group_MerivonTest"},
                                                            {PollMerivonDc1, "Group_MerivonDc1"},
                                                            {PollMerivonDc2, "Group_MerivonDc2"},
                                                            {PollMerivonAc1, "Group_MerivonAc1"}};
  polltest::ExpectGatesAndStop(t, items);

  // Dc2 hidden while Dc1 shows: only Dc1 asks.
  for (const char* panel : {"Group_MerivonTest", "Group_MerivonDc2", "Group_MerivonAc1"}) t.ShowPanel(panel, false);
  for (const polltest::GatedItem& i : items) ASSERT_EQ(i.item(&w.Link, 0), 0) << i.panel;
  EXPECT_EQ(t.Frames(), (std::vector<QString>{Framed(16, 2), Framed(16, 1), Framed(16, 3), Framed(16, 12)}));

  for (const polltest::GatedItem& i : items) t.ShowPanel(i.panel);
  polltest::ExpectLinkFailure(t, items);
}
