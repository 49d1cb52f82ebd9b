#include "lha/BlockWriter.h"

#include "lha/Huffman.h"

#include <algorithm>

namespace sorvik::lha {

namespace {

unsigned usedCount(const std::vector<std::uint8_t>& lengths)
{
    unsigned n = static_cast<unsigned>(lengths.size());
    while (n > 0 && lengths[n - 1] == 0)
        --n;
    return n;
}

// The only symbol with a non-zero frequency, or -1 when there are several.
int singleSymbol(const std::vector<std::uint32_t>& freq)
{
    int found = -1;
    for (std::size_t i = 0; i < freq.size(); ++i) {
        if (freq[i] == 0)
            continue;
        if (found >= 0)
            return -1;
        found = static_cast<int>(i);
    }
    return found < 0 ? 0 : found;
}

// The pre-tree symbols that code a run of `run` zero lengths.
template<class Emit>
void zeroRun(unsigned run, Emit emit)
{
    if (run <= 2) {
        for (unsigned j = 0; j < run; ++j)
            emit(0, 0, 0);
    } else if (run <= 18) {
        emit(1, 4, run - 3);
    } else if (run == 19) {
        emit(0, 0, 0);
        emit(1, 4, 15);
    } else {
        emit(2, 9, run - 20);
    }
}

// Walks the literal/length code lengths as they are sent through the pre-tree.
template<class Emit>
void forEachLengthSymbol(const std::vector<std::uint8_t>& lengths, unsigned n, Emit emit)
{
    for (unsigned i = 0; i < n;) {
        const unsigned k = lengths[i++];
        if (k != 0) {
            emit(k + 2, 0, 0);
            continue;
        }
        unsigned run = 1;
        while (i < n && lengths[i] == 0) {
            ++i;
            ++run;
        }
        zeroRun(run, emit);
    }
}

}

BlockWriter::BlockWriter(BitWriter& out, unsigned np, unsigned pbit)
    : m_out(out), m_np(np), m_pbit(pbit), m_freqC(kNC, 0), m_freqP(np, 0), m_lenC(kNC, 0), m_lenP(np, 0)
{
    m_items.reserve(1 << 16);
}

void BlockWriter::writeLengthTable(const std::vector<std::uint8_t>& lengths, unsigned count, unsigned bits, int special)
{
    const unsigned n = std::min(usedCount(lengths), count);
    m_out.put(bits, n);
    for (unsigned i = 0; i < n;) {
        const unsigned k = lengths[i++];
        if (k <= 6)
            m_out.put(3, k);
        else
            m_out.put(k - 3, (1u << (k - 3)) - 2);   // 111..10: 7 plus a unary tail
        if (static_cast<int>(i) == special) {
            unsigned zeros = 0;
            while (i < n && i < 6 && lengths[i] == 0) {
                ++i;
                ++zeros;
            }
            m_out.put(2, zeros);
        }
    }
}

void BlockWriter::writeCodeLengths()
{
    const unsigned n = usedCount(m_lenC);
    std::vector<std::uint32_t> freqT(kNT, 0);
    forEachLengthSymbol(m_lenC, n, [&](unsigned sym, unsigned, unsigned) { ++freqT[sym]; });
    const int singleT = singleSymbol(freqT);
    if (singleT >= 0) {
        m_out.put(5, 0);
        m_out.put(5, static_cast<unsigned>(singleT));
        m_lenT.assign(kNT, 0);
        m_codeT.assign(kNT, 0);
    } else {
        m_lenT = huffmanLengths(freqT.data(), kNT);
        m_codeT = canonicalCodes(m_lenT.data(), kNT);
        writeLengthTable(m_lenT, kNT, 5, 3);
    }
    m_out.put(9, n);
    forEachLengthSymbol(m_lenC, n, [&](unsigned sym, unsigned extraBits, unsigned extra) {
        m_out.put(m_lenT[sym], m_codeT[sym]);
        m_out.put(extraBits, extra);
    });
}

void BlockWriter::flush()
{
    if (m_items.empty())
        return;
    m_out.put(16, static_cast<std::uint32_t>(m_items.size()));

    const int singleC = singleSymbol(m_freqC);
    if (singleC >= 0) {
        m_lenC.assign(kNC, 0);
        m_codeC.assign(kNC, 0);
        m_out.put(5, 0);
        m_out.put(5, 0);
        m_out.put(9, 0);
        m_out.put(9, static_cast<unsigned>(singleC));
    } else {
        m_lenC = huffmanLengths(m_freqC.data(), kNC);
        m_codeC = canonicalCodes(m_lenC.data(), kNC);
        writeCodeLengths();
    }

    const int singleP = singleSymbol(m_freqP);
    if (singleP >= 0) {
        m_lenP.assign(m_np, 0);
        m_codeP.assign(m_np, 0);
        m_out.put(m_pbit, 0);
        m_out.put(m_pbit, static_cast<unsigned>(singleP));
    } else {
        m_lenP = huffmanLengths(m_freqP.data(), m_np);
        m_codeP = canonicalCodes(m_lenP.data(), m_np);
        writeLengthTable(m_lenP, m_np, m_pbit, -1);
    }

    for (const std::uint32_t item : m_items) {
        const unsigned c = item & 0xFFFF;
        m_out.put(m_lenC[c], m_codeC[c]);
        if (c >= 256) {
            const unsigned pos = item >> 16;
            const unsigned p = positionCode(pos);
            m_out.put(m_lenP[p], m_codeP[p]);
            if (p > 1)
                m_out.put(p - 1, pos);   // the bits below the leading one
        }
    }
    m_items.clear();
    std::fill(m_freqC.begin(), m_freqC.end(), 0);
    std::fill(m_freqP.begin(), m_freqP.end(), 0);
}

}
