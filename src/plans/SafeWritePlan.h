#pragma once
// A whole-set write with a way back and a proof: the controller's identity and every
// value are read and saved first (the safety backup), then the sets are written with
// "bp", then read back and compared with what was sent. Restore and the send windows
// run it; each phase may be left out. The save is the caller's function, so the plan
// itself touches no file. The backup is the controller as it is, so only the values
// that differ from it are written (each write wears the controller's EEPROM); every
// value is still read back.
#include "params/Compare.h"
#include "params/SafetyBackup.h"
#include "params/Verify.h"
#include "plans/TransferPlans.h"

#include <functional>
#include <memory>
#include <optional>

namespace vx::plans {

class SafeWritePlan : public Plan {
public:
    enum class Phase { Identity, // "rt", "rx" for the backup's name
                       Backup,   // every parameter and setpoint read
                       Write,
                       ReadBack };
    // Saves the values read as the safety backup; its path, or its error.
    using SaveFn = std::function<safety::Taken(const safety::Identity&, const TParWaarden&, const TSollWaarden&)>;

    struct Channels {
        int check = 0; // identity, backup and read-back
        int write = 0;
        int compute = 0;
    };
    struct Job {
        compare::ValueSet values; // what to write, and which sets
        bool compute = true;      // "bp" after the parameters
        // Write every value, not only those that differ from the backup.
        bool writeAll = false;
        // "bp" also when no parameter differs (a restore computes in any case).
        bool computeAlways = false;
        // The values to write, known from an earlier run of the same job (resume).
        std::optional<ValueRefs> only;
        bool backup = true;
        bool verify = true;
        SaveFn save;
        Channels channels;
        TransferRules rules;
    };

    explicit SafeWritePlan(Job job);

    // Goes on with the write from this value (no backup again). Set before start().
    void resumeWriteAt(Item item, int number);

    Step start() override;
    Step next(const Outcome& last) override;
    int done() const override;
    int total() const override;
    // The line is known to be down: a lost reply in flight is not asked again.
    void lineDown();

    Phase phase() const { return m_phase; }
    // The sub-plan of the phase under way (Backup, Write, ReadBack), else null.
    const SetPlan* current() const;
    // Identity request in flight or failed ("rt", "rx").
    QString identityRequest() const;

    // Why it ended: the backup (read, or its save), the write, or the read-back.
    const safety::Taken& safety() const { return m_safety; }
    const transfer::Result& write() const { return m_write; }
    const transfer::Result& readBack() const { return m_readBack; }
    bool wrote() const { return m_wrote; }
    // The values the controller confirmed in this run's write, in order.
    const ValueRefs& writtenValues() const;
    // "bp" went out in this run and was accepted.
    bool computed() const { return m_writePlan && m_writePlan->computed(); }
    // Every value was written and confirmed; "bp" may still have failed.
    bool allWritten() const;
    // The read-back ran to its end and was compared.
    bool verified() const { return m_verified; }
    // The whole comparison when verified(); else that of the values read back before
    // the read-back ended (none when it never ran).
    const verify::Result& verifyResult() const { return m_verify; }
    bool readBackRan() const { return m_readBackPlan != nullptr; }
    // How a write that got all its values out but did not end cleanly stands:
    // "592 of 592 written; "bp" not confirmed; read-back incomplete: 100 of 592
    // verified". Empty when the write ended cleanly or stopped before its end.
    QString standText() const;
    const compare::ValueSet& readBackValues() const { return m_back; }
    const compare::ValueSet& written() const { return m_job.values; }
    // Only the differing values are (or were) written; which, in order.
    bool selective() const { return m_selection.has_value(); }
    const ValueRefs& selection() const { return *m_selection; }
    // Values the write puts on the line; those equal to the backup and left alone.
    int writeTotal() const;
    int skipped() const;
    // "12 differing values written, 580 equal skipped"; empty for a full write.
    QString skippedText() const;

private:
    Step startWrite();
    Step startReadBack();
    Step identityNext(const Outcome& last);
    Step backupNext(const Outcome& last);
    Step writeNext(const Outcome& last);
    Step writeEnded();
    Step readBackNext(const Outcome& last);
    Step readBackEnded();
    SetPlan* active();

    Job m_job;
    Phase m_phase = Phase::Identity;
    bool m_resume = false;
    Item m_resumeItem = Item::Parameter;
    int m_resumeNumber = 0;
    int m_identityIndex = 0;
    ValueExchange m_identity;
    safety::Identity m_id;
    TParWaarden m_backupPar;
    TSollWaarden m_backupSoll;
    std::unique_ptr<SetReadPlan> m_backupRead;
    std::unique_ptr<SetWritePlan> m_writePlan;
    std::unique_ptr<SetReadPlan> m_readBackPlan;
    safety::Taken m_safety;
    transfer::Result m_write;
    transfer::Result m_readBack;
    bool m_wrote = false;
    bool m_verified = false;
    verify::Result m_verify;
    compare::ValueSet m_back;
    std::optional<ValueRefs> m_selection;
};

// The values of `wanted` that differ from the controller's `par`/`soll`, in the
// order a whole-set write sends them.
ValueRefs differing(const compare::ValueSet& wanted, const TParWaarden& par, const TSollWaarden& soll);

} // namespace vx::plans
