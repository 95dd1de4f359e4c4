#pragma once
// The working copy of the controller's parameters and setpoints, shared by every
// window for the whole run. Values are the controller's raw scaled integers.
#include <QDateTime>
#include <QString>
#include <QtGlobal>
#include <array>

namespace vx {

// A fixed table indexed First..Last. An index outside that range is a caller's bug;
// it asserts in debug builds and otherwise reads 0 and drops the write, so a bad
// number from a data file cannot corrupt memory. value() reads without asserting.
template <int First, int Last>
class IndexedValues {
public:
    static constexpr int first = First;
    static constexpr int last = Last;
    static constexpr int count = Last - First + 1;

    static constexpr bool contains(int i) { return i >= First && i <= Last; }

    qint32& operator[](int i)
    {
        if (!contains(i)) {
            Q_ASSERT_X(false, "IndexedValues", "index out of range");
            m_scratch = 0;
            return m_scratch;
        }
        return m_v[std::size_t(i - First)];
    }
    qint32 operator[](int i) const
    {
        Q_ASSERT_X(contains(i), "IndexedValues", "index out of range");
        return value(i);
    }
    qint32 value(int i) const { return contains(i) ? m_v[std::size_t(i - First)] : 0; }

    void fill(qint32 x) { m_v.fill(x); }
    bool operator==(const IndexedValues& o) const { return m_v == o.m_v; }

private:
    std::array<qint32, std::size_t(count)> m_v{};
    qint32 m_scratch = 0;
};

using TParWaarden = IndexedValues<0, 511>; // index = parameter number
using TSollWaarden = IndexedValues<1, 80>; // index = setpoint number

inline constexpr int ParCount = TParWaarden::count;
inline constexpr int SollCount = TSollWaarden::count;
// Parameter 203 holds the decimals of every setpoint and of every parameter with dec 9.
inline constexpr int ParDecimalsParameter = 203;

// Parameters the main window reads to label its inputs and outputs.
inline constexpr int ParInputFunction1 = 500;  // 500 ... 507: function of inputs 1 ... 8
inline constexpr int ParOutputFunction1 = 282; // 282 ... 297: function of outputs 1 ... 16
inline constexpr int ParAnalogueChannel = 280; // 0 none, 1 voltage, 2 current
struct ReferenceInput {
    int mode; // 0 fine reference, 1 SSI
    int fine; // fine reference on when not 0
    int ssi;  // SSI adjustment mode (1, 2, 4: adjusting)
};
inline constexpr ReferenceInput ParReference1{200, 223, 229}; // K0-1
inline constexpr ReferenceInput ParReference2{201, 243, 249}; // K0-2

// The parameter in the editor's selected row; the service dialog reads it.
struct TServicePar {
    QString Nr; // "%3.3d", also the section in ParameterDef; empty = no parameter
    QString Naam;
    QString Waarde;
    qint32 Min = 0;
    qint32 Max = 0;
    QString MinTekst, MaxTekst, DefaultTekst;
};

// Origin of the current set: 0 none yet, 1 controller, 2 file, 3 defaults (parameters only).
inline TParWaarden ParWaarden;
inline TSollWaarden SollWaarden;
inline int ParStatus = 0;
inline int SollStatus = 0;
// A single parameter went to the controller from the service dialog and "bp" has not run since.
inline bool ParGezondenEnNietGeladen = false;
inline TServicePar ServicePar;
// Bumped when a set arrives from the controller behind the editors' backs (the main
// window's receive): an editor takes it as its new reference, not as its own edits.
inline quint64 ParOntvangen = 0;
inline quint64 SollOntvangen = 0;
// The decimals the setpoint set's values are in, fixed when it was received or opened;
// -1: not fixed, those of the controller (else of the parameter set) apply.
inline int SollDecimalen = -1;
// When each set was last taken as a whole (received, opened, sent, defaults): what the
// controller was made to hold after that and the set does not hold makes it older.
inline QDateTime ParGenomen;
inline QDateTime SollGenomen;

// Back to the start-of-run state (all zero); used at start-up and by tests.
inline void resetValueStore()
{
    ParWaarden.fill(0);
    SollWaarden.fill(0);
    ParStatus = 0;
    SollStatus = 0;
    ParGezondenEnNietGeladen = false;
    ServicePar = TServicePar{};
    SollDecimalen = -1;
    ParGenomen = SollGenomen = QDateTime();
}

} // namespace vx
