#include "app/Myfunc.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <string>

#include "support/ScopedTimeZone.h"

namespace {

// ---- Converters ----------------------------------------------------------

struct IntCase {
  const char* text;
  int expected;
};

TEST(SafeStrToInt, AcceptedAndRejectedForms) {
  const IntCase cases[] = {
      // accepted
      {"0", 0}, {" 42", 42}, {"   7", 7}, {"+7", 7}, {"-7", -7}, {"012", 12},
      {"2147483647", 2147483647}, {"-2147483648", -2147483647 - 1},
      {"$ff", 255}, {"$FF", 255}, {"x1F", 31}, {"X1f", 31}, {"0x10", 16}, {"0X10", 16},
      {"-0x10", -16}, {"+$10", 16}, {"0xFFFFFFFF", -1}, {"0x80000000", -2147483647 - 1},
      {"0x000000001", 1},  // leading zeros are not significant digits
      // rejected: anything that breaks the rules gives 0
      {"", 0}, {"abc", 0}, {"42 ", 0}, {"1.5", 0}, {"2.5", 0}, {"-", 0}, {"+", 0}, {"0x", 0}, {"$", 0},
      {"2147483648", 0}, {"-2147483649", 0}, {"99999999999999999999", 0}, {"0x123456789", 0},
      {"\t5", 0}, {"- 5", 0}, {"5-", 0}, {"0xG1", 0}, {"Cancel", 0}, {"1,5", 0}, {"١٢", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(SafeStrToInt(QString::fromUtf8(c.text)), c.expected) << '"' << c.text << '"';
}

struct FloatCase {
  const char* text;
  long double expected;
};

TEST(SafeStrToFloat, ParsedValueNudgedAwayFromZero) {
  const long double nudge = 0.00001L;
  const FloatCase cases[] = {
      {"0.29", static_cast<long double>(0.29) + nudge},
      {"-2.5", -2.5L - nudge},
      {"0", nudge},
      {"-0", nudge},
      {"253.5", 253.5L + nudge},
      {"253,5", 253.5L + nudge},  // either separator, whatever the locale
      {" 3 ", 3.0L + nudge},
      {"+4", 4.0L + nudge},
      {".5", 0.5L + nudge},
      {"5.", 5.0L + nudge},
      {"1e3", 1000.0L + nudge},
      {"1,5E-1", static_cast<long double>(0.15) + nudge},
      {"-1e+2", -100.0L - nudge},
      // text that does not parse counts as 0 and still gets the nudge
      {"abc", nudge}, {"Cancel", nudge}, {"1.2.3", nudge}, {"1,5.3", nudge}, {"1e", nudge}, {".", nudge},
      {"--1", nudge}, {"1 000", nudge}, {"0x10", nudge}, {"nan", nudge}, {"inf", nudge}, {"1e999", nudge},
  };
  for (const auto& c : cases) EXPECT_EQ(SafeStrToFloat(QString::fromUtf8(c.text)), c.expected) << '"' << c.text << '"';
}

TEST(SafeStrToFloat, EmptyTextIsExactlyZero) { EXPECT_EQ(SafeStrToFloat(""), 0.0L); }

TEST(SafeStrToFloat, NudgeMakesScaledEditorsTruncateToTheTypedValue) {
  // Without the nudge 0.29 * 100 truncates to 28.
  EXPECT_EQ(static_cast<int>(0.29 * 100), 28);
  EXPECT_EQ(static_cast<int>(SafeStrToFloat("0.29") * 100), 29);
  EXPECT_EQ(static_cast<int>(SafeStrToFloat("253.5") * 10), 2535);
  EXPECT_EQ(static_cast<int>(SafeStrToFloat("253,5") * 10), 2535);
}

TEST(HexTextToInt, ReadsTheFirstCharacters) {
  EXPECT_EQ(HexTextToInt("7F", 2), 127);
  EXPECT_EQ(HexTextToInt("0a", 2), 10);
  EXPECT_EQ(HexTextToInt("A5FF", 2), 0xA5);
  EXPECT_EQ(HexTextToInt("FF", 1), 15);
  EXPECT_EQ(HexTextToInt("12345678", 8), 0x12345678);
  EXPECT_EQ(HexTextToInt("7F", 0), 0);
  EXPECT_EQ(HexTextToInt("7F", -3), 0);
  // A count beyond the text reads the text alone, and a long text overruns nothing.
  EXPECT_EQ(HexTextToInt("A", 5), 10);
  EXPECT_EQ(HexTextToInt(QString(38, u'0') + "12", 40), 0x12);
  EXPECT_EQ(HexTextToInt("", 2), 0);
}

// ---- Number formatting ---------------------------------------------------

struct FmtCase {
  QString actual;
  const char* expected;
};

void ExpectAll(std::initializer_list<FmtCase> cases) {
  int i = 0;
  for (const auto& c : cases) {
    EXPECT_EQ(c.actual, QString::fromUtf8(c.expected)) << "case " << i;
    ++i;
  }
}

TEST(Formatting, ScaledByFactor) {
  ExpectAll({
      {FormatMilli(12345), "12.345"},
      {FormatMilli(-1), "-0.001"},
      {FormatMilli(950), "0.950"},
      {FormatCenti(12345), "123.45"},
      {FormatCenti(0), "0.00"},
      {FormatCenti(5020), "50.20"},
      {FormatDeci(-5), "-0.5"},
      {FormatDeci(0), "0.0"},
      {FormatDeci(2530), "253.0"},
      // the scaled value passes through a 32-bit float, whose step is 1/64 here
      {FormatCenti(13107201), "131072.02"},
  });
}

TEST(Formatting, DecimalsAndDivisors) {
  ExpectAll({
      {FormatDecimals(3.14159f, 2), "3.14"},
      {FormatDecimals(-0.25f, 1), "-0.2"},
      {FormatDecimals(0.5f, 9), "0.500000000"},
      {FormatScaledFloat(12345, 1), "12345"},
      {FormatScaledFloat(2535, 10), "253.5"},
      {FormatScaledFloat(5020, 100), "50.20"},
      {FormatScaledFloat(950, 1000), "0.950"},
      {FormatScaledFloat(-75, 10), "-7.5"},
      {FormatScaledInt(1234, 1, 0), "1234"},
      {FormatScaledInt(65535, 10, 1), "-0.1"},
      {FormatScaledInt(65535, 10, 0), "6553.5"},
      {FormatScaledInt(65535, 10, 2), "6553.5"},  // only flag 1 reads 16 bits signed
      {FormatScaledInt(0x8000, 1, 1), "-32768"},
      {FormatScaledInt(0x8000, 1, 0), "32768"},
      {FormatScaledInt(0xFE0C, 10, 1), "-50.0"},
      {FormatScaledInt(0x12345678, 1, 1), "22136"},  // low 16 bits
      {FormatScaledInt(123456, 100, 0), "1234.56"},
      {FormatScaledInt(-1500, 1000, 0), "-1.500"},
      {FormatScaledInt(13107201, 100, 0), "131072.02"},  // through a 32-bit float
  });
}

TEST(Formatting, IntWithUnit) {
  ExpectAll({
      {FormatIntUnit(0, " V"), ""},
      {FormatIntUnit(0, "s"), ""},
      {FormatIntUnit(-3, "s"), "-3s"},
      {FormatIntUnit(230, " V"), "230 V"},
      {FormatIntUnit(12, " A"), "12 A"},
      {FormatIntUnit(5000, " W"), "5000 W"},
      {FormatIntUnit(50, " Hz"), "50 Hz"},
      {FormatIntUnit(1234, " KWh"), "1234 KWh"},
      {FormatIntUnit(30, " sec"), "30 sec"},
      {FormatIntUnit(100, " %"), "100 %"},
      {FormatIntUnit(45, " ℃"), "45 ℃"},
  });
}

// The user's locale writes numbers with a comma; displayed numbers keep the
// point and typed numbers are read with either separator.
class GermanLocale : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* old = std::setlocale(LC_ALL, nullptr);
    saved_ = old ? old : "C";
    ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr) << "the de_DE.UTF-8 locale is not generated";
    char buf[16];
    std::snprintf(buf, sizeof buf, "%.1f", 1.5);
    ASSERT_STREQ(buf, "1,5");  // the locale really is in force
  }
  void TearDown() override { std::setlocale(LC_ALL, saved_.c_str()); }
  std::string saved_;
};

