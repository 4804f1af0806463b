#pragma once
#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

// Text, number and time helpers shared by the whole tool. They keep
// no state and never raise: bad text turns into the documented fallback value.
// 8-bit text means Latin-1 here (characters outside it become '?').

// ---- Converters ----------------------------------------------------------

// Text to integer; 0 for empty or invalid text. Accepts leading blanks, an
// optional sign, decimal digits (32-bit range) or hexadecimal after "$", "x",
// "X", "0x" or "0X" (at most 8 significant digits, read as 32 bits, so
// "0xFFFFFFFF" is -1). Nothing may follow the number.
int SafeStrToInt(const QString& text);

// Text to float; exactly 0 for empty text. Otherwise the parsed value (0 when
// it does not parse) moved 0.00001 away from zero, so scaled editors truncate
// to the intended integer (0.29 * 100 -> 29). Both "." and "," are accepted
// as the decimal separator, whatever the user's locale.
long double SafeStrToFloat(const QString& text);

// True when SafeStrToFloat reads the text as a number (not empty, not
// malformed, not beyond the double range) rather than falling back to 0.
bool IsNumberText(const QString& text);

// The number a text gives under the syntax of SafeStrToFloat, before its
// small step away from zero: nothing when the text is no number, an infinity
// of the number's sign when it lies beyond the double range ("1e309").
std::optional<double> FloatTextValue(const QString& text);

// 1 or -1, the sign of a text that keeps the syntax of SafeStrToInt but whose
// value lies beyond its 32 bits (a 20-digit number, 9 significant hexadecimal
// digits); 0 for any other text.
int BeyondIntSign(const QString& text);

// The strict conversion under SafeStrToInt: the same syntax, but a text that
// is empty or no number is refused (false) instead of reading as 0.
bool StrictStrToInt(const QString& text, int& value);

// The first n characters of text read as hexadecimal ("7F", 2 -> 127). A count
// of 0 or less gives 0; a count beyond the text is cut to its length; a
// character that is no hexadecimal digit counts as 0.
int HexTextToInt(const QString& text, int n);

// ---- Number formatting (always with a point) -----------------------------

// 0 gives the empty text, any other value its decimal text followed by unit.
QString FormatIntUnit(int value, const QString& unit);
// x * 0.001, 0.01, 0.1 through a 32-bit float with 3, 2, 1 decimals.
QString FormatMilli(float x);
QString FormatCenti(float x);
QString FormatDeci(float x);
// x with count decimals (1..9; a count outside is clamped to 0..9).
QString FormatDecimals(float x, int count);
// x / divisor through a 32-bit float, with 0, 1, 2, 3 decimals for the
// divisors 1, 10, 100, 1000 (any other divisor: no decimals; 0 or less: x).
QString FormatScaledFloat(float x, int divisor);
// The same for an integer; when signed16 is 1 the value is first taken as its
// low 16 bits read as a signed 16-bit number.
QString FormatScaledInt(int value, int divisor, std::uint8_t signed16);

// ---- 8-bit buffers -------------------------------------------------------

// One token of a split 8-bit text.
struct WebReqStr {
  QByteArray Text;  // the token's bytes (no delimiter); constData() is zero-terminated
  int Length = 0;   // Text's length in bytes
};

// Copies text as 8-bit into buffer and ends it with a zero byte. The copy is
// cut to size - 1 bytes so it never runs past the buffer. Returns 0.
int TextToAnsiBuffer(char* buffer, std::size_t size, const QString& text);
int TextToAnsiBuffer2(const QString& text, char* buffer, std::size_t size);
template <std::size_t N>
int TextToAnsiBuffer(char (&buffer)[N], const QString& text) {
  return TextToAnsiBuffer(buffer, N, text);
}
template <std::size_t N>
int TextToAnsiBuffer2(const QString& text, char (&buffer)[N]) {
  return TextToAnsiBuffer(buffer, N, text);
}

// Copies the first token of text (up to a zero byte, CR or blank, at most 200
// bytes and at most size - 1) into dest and ends it with a zero byte.
// Returns the count of bytes copied.
int CopyToken(char* dest, std::size_t size, const QString& text);
template <std::size_t N>
int CopyToken(char (&dest)[N], const QString& text) {
  return CopyToken(dest, N, text);
}

// 1 when needle occurs in haystack (byte-wise, case-sensitive), else 0.
// An empty or missing needle or haystack gives 0.
int RawStrContains(const char* haystack, const char* needle);

// Splits a zero-terminated 8-bit text at delimiter into tokens (emptying the
// vector first). Empty tokens between delimiters are kept; a trailing
// delimiter yields no empty last token. Returns 0.
int SplitToWebReqStr(const char* text, char delimiter, std::vector<WebReqStr>& tokens);

// ---- Time and date texts -------------------------------------------------

// The seconds c*2^24 + d*2^16 + a*2^8 + b after 1970 in UTC: layout 0
// "yyyy/mm/dd hh:mm:ss", layout 1 "yyyy/mm/dd", any other layout "0".
// Empty when all four bytes are 0 (no time stored) or the year is after 2100.
QString FormatRegisterTime(int a, int b, int c, int d, int layout);
// The local date "yyyy/mm/dd" of base + offset seconds (signed 32-bit).
// Empty for an unset clock (base 0) and for a sum before 1970.
QString FormatLocalDate(int base, int offset);
// "yyyy/mm" of year and month moved by offset months (offset 0 or less).
QString FormatYearMonth(int year, int month, int offset);
// "hh:mm:ss" with at least two hour digits; 0 gives the empty text.
QString FormatSeconds(int seconds);
// An HHMM number as "hh:mm" (930 -> "09:30").
QString FormatHourMinute(int hourMinute);

// Creates the folder when it does not exist (one level; its parent must
// exist). Reports nothing; returns 0.
int EnsureDirectory(const QString& path);

// ---- Message-pumping delay -----------------------------------------------

// One tick of about 10 ms; processes no events. Returns 1.
int WaitTick10ms();

// Waits ms / 10 ticks and processes the pending events after each tick, so
// the window stays usable while a request is on the wire. Returns 0.
// Callers must expect any window state and the pending command to have
// changed when it returns.
int DelayMs(int ms);
