#include "core/Cp1252.h"

namespace vx {

namespace {

constexpr char16_t kHigh[32] = {
    0x20AC,
    0x0081,
    0x201A,
    0x0192,
    0x201E,
    0x2026,
    0x2020,
    0x2021,
    0x02C6,
    0x2030,
    0x0160,
    0x2039,
    0x0152,
    0x008D,
    0x017D,
    0x008F,
    0x0090,
    0x2018,
    0x2019,
    0x201C,
    0x201D,
    0x2022,
    0x2013,
    0x2014,
    0x02DC,
    0x2122,
    0x0161,
    0x203A,
    0x0153,
    0x009D,
    0x017E,
    0x0178,
};

} // namespace

QChar cp1252Char(unsigned char byte)
{
    return (byte >= 0x80 && byte <= 0x9F) ? QChar(kHigh[byte - 0x80]) : QChar(char16_t(byte));
}

QString decodeCp1252(const QByteArray& bytes)
{
    QString out(bytes.size(), Qt::Uninitialized);
    QChar* dst = out.data();
    for (qsizetype i = 0; i < bytes.size(); ++i)
        dst[i] = cp1252Char(static_cast<unsigned char>(bytes[i]));
    return out;
}

} // namespace vx
