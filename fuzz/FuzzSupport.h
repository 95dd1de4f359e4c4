#pragma once
// What the harnesses share: the libFuzzer entry point they all define, an input
// reader that hands out bytes front to back, and the one application object Qt needs.
#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace vx::fuzz {

// A broken property stops the run, so libFuzzer and the replay both report the input.
#define FUZZ_CHECK(cond)                                                                     \
    do {                                                                                     \
        if (!(cond)) {                                                                       \
            std::fprintf(stderr, "%s:%d: property broken: %s\n", __FILE__, __LINE__, #cond); \
            std::abort();                                                                    \
        }                                                                                    \
    } while (0)

class Input {
public:
    Input(const uint8_t* data, size_t size) : m_data(data), m_size(size) { }
    bool empty() const { return m_pos >= m_size; }
    uint8_t byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }
    int32_t int32()
    {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v = (v << 8) | byte();
        return int32_t(v);
    }
    QByteArray rest()
    {
        const QByteArray r(reinterpret_cast<const char*>(m_data + m_pos), qsizetype(m_size - m_pos));
        m_pos = m_size;
        return r;
    }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos = 0;
};

// A QGuiApplication on the offscreen platform (the RTF reader lays out text); made once.
void ensureGuiApp();
// A QCoreApplication, for harnesses that touch files only.
void ensureCoreApp();
// A scratch folder that lives as long as the process.
QString scratchDir();

} // namespace vx::fuzz
