// Seeded random datasets of every field kind written to .xls and read back with python3-xlrd:
// nulls, empty and long texts, Unicode, extreme numbers and dates. A failure names its seed;
// TALLIMAR_TEST_SEED=N adds a run with that seed.

#include "Query.h"
#include "SheetExporter.h"
#include "TestDb.h"
#include "XlrdReader.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <limits>

using namespace XlrdDump;

namespace {

const QLocale UsEnglish(QLocale::English, QLocale::UnitedStates);
const QDate Epoch(1899, 12, 30);
constexpr qint64 Exact = Q_INT64_C(9007199254740992); // 2^53: every whole number up to it is a double

// What xlrd must find in a cell.
struct Expected
{
    enum Kind { Blank, Text, Number, Date } kind = Blank;
    QString text;
    double number = 0;
};

QString describe(const Expected &e)
{
    switch (e.kind) {
    case Expected::Blank:
        return QStringLiteral("blank");
    case Expected::Text:
        return QStringLiteral("text of %1 chars \"%2\"").arg(e.text.size()).arg(e.text.left(40));
    case Expected::Number:
        return QStringLiteral("number %1").arg(e.number, 0, 'g', 17);
    case Expected::Date:
        return QStringLiteral("date serial %1").arg(e.number, 0, 'g', 17);
    }
    return {};
}

QString describe(const QJsonArray &cell)
{
    const QJsonValue v = cell.at(1);
    const QString shown = v.isString()
                              ? QStringLiteral("\"%1\" (%2 chars)").arg(v.toString().left(40)).arg(v.toString().size())
                              : QString::number(v.toDouble(), 'g', 17);
    return QStringLiteral("type %1 value %2").arg(cell.at(0).toInt(-1)).arg(shown);
}

// A cell holds 32,767 characters; a longer text keeps 32,764 of them (never half a pair) and "...".
QString cut(const QString &s)
{
    if (s.size() <= 32767)
        return s;
    int keep = 32764;
    if (s.at(keep - 1).isHighSurrogate())
        --keep;
    return s.left(keep) + QStringLiteral("...");
}

class Generator
{
public:
    explicit Generator(quint32 seed) : m_rng(seed) {}

    int below(int n) { return int(m_rng.bounded(n)); }
    bool chance(int percent) { return below(100) < percent; }
    template <typename T> T pick(const QList<T> &list) { return list.at(below(int(list.size()))); }

    QString text(int length)
    {
        // Pools: ASCII with quotes and controls, Latin-1, Arabic with direction marks, CJK, emoji.
        static const QList<QString> pools{
            QStringLiteral("abcXYZ 0123'\"%_;-\t\n\r\\"),
            QStringLiteral("éüßñÆø©°±×÷\u00A0\u00FF"),
            QStringLiteral("محمدعبداللهالشمري\u200F\u202B\u202C"),
            QStringLiteral("中文字符테스트"),
        };
        QString s;
        s.reserve(length + 1);
        const int pool = below(int(pools.size()) + 2);
        while (s.size() < length) {
            const int which = pool < pools.size() ? pool : below(int(pools.size()) + 1);
            if (which == pools.size() || (pool > pools.size() && chance(3))) {
                const char32_t emoji = U'\U0001F600' + char32_t(below(80));
                s += QString::fromUcs4(&emoji, 1);
            } else if (chance(1)) {
                s += QChar(0); // an embedded NUL
            } else {
                const QString &p = pools.at(which);
                s += p.at(below(int(p.size())));
            }
        }
        return s;
    }

    QString anyText()
    {
        const int r = below(100);
        if (r < 8)
            return QStringLiteral("");
        if (r < 70)
            return text(1 + below(40));
        if (r < 85)
            return text(240 + below(30)); // around the widest column
        if (r < 93)
            return text(8100 + below(300)); // around one record's room
        return text(pick<int>({32766, 32767, 32768, 32769, 40000}));
    }

