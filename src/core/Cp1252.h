#pragma once
// Windows-1252, the code page of files written by older tools (language files, the
// error-help documents). One table for every reader.
#include <QByteArray>
#include <QChar>
#include <QString>

namespace vx {

// Bytes 0x80..0x9F by the code page; the five unassigned ones map to the C1 control
// of the same number, as Windows itself does. The rest is Latin-1.
QChar cp1252Char(unsigned char byte);
QString decodeCp1252(const QByteArray& bytes);

} // namespace vx
