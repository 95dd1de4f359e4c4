#include "comm/SXComm.h"

#include <algorithm>
#include <cerrno>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vx {

const char* const CommErrorTexts[50][3] = {
    {"", "", ""},
    {"", "Data transmission successful!", "Datenübertragung erfolgreich!"},
    {"", "Unknown error!", ""},
    {"", "Communication error [%2.2xh]:", "Übertragungsfehler [%2.2xh]:"},
    {"", "Communication error", ""},
    {"", "Function parameter error [%2.2xh]:", ""},
    {"", "Operating error [%2.2xh]:", ""},
    {"", "Parity error!", ""},
    {"", "Frame error!", "Stoppbitfehler!"},
    {"", "Overrun error!", ""},
    {"", "Check error!", ""},
    {"", "Wrong function number!\r\nFunction undefined.", ""},
    {"", "Wrong type!\r\nData type undefined.", ""},
    {"", "Wrong axis number!\r\nAxis does not exist or is undefined.", ""},
    {"", "Wrong unit number!\r\nUnit does not exist or is undefined.", ""},
    {"", "Wrong module number!\r\nData I/O does not exist or is undefined.", ""},
    {"", "Wrong programme number!\r\nProgramme selection not allowed;\r\nnumber too large or 0 or programme does not exist.", ""},
    {"", "Wrong sentence number!\r\nNumber too large or 0 or sentence does not exist.", ""},
    {"", "Wrong range!\r\nParameter range undefined or does not exist.", ""},
    {"", "Wrong storage number!\r\nParaameter memory location does not exist.", ""},
    {"", "Wrong operating mode!\r\nController must be in the automatic mode.", ""},
    {"", "Wrong operating state!\r\nController must be in the reset state (for all units).", ""},
    {"", "Sequence not terminated!", ""},
    {"", "Sequence not started!", ""},
    {"", "Memory overflow!", ""},
    {"", "Programme end missing!", ""},
    {"", "Programme end exceeded!", ""},
    {"", "Too many parameters!", ""},
    {"", "Parameter error!", ""},
    {"", "Cannot start the axis!", ""},
    {"", "Unknown protocol!", ""},
    {"", "System error [%4.4xh]:", "Systemfehler [%4.4xh]:"},
    {"", "Windows error message(s)!", ""},
    {"", "[%4.4xh]: The hardware detected a break condition.", ""},
    {"", "[%4.4xh]: The hardware detected a framing error.", ""},
    {"", "[%4.4xh]: An I/O error occurred during communications with the interface.", ""},
    {"", "[%4.4xh]: Invalid interface handle or the requested mode is not supported.", ""},
    {"", "[%4.4xh]: A character-buffer overrun has occurred. The next character is lost.", ""},
    {"", "[%4.4xh]: An input buffer overflow has occurred.", ""},
    {"", "[%4.4xh]: The hardware detected a parity error.", ""},
    {"", "[%4.4xh]: An output buffer overflow has occurred.", ""},
    {"", "General communication error [%4.4xh]:", "Allgemeiner Übertragungsfehler [%4.4xh]:"},
    {"", "Protocol buffer is empty!", ""},
    {"", "Timeout error!", "Zeitüberschreitungs-Fehler!"},
    {"", "Protocol check sum error!", ""},
    {"", "Incorrect protocol header. Protocol header unequal <82h><96h>!", ""},
    {"", "<82h> duplication is missing!", ""},
    {"", "Incorrect protocol header. Protocol header unequal <DLE><STX>!", ""},
    {"", "<DLE> duplication is missing!", ""},
    {"", "Incorrect start character in the protocol header!", "Fehlerhaftes Startzeichen im Protokollkopf!"},
};

namespace {

QString row(int r, bool german)
{
    const char* t = german && CommErrorTexts[r][2][0] ? CommErrorTexts[r][2] : CommErrorTexts[r][1];
    return QString::fromUtf8(t);
}

// Fills the one printf-style hex field of a row.
QString withHex(int r, bool german, uint32_t value)
{
    QString t = row(r, german);
    const int width = t.contains(QLatin1String("%4.4x")) ? 4 : 2;
    const QString hex = QStringLiteral("%1").arg(value, width, 16, QLatin1Char('0')).toUpper();
    t.replace(width == 4 ? QLatin1String("%4.4x") : QLatin1String("%2.2x"), hex);
    return t;
}

} // namespace

QString commErrorText(const TCommError& error, bool german)
{
    switch (error.Code) {
    case 0: return row(1, german);
    case CommDeviceError: return row(4, german);
    case CommSystemError: {
        QString t = withHex(31, german, error.OSError);
        const std::string msg = SerialLine::systemMessage(static_cast<int>(error.OSError));
        if (!msg.empty())
            t += QStringLiteral("\r\n") + QString::fromLocal8Bit(msg.c_str());
        return t;
    }
    case CommLineError: {
        QString t = withHex(41, german, error.LineErrors);
        struct Flag {
            uint32_t bit;
            int row;
        };
        static constexpr Flag flags[] = {
            {CE_BREAK, 33},
            {CE_FRAME, 34},
            {CE_IOE, 35},
            {CE_MODE, 36},
            {CE_OVERRUN, 37},
            {CE_RXOVER, 38},
            {CE_RXPARITY, 39},
            {CE_TXFULL, 40},
        };
        for (const Flag& f : flags) {
            if (error.LineErrors & f.bit)
                t += QStringLiteral("\r\n") + withHex(f.row, german, f.bit);
        }
        return t;
    }
    case CommEmptyFrame: return row(42, german);
    case CommTimeout: return row(43, german);
    case CommCheckError: return row(44, german);
    case CommSX2Header: return row(45, german);
    case CommSX2Doubling: return row(46, german);
    case CommSSBHeader: return row(47, german);
    case CommSSBDoubling: return row(48, german);
    case CommStartChar: return row(49, german);
    case CommBabbling:
        return german ? QStringLiteral("Die Leitung sendet ohne Ende (Antwort über 256 Bytes oder 2 s)!")
                      : QStringLiteral("Line babbling: the reply went on past 256 bytes or 2 s!");
    case CommLineLost:
        return german ? QStringLiteral("Die Verbindung ist verloren: das Gerät ist nicht mehr vorhanden!")
                      : QStringLiteral("Line lost: the device has gone!");
    default: return row(2, german);
    }
}

std::string openErrorText(const std::string& path, int osError)
{
    if (osError != EACCES && osError != EPERM)
        return SerialLine::systemMessage(osError);
    std::string group = "dialout";
    gid_t gid = 0;
    struct stat st { };
    if (::stat(path.c_str(), &st) == 0) {
        gid = st.st_gid;
        if (const struct group* g = ::getgrgid(gid))
            group = g->gr_name;
    }
    // Already listed in the group: this session started before it was added.
    bool member = false;
    if (const struct passwd* pw = ::getpwuid(::getuid()); pw && st.st_gid != 0) {
        gid_t groups[256];
        int n = 256;
        if (::getgrouplist(pw->pw_name, pw->pw_gid, groups, &n) >= 0)
            member = std::find(groups, groups + n, gid) != groups + n;
    }
    std::string text = "No permission to open " + path + ".\n";
    if (member)
        return text + "Your user is in the group \"" + group
               + "\" but this session started before that. Log out and in again (or restart the computer).";
    return text + "Your user is not in the group \"" + group + "\" that may use serial ports. Add it with\n    sudo usermod -aG "
           + group + " $USER\nthen log out and in again.";
}

} // namespace vx
