#pragma once

#include <QString>

class Connection;

struct DemoClientSheet
{
    QString path;
    QString project;
    int year = 0;
    int month = 0;
    int rows = 0;
};

// Writes the client's sheet (.xlsx, one row per worker and day) of one project of the active
// cycle, made from our own rows with a few differences, one unknown worker and one impossible
// hour, so that the import can be tried on the demo at once. The project chosen is the first
// one with own rows in the cycle and no client rows yet. Throws DbError or ExportError; returns
// an empty path when no project has own rows in the cycle.
DemoClientSheet writeDemoClientSheet(Connection &connection, const QString &folder);
