#include "lha/LzEncoder.h"

#include "lha/MatchBytes.h"
#include "lha/Worker.h"

namespace sorvik::lha {

namespace {

constexpr std::uint32_t kSegment = kOptimalSegment;
constexpr unsigned kParts = 8;        // searched separately, each from a fresh start
constexpr unsigned kCandidates = 8;   // matches kept per position, each longer than the last
constexpr std::uint32_t kUnreached = 0xFFFFFFFFu;
constexpr std::uint32_t kCoveredAhead = 16;   // a match reaching this far ahead ...
constexpr unsigned kCoveredChain = 4;         // ... shortens the search to this many candidates
constexpr unsigned kGoodLength = 16;          // a match this long found ...
constexpr unsigned kGoodChain = 4;            // ... leaves this many more candidates to try

}

unsigned LzEncoder::findMatches(
    std::uint32_t index, std::uint16_t near3, unsigned chain, std::uint16_t* lengths, std::uint16_t* distances) const
{
    const unsigned maxLength = std::min<unsigned>(kMaxMatch, m_end - index);
    if (maxLength < kMinMatch)
        return 0;
    const unsigned nice = std::min(m_tuning.niceLength, maxLength);
    const std::uint8_t* here = m_buf.data() + index;
    const std::uint32_t abs = m_base + index;
    unsigned best = kMinMatch - 1;
    unsigned count = 0;
    {
        const std::uint32_t dist = distanceTo(abs, near3);
        const std::uint8_t* there = here - dist;
        if (dist != 0 && dist <= m_maxDistance && there[0] == here[0] && there[1] == here[1] && there[2] == here[2]) {
            best = commonLength(here, there, maxLength);
            lengths[0] = static_cast<std::uint16_t>(best);
            distances[0] = static_cast<std::uint16_t>(dist);
            count = 1;
            if (best >= nice)
                return count;
        }
    }
    for (std::uint32_t dist = distanceTo(abs, m_prev[abs & m_chainMask]), last = 0; chain-- > 0;) {
        if (dist <= last || dist > m_maxDistance)
            break;   // the chain went stale or out of the window
        const std::uint8_t* there = here - dist;
        // The four bytes ending where a longer match must still agree, then
        // the start: most candidates fail the first test.
        const unsigned probe = best >= 3 ? best - 3 : 0;
        if (load32(there + probe) == load32(here + probe) && (load32(there) << 8) == (load32(here) << 8)) {
            const unsigned len = commonLength(here, there, maxLength);
            if (len > best) {
                best = len;
                if (len >= kGoodLength && chain > kGoodChain)
                    chain = kGoodChain;
                // Nearer matches come first; a full list keeps its longest slot fresh.
                const unsigned slot = count < kCandidates ? count++ : kCandidates - 1;
                lengths[slot] = static_cast<std::uint16_t>(len);
                distances[slot] = static_cast<std::uint16_t>(dist);
                if (len >= nice)
                    break;
            }
        }
        last = dist;
        dist = distanceTo(abs, m_prev[(abs - dist) & m_chainMask]);
    }
    return count;
}

void LzEncoder::takePrices()
{
    const auto& lenC = m_block.lastLengthsC();
    const auto& lenP = m_block.lastLengthsP();
    const bool fromBlock = std::any_of(lenC.begin(), lenC.end(), [](std::uint8_t l) { return l != 0; });
    if (fromBlock == m_pricesFromBlock && fromBlock == false && !m_priceC.empty())
        return;
    m_priceC.assign(kNC, 0);
    m_priceP.assign(lenP.size(), 0);
    for (unsigned c = 0; c < kNC; ++c) {
        if (fromBlock)
            m_priceC[c] = lenC[c] ? lenC[c] : 14;   // unused last time: dearer than any used code
        else
            m_priceC[c] = c < 256 ? 8 : static_cast<std::uint16_t>(6 + (c - 256 > 12 ? 2 : 0));
    }
    for (unsigned p = 0; p < lenP.size(); ++p) {
        const unsigned extra = p > 1 ? p - 1 : 0;
        const unsigned code = fromBlock ? (lenP[p] ? lenP[p] : 7) : 4;
        m_priceP[p] = static_cast<std::uint16_t>(code + extra);
    }
    m_pricesFromBlock = fromBlock;
}

void LzEncoder::insertSegment(Segment& seg)
{
    seg.inserted.store(false, std::memory_order_relaxed);
    seg.matches.assign(seg.count, 0);
    seg.length.resize(std::size_t(seg.count) * kCandidates);
    seg.distance.resize(std::size_t(seg.count) * kCandidates);
    seg.near3.resize(seg.count);
    for (std::uint32_t i = 0; i < seg.count; ++i) {
        const std::uint32_t index = seg.start + i;
        if (m_end - index < kMinMatch)
            break;
        insert(index);
        seg.near3[i] = m_near3;
    }
    seg.nextPart.store(0, std::memory_order_relaxed);
    seg.inserted.store(true, std::memory_order_release);
}

void LzEncoder::searchParts(Segment& seg) const
{
    while (!seg.inserted.load(std::memory_order_acquire))
        std::this_thread::yield();   // the other thread is still entering the positions: a short wait
    for (;;) {
        const unsigned part = seg.nextPart.fetch_add(1, std::memory_order_relaxed);
        if (part >= kParts)
            return;
        searchSegment(seg, seg.count * part / kParts, seg.count * (part + 1) / kParts);
    }
}

// Reads the chains only (each search starts from its own position's link,
// never from a head), so two halves of a segment can be searched at once.
void LzEncoder::searchSegment(Segment& seg, std::uint32_t from, std::uint32_t to) const
{
    unsigned skip = 0;
    std::uint32_t covered = 0;   // end of the longest match found so far
    for (std::uint32_t i = from; i < to; ++i) {
        const std::uint32_t index = seg.start + i;
        if (m_end - index < kMinMatch)
            break;
        if (skip > 0) {
            --skip;
            continue;
        }
        // Deep inside a long match a short search finds what matters; past
        // the nice length nothing better can start there.
        const unsigned chain = covered >= i + kCoveredAhead ? kCoveredChain : m_tuning.maxChain;
        std::uint16_t* lengths = &seg.length[std::size_t(i) * kCandidates];
        const unsigned count
            = findMatches(index, seg.near3[i], chain, lengths, &seg.distance[std::size_t(i) * kCandidates]);
        seg.matches[i] = static_cast<std::uint8_t>(count);
        if (count > 0) {
            const unsigned longest = lengths[count - 1];
            covered = std::max(covered, i + longest);
            if (longest >= m_tuning.niceLength)
                skip = longest - 1;
        }
    }
}

void LzEncoder::parseSegment(const Segment& seg)
{
    takePrices();
    const std::uint32_t n = seg.count;
    // Cheapest path from the segment's start to every position.
    m_pathPrice.assign(n + kMaxMatch + 1, kUnreached);
    m_pathStep.assign(n + kMaxMatch + 1, 0);
    m_pathPrice[0] = 0;
    const std::uint8_t* bytes = m_buf.data() + seg.start;
    const std::uint16_t* priceC = m_priceC.data();
    std::uint32_t* pathPrice = m_pathPrice.data();
    std::uint32_t* pathStep = m_pathStep.data();
    for (std::uint32_t i = 0; i < n; ++i) {
        const std::uint32_t base = pathPrice[i];
        const std::uint32_t lit = base + priceC[bytes[i]];
        if (lit < pathPrice[i + 1]) {
            pathPrice[i + 1] = lit;
            pathStep[i + 1] = 1;
        }
        unsigned from = kMinMatch;
        const std::uint16_t* lengths = &seg.length[std::size_t(i) * kCandidates];
        const std::uint16_t* distances = &seg.distance[std::size_t(i) * kCandidates];
        for (unsigned k = 0; k < seg.matches[i]; ++k) {
            const unsigned len = lengths[k];
            const unsigned dist = distances[k];
            const std::uint32_t withDist = base + m_priceP[positionCode(dist - 1)];
            std::uint32_t* price = pathPrice + i;
            std::uint32_t* step = pathStep + i;
            const std::uint16_t* lengthPrice = priceC + 256 - kMinMatch;
            const std::uint32_t code = dist << 9;
            // Every shorter length too: a path may stop early for a better
            // next match. Branch-free so that the compiler vectorizes it.
            for (unsigned l = from; l <= len; ++l) {
                const std::uint32_t p = withDist + lengthPrice[l];
                const bool better = p < price[l];
                price[l] = better ? p : price[l];
                step[l] = better ? (l | code) : step[l];
            }
            from = len + 1;
        }
    }

    // Back from the segment's end, then coded forwards.
    m_steps.clear();
    for (std::uint32_t pos = n; pos > 0; pos -= m_pathStep[pos] & 511)
        m_steps.push_back(m_pathStep[pos]);
    std::uint32_t pos = 0;
    for (auto it = m_steps.rbegin(); it != m_steps.rend(); ++it) {
        const unsigned len = *it & 511;
        if (len == 1)
            emitLiteral(bytes[pos]);
        else
            emitMatch(len, *it >> 9);
        pos += len;
    }
}

void LzEncoder::compressOptimal(bool final)
{
    const std::uint32_t limit = final ? m_end : (m_end > kMaxMatch ? m_end - kMaxMatch : 0);
    if (m_cur >= limit)
        return;
    if (m_tuning.secondThread && !m_worker && std::thread::hardware_concurrency() > 1)
        m_worker = std::make_unique<Worker>();
    Segment* current = &m_segments[0];
    Segment* next = &m_segments[1];
    auto cut = [&](Segment& seg, std::uint32_t start) {
        seg.start = start;
        seg.count = std::min(kSegment, limit - start);
    };
    // Each segment is searched in parts that start afresh, whichever thread
    // takes them, so the output never depends on the second thread.
    auto searchAll = [&](Segment& seg) {
        if (m_worker) {
            m_worker->start([this, &seg] { searchParts(seg); });
            searchParts(seg);
            m_worker->wait();
        } else {
            searchParts(seg);
        }
    };
    cut(*current, m_cur);
    insertSegment(*current);
    searchAll(*current);
    while (current->count > 0) {
        const std::uint32_t after = current->start + current->count;
        next->count = 0;
        if (after < limit) {
            cut(*next, after);
            // The next segment enters the chains and is searched while this
            // one is priced; this thread joins the search when done.
            if (m_worker)
                m_worker->start([this, next] {
                    insertSegment(*next);
                    searchParts(*next);
                });
        }
        parseSegment(*current);
        if (next->count > 0) {
            if (m_worker) {
                searchParts(*next);
                m_worker->wait();
            } else {
                insertSegment(*next);
                searchParts(*next);
            }
        }
        std::swap(current, next);
    }
    m_cur = limit;
}

}
