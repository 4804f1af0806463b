#include "app/Myfunc.h"

#include <QCoreApplication>
#include <QDir>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <locale.h>
#include <thread>

#include "platform/CFormat.h"

// ---- Converters ----------------------------------------------------------

namespace {

int HexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  return -1;
}

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// How a text reads under the integer rules: a value, no integer at all, or
// an integer whose every character keeps the rules but whose value lies
// beyond 32 bits.
enum class IntReading { Value, Bad, Beyond };

// Parses the whole text by the integer rules. `negative` tells the sign of
// an integer beyond 32 bits.
IntReading ParseInt(const QString& text, int& out, bool& negative) {
  const qsizetype n = text.size();
  qsizetype i = 0;
  while (i < n && text[i] == u' ') ++i;
  negative = false;
  if (i < n && (text[i] == u'+' || text[i] == u'-')) {
    negative = text[i] == u'-';
    ++i;
  }
  bool hex = false;
  if (i < n && (text[i] == u'$' || text[i] == u'x' || text[i] == u'X')) {
    hex = true;
    ++i;
  } else if (i + 1 < n && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X')) {
    hex = true;
    i += 2;
  }
  if (i >= n) return IntReading::Bad;  // no digits at all

  bool beyond = false;
  if (hex) {
    std::uint32_t value = 0;
    int significant = 0;
    for (; i < n; ++i) {
      const int d = HexDigit(text[i].unicode());
      if (d < 0) return IntReading::Bad;
      if (significant > 0 || d != 0) ++significant;
      if (significant > 8) beyond = true;
      value = value * 16u + static_cast<std::uint32_t>(d);
    }
    if (beyond) return IntReading::Beyond;
    if (negative) value = 0u - value;  // a sign negates the 32-bit value
    out = static_cast<int>(value);
    return IntReading::Value;
  }

  // Decimal: the magnitude may reach 2^31 only for a negative number.
  const std::int64_t limit = negative ? 2147483648LL : 2147483647LL;
  std::int64_t value = 0;
  for (; i < n; ++i) {
    if (!IsDigit(text[i].unicode())) return IntReading::Bad;
    if (beyond) continue;
    value = value * 10 + (text[i].unicode() - u'0');
    beyond = value > limit;
  }
  if (beyond) return IntReading::Beyond;
  out = static_cast<int>(negative ? -value : value);
  return IntReading::Value;
}

bool ParseInt(const QString& text, int& out) {
  bool negative = false;
  return ParseInt(text, out, negative) == IntReading::Value;
}

// Checks the float syntax (blanks around, sign, digits with "." or "," as the
// separator, optional exponent) and gives the number in C-locale form.
bool NormaliseFloat(const QString& text, QByteArray& out) {
  const qsizetype n = text.size();
  qsizetype i = 0;
  while (i < n && text[i] == u' ') ++i;
  qsizetype end = n;
  while (end > i && text[end - 1] == u' ') --end;
  if (i < end && (text[i] == u'+' || text[i] == u'-')) out += static_cast<char>(text[i++].unicode());
  int digits = 0;
  for (; i < end && IsDigit(text[i].unicode()); ++i, ++digits) out += static_cast<char>(text[i].unicode());
  if (i < end && (text[i] == u'.' || text[i] == u',')) {
    out += '.';
    for (++i; i < end && IsDigit(text[i].unicode()); ++i, ++digits) out += static_cast<char>(text[i].unicode());
  }
  if (digits == 0) return false;
  if (i < end && (text[i] == u'e' || text[i] == u'E')) {
    out += 'e';
    ++i;
    if (i < end && (text[i] == u'+' || text[i] == u'-')) out += static_cast<char>(text[i++].unicode());
    int expDigits = 0;
    for (; i < end && IsDigit(text[i].unicode()); ++i, ++expDigits) out += static_cast<char>(text[i].unicode());
    if (expDigits == 0) return false;
  }
  return i == end;
}

locale_t CLocale() {
  static locale_t loc = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  return loc;
}

}  // namespace

int SafeStrToInt(const QString& text) {
  int value = 0;
  return ParseInt(text, value) ? value : 0;
}

bool StrictStrToInt(const QString& text, int& value) {
  int parsed = 0;
  if (!ParseInt(text, parsed)) return false;
  value = parsed;
  return true;
}

