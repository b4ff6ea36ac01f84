#include "XlsFormats.h"

namespace XlsFormats {
namespace {
bool isBidiMark(QChar c)
{
    return c == QChar(0x200E) || c == QChar(0x200F) || c == QChar(0x061C);
}

QString withoutBidiMarks(QString s)
{
    s.removeIf(isBidiMark);
    return s;
}

// Characters a format code shows as themselves without quoting.
bool isPlainLiteral(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('-') || c == QLatin1Char('/') || c == QLatin1Char(':') ||
           c == QLatin1Char('(') || c == QLatin1Char(')');
}

QString quoted(const QString &text)
{
    QString t = text;
    t.remove(QLatin1Char('"'));
    return t.isEmpty() ? QString() : QLatin1Char('"') + t + QLatin1Char('"');
}
} // namespace

QString fromQtDateFormat(const QString &qtFormat)
{
    const QString f = withoutBidiMarks(qtFormat);
    QString out;
    QString literal; // pending literal text, quoted when flushed
    auto flushLiteral = [&] {
        out += quoted(literal);
        literal.clear();
    };
    auto code = [&](const QString &code) {
        flushLiteral();
        out += code;
    };
    const int n = int(f.size());
    int i = 0;
    while (i < n) {
        const QChar c = f.at(i);
        int run = 1;
        while (i + run < n && f.at(i + run) == c)
            ++run;
        const char ch = c.toLatin1();
        switch (ch) {
        case '\'': {
            // Quoted literal; '' inside stands for one quote.
            if (run >= 2 && run % 2 == 0) {
                literal += QString(run / 2, QLatin1Char('\''));
                i += run;
                continue;
            }
            int j = i + 1;
            while (j < n) {
                if (f.at(j) == QLatin1Char('\'')) {
                    if (j + 1 < n && f.at(j + 1) == QLatin1Char('\'')) {
                        literal += QLatin1Char('\'');
                        j += 2;
                        continue;
                    }
                    break;
                }
                literal += f.at(j);
                ++j;
            }
            i = j + 1;
            continue;
        }
        case 'd':
            code(QString(qMin(run, 4), QLatin1Char('d')));
            break;
        case 'M':
            code(QString(qMin(run, 4), QLatin1Char('m')));
            break;
        case 'y':
            code(run >= 3 ? QStringLiteral("yyyy") : QStringLiteral("yy"));
            break;
        case 'h':
        case 'H':
            code(run >= 2 ? QStringLiteral("hh") : QStringLiteral("h"));
            break;
        case 'm':
            code(run >= 2 ? QStringLiteral("mm") : QStringLiteral("m"));
            break;
        case 's':
            code(run >= 2 ? QStringLiteral("ss") : QStringLiteral("s"));
            break;
        case 'z':
            // Fractions of a second follow the seconds and their decimal point.
            if (literal.endsWith(QLatin1Char('.'))) {
                literal.chop(1);
                flushLiteral();
                out += QLatin1Char('.');
            } else {
                flushLiteral();
            }
            out += run >= 3 ? QStringLiteral("000") : QStringLiteral("0");
            break;
        case 'A':
        case 'a': {
            const bool upper = ch == 'A';
            // "AP" and "A" alike.
            if (run == 1 && i + 1 < n && (f.at(i + 1) == QLatin1Char('P') || f.at(i + 1) == QLatin1Char('p')))
                run = 2;
            code(upper ? QStringLiteral("AM/PM") : QStringLiteral("am/pm"));
            break;
        }
        case 't':
            break; // time zone: the sheet has none
        default:
            if (isPlainLiteral(c)) {
                flushLiteral();
                out += QString(run, c);
            } else {
                literal += QString(run, c);
            }
        }
        i += run;
    }
    flushLiteral();
    return out.trimmed();
}

QString currency(const QLocale &locale)
{
    const QString sample = withoutBidiMarks(locale.toCurrencyString(1.0));
    int decimals = 0;
    const int point = int(sample.indexOf(locale.decimalPoint()));
    if (point >= 0)
        for (int i = point + 1; i < sample.size() && sample.at(i).isDigit(); ++i)
            ++decimals;
    QString number = QStringLiteral("#,##0");
    if (decimals > 0)
        number += QLatin1Char('.') + QString(decimals, QLatin1Char('0'));

    const QString symbol = withoutBidiMarks(locale.currencySymbol(QLocale::CurrencySymbol)).trimmed();
    if (symbol.isEmpty())
        return number;
    auto isSpace = [](QChar c) { return c.isSpace() || c == QChar(0x00A0) || c == QChar(0x202F); };
    if (sample.startsWith(symbol)) {
        const bool spaced = sample.size() > symbol.size() && isSpace(sample.at(symbol.size()));
        return quoted(symbol) + (spaced ? QStringLiteral(" ") : QString()) + number;
    }
    const bool spaced = sample.endsWith(symbol) && sample.size() > symbol.size() &&
                        isSpace(sample.at(sample.size() - symbol.size() - 1));
    return number + (spaced ? QStringLiteral(" ") : QString()) + quoted(symbol);
}

} // namespace XlsFormats
