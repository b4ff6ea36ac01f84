#include "StringTable.h"

#include <cstring>

namespace {
// A quick multiply-rotate hash over the UTF-16 text, eight bytes at a time, with a final mix;
// Qt's own string hash costs several times more and dominated the export of large sheets.
quint32 hashOf(const QString &s)
{
    const char *p = reinterpret_cast<const char *>(s.constData());
    size_t n = size_t(s.size()) * 2;
    quint64 h = 0x9E3779B97F4A7C15ull ^ n;
    auto mix = [&h](quint64 w) { h = ((h << 5) | (h >> 59)) ^ w, h *= 0x517CC1B727220A95ull; };
    for (; n >= 8; p += 8, n -= 8) {
        quint64 w;
        std::memcpy(&w, p, 8);
        mix(w);
    }
    if (n) {
        quint64 w = 0;
        std::memcpy(&w, p, n);
        mix(w);
    }
    h ^= h >> 33;
    h *= 0xFF51AFD7ED558CCDull;
    h ^= h >> 33;
    return quint32(h);
}
} // namespace

quint32 StringTable::add(const QString &s)
{
    if (size_t(m_strings.size() + 1) * 2 > m_slots.size())
        grow();
    const quint32 h = hashOf(s);
    for (size_t i = h & m_mask;; i = (i + 1) & m_mask) {
        const quint64 slot = m_slots[i];
        if (slot == 0) {
            m_strings.append(s);
            m_slots[i] = (quint64(h) << 32) | quint64(m_strings.size());
            return quint32(m_strings.size() - 1);
        }
        if (quint32(slot >> 32) == h) {
            const quint32 index = quint32(slot) - 1;
            if (m_strings.at(index) == s)
                return index;
        }
    }
}

void StringTable::grow()
{
    const size_t capacity = m_slots.empty() ? 1024 : m_slots.size() * 2;
    std::vector<quint64> table(capacity, 0);
    const size_t mask = capacity - 1;
    for (quint64 slot : m_slots) {
        if (slot == 0)
            continue;
        size_t i = size_t(slot >> 32) & mask;
        while (table[i] != 0)
            i = (i + 1) & mask;
        table[i] = slot;
    }
    m_slots.swap(table);
    m_mask = mask;
}

void StringTable::clear()
{
    m_strings = QStringList();
    m_slots = std::vector<quint64>();
    m_mask = 0;
}
