#include "CompoundFile.h"
#include "ExportError.h"

#include <QByteArray>
#include <QIODevice>
#include <QtEndian>
#include <cstring>

namespace {
constexpr int SectorSize = 512;
constexpr int IdsPerSector = SectorSize / 4;
constexpr int HeaderDifatEntries = 109;
constexpr quint32 FreeSect = 0xFFFFFFFF;
constexpr quint32 EndOfChain = 0xFFFFFFFE;
constexpr quint32 FatSect = 0xFFFFFFFD;
constexpr quint32 DifSect = 0xFFFFFFFC;
constexpr quint32 NoStream = 0xFFFFFFFF;
// Readers keep streams below this size in a mini stream; ours is padded to reach it.
constexpr qint64 MiniStreamCutoff = 4096;

void put16(QByteArray &b, int at, quint16 v)
{
    v = qToLittleEndian(v);
    std::memcpy(b.data() + at, &v, 2);
}
void put32(QByteArray &b, int at, quint32 v)
{
    v = qToLittleEndian(v);
    std::memcpy(b.data() + at, &v, 4);
}

void writeAll(QIODevice &dev, const QByteArray &data)
{
    if (dev.write(data) != data.size())
        throw ExportError(dev.errorString());
}

void directoryEntry(QByteArray &dir, int index, const QString &name, quint8 type, quint32 child, quint32 start,
                    quint32 size)
{
    const int at = index * 128;
    for (int i = 0; i < name.size(); ++i)
        put16(dir, at + 2 * i, name.at(i).unicode());
    put16(dir, at + 64, quint16((name.size() + 1) * 2));
    dir[at + 66] = char(type);
    dir[at + 67] = 1; // black node of the red-black tree
    put32(dir, at + 68, NoStream);
    put32(dir, at + 72, NoStream);
    put32(dir, at + 76, child);
    put32(dir, at + 116, start);
    put32(dir, at + 120, size);
}
} // namespace

CompoundFile::CompoundFile(QIODevice &device) : m_dev(device), m_start(device.pos())
{
    writeAll(m_dev, QByteArray(HeaderSize, '\0'));
}

void CompoundFile::finish(qint64 streamSize)
{
    if (streamSize < MiniStreamCutoff) {
        writeAll(m_dev, QByteArray(int(MiniStreamCutoff - streamSize), '\0'));
        streamSize = MiniStreamCutoff;
    }
    if (streamSize > 0x7FFFFFFF)
        throw ExportError(QStringLiteral("The workbook is too large for the .xls format"));
    if (const int tail = int(streamSize % SectorSize))
        writeAll(m_dev, QByteArray(SectorSize - tail, '\0'));

    // Sectors: the stream, one directory sector, the allocation table, its extension.
    const quint32 streamSectors = quint32((streamSize + SectorSize - 1) / SectorSize);
    const quint32 dirSector = streamSectors;
    quint32 fatSectors = 1, difatSectors = 0;
    for (;;) {
        const quint32 total = streamSectors + 1 + fatSectors + difatSectors;
        const quint32 needFat = (total + IdsPerSector - 1) / IdsPerSector;
        const quint32 needDifat =
            needFat > HeaderDifatEntries ? (needFat - HeaderDifatEntries + IdsPerSector - 2) / (IdsPerSector - 1) : 0;
        if (needFat == fatSectors && needDifat == difatSectors)
            break;
        fatSectors = needFat;
        difatSectors = needDifat;
    }
    const quint32 firstFat = dirSector + 1;
    const quint32 firstDifat = firstFat + fatSectors;

    QByteArray dir(SectorSize, '\0');
    directoryEntry(dir, 0, QStringLiteral("Root Entry"), 5, 1, EndOfChain, 0);
    directoryEntry(dir, 1, QStringLiteral("Workbook"), 2, NoStream, 0, quint32(streamSize));
    for (int i = 2; i < 4; ++i) {
        put32(dir, i * 128 + 68, NoStream);
        put32(dir, i * 128 + 72, NoStream);
        put32(dir, i * 128 + 76, NoStream);
    }
    writeAll(m_dev, dir);

    // The allocation table, one sector at a time.
    QByteArray sector(SectorSize, '\0');
    quint32 id = 0;
    for (quint32 s = 0; s < fatSectors; ++s) {
        for (int i = 0; i < IdsPerSector; ++i, ++id) {
            quint32 v = FreeSect;
            if (id + 1 < streamSectors)
                v = id + 1;
            else if (id + 1 == streamSectors || id == dirSector)
                v = EndOfChain;
            else if (id >= firstFat && id < firstDifat)
                v = FatSect;
            else if (id >= firstDifat && id < firstDifat + difatSectors)
                v = DifSect;
            put32(sector, i * 4, v);
        }
        writeAll(m_dev, sector);
    }
    // Locations of the table's sectors beyond the 109 that the header holds.
    quint32 next = HeaderDifatEntries;
    for (quint32 d = 0; d < difatSectors; ++d) {
        for (int i = 0; i < IdsPerSector - 1; ++i, ++next)
            put32(sector, i * 4, next < fatSectors ? firstFat + next : FreeSect);
        put32(sector, (IdsPerSector - 1) * 4, d + 1 < difatSectors ? firstDifat + d + 1 : EndOfChain);
        writeAll(m_dev, sector);
    }
    const qint64 end = m_dev.pos();

    QByteArray h(HeaderSize, '\0');
    static const unsigned char signature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    std::memcpy(h.data(), signature, 8);
    put16(h, 24, 0x003E); // minor version
    put16(h, 26, 0x0003); // major version 3: 512-byte sectors
    put16(h, 28, 0xFFFE); // little-endian
    put16(h, 30, 9);      // sector size 2^9
    put16(h, 32, 6);      // mini sector size 2^6
    put32(h, 44, fatSectors);
    put32(h, 48, dirSector);
    put32(h, 56, quint32(MiniStreamCutoff));
    put32(h, 60, EndOfChain); // no mini allocation table
    put32(h, 68, difatSectors ? firstDifat : EndOfChain);
    put32(h, 72, difatSectors);
    for (int i = 0; i < HeaderDifatEntries; ++i)
        put32(h, 76 + 4 * i, quint32(i) < fatSectors ? firstFat + quint32(i) : FreeSect);
    if (!m_dev.seek(m_start))
        throw ExportError(m_dev.errorString());
    writeAll(m_dev, h);
    if (!m_dev.seek(end))
        throw ExportError(m_dev.errorString());
}
