// Choosing the reader for a file.
#include "CsvReader.h"
#include "SheetRows.h"
#include "XlsReader.h"
#include "XlsxReader.h"

#include <QFile>
#include <QFileInfo>

namespace {
// An Office file saved with a password is a compound document holding the encrypted package
// instead of a zip; its directory names the stream.
bool isEncryptedPackage(QFile &f)
{
    static const QByteArray name = QByteArray("E\0n\0c\0r\0y\0p\0t\0e\0d\0P\0a\0c\0k\0a\0g\0e\0", 32);
    f.seek(0);
    QByteArray tail;
    qint64 seen = 0;
    while (!f.atEnd() && seen < 256LL * 1024 * 1024) {
        const QByteArray chunk = tail + f.read(1024 * 1024);
        if (chunk.size() == tail.size())
            break;
        if (chunk.contains(name))
            return true;
        seen += chunk.size() - tail.size();
        tail = chunk.right(name.size());
    }
    return false;
}
} // namespace

std::unique_ptr<SheetReader> openSheetFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw SheetError(QStringLiteral("Cannot open %1: %2").arg(path, f.errorString()));
    const QByteArray head = f.read(8);
    if (head.startsWith("PK\x03\x04") || head.startsWith("PK\x05\x06")) {
        f.close();
        return std::make_unique<XlsxReader>(path);
    }
    if (head == QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8)) {
        if (isEncryptedPackage(f))
            throw SheetError(SheetMessages::passwordProtected());
        f.close();
        return std::make_unique<XlsReader>(path);
    }
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("csv") || suffix == QLatin1String("txt") || suffix == QLatin1String("tsv")) {
        f.close();
        return std::make_unique<CsvReader>(path, QFileInfo(path).completeBaseName());
    }
    if (suffix == QLatin1String("xlsx") || suffix == QLatin1String("xls") || suffix == QLatin1String("xlsm"))
        throw SheetError(SheetMessages::damaged(QStringLiteral("it is neither a zip nor a compound document")));
    throw SheetError(SheetMessages::notASpreadsheet());
}