long double SafeStrToFloat(const QString& text) {
  if (text.isEmpty()) return 0.0L;
  const std::optional<double> parsed = FloatTextValue(text);
  // Out of range counts as not parsed; an underflow is still a number.
  const long double v = parsed && std::isfinite(*parsed) ? *parsed : 0.0;
  return v >= 0 ? v + 0.00001L : v - 0.00001L;
}

std::optional<double> FloatTextValue(const QString& text) {
  QByteArray normalised;
  if (text.isEmpty() || !NormaliseFloat(text, normalised)) return std::nullopt;
  // Beyond the double range this is an infinity of the number's sign.
  return strtod_l(normalised.constData(), nullptr, CLocale());
}

bool IsNumberText(const QString& text) {
  const std::optional<double> parsed = FloatTextValue(text);
  return parsed && std::isfinite(*parsed);
}

int BeyondIntSign(const QString& text) {
  int value = 0;
  bool negative = false;
  if (ParseInt(text, value, negative) != IntReading::Beyond) return 0;
  return negative ? -1 : 1;
}

int HexTextToInt(const QString& text, int n) {
  if (n <= 0) return 0;
  n = static_cast<int>(std::min<qsizetype>(n, text.size()));
  std::uint32_t value = 0;
  for (int i = 0; i < n; ++i) value = value * 16u + static_cast<std::uint32_t>(std::max(0, HexDigit(text[i].unicode())));
  return static_cast<int>(value);
}

// ---- Number formatting ---------------------------------------------------

namespace {
const char* DivisorFormat(int divisor) {
  switch (divisor) {
    case 10: return "%.1f";
    case 100: return "%.2f";
    case 1000: return "%.3f";
    default: return "%.0f";
  }
}

QString FormatQuotient(long double value, int divisor) {
  // Through a 32-bit float, as the displayed figures have always been rounded.
  const float q = static_cast<float>(divisor > 0 ? value / divisor : value);
  return CFormat(DivisorFormat(divisor), static_cast<double>(q));
}

QString FormatTimesFactor(float x, long double factor, const char* format) {
  const float v = static_cast<float>(static_cast<long double>(x) * factor);
  return CFormat(format, static_cast<double>(v));
}
}  // namespace

QString FormatIntUnit(int value, const QString& unit) {
  if (value == 0) return QString();
  return CFormat("%i", value) + unit;
}

QString FormatMilli(float x) { return FormatTimesFactor(x, 0.001L, "%.3f"); }
QString FormatCenti(float x) { return FormatTimesFactor(x, 0.01L, "%.2f"); }
QString FormatDeci(float x) { return FormatTimesFactor(x, 0.1L, "%.1f"); }

QString FormatDecimals(float x, int count) {
  return CFormat("%.*f", std::clamp(count, 0, 9), static_cast<double>(x));
}

QString FormatScaledFloat(float x, int divisor) { return FormatQuotient(x, divisor); }

QString FormatScaledInt(int value, int divisor, std::uint8_t signed16) {
  if (signed16 == 1) value = static_cast<std::int16_t>(static_cast<std::uint16_t>(value & 0xFFFF));
  return FormatQuotient(value, divisor);
}

// ---- 8-bit buffers -------------------------------------------------------

int TextToAnsiBuffer(char* buffer, std::size_t size, const QString& text) {
  if (!buffer || size == 0) return 0;
  const QByteArray bytes = text.toLatin1();
  const std::size_t n = std::min(static_cast<std::size_t>(bytes.size()), size - 1);
  std::memcpy(buffer, bytes.constData(), n);
  buffer[n] = '\0';
  return 0;
}

int TextToAnsiBuffer2(const QString& text, char* buffer, std::size_t size) {
  return TextToAnsiBuffer(buffer, size, text);
}

int CopyToken(char* dest, std::size_t size, const QString& text) {
  if (!dest || size == 0) return 0;
  const QByteArray bytes = text.toLatin1();
  const std::size_t limit = std::min({static_cast<std::size_t>(bytes.size()), std::size_t{200}, size - 1});
  std::size_t i = 0;
  for (; i < limit; ++i) {
    const char c = bytes[static_cast<qsizetype>(i)];
    if (c == '\0' || c == '\r' || c == ' ') break;
    dest[i] = c;
  }
  dest[i] = '\0';
  return static_cast<int>(i);
}

