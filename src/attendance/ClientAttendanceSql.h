#pragma once

#include <QString>

// Statements of the moves, which the operations' constructor prepares; each is defined beside
// the operation that runs it.
namespace AttendanceSql {
extern const QString MoveUpdateSql;
extern const QString MoveInsertSql;
extern const QString InsertRowSql; // shared by the move and the post
extern const QString ClientRowsCountSql;
extern const QString ProjectOwnRowsSql;
} // namespace AttendanceSql
