// libFuzzer target for the Workers.ini reader: any bytes must read as values within the length
// limit, without a crash or a sanitizer report.
#include "WorkersIni.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray content = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    for (const char *section : {"Database", "Photo", "ChoosenStyle"}) {
        WorkersIni::sectionIn(content, QLatin1String(section));
        for (const char *key : {"Engine", "Catalog", "Source", "UserName", "Password", "PhotoShow", "Style"}) {
            const QString v = WorkersIni::valueIn(content, QLatin1String(section), QLatin1String(key));
            if (v.size() > WorkersIni::MaxValueLength)
                std::abort();
        }
    }
    return 0;
}