TEST_F(GermanLocale, NumbersKeepThePoint) {
  ExpectAll({
      {FormatDeci(2535), "253.5"},
      {FormatCenti(5020), "50.20"},
      {FormatMilli(950), "0.950"},
      {FormatDecimals(1.25f, 2), "1.25"},
      {FormatScaledFloat(2535, 10), "253.5"},
      {FormatScaledInt(0xFE0C, 10, 1), "-50.0"},
      {FormatIntUnit(1000000, " W"), "1000000 W"},
  });
}

TEST_F(GermanLocale, TypedNumbersAcceptBothSeparators) {
  EXPECT_EQ(SafeStrToFloat("253.5"), 253.5L + 0.00001L);
  EXPECT_EQ(SafeStrToFloat("253,5"), 253.5L + 0.00001L);
  EXPECT_EQ(SafeStrToFloat("abc"), 0.00001L);
}

// ---- 8-bit buffers -------------------------------------------------------

TEST(TextToAnsiBuffer, ConvertsToLatin1) {
  char buf[32];
  std::memset(buf, 'Z', sizeof buf);
  EXPECT_EQ(TextToAnsiBuffer(buf, QString::fromUtf8("Grüße €")), 0);
  EXPECT_STREQ(buf, "Gr\xFC\xDF" "e ?");  // no euro sign in Latin-1
  EXPECT_EQ(TextToAnsiBuffer2(QString(), buf), 0);
  EXPECT_EQ(buf[0], '\0');
  EXPECT_EQ(buf[1], 'r');  // an empty text writes a single zero byte
}

