#pragma once
#include <QString>

// printf-style formatting that always uses the C locale, so displayed numbers
// carry a point whatever the user's regional settings are.
QString CFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string CFormatStd(const char* format, ...) __attribute__((format(printf, 1, 2)));