int RawStrContains(const char* haystack, const char* needle) {
  if (!haystack || !needle || !*haystack || !*needle) return 0;
  return std::strstr(haystack, needle) ? 1 : 0;
}

int SplitToWebReqStr(const char* text, char delimiter, std::vector<WebReqStr>& tokens) {
  tokens.clear();
  if (!text) return 0;
  const std::size_t len = std::strlen(text);
  std::size_t start = 0;
  auto add = [&](std::size_t end) {
    WebReqStr t;
    t.Text = QByteArray(text + start, static_cast<qsizetype>(end - start));
    t.Length = static_cast<int>(t.Text.size());
    tokens.push_back(std::move(t));
  };
  for (std::size_t i = 0; i < len; ++i) {
    if (text[i] == delimiter) {
      add(i);
      start = i + 1;
    } else if (i == len - 1) {
      add(len);
    }
  }
  return 0;
}

// ---- Time and date texts -------------------------------------------------

namespace {
struct CivilDate {
  std::int64_t year;
  int month, day;
};

// Days since 1970-01-01 to the proleptic Gregorian date.
CivilDate DateFromDays(std::int64_t days) {
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const std::int64_t doe = days - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  const int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  return {era * 400 + yoe + (month <= 2 ? 1 : 0), month, day};
}
}  // namespace

QString FormatRegisterTime(int a, int b, int c, int d, int layout) {
  if (a == 0 && b == 0 && c == 0 && d == 0) return QString();
  const std::uint32_t seconds = static_cast<std::uint32_t>(c) * 16777216u + static_cast<std::uint32_t>(d) * 65536u +
                                static_cast<std::uint32_t>(a) * 256u + static_cast<std::uint32_t>(b);
  const CivilDate date = DateFromDays(seconds / 86400u);
  if (date.year > 2100) return QString();
  const unsigned inDay = seconds % 86400u;
  const long long year = date.year;
  if (layout == 0)
    return CFormat("%lld/%02d/%02d %02u:%02u:%02u", year, date.month, date.day, inDay / 3600, inDay / 60 % 60,
                   inDay % 60);
  if (layout == 1) return CFormat("%lld/%02d/%02d", year, date.month, date.day);
  return QStringLiteral("0");
}

QString FormatLocalDate(int base, int offset) {
  // A device whose clock was never set reports 0: there is no date to show.
  if (base == 0) return QString();
  const std::int32_t sum = static_cast<std::int32_t>(static_cast<std::uint32_t>(base) + static_cast<std::uint32_t>(offset));
  if (sum < 0) return QString();
  const std::time_t t = sum;
  std::tm local{};
  if (!localtime_r(&t, &local)) return QString();
  return CFormat("%d/%02d/%02d", local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
}

QString FormatYearMonth(int year, int month, int offset) {
  const long long total = 12LL * year + month + offset;
  long long y = total / 12;
  long long m = total % 12;
  if (m == 0) {
    m = 12;
    y -= 1;
  }
  return CFormat("%lld/%02lld", y, m);
}

QString FormatSeconds(int seconds) {
  if (seconds == 0) return QString();
  return CFormat("%02d:%02d:%02d", seconds / 3600, seconds % 3600 / 60, seconds % 60);
}

QString FormatHourMinute(int hourMinute) { return CFormat("%02d:%02d", hourMinute / 100, hourMinute % 100); }

int EnsureDirectory(const QString& path) {
  if (!path.isEmpty() && !QDir(path).exists()) QDir().mkdir(path);
  return 0;
}

// ---- Message-pumping delay -----------------------------------------------

int WaitTick10ms() {
  using Clock = std::chrono::steady_clock;
  // One sleep to the tick's end: waking every 2 ms only burns CPU while a
  // request is on the wire.
  const auto end = Clock::now() + std::chrono::milliseconds(10);
  while (Clock::now() < end) std::this_thread::sleep_until(end);
  return 1;
}

int DelayMs(int ms) {
  for (int i = 0; i < ms / 10; ++i) {
    WaitTick10ms();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
  }
  return 0;
}