TEST(TextToAnsiBuffer, NeverWritesPastTheBuffer) {
  char big[16];
  std::memset(big, 'Z', sizeof big);
  TextToAnsiBuffer(big, 8, "0123456789ABCDEF");
  EXPECT_STREQ(big, "0123456");
  for (int i = 8; i < 16; ++i) EXPECT_EQ(big[i], 'Z') << i;

  std::memset(big, 'Z', sizeof big);
  TextToAnsiBuffer2("abcdefghij", big, 4);
  EXPECT_STREQ(big, "abc");
  EXPECT_EQ(big[4], 'Z');
}

TEST(CopyToken, CopiesUpToTheFirstBlankOrCr) {
  struct Case {
    QString text;
    const char* token;
  };
  const Case cases[] = {
      {"12:30:05 extra", "12:30:05"}, {"230.5 V", "230.5"}, {"", ""}, {"abc\rdef", "abc"},
      {" lead", ""},                  {"word", "word"},     {QString::fromUtf8("Grün x"), "Gr\xFCn"},
  };
  for (const auto& c : cases) {
    char dest[64];
    std::memset(dest, 'Z', sizeof dest);
    EXPECT_EQ(CopyToken(dest, c.text), static_cast<int>(std::strlen(c.token))) << c.text.toStdString();
    EXPECT_STREQ(dest, c.token);
  }
}

TEST(CopyToken, BoundedBy200BytesAndByTheDestination) {
  const QString longText(300, u'x');
  char dest[256];
  EXPECT_EQ(CopyToken(dest, longText), 200);
  EXPECT_EQ(std::strlen(dest), 200u);

  char big[32];
  std::memset(big, 'Z', sizeof big);
  EXPECT_EQ(CopyToken(big, 16, longText), 15);
  EXPECT_EQ(std::strlen(big), 15u);
  for (int i = 16; i < 32; ++i) EXPECT_EQ(big[i], 'Z') << i;
}

