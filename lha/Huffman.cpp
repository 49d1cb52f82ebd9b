#include "lha/Huffman.h"

#include <algorithm>
#include <numeric>

namespace sorvik::lha {

std::vector<std::uint8_t> huffmanLengths(const std::uint32_t* freq, unsigned count, unsigned maxLength)
{
    std::vector<std::uint8_t> lengths(count, 0);
    std::vector<unsigned> symbols;
    for (unsigned i = 0; i < count; ++i)
        if (freq[i] > 0)
            symbols.push_back(i);
    const std::size_t n = symbols.size();
    if (n < 2)
        return lengths;
    // Ascending weight; equal weights by symbol so results do not depend on
    // the sort's stability.
    std::sort(symbols.begin(), symbols.end(),
        [&](unsigned a, unsigned b) { return freq[a] != freq[b] ? freq[a] < freq[b] : a < b; });

    // Two-queue construction: leaves in weight order, internal nodes appear
    // in weight order by themselves. parent[] then gives every depth.
    std::vector<std::uint64_t> weight(2 * n);
    std::vector<std::size_t> parent(2 * n, 0);
    for (std::size_t i = 0; i < n; ++i)
        weight[i] = freq[symbols[i]];
    std::size_t leaf = 0, node = n, next = n;
    auto take = [&]() {
        if (leaf < n && (node >= next || weight[leaf] <= weight[node]))
            return leaf++;
        return node++;
    };
    for (; next < 2 * n - 1; ++next) {
        const std::size_t a = take();
        const std::size_t b = take();
        weight[next] = weight[a] + weight[b];
        parent[a] = parent[b] = next;
    }
    std::vector<unsigned> depth(2 * n, 0);
    std::vector<unsigned> countAt(std::max<std::size_t>(n + 1, maxLength + 2), 0);
    for (std::size_t i = 2 * n - 2; i-- > 0;)
        depth[i] = depth[parent[i]] + 1;
    for (std::size_t i = 0; i < n; ++i)
        ++countAt[depth[i]];

    // Lengths above the limit: two leaves at the deepest level become one
    // leaf a level up, and a shallower leaf splits into two, which keeps the
    // code complete.
    for (std::size_t len = countAt.size() - 1; len > maxLength; --len) {
        while (countAt[len] > 0) {
            std::size_t j = len - 2;
            while (countAt[j] == 0)
                --j;
            countAt[len] -= 2;
            countAt[len - 1] += 1;
            countAt[j + 1] += 2;
            countAt[j] -= 1;
        }
    }
    // Heaviest symbols get the shortest codes.
    std::size_t s = n;
    for (unsigned len = 1; len <= maxLength; ++len)
        for (unsigned k = 0; k < countAt[len]; ++k)
            lengths[symbols[--s]] = static_cast<std::uint8_t>(len);
    return lengths;
}

std::vector<std::uint16_t> canonicalCodes(const std::uint8_t* lengths, unsigned count)
{
    unsigned countAt[kMaxCodeLength + 1] = {};
    for (unsigned i = 0; i < count; ++i)
        ++countAt[lengths[i]];
    countAt[0] = 0;
    unsigned next[kMaxCodeLength + 2] = {};
    unsigned code = 0;
    for (unsigned len = 1; len <= kMaxCodeLength; ++len) {
        code = (code + countAt[len - 1]) << 1;
        next[len] = code;
    }
    std::vector<std::uint16_t> codes(count, 0);
    for (unsigned i = 0; i < count; ++i)
        if (lengths[i] > 0)
            codes[i] = static_cast<std::uint16_t>(next[lengths[i]]++);
    return codes;
}

bool HuffmanDecoder::build(const std::uint8_t* lengths, unsigned count)
{
    std::fill(std::begin(m_countOf), std::end(m_countOf), 0);
    for (unsigned i = 0; i < count; ++i) {
        if (lengths[i] > kMaxCodeLength)
            return false;
        ++m_countOf[lengths[i]];
    }
    m_countOf[0] = 0;
    // Kraft sum in units of 2^-16: above 2^16 no prefix code exists.
    std::uint32_t kraft = 0;
    for (unsigned len = 1; len <= kMaxCodeLength; ++len)
        kraft += std::uint32_t(m_countOf[len]) << (kMaxCodeLength - len);
    if (kraft > (1u << kMaxCodeLength))
        return false;

    std::uint32_t code = 0;
    unsigned offset = 0;
    for (unsigned len = 1; len <= kMaxCodeLength; ++len) {
        code = (code + (len > 1 ? m_countOf[len - 1] : 0)) << 1;
        m_first[len] = static_cast<std::uint16_t>(code);
        m_offset[len] = static_cast<std::uint16_t>(offset);
        offset += m_countOf[len];
    }
    m_sorted.assign(offset, 0);
    unsigned fill[kMaxCodeLength + 1];
    std::copy(std::begin(m_offset), std::end(m_offset), fill);
    for (unsigned i = 0; i < count; ++i)
        if (lengths[i] > 0)
            m_sorted[fill[lengths[i]]++] = static_cast<std::uint16_t>(i);

    std::fill(m_table.begin(), m_table.end(), kSlow);
    for (unsigned len = 1; len <= m_tableBits; ++len) {
        for (unsigned k = 0; k < m_countOf[len]; ++k) {
            const unsigned c = m_first[len] + k;
            const unsigned sym = m_sorted[m_offset[len] + k];
            const unsigned shift = m_tableBits - len;
            const auto entry = static_cast<std::uint16_t>((len << 10) | sym);
            std::fill_n(m_table.begin() + (c << shift), 1u << shift, entry);
        }
    }
    return true;
}

void HuffmanDecoder::buildSingle(unsigned symbol)
{
    std::fill(m_table.begin(), m_table.end(), static_cast<std::uint16_t>(symbol & 0x3FF));
}

int HuffmanDecoder::decodeSlow(BitReader& in) const
{
    const std::uint32_t bits = in.peek(kMaxCodeLength);
    for (unsigned len = m_tableBits + 1; len <= kMaxCodeLength; ++len) {
        const std::uint32_t c = bits >> (kMaxCodeLength - len);
        if (c >= m_first[len] && c - m_first[len] < m_countOf[len]) {
            in.skip(len);
            return m_sorted[m_offset[len] + (c - m_first[len])];
        }
    }
    return -1;
}

}
