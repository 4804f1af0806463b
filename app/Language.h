#pragma once
#include <QByteArray>
#include <QList>
#include <QStringList>

// The language table file: UTF-16 little-endian (a leading byte-order mark
// is skipped, an odd last byte ignored), one row per line (CR LF, a lone CR
// or a lone LF ends a line; a line end at the very end starts no further
// row), cells separated by TAB, no quoting. Row 0 is a header; column 0 holds
// the English caption, column n the caption of language n.
QList<QStringList> ParseLangTable(const QByteArray& bytes);
