#pragma once

#include <QString>
#include <QStringList>
#include <vector>

// The workbook's shared strings: each distinct text once, numbered in order of first use.
// An open-addressing table of indexes into the list keeps the cost to one hash per text and a
// few bytes per distinct text on top of the strings, which the dataset mostly shares.
class StringTable
{
public:
    quint32 add(const QString &s);
    int size() const { return int(m_strings.size()); }
    const QString &at(int i) const { return m_strings.at(i); }
    void clear();

private:
    void grow();

    QStringList m_strings;
    std::vector<quint64> m_slots; // hash in the high half, index + 1 in the low half; 0 = free
    size_t m_mask = 0;
};
