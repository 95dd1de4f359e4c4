// Property: a parameter, setpoint or backup file that fails to parse leaves the values
// as they were; one that parses, written out again, reads back to the same values.
#include "FuzzSupport.h"
#include "params/ParFormats.h"

using namespace vx;

namespace {

template <class V>
void fill(V& v, qint32 seed)
{
    for (int i = V::first; i <= V::last; ++i) v[i] = seed ^ (i * 7919);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Input in(data, size);
    const int which = in.byte() % 3;
    const QByteArray contents = in.rest();
    TParWaarden par, parBefore;
    TSollWaarden soll, sollBefore;
    fill(par, 12345);
    fill(soll, -777);
    parBefore = par;
    sollBefore = soll;

    if (which == 0) {
        if (files::parseParameterFile(contents, par) != files::TextFileError::None) {
            FUZZ_CHECK(par == parBefore);
            return 0;
        }
        TParWaarden again = parBefore;
        FUZZ_CHECK(files::parseParameterFile(files::parameterFileText(0, par), again) == files::TextFileError::None);
        FUZZ_CHECK(again == par);
    } else if (which == 1) {
        if (files::parseSetpointFile(contents, soll) != files::TextFileError::None) {
            FUZZ_CHECK(soll == sollBefore);
            return 0;
        }
        TSollWaarden again = sollBefore;
        FUZZ_CHECK(files::parseSetpointFile(files::setpointFileText(0, soll), again) == files::TextFileError::None);
        FUZZ_CHECK(again == soll);
    } else {
        if (files::parseBackupFile(contents, par, soll) != files::BackupError::None) {
            FUZZ_CHECK(par == parBefore && soll == sollBefore);
            return 0;
        }
        TParWaarden p2 = parBefore;
        TSollWaarden s2 = sollBefore;
        FUZZ_CHECK(files::parseBackupFile(files::backupFileBytes(par, soll), p2, s2) == files::BackupError::None);
        FUZZ_CHECK(p2 == par && s2 == soll);
    }
    return 0;
}
