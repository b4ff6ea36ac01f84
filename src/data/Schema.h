#pragma once

#include "Engine.h"

#include <QStringList>

class Connection;

namespace Schema {
// The table and index statements for an engine, in order.
QStringList statements(Engine engine);
// The tables the program's statements name.
const QStringList &tableNames();
// Tables of the program that the connected database does not have.
QStringList missingTables(Connection &connection);
// Creates every table and index in one transaction (the demo generator and the tests use it).
void create(Connection &connection);
} // namespace Schema