    QVariant integer()
    {
        static const QList<qint64> edges{0,
                                         1,
                                         -1,
                                         std::numeric_limits<qint32>::min(),
                                         std::numeric_limits<qint32>::max(),
                                         536870911,
                                         536870912,
                                         -536870912,
                                         -536870913,
                                         Q_INT64_C(9007199254740992),
                                         Q_INT64_C(-9007199254740992),
                                         Q_INT64_C(9007199254740993),
                                         Q_INT64_C(-9007199254740993),
                                         Q_INT64_C(123456789012345678),
                                         std::numeric_limits<qint64>::max(),
                                         std::numeric_limits<qint64>::min()};
        if (chance(40))
            return QVariant::fromValue<qlonglong>(pick(edges));
        const qint64 v = qint64(m_rng.generate64() >> below(64)) * (chance(50) ? 1 : -1);
        // Drivers hand integers back as int (PostgreSQL INTEGER) or 64-bit (SQLite).
        if (v >= std::numeric_limits<int>::min() && v <= std::numeric_limits<int>::max() && chance(50))
            return int(v);
        return QVariant::fromValue<qlonglong>(v);
    }

    double real()
    {
        static const QList<double> edges{0.0,
                                         -0.0,
                                         0.1,
                                         -0.1,
                                         1.0 / 3,
                                         123456789.125,
                                         1e15 + 0.5,
                                         536870912.5,
                                         std::numeric_limits<double>::max(),
                                         std::numeric_limits<double>::lowest(),
                                         std::numeric_limits<double>::min(),
                                         std::numeric_limits<double>::denorm_min(),
                                         -std::numeric_limits<double>::denorm_min(),
                                         1e-300,
                                         1e300,
                                         std::numeric_limits<double>::infinity(),
                                         -std::numeric_limits<double>::infinity(),
                                         std::numeric_limits<double>::quiet_NaN()};
        if (chance(30))
            return pick(edges);
        const double mantissa = m_rng.generateDouble() * (chance(50) ? 1 : -1);
        return std::ldexp(mantissa, below(200) - 100);
    }

    QDate date()
    {
        static const QList<QDate> edges{QDate(1899, 12, 30), QDate(1899, 12, 31), QDate(1900, 1, 1),
                                        QDate(1900, 2, 28),  QDate(1900, 3, 1),   QDate(1900, 3, 2),
                                        QDate(1904, 1, 1),   QDate(2000, 2, 29),  QDate(9999, 12, 31)};
        if (chance(30))
            return pick(edges);
        return QDate(1900, 1, 1).addDays(below(int(QDate(1900, 1, 1).daysTo(QDate(9999, 12, 31))) + 1));
    }

    QTime time()
    {
        static const QList<QTime> edges{QTime(0, 0), QTime(0, 0, 0, 1), QTime(12, 0), QTime(23, 59, 59, 999)};
        if (chance(30))
            return pick(edges);
        return QTime::fromMSecsSinceStartOfDay(below(86400000));
    }

