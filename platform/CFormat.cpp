#include "platform/CFormat.h"

#include <clocale>
#include <cstdarg>
#include <cstdio>
#include <locale.h>
#include <string>

namespace {
locale_t CLocale() {
  static locale_t loc = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  return loc;
}

std::string VFormat(const char* format, va_list args) {
  // uselocale is per thread: the C locale applies only for this call.
  locale_t old = uselocale(CLocale());
  char small[128];
  va_list copy;
  va_copy(copy, args);
  int n = std::vsnprintf(small, sizeof small, format, args);
  std::string out;
  if (n >= 0 && n < static_cast<int>(sizeof small)) {
    out.assign(small, static_cast<size_t>(n));
  } else if (n >= 0) {
    out.resize(static_cast<size_t>(n) + 1);
    std::vsnprintf(out.data(), out.size(), format, copy);
    out.resize(static_cast<size_t>(n));
  }
  va_end(copy);
  uselocale(old);
  return out;
}
}  // namespace

QString CFormat(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string s = VFormat(format, args);
  va_end(args);
  return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

std::string CFormatStd(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string s = VFormat(format, args);
  va_end(args);
  return s;
}
