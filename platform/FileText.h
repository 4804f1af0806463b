#pragma once
#include <QByteArray>
#include <QString>

// Text files that the Windows program also reads and writes (INI files,
// country lists) are in its 8-bit code page, Windows-1252, unless they are
// valid UTF-8. A file is decoded as a whole in one of the two, and whatever is
// written back into it uses the same one, so that the Windows program reads
// back what it wrote.
enum class FileEncoding { Windows1252, Utf8 };

// UTF-8 when the bytes hold non-ASCII text that is valid UTF-8; otherwise
// (plain ASCII, empty, or not UTF-8) the Windows program's code page.
FileEncoding DetectFileEncoding(const QByteArray& bytes);

QString DecodeFileText(const QByteArray& bytes, FileEncoding encoding);
// Characters that Windows-1252 lacks become '?', as in the Windows program.
QByteArray EncodeFileText(const QString& text, FileEncoding encoding);
