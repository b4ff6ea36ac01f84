#include "Query.h"
#include "DbError.h"
#include "SchemaCheck.h"

#include <QLocale>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>

bool isNumericKind(FieldKind k)
{
    switch (k) {
    case FieldKind::Integer:
    case FieldKind::LargeInt:
    case FieldKind::AutoInc:
    case FieldKind::Float:
    case FieldKind::Currency:
        return true;
    default:
        return false;
    }
}

bool isDateKind(FieldKind k)
{
    return k == FieldKind::Date || k == FieldKind::Time || k == FieldKind::DateTime;
}

bool isDateTimeColumnName(const QString &name)
{
    static const QStringList names = {QStringLiteral("Col_Date"), QStringLiteral("Entered_Date"),
                                      QStringLiteral("Checked_Date"), QStringLiteral("Arrival_Date")};
    for (const QString &n : names)
        if (n.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

ParsedSql parseParameters(const QString &sql)
{
    ParsedSql out;
    out.positionalSql.reserve(sql.size());
    const int n = int(sql.size());
    auto isNameStart = [](QChar c) { return c.isLetter() || c == QLatin1Char('_'); };
    auto isNameChar = [](QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_'); };
    int i = 0;
    while (i < n) {
        const QChar c = sql.at(i);
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            // Quoted literal or identifier: copied untouched, doubled quotes included.
            int j = i + 1;
            while (j < n) {
                if (sql.at(j) == c) {
                    if (j + 1 < n && sql.at(j + 1) == c) {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            out.positionalSql += sql.mid(i, j - i + 1);
            i = j + 1;
        } else if (c == QLatin1Char('-') && i + 1 < n && sql.at(i + 1) == QLatin1Char('-')) {
            int j = sql.indexOf(QLatin1Char('\n'), i);
            if (j < 0)
                j = n;
            out.positionalSql += sql.mid(i, j - i);
            i = j;
        } else if (c == QLatin1Char(':') && i + 1 < n && sql.at(i + 1) == QLatin1Char(':')) {
            out.positionalSql += QLatin1String("::"); // PostgreSQL cast, not a parameter
            i += 2;
        } else if (c == QLatin1Char(':') && i + 1 < n && isNameStart(sql.at(i + 1))) {
            int j = i + 1;
            while (j < n && isNameChar(sql.at(j)))
                ++j;
            out.names << sql.mid(i + 1, j - i - 1);
            out.positionalSql += QLatin1Char('?');
            i = j;
        } else {
            out.positionalSql += c;
            ++i;
        }
    }
    return out;
}

Query::Query(Connection &connection, const QString &sql) : m_conn(connection)
{
    setSql(sql);
}

void Query::setSql(const QString &sql)
{
    close();
    m_stmt.reset();
    m_sql = sql;
    m_parsed = parseParameters(sql);
    m_paramNames = m_parsed.names;
    m_params = QList<QVariant>(m_paramNames.size());
}

void Query::setParam(int index, const QVariant &value)
{
    if (index < 0 || index >= m_params.size())
        throw DbError(QStringLiteral("Parameter index %1 out of range").arg(index));
    m_params[index] = value;
}

void Query::setParam(const QString &name, const QVariant &value)
{
    for (int i = 0; i < m_paramNames.size(); ++i)
        if (m_paramNames.at(i).compare(name, Qt::CaseInsensitive) == 0) {
            m_params[i] = value;
            return;
        }
    throw DbError(QStringLiteral("Parameter '%1' not found").arg(name));
}

void Query::setParamAll(const QString &name, const QVariant &value)
{
    bool found = false;
    for (int i = 0; i < m_paramNames.size(); ++i)
        if (m_paramNames.at(i).compare(name, Qt::CaseInsensitive) == 0) {
            m_params[i] = value;
            found = true;
        }
    if (!found)
        throw DbError(QStringLiteral("Parameter '%1' not found").arg(name));
}

void Query::defineField(const FieldDef &def)
{
    for (FieldDef &d : m_declared)
        if (d.name.compare(def.name, Qt::CaseInsensitive) == 0) {
            d = def;
            return;
        }
    m_declared << def;
}

void Query::setFieldVisible(const QString &name, bool visible)
{
    m_visibility.insert(name.toLower(), visible);
    for (FieldDef &f : m_fields)
        if (f.name.compare(name, Qt::CaseInsensitive) == 0)
            f.visible = visible;
}

Query::~Query() = default;

namespace {

// A NUL cannot travel as text on every engine (PostgreSQL's driver cuts the statement there):
// refused before anything is sent, the same on all of them.
void refuseNul(const QList<QVariant> &params)
{
    for (const QVariant &v : params)
        if (v.typeId() == QMetaType::QString && static_cast<const QString *>(v.constData())->contains(QChar(0)))
            throw DbError(
                QStringLiteral("A text holds a NUL character (code 0), which cannot be stored or searched for."));
}

// The engines' refusal of a text longer than its column, in plain words. PostgreSQL and SQL
// Server report SQLSTATE 22001 (SQL Server's native codes 8152 and 2628). PostgreSQL's text
// gives the width; SQL Server's 2628 names the column, whose width its catalog then tells.
QString failureText(const QSqlError &error, Connection &connection)
{
    const QString code = error.nativeErrorCode();
    if (code == QLatin1String("22001") || code == QLatin1String("8152") || code == QLatin1String("2628")) {
        static const QRegularExpression width(QStringLiteral("varying\\((\\d+)\\)"));
        const QRegularExpressionMatch m = width.match(error.databaseText());
        int n = m.hasMatch() ? m.captured(1).toInt() : 0;
        QString table;
        QString column;
        if (n == 0 && connection.engine() == Engine::SQLServer &&
            SchemaCheck::truncatedColumn(error.databaseText(), table, column)) {
            try {
                n = SchemaCheck::columnWidth(connection, table, column);
            } catch (const DbError &) {
                n = 0; // the plain message without the width
            }
        }
        return n > 0 ? QStringLiteral("A text is longer than the %1 characters its field holds.").arg(n)
                     : QStringLiteral("A text is longer than its field holds.");
    }
    return error.text().trimmed();
}

} // namespace

QSqlQuery &Query::bindAndRun()
{
    refuseNul(m_params);
    m_conn.ensureOpen();
    if (!m_stmt || m_stmtGeneration != m_conn.generation()) {
        m_stmt = std::make_unique<QSqlQuery>(m_conn.database());
        m_stmt->setForwardOnly(true);
        if (!m_stmt->prepare(m_parsed.positionalSql)) {
            const QString msg = m_stmt->lastError().text().trimmed();
            m_stmt.reset();
            throw DbError(msg);
        }
        m_stmtGeneration = m_conn.generation();
    }
    QSqlQuery &q = *m_stmt;
    for (int i = 0; i < m_params.size(); ++i)
        q.bindValue(i, m_conn.bindValue(m_params.at(i)));
    if (!m_conn.execWithTimeout(q, m_timeoutMs)) {
        const QSqlError error = q.lastError();
        q.finish();
        throw DbError(failureText(error, m_conn));
    }
    return q;
}

FieldKind fieldKindOf(QMetaType type)
{
    switch (type.id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
        return FieldKind::Integer;
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return FieldKind::LargeInt;
    case QMetaType::Double:
    case QMetaType::Float:
        return FieldKind::Float;
    case QMetaType::Bool:
        return FieldKind::Boolean;
    case QMetaType::QDate:
        return FieldKind::Date;
    case QMetaType::QTime:
        return FieldKind::Time;
    case QMetaType::QDateTime:
        return FieldKind::DateTime;
    case QMetaType::QByteArray:
        return FieldKind::Bytes;
    default:
        return FieldKind::Text;
    }
}

QVariant storedValue(const FieldDef &field, QVariant value)
{
    if (isDateKind(field.kind) && !value.isNull() && value.typeId() != QMetaType::QDateTime)
        value = toDateTime(value);
    return value;
}

bool settleKind(FieldDef &field, const QVariant &value)
{
    if (value.isNull())
        return false;
    const FieldKind k = fieldKindOf(value.metaType());
    if (k == FieldKind::LargeInt)
        field.kind = FieldKind::Integer; // SQLite hands every integer back as 64-bit
    else if (k == FieldKind::Float)
        field.kind = FieldKind::Float;
    return true;
}

QList<FieldDef> Query::describe(const QSqlRecord &rec, QList<bool> &typeFromValues) const
{
    const int cols = rec.count();
    QList<FieldDef> fields;
    typeFromValues = QList<bool>(cols, false);
    for (int c = 0; c < cols; ++c) {
        FieldDef f;
        f.name = rec.fieldName(c);
        f.kind = fieldKindOf(rec.field(c).metaType());
        // Expressions carry no declared type on SQLite: take the kind from the values below.
        typeFromValues[c] = f.kind == FieldKind::Text;
        if (isDateTimeColumnName(f.name)) {
            f.kind = FieldKind::DateTime;
            typeFromValues[c] = false;
        }
        for (const FieldDef &d : m_declared)
            if (d.name.compare(f.name, Qt::CaseInsensitive) == 0) {
                f = d;
                f.name = rec.fieldName(c);
                typeFromValues[c] = false;
            }
        f.visible = m_visibility.value(f.name.toLower(), f.visible);
        fields << f;
    }
    return fields;
}

void Query::open()
{
    close();
    QSqlQuery &q = bindAndRun();
    const QSqlRecord rec = q.record();
    const int cols = rec.count();
    QList<bool> typeFromValues;
    m_fields = describe(rec, typeFromValues);
    while (q.next()) {
        QList<QVariant> row;
        row.reserve(cols);
        for (int c = 0; c < cols; ++c)
            row << storedValue(m_fields.at(c), q.value(c));
        m_rows << row;
    }
    // A failure while fetching (a lost connection, a row the engine cannot read) ends next()
    // early: a shorter list must not pass for the whole one.
    if (q.lastError().isValid()) {
        const QString msg = q.lastError().text().trimmed();
        q.finish();
        m_rows.clear();
        m_fields.clear();
        throw DbError(msg.isEmpty() ? QStringLiteral("Reading the rows failed") : msg);
    }
    q.finish();
    for (int c = 0; c < cols; ++c) {
        if (!typeFromValues[c])
            continue;
        for (const auto &row : std::as_const(m_rows))
            if (settleKind(m_fields[c], row.at(c)))
                break;
    }
    m_row = 0;
    m_active = true;
}

Query::Snapshot Query::takeSnapshot()
{
    Snapshot s{std::move(m_fields), std::move(m_rows)};
    close();
    return s;
}

void Query::adoptSnapshot(Snapshot snapshot)
{
    close();
    m_fields = std::move(snapshot.fields);
    m_rows = std::move(snapshot.rows);
    m_active = true;
}

void Query::close()
{
    m_rows.clear();
    m_fields.clear();
    m_row = 0;
    m_active = false;
}

void Query::refresh()
{
    const int row = m_row;
    open();
    m_row = qBound(0, row, int(m_rows.size()));
}

int Query::exec()
{
    close();
    QSqlQuery &q = bindAndRun();
    const int affected = q.numRowsAffected();
    q.finish();
    return affected;
}

bool Query::locate(const QString &field, const QVariant &value)
{
    const int c = requireField(field);
    for (int r = 0; r < m_rows.size(); ++r) {
        const QVariant &v = m_rows.at(r).at(c);
        if (v.isNull() || value.isNull()) {
            if (v.isNull() && value.isNull()) {
                m_row = r;
                return true;
            }
            continue;
        }
        bool same;
        if (isNumericKind(m_fields.at(c).kind)) {
            bool ok = false;
            const double d = value.toDouble(&ok);
            same = ok && v.toDouble() == d;
        } else if (isDateKind(m_fields.at(c).kind)) {
            same = toDateTime(v) == toDateTime(value);
        } else {
            same = v.toString() == value.toString();
        }
        if (same) {
            m_row = r;
            return true;
        }
    }
    return false;
}

int Query::fieldIndex(const QString &name) const
{
    for (int i = 0; i < m_fields.size(); ++i)
        if (m_fields.at(i).name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

int Query::requireField(const QString &name) const
{
    const int i = fieldIndex(name);
    if (i < 0)
        throw DbError(QStringLiteral("Field '%1' not found").arg(name));
    return i;
}

QVariant Query::value(int column) const
{
    if (!m_active || m_row < 0 || m_row >= m_rows.size())
        return {};
    return m_rows.at(m_row).at(column);
}

QVariant Query::value(const QString &field) const
{
    return value(requireField(field));
}

bool Query::isNull(const QString &field) const
{
    return value(field).isNull();
}

QString Query::asString(const QString &field) const
{
    const QVariant v = value(field);
    return v.isNull() ? QString() : v.toString();
}

int Query::asInt(const QString &field) const
{
    const QVariant v = value(field);
    return v.isNull() ? 0 : v.toInt();
}

qint64 Query::asInt64(const QString &field) const
{
    const QVariant v = value(field);
    return v.isNull() ? 0 : v.toLongLong();
}

double Query::asDouble(const QString &field) const
{
    const QVariant v = value(field);
    return v.isNull() ? 0.0 : v.toDouble();
}

bool Query::asBool(const QString &field) const
{
    const QVariant v = value(field);
    if (v.isNull())
        return false;
    if (v.typeId() == QMetaType::QString) {
        const QString s = v.toString().trimmed();
        return s.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 || s.toInt() != 0;
    }
    return v.toBool();
}

QDateTime Query::asDateTime(const QString &field) const
{
    return toDateTime(value(field));
}

QString formatNumber(double value, const QString &format, const QLocale &locale);

QString Query::displayText(int row, int column) const
{
    return displayTextOf(m_fields.at(column), m_rows.at(row).at(column));
}

QString displayTextOf(const FieldDef &f, const QVariant &v)
{
    if (v.isNull())
        return {};
    const QLocale locale;
    switch (f.kind) {
    case FieldKind::Boolean:
        return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case FieldKind::Date:
        return locale.toString(toDateTime(v).date(),
                               f.displayFormat.isEmpty() ? locale.dateFormat(QLocale::ShortFormat) : f.displayFormat);
    case FieldKind::Time:
        return locale.toString(toDateTime(v).time(),
                               f.displayFormat.isEmpty() ? locale.timeFormat(QLocale::ShortFormat) : f.displayFormat);
    case FieldKind::DateTime: {
        const QDateTime dt = toDateTime(v);
        if (!f.displayFormat.isEmpty())
            return locale.toString(dt, f.displayFormat);
        if (dt.time() == QTime(0, 0))
            return locale.toString(dt.date(), QLocale::ShortFormat);
        return locale.toString(dt, QLocale::ShortFormat);
    }
    case FieldKind::Integer:
    case FieldKind::LargeInt:
    case FieldKind::AutoInc:
    case FieldKind::Float:
    case FieldKind::Currency:
        if (!f.displayFormat.isEmpty())
            return formatNumber(v.toDouble(), f.displayFormat, locale);
        if (f.kind == FieldKind::Float || f.kind == FieldKind::Currency)
            return locale.toString(v.toDouble(), 'g', 15);
        return QString::number(v.toLongLong());
    default:
        return v.toString();
    }
}

// Numeric display formats of the "#,##0.00" family: grouping when a ',' is present, as many
// decimals as '0's after the '.'.
QString formatNumber(double value, const QString &format, const QLocale &locale)
{
    const bool grouped = format.contains(QLatin1Char(','));
    int decimals = 0;
    const int dot = format.indexOf(QLatin1Char('.'));
    if (dot >= 0)
        for (int i = dot + 1;
             i < format.size() && (format.at(i) == QLatin1Char('0') || format.at(i) == QLatin1Char('#')); ++i)
            ++decimals;
    QLocale l = locale;
    l.setNumberOptions(grouped ? QLocale::DefaultNumberOptions : QLocale::OmitGroupSeparator);
    return l.toString(value, 'f', decimals);
}