    QVariant value(FieldKind kind)
    {
        if (chance(10))
            return {};
        switch (kind) {
        case FieldKind::Text:
        case FieldKind::Memo:
            return anyText();
        case FieldKind::Integer:
        case FieldKind::LargeInt:
        case FieldKind::AutoInc:
            return integer();
        case FieldKind::Boolean:
            return chance(50) ? QVariant(chance(50)) : QVariant(below(2));
        case FieldKind::Float:
        case FieldKind::Currency:
            return real();
        case FieldKind::Date:
            return chance(50) ? QVariant(QDateTime(date(), QTime(0, 0), Qt::UTC)) : QVariant(date());
        case FieldKind::Time:
            return time();
        case FieldKind::DateTime:
            return QDateTime(date(), time(), Qt::UTC);
        case FieldKind::Bytes:
            return QByteArray("\x00\x01\xFF", 3);
        }
        return {};
    }

private:
    QRandomGenerator m_rng;
};

Expected expect(const FieldDef &field, const QVariant &v)
{
    Expected e;
    if (v.isNull())
        return e;
    switch (field.kind) {
    case FieldKind::Text:
    case FieldKind::Memo:
        if (!v.toString().isEmpty())
            e = {Expected::Text, cut(v.toString()), 0};
        break;
    case FieldKind::Integer: {
        // A whole number a double cannot hold keeps its digits as text.
        const qint64 i = v.toLongLong();
        if (i >= -Exact && i <= Exact)
            e = {Expected::Number, {}, double(i)};
        else
            e = {Expected::Text, QString::number(i), 0};
        break;
    }
    case FieldKind::LargeInt:
    case FieldKind::AutoInc:
        e = {Expected::Text, QString::number(v.toLongLong()), 0};
        break;
    case FieldKind::Boolean:
        e = {Expected::Text, v.toBool() ? QStringLiteral("True") : QStringLiteral("False"), 0};
        break;
    case FieldKind::Float:
    case FieldKind::Currency: {
        const double d = v.toDouble();
        if (std::isfinite(d))
            e = {Expected::Number, {}, d};
        else
            e = {Expected::Text,
                 std::isnan(d) ? QStringLiteral("nan")
                 : d > 0       ? QStringLiteral("inf")
                               : QStringLiteral("-inf"),
                 0};
        break;
    }
    case FieldKind::Date:
    case FieldKind::DateTime:
    case FieldKind::Time: {
        const QDateTime dt = v.typeId() == QMetaType::QTime ? QDateTime(Epoch, v.toTime()) : toDateTime(v);
        double serial = field.kind == FieldKind::Time ? 0 : double(Epoch.daysTo(dt.date()));
        if (field.kind != FieldKind::Date)
            serial += dt.time().msecsSinceStartOfDay() / 86400000.0;
        // 0 is no date; the sheet's calendar runs right from 1900-03-01 (serial 61) to 9999-12-31.
        if (serial == 0)
            break;
        if (field.kind == FieldKind::Time || (serial >= 61 && serial < 2958466))
            e = {Expected::Date, {}, serial};
        else
            e = {Expected::Text, displayTextOf(field, v), 0}; // as the grid shows it
        break;
    }
    case FieldKind::Bytes:
        break;
    }
    return e;
}

bool matches(const Expected &e, const QJsonArray &cell)
{
    const int type = cell.at(0).toInt(-1);
    const QJsonValue v = cell.at(1);
    switch (e.kind) {
    case Expected::Blank:
        return type == 6 || type == 0;
    case Expected::Text:
        return type == 1 && v.toString() == e.text;
    case Expected::Number:
        return type == 2 && v.toDouble() == e.number;
    case Expected::Date:
        return type == 3 && v.toDouble() == e.number;
    }
    return false;
}

struct Dataset
{
    QList<FieldDef> fields;
    QList<QList<QVariant>> rows;
};

Dataset generate(quint32 seed)
{
    Generator g(seed);
    Dataset d;
    QList<FieldKind> kinds{FieldKind::Text,    FieldKind::Memo,    FieldKind::Integer,  FieldKind::LargeInt,
                           FieldKind::AutoInc, FieldKind::Boolean, FieldKind::Float,    FieldKind::Currency,
                           FieldKind::Date,    FieldKind::Time,    FieldKind::DateTime, FieldKind::Bytes};
    for (int extra = g.below(6); extra > 0; --extra)
        kinds << kinds.at(g.below(int(kinds.size())));
    for (int i = int(kinds.size()) - 1; i > 0; --i)
        kinds.swapItemsAt(i, g.below(i + 1));
    for (int i = 0; i < kinds.size(); ++i) {
        FieldDef f;
        f.name = QStringLiteral("F%1").arg(i);
        f.kind = kinds.at(i);
        if (g.chance(70))
            f.displayLabel = g.text(1 + g.below(30));
        if ((f.kind == FieldKind::Float || f.kind == FieldKind::Currency) && g.chance(30))
            f.displayFormat = QStringLiteral("#,##0.00");
        f.visible = !g.chance(8);
        d.fields << f;
    }
    const int rows = g.chance(10) ? 0 : 1 + g.below(120);
    for (int r = 0; r < rows; ++r) {
        QList<QVariant> row;
        for (const FieldDef &f : std::as_const(d.fields))
            row << g.value(f.kind);
        d.rows << row;
    }
    return d;
}

} // namespace

