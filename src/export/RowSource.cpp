#include "RowSource.h"
#include "DbError.h"
#include "ExportError.h"
#include "QueryCursor.h"

QString CursorRowSource::name() const
{
    return m_cursor.name();
}

const QList<FieldDef> &CursorRowSource::fields() const
{
    return m_cursor.fields();
}

void CursorRowSource::start()
{
    try {
        m_cursor.exec();
    } catch (const DbError &e) {
        throw ExportError(e.message());
    }
}

bool CursorRowSource::next()
{
    try {
        return m_cursor.next();
    } catch (const DbError &e) {
        throw ExportError(e.message());
    }
}

QVariant CursorRowSource::value(int field) const
{
    return m_cursor.value(field);
}

QString CursorRowSource::displayText(int field) const
{
    return displayTextOf(m_cursor.fields().at(field), m_cursor.value(field));
}
