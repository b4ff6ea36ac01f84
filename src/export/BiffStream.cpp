#include "BiffStream.h"
#include "ExportError.h"

#include <QIODevice>

namespace {
// Room for several whole records, so that a record is never split by a flush.
constexpr size_t BufferSize = 256 * 1024;

void writeAll(QIODevice &dev, const char *data, qint64 size)
{
    if (size > 0 && dev.write(data, size) != size)
        throw ExportError(dev.errorString());
}
} // namespace

BiffStream::BiffStream(QIODevice &device, qint64 streamStart)
    : m_dev(device), m_streamStart(streamStart), m_buf(BufferSize)
{
}

void BiffStream::begin(quint16 type)
{
    if (m_used + 4 + MaxRecordData > m_buf.size())
        flush();
    m_recordStart = m_used;
    u16(type);
    u16(0);
}

void BiffStream::end()
{
    const quint16 len = qToLittleEndian(quint16(m_used - m_recordStart - 4));
    std::memcpy(m_buf.data() + m_recordStart + 2, &len, 2);
}

void BiffStream::record(quint16 type, std::initializer_list<quint16> words)
{
    begin(type);
    for (quint16 w : words)
        u16(w);
    end();
}

void BiffStream::flush()
{
    writeAll(m_dev, m_buf.data(), qint64(m_used));
    m_flushed += qint64(m_used);
    m_used = 0;
    m_recordStart = 0;
}

void BiffStream::copyFrom(QIODevice &source)
{
    flush();
    for (;;) {
        const qint64 n = source.read(m_buf.data(), qint64(m_buf.size()));
        if (n < 0)
            throw ExportError(source.errorString());
        if (n == 0)
            break;
        writeAll(m_dev, m_buf.data(), n);
        m_flushed += n;
    }
}

void BiffStream::patchU32(qint64 streamPos, quint32 value)
{
    Q_ASSERT(m_used == 0);
    const qint64 here = m_dev.pos();
    const quint32 le = qToLittleEndian(value);
    if (!m_dev.seek(m_streamStart + streamPos))
        throw ExportError(m_dev.errorString());
    writeAll(m_dev, reinterpret_cast<const char *>(&le), 4);
    if (!m_dev.seek(here))
        throw ExportError(m_dev.errorString());
}