class TestExportRoundTrip : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<TestDb::Fresh> m_db;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QLocale::setDefault(UsEnglish); // the grid's texts of dates the sheet cannot hold
        m_db = std::make_unique<TestDb::Fresh>(QStringLiteral("SQLite"));
    }
    void cleanupTestCase() { m_db.reset(); }

    void randomDatasetsReadBackAsWritten_data()
    {
        QTest::addColumn<quint32>("seed");
        for (quint32 seed : {1u, 2u, 3u, 7u, 42u, 1900u, 65536u, 20240229u, 99991231u, 0xC0FFEEu})
            QTest::newRow(qPrintable(QStringLiteral("seed %1").arg(seed))) << seed;
        bool ok = false;
        const quint32 extra = qEnvironmentVariable("TALLIMAR_TEST_SEED").toUInt(&ok);
        if (ok)
            QTest::newRow(qPrintable(QStringLiteral("seed %1 from TALLIMAR_TEST_SEED").arg(extra))) << extra;
    }
    void randomDatasetsReadBackAsWritten()
    {
        QFETCH(quint32, seed);
        const Dataset d = generate(seed);
        Query q(m_db->connection());
        q.setName(QStringLiteral("RoundTripQ"));
        q.adoptSnapshot({d.fields, d.rows});

        TSheetExporter exporter(UsEnglish);
        exporter.setDataSet(&q);
        const QString file = m_dir.filePath(QStringLiteral("seed-%1.xls").arg(seed));
        exporter.SaveAs(file);
        const QJsonObject s = sheet(read(file));
        QVERIFY2(!s.isEmpty(), qPrintable(QStringLiteral("seed %1: xlrd read nothing").arg(seed)));

        QList<int> columns; // the visible fields that take a column, in order
        for (int f = 0; f < d.fields.size(); ++f)
            if (d.fields.at(f).visible && d.fields.at(f).kind != FieldKind::Bytes)
                columns << f;
        QVERIFY2(s.value("nrows").toInt() == (columns.isEmpty() ? 0 : d.rows.size() + 1),
                 qPrintable(QStringLiteral("seed %1: %2 rows").arg(seed).arg(s.value("nrows").toInt())));
        QVERIFY2(s.value("ncols").toInt() == columns.size(),
                 qPrintable(QStringLiteral("seed %1: %2 columns").arg(seed).arg(s.value("ncols").toInt())));

        const QJsonArray widths = s.value("widths").toArray();
        for (int c = 0; c < columns.size(); ++c) {
            const FieldDef &f = d.fields.at(columns.at(c));
            const QString title = cell(s, 0, c).at(1).toString();
            QVERIFY2(title == f.label(), qPrintable(QStringLiteral("seed %1: title of column %2 is \"%3\", not \"%4\"")
                                                        .arg(seed)
                                                        .arg(c)
                                                        .arg(title, f.label())));
            int longest = int(std::ceil(f.label().size() * 1.1)); // bold title
            for (int r = 0; r < d.rows.size(); ++r) {
                const Expected e = expect(f, d.rows.at(r).at(columns.at(c)));
                const QJsonArray got = cell(s, r + 1, c);
                QVERIFY2(matches(e, got), qPrintable(QStringLiteral("seed %1, row %2, column %3 (%4 kind %5): "
                                                                    "expected %6, xlrd read %7")
                                                         .arg(seed)
                                                         .arg(r + 1)
                                                         .arg(c)
                                                         .arg(f.name)
                                                         .arg(int(f.kind))
                                                         .arg(describe(e), describe(got))));
                if (e.kind == Expected::Text)
                    longest = qMax(longest, int(e.text.size()));
            }
            // Text columns fit their longest cell, 255 characters at most.
            if (f.kind == FieldKind::Text || f.kind == FieldKind::Memo) {
                const int want = qBound(3, longest + 2, 255) * 256;
                QVERIFY2(widths.at(c).toInt() == want, qPrintable(QStringLiteral("seed %1, column %2: width %3, not %4")
                                                                      .arg(seed)
                                                                      .arg(c)
                                                                      .arg(widths.at(c).toInt())
                                                                      .arg(want)));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestExportRoundTrip)
#include "test_export_roundtrip.moc"
