#pragma once

#include <QtGlobal>

class QIODevice;

// The container of an .xls file: a compound document holding the one stream "Workbook".
// The stream is written straight after a placeholder header; finish() appends the directory and
// the allocation tables and then fills in the header, so the device must allow seeking.
class CompoundFile
{
public:
    static constexpr int HeaderSize = 512;

    // Reserves the header at the device's current position.
    explicit CompoundFile(QIODevice &device);

    // Device offset where the stream's first byte goes.
    qint64 streamStart() const { return m_start + HeaderSize; }

    // Call once the streamSize bytes of the stream have been written.
    void finish(qint64 streamSize);

private:
    QIODevice &m_dev;
    qint64 m_start;
};
