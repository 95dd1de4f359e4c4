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

// A text file: refused leaves the values alone; taken, it writes back to the same.
template <class V, class Parse, class Write>
void textFile(const QByteArray& contents, qint32 seed, Parse parse, Write write)
{
    V values, before;
    fill(values, seed);
    before = values;
    if (parse(contents, values) != files::TextFileError::None) {
        FUZZ_CHECK(values == before);
        return;
    }
    V again = before;
    FUZZ_CHECK(parse(write(0, values), again) == files::TextFileError::None);
    FUZZ_CHECK(again == values);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Input in(data, size);
    const int which = in.byte() % 3;
    const QByteArray contents = in.rest();
    if (which == 0) {
        textFile<TParWaarden>(contents, 12345, files::parseParameterFile, files::parameterFileText);
        return 0;
    }
    if (which == 1) {
        textFile<TSollWaarden>(contents, -777, files::parseSetpointFile, files::setpointFileText);
        return 0;
    }
    TParWaarden par, parBefore;
    TSollWaarden soll, sollBefore;
    fill(par, 12345);
    fill(soll, -777);
    parBefore = par;
    sollBefore = soll;
    if (files::parseBackupFile(contents, par, soll) != files::BackupError::None) {
        FUZZ_CHECK(par == parBefore && soll == sollBefore);
        return 0;
    }
    TParWaarden p2 = parBefore;
    TSollWaarden s2 = sollBefore;
    FUZZ_CHECK(files::parseBackupFile(files::backupFileBytes(par, soll), p2, s2) == files::BackupError::None);
    FUZZ_CHECK(p2 == par && s2 == soll);
    return 0;
}
