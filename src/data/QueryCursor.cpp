#include "QueryCursor.h"
#include "DbError.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

QSqlQuery &QueryCursor::run(QList<bool> &typeFromValues)
{
    finish();
    m_query.close();
    QSqlQuery &q = m_query.bindAndRun();
    m_stmt = &q;
    m_fields = m_query.describe(q.record(), typeFromValues);
    m_values = QList<QVariant>(m_fields.size());
    return q;
}

void QueryCursor::exec()
{
    QList<bool> unsettled;
    QSqlQuery *q = &run(unsettled);
    int open = int(unsettled.count(true));
    if (open == 0)
        return;
    // Read as far as the first non-null value of each such field, then start again.
    QList<FieldDef> settled = m_fields;
    while (open > 0 && q->next())
        for (int c = 0; c < settled.size(); ++c)
            if (unsettled[c] && settleKind(settled[c], q->value(c))) {
                unsettled[c] = false;
                --open;
            }
    if (!q->isActive() && q->lastError().isValid())
        throw DbError(q->lastError().text().trimmed());
    q = &run(unsettled);
    m_fields = settled;
}

bool QueryCursor::next()
{
    if (!m_stmt)
        return false;
    if (!m_stmt->next()) {
        const QSqlError error = m_stmt->lastError();
        finish();
        if (error.isValid())
            throw DbError(error.text().trimmed());
        return false;
    }
    for (int c = 0; c < m_fields.size(); ++c)
        m_values[c] = storedValue(m_fields.at(c), m_stmt->value(c));
    return true;
}

void QueryCursor::finish()
{
    if (m_stmt)
        m_stmt->finish();
    m_stmt = nullptr;
}

int QueryCursor::column(const QString &name) const
{
    for (int i = 0; i < m_fields.size(); ++i)
        if (m_fields.at(i).name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}
