#pragma once

#include <QtEndian>
#include <QtGlobal>
#include <cstring>
#include <vector>

class QIODevice;

// Buffered writer of BIFF records into the Workbook stream of a compound document. The stream
// starts at a fixed offset of the device; positions reported here are stream positions.
class BiffStream
{
public:
    // Largest record body the format allows; longer data goes on in CONTINUE records.
    static constexpr int MaxRecordData = 8224;

    BiffStream(QIODevice &device, qint64 streamStart);

    qint64 pos() const { return m_flushed + qint64(m_used); }

    // A record is written between begin() and end(); end() fills in its length.
    void begin(quint16 type);
    void end();
    int recordLength() const { return int(m_used - m_recordStart) - 4; }
    // Stream position of the header of the record being written.
    qint64 recordPos() const { return m_flushed + qint64(m_recordStart); }

    void u8(quint8 v) { m_buf[m_used++] = char(v); }
    void u16(quint16 v) { put(qToLittleEndian(v)); }
    void u32(quint32 v) { put(qToLittleEndian(v)); }
    void f64(double v)
    {
        quint64 bits;
        std::memcpy(&bits, &v, 8);
        put(qToLittleEndian(bits));
    }
    void bytes(const void *data, int size)
    {
        std::memcpy(m_buf.data() + m_used, data, size_t(size));
        m_used += size_t(size);
    }
    void zeros(int size)
    {
        std::memset(m_buf.data() + m_used, 0, size_t(size));
        m_used += size_t(size);
    }

    // Small fixed records.
    void record(quint16 type, std::initializer_list<quint16> words);

    void flush();
    // Appends what the source holds from its current position on, as written elsewhere.
    void copyFrom(QIODevice &source);
    // Overwrites 4 bytes already written at a stream position (after flush()).
    void patchU32(qint64 streamPos, quint32 value);

private:
    template <typename T> void put(T v)
    {
        std::memcpy(m_buf.data() + m_used, &v, sizeof(T));
        m_used += sizeof(T);
    }

    QIODevice &m_dev;
    qint64 m_streamStart;
    std::vector<char> m_buf;
    size_t m_used = 0;
    size_t m_recordStart = 0;
    qint64 m_flushed = 0;
};
