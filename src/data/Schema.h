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
// Bare: the tables alone, without any key or index beyond what an identity column needs, as the
// least that the suite's database may hold (the tests run the program on it).
enum class Objects { All, Tables, Indexes, Bare };
// The statements of `which` for an engine, in order.
QStringList statements(Engine engine, Objects which);
// Creates the tables and/or indexes in one transaction (the demo generator and the tests use it).
// A bulk load is faster with the indexes built after it.
void create(Connection &connection, Objects which = Objects::All);
// Runs the statements inside the caller's transaction.
void createIn(Connection &connection, Objects which);
} // namespace Schema
