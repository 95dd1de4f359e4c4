#pragma once
// What the tool knows a connected controller holds, kept apart from every document (the
// editors' sets, files, compare sides). Only what went over the line changes it: a value
// read, a write the controller confirmed, a read-back, a "bp" it accepted. A write whose
// reply never came usable leaves its value unknown until it is read again.
#include "params/SetTransfer.h"

#include <QDateTime>
#include <QString>

#include <array>
#include <map>
#include <optional>

namespace vx {

namespace compare {
struct ValueSet;
}

enum class KnownHow : quint8 {
    Never,     // nothing learned yet
    Read,      // read from the controller
    Confirmed, // written, and the controller echoed it
    ReadBack,  // read again after a confirmed write, and equal
    Unsure,    // written, but no usable reply came: the controller may hold either value
};

struct KnownValue {
    qint32 value = 0; // for Unsure: the value that was sent
    KnownHow how = KnownHow::Never;
    QDateTime when;
    bool known() const { return how == KnownHow::Read || how == KnownHow::Confirmed || how == KnownHow::ReadBack; }
};

struct ControllerIdentity {
    QString type;     // "rt"
    QString hardware; // "rh"
    QString serial;   // "rx"
};

class ControllerImage {
public:
    // One of the identity texts as the controller answered it ("rt", "rh", "rx"). Another
    // text than the one known means another controller: nothing known of the old one stays.
    void identify(const QString& request, const QString& text, const QDateTime& at = now());

    const KnownValue& value(transfer::Item item, int number) const;
    std::optional<qint32> known(transfer::Item item, int number) const;

    void read(transfer::Item item, int number, qint32 v, const QDateTime& at = now());
    void confirmed(transfer::Item item, int number, qint32 v, const QDateTime& at = now());
    // A write whose reply was lost or unusable: the value stays unknown until read.
    void unsure(transfer::Item item, int number, qint32 sent, const QDateTime& at = now());
    // "bp" accepted: what was written now works.
    void computed(const QDateTime& at = now());

    // Parameters written (confirmed or unsure) since the last confirmed "bp".
    bool writtenSinceCompute() const { return m_writtenSinceCompute; }

    // Parameter 203 (decimals of setpoints and "dec 9" parameters), when known.
    std::optional<int> decimals() const;

    // Every value of the sets known (read, confirmed or read back).
    bool holdsAll(transfer::Sets sets) const;
    // Values of `wanted` that differ from what is known; unknown values count as differing.
    int differing(const compare::ValueSet& wanted) const;
    // Values the controller was found or made to hold after `since` that a document
    // (par/soll of the sets) does not hold: the document is older than the controller.
    int newerThan(const compare::ValueSet& document, const QDateTime& since) const;
    // When it last learnt anything.
    QDateTime changedAt() const { return m_changedAt; }

    void clear();

    static QDateTime now() { return QDateTime::currentDateTime(); }

private:
    KnownValue* slot(transfer::Item item, int number);
    void set(transfer::Item item, int number, const KnownValue& v);

    ControllerIdentity m_identity;
    std::array<KnownValue, ParCount> m_par{};
    std::array<KnownValue, SollCount> m_soll{};
    bool m_writtenSinceCompute = false;
    QDateTime m_changedAt;
};

// The images of every controller the tool spoke to in this run, per port and unit, and
// which unit each port's bus has selected.
namespace images {

ControllerImage& of(const QString& port, int unit);
// The unit the bus on `port` last selected with a confirmed "sc", or -1.
int selected(const QString& port);
void select(const QString& port, int unit);
// The image of the controller the main window is connected to (empty port: none).
void setConnected(const QString& port, int unit);
const ControllerImage* connected();
ControllerImage* connectedImage();
// Parameter n of the connected controller when known, else `fallback`.
qint32 connectedParameter(int n, qint32 fallback);
// The connected controller's decimals (parameter 203); 0 while they are not known, so
// no document's decimals ever scale what the controller sends.
int connectedDecimals();
// The decimals the open setpoint set is in: fixed when it was received or opened, else
// the connected controller's, else the parameter set's.
int setpointDecimals();
// Fixes them for a setpoint set just received or opened.
void fixSetpointDecimals();
// Start-of-run state; for tests.
void reset();

} // namespace images

// Setpoints in `from` decimals rescaled to `to` decimals, so each keeps the value a
// technician reads; the number of the first that would lose a digit or leave
// lower..upper (nothing changed then), or 0.
int rescaleSetpoints(TSollWaarden& values, int from, int to, qint32 lower, qint32 upper);

} // namespace vx