TEST(RawStrContains, ByteWiseCaseSensitiveSearch) {
  struct Case {
    const char* haystack;
    const char* needle;
    int found;
  };
  const Case cases[] = {
      {"radio_rx 01", "radio_rx", 1}, {"Ok\r\n", "Ok", 1},        {"xxOk", "Ok", 1},  {"OK", "Ok", 0},
      {"radio_rx 01", "", 0},         {"", "Ok", 0},              {"", "", 0},        {"O", "Ok", 0},
      {"aab", "ab", 1},               {nullptr, "Ok", 0},         {"Ok", nullptr, 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(RawStrContains(c.haystack, c.needle), c.found)
        << (c.haystack ? c.haystack : "(null)") << " / " << (c.needle ? c.needle : "(null)");
}

std::vector<std::string> Tokens(const std::vector<WebReqStr>& v) {
  std::vector<std::string> out;
  for (const auto& t : v) {
    EXPECT_EQ(t.Length, t.Text.size());
    EXPECT_EQ(std::strlen(t.Text.constData()), static_cast<size_t>(t.Length));  // zero-terminated
    out.emplace_back(t.Text.constData(), static_cast<size_t>(t.Length));
  }
  return out;
}

TEST(SplitToWebReqStr, SplitsAtTheDelimiter) {
  using V = std::vector<std::string>;
  struct Case {
    const char* text;
    V tokens;
  };
  const Case cases[] = {
      {"radio_rx 0A1B -40 7", {"radio_rx", "0A1B", "-40", "7"}},
      {"a b", {"a", "b"}},
      {"a  b", {"a", "", "b"}},
      {" a", {"", "a"}},
      {"a ", {"a"}},  // a trailing delimiter yields no empty last token
      {" ", {""}},
      {"", {}},
      {"abc", {"abc"}},
  };
  std::vector<WebReqStr> out;
  for (const auto& c : cases) {
    EXPECT_EQ(SplitToWebReqStr(c.text, ' ', out), 0);
    EXPECT_EQ(Tokens(out), c.tokens) << '"' << c.text << '"';
  }
  SplitToWebReqStr("x;y", ';', out);
  EXPECT_EQ(Tokens(out), (V{"x", "y"}));
  SplitToWebReqStr(nullptr, ' ', out);
  EXPECT_TRUE(out.empty());
}

TEST(SplitToWebReqStr, LongTokensAreKeptWhole) {
  // A radio reply longer than any fixed token buffer must neither overrun nor be cut.
  const std::string payload(2000, 'A');
  const std::string text = "radio_rx " + payload + " -40";
  std::vector<WebReqStr> out;
  SplitToWebReqStr(text.c_str(), ' ', out);
  ASSERT_EQ(out.size(), 3u);
  EXPECT_EQ(out[1].Length, 2000);
  EXPECT_EQ(std::string(out[1].Text.constData()), payload);
  EXPECT_EQ(RawStrContains(out[0].Text, "radio_rx"), 1);
}

// ---- Time and date texts -------------------------------------------------


// The register bytes of a second count: c, d the high half, a, b the low half.
QString RegisterTime(std::uint32_t s, int layout) {
  return FormatRegisterTime(static_cast<int>((s >> 8) & 0xFF), static_cast<int>(s & 0xFF),
                            static_cast<int>(s >> 24), static_cast<int>((s >> 16) & 0xFF), layout);
}

TEST(FormatRegisterTime, UtcWhateverTheLocalZone) {
  for (const char* tz : {"UTC0", "JST-9", "EST5EDT,M3.2.0,M11.1.0"}) {
    ScopedTimeZone zone(tz);
    ExpectAll({
        {RegisterTime(1561451467u, 0), "2019/06/25 08:31:07"},
        {RegisterTime(1561451467u, 1), "2019/06/25"},
        {RegisterTime(1561451467u, 2), "0"},
        {RegisterTime(1561451467u, -1), "0"},
        {RegisterTime(1u, 0), "1970/01/01 00:00:01"},
        {RegisterTime(1582977600u, 0), "2020/02/29 12:00:00"},
        {RegisterTime(4133980799u, 0), "2100/12/31 23:59:59"},  // 2100 is still shown
        {RegisterTime(4133980800u, 0), ""},                    // 2101 is not
        {RegisterTime(4133980800u, 2), ""},
        {RegisterTime(0xFFFFFFFFu, 1), ""},
        {RegisterTime(0u, 0), ""},  // no time stored
        {RegisterTime(0u, 1), ""},
        {RegisterTime(0u, 2), ""},
    });
  }
  // The bytes by name: a, b low half, c, d high half.
  EXPECT_EQ(FormatRegisterTime(0xDB, 0xCB, 0x5D, 0x11, 0), "2019/06/25 08:31:07");
}

TEST(FormatLocalDate, LocalCalendarDate) {
  {
    ScopedTimeZone zone("JST-9");
    EXPECT_EQ(FormatLocalDate(1561451467, 0), "2019/06/25");
    EXPECT_EQ(FormatLocalDate(1561451467, -86400), "2019/06/24");
    EXPECT_EQ(FormatLocalDate(1561451467, -172800), "2019/06/23");
    const int midnight = 1561428000 - 11 * 3600;  // 2019-06-25 00:00 in Tokyo
    EXPECT_EQ(FormatLocalDate(midnight, 0), "2019/06/25");
    EXPECT_EQ(FormatLocalDate(midnight, -1), "2019/06/24");
  }
  {
    ScopedTimeZone zone("EST5EDT,M3.2.0,M11.1.0");
    EXPECT_EQ(FormatLocalDate(1561428000, 0), "2019/06/24");  // 02:00 UTC is 22:00 the day before
    EXPECT_EQ(FormatLocalDate(1561428000, 4 * 3600), "2019/06/25");
  }
}

TEST(FormatLocalDate, UnsetClockOrNoDateGivesEmptyText) {
  ScopedTimeZone zone("JST-9");
  EXPECT_EQ(FormatLocalDate(0, 0), "");
  EXPECT_EQ(FormatLocalDate(0, -86400), "");
  EXPECT_EQ(FormatLocalDate(100, -86400), "");          // before 1970
  EXPECT_EQ(FormatLocalDate(-2147483647 - 1, 0), "");  // a count from 2^31 up
  EXPECT_EQ(FormatLocalDate(2147483647, 86400), "");   // the sum wraps negative
}

TEST(FormatYearMonth, CountsBackInMonths) {
  ExpectAll({
      {FormatYearMonth(2020, 12, 0), "2020/12"},
      {FormatYearMonth(2020, 1, -1), "2019/12"},
      {FormatYearMonth(2020, 3, -3), "2019/12"},
      {FormatYearMonth(2020, 3, -14), "2019/01"},
      {FormatYearMonth(2020, 3, -2), "2020/01"},
      {FormatYearMonth(2020, 1, -23), "2018/02"},
      {FormatYearMonth(2020, 12, -12), "2019/12"},
  });
}

TEST(FormatSecondsAndHourMinute, Texts) {
  ExpectAll({
      {FormatSeconds(0), ""},
      {FormatSeconds(59), "00:00:59"},
      {FormatSeconds(3725), "01:02:05"},
      {FormatSeconds(360000), "100:00:00"},
      {FormatSeconds(86399), "23:59:59"},
      {FormatHourMinute(0), "00:00"},
      {FormatHourMinute(5), "00:05"},
      {FormatHourMinute(830), "08:30"},
      {FormatHourMinute(930), "09:30"},
      {FormatHourMinute(1745), "17:45"},
      {FormatHourMinute(2359), "23:59"},
      {FormatHourMinute(12345), "123:45"},
  });
}

TEST(EnsureDirectory, CreatesOneLevelOnly) {
  QTemporaryDir tmp;
  ASSERT_TRUE(tmp.isValid());
  const QString log = tmp.filePath("DataLog");
  EXPECT_EQ(EnsureDirectory(log), 0);
  EXPECT_TRUE(QDir(log).exists());
  EXPECT_EQ(EnsureDirectory(log), 0);  // already there
  EXPECT_TRUE(QDir(log).exists());
  const QString deep = tmp.filePath("a/b");
  EXPECT_EQ(EnsureDirectory(deep), 0);
  EXPECT_FALSE(QDir(deep).exists());
  EXPECT_FALSE(QDir(tmp.filePath("a")).exists());
}

// ---- Message-pumping delay -----------------------------------------------

// Counts how often the event loop was pumped: a queued call that queues itself
// again runs once per pump.
class PumpCounter {
 public:
  PumpCounter() { Post(); }
  int count = 0;

 private:
  void Post() {
    QMetaObject::invokeMethod(
        &ctx_,
        [this] {
          ++count;
          Post();
        },
        Qt::QueuedConnection);
  }
  QObject ctx_;  // pending calls die with it
};

TEST(DelayMs, BelowOneTickProcessesNothing) {
  PumpCounter pumps;
  QElapsedTimer t;
  t.start();
  EXPECT_EQ(DelayMs(9), 0);
  EXPECT_EQ(DelayMs(0), 0);
  EXPECT_EQ(DelayMs(-20), 0);
  EXPECT_EQ(pumps.count, 0);
  EXPECT_LT(t.elapsed(), 10);
}

TEST(DelayMs, RunsTicksAndProcessesEventsAfterEach) {
  PumpCounter pumps;
  QElapsedTimer t;
  t.start();
  EXPECT_EQ(DelayMs(25), 0);
  EXPECT_GE(t.elapsed(), 20);
  EXPECT_EQ(pumps.count, 2);
}

TEST(WaitTick10ms, WaitsATickWithoutProcessingEvents) {
  PumpCounter pumps;
  QElapsedTimer t;
  t.start();
  EXPECT_EQ(WaitTick10ms(), 1);
  EXPECT_GE(t.elapsed(), 10);
  EXPECT_EQ(pumps.count, 0);
}

}  // namespace
