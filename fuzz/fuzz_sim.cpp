// Property: the simulated controller speaks the protocol the tool reads. Requests of
// every kind the tool sends (numbers and values from the input), and raw bytes, go over
// the simulated bus to its two units (0 and 5, on the line settings the input picks):
// - every reply to a request of the tool passes the tool's own reply check for that
//   request (a whole, matching reply, or the controller's "er n"), within the limit
//   the tool reads with; a selected unit always answers, and only then is there a reply;
// - a write the unit accepts reads back as written; one it refuses changes nothing;
// - whatever raw bytes come in, what goes out is whole lines of printable text.
#include "FuzzSupport.h"
#include "device/CommandSet.h"
#include "sim/SimBus.h"

#include <optional>

using namespace vx;
using namespace vx::sim;

namespace {

class Harness {
public:
    explicit Harness(fuzz::Input& in) : m_in(in), m_at(m_bus.epoch())
    {
        static const ParamTable table = loadParamTable(VX_DATA_DIR "/Parameters.txt");
        FUZZ_CHECK(table.loaded);
        m_bus.setParamTable(table);
        // Units on other settings hear only noise; that costs the bit-level model much
        // and is the line tests' business.
        m_frame = (in.byte() & 1) ? LineFrame{38400, 8, 'E', 1} : LineFrame{9600, 8, 'O', 1};
        for (const int n : {0, 5}) {
            UnitConfig c;
            c.number = n;
            c.frame = m_frame;
            c.type = n == 0 ? "VX50" : "VX51";
            m_bus.addUnit(c);
            m_bus.withUnit(n, [](SimUnit& u) { u.loadDemoSetup(); });
        }
    }

    void run()
    {
        while (!m_in.empty()) {
            const uint8_t op = m_in.byte();
            if (op >= 240)
                raw();
            else
                request(op % 24);
        }
    }

private:
    std::string send(const std::string& bytes)
    {
        PortSession session;
        const Delivery d = m_bus.transmit(session, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(),
                                          {m_frame, true}, m_at);
        m_at += std::chrono::seconds(1);
        std::string got;
        for (const RxByte& b : d.bytes) {
            FUZZ_CHECK(b.flags == 0 && !b.babble);
            got += char(b.value);
        }
        return got;
    }

    // The tool's exchange: the reply passes its check, or is none when nobody is selected.
    cmd::CheckedReply ask(const QString& request)
    {
        const std::string got = send(request.toStdString() + '\r');
        std::optional<int> probe;
        if (request.startsWith(u"sc ")) {
            // Every unit hears it; the one it names is selected and answers, the others not.
            probe = request.mid(3).toInt();
            m_selected = *probe == 0 || *probe == 5;
        }
        const bool answers = m_selected;
        FUZZ_CHECK(answers == !got.empty());
        if (!answers) return {};
        const bool io = request == QLatin1String(cmd::ReadInputs) || request == QLatin1String(cmd::ReadOutputs);
        const cmd::CheckedReply r = cmd::checkReply(request, QByteArray::fromStdString(got),
                                                    io ? cmd::IoReplyLimit : cmd::ReplyLimit);
        if (!r.ok() && r.refusal != cmd::Refusal::ControllerError) {
            std::fprintf(stderr, "request \"%s\": reply \"%s\" fails the check: %s\n", qPrintable(request), got.c_str(),
                         qPrintable(cmd::refusalText(r)));
            FUZZ_CHECK(false);
        }
        if (probe) FUZZ_CHECK(cmd::isProbeHit(QByteArray::fromStdString(got), *probe));
        return r;
    }

    int number(int span)
    {
        const uint8_t b = m_in.byte();
        // Now and then anything at all; mostly a number the unit knows.
        if (b == 0xff) return m_in.int32();
        return (b | (m_in.byte() << 8)) % span;
    }

    qint32 value(int parameter)
    {
        const uint8_t how = m_in.byte();
        if (how % 4 == 0) return m_in.int32();
        const ParamTable t = m_bus.paramTable();
        if (parameter < 0 || parameter >= SimUnit::ParameterCount || how % 4 == 1)
            return qint32(int16_t(m_in.byte() | (m_in.byte() << 8)));
        const ParamLimit& l = t.limits[size_t(parameter)];
        const int64_t span = int64_t(l.max) - l.min + 1;
        return span > 0 ? qint32(l.min + int64_t(uint32_t(m_in.int32())) % span) : l.min;
    }

    // A write, the value read before it and after it.
    void write(const QString& readRequest, const QString& writeRequest, qint32 v)
    {
        const cmd::CheckedReply before = ask(readRequest);
        const cmd::CheckedReply w = ask(writeRequest);
        const cmd::CheckedReply after = ask(readRequest);
        if (!m_selected) return;
        if (w.ok()) {
            FUZZ_CHECK(after.ok() && after.number == v);
        } else if (before.ok()) {
            FUZZ_CHECK(after.ok() && after.number == before.number);
        }
    }

    void request(int kind)
    {
        static const char* const plain[] = {cmd::ReadType, cmd::ReadIdent2, cmd::ReadIdent3, cmd::ReadError,
                                            cmd::ResetError, cmd::ActPos1, cmd::Velocity1, cmd::Voltage,
                                            cmd::Current, cmd::ActPos2, cmd::Velocity2, cmd::PosDifference,
                                            cmd::ReadInputs, cmd::ReadOutputs, cmd::ComputeParameters,
                                            cmd::StoreCalibration};
        if (kind < int(std::size(plain))) {
            ask(QLatin1String(plain[kind]));
            return;
        }
        switch (kind) {
        case 16: {
            const uint8_t b = m_in.byte();
            ask(cmd::selectUnit(b < 0x80 ? (b & 1) * 5 : number(8)));
            break;
        }
        case 17: ask(cmd::readPar(number(520))); break;
        case 18: {
            const int n = number(520);
            const qint32 v = value(n);
            write(cmd::readPar(n), cmd::writePar(n, v), v);
            break;
        }
        case 19: {
            const int n = number(84);
            const qint32 v = value(-1);
            write(cmd::readSoll(n), cmd::writeSoll(n, v), v);
            break;
        }
        case 20: {
            const int n = SimUnit::CalibrationFirst - 1 + m_in.byte() % 6;
            const qint32 v = value(-1);
            write(cmd::readCalibration(n), cmd::writeCalibration(n, v), v);
            break;
        }
        case 21: ask(cmd::calibrationMode(m_in.byte() & 1)); break;
        case 22: ask(cmd::analogueOutput(number(4))); break;
        default: ask(cmd::outputTestValue(value(-1))); break;
        }
    }

    // Raw bytes as a terminal might send them; then unit 0 is selected again.
    void raw()
    {
        std::string bytes;
        for (int n = m_in.byte() % 64; n > 0 && !m_in.empty(); --n) bytes += char(m_in.byte());
        bytes += '\r';
        const std::string got = send(bytes);
        size_t from = 0;
        while (from < got.size()) {
            const size_t end = got.find("\r\n", from);
            FUZZ_CHECK(end != std::string::npos);
            FUZZ_CHECK(end - from + 2 <= size_t(cmd::ReplyLimit));
            for (size_t i = from; i < end; ++i) FUZZ_CHECK(got[i] >= 0x20 && got[i] < 0x7f);
            from = end + 2;
        }
        ask(cmd::selectUnit(0));
    }

    fuzz::Input& m_in;
    SimBus m_bus;
    Clock::time_point m_at;
    LineFrame m_frame;
    bool m_selected = true; // unit 0, as after power-up
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Input in(data, size);
    Harness h(in);
    h.run();
    return 0;
}
