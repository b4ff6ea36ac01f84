#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>

class TDataModule1;
struct CycleMonth;

// What every command gets: the parsed common options and the output streams.
struct CliContext
{
    QString iniPath;  // empty: Workers.ini beside the executable
    QString user;     // --user
    QStringList args; // the command's own arguments
    QTextStream &out;
    QTextStream &err;
    // Connected data module with the user's roles opened (null for commands that need none).
    TDataModule1 *dm = nullptr;

    // Value of "--name VALUE" among args, or def.
    QString option(const QString &name, const QString &def = {}) const;
    // Every value of a repeatable "--name VALUE".
    QStringList options(const QString &name) const;
    bool hasFlag(const QString &name) const;
    // The cycle of "--cycle YYYY-MM", else the active one; false (and a message) when malformed.
    bool cycleOption(CycleMonth &cycle);
};

struct CliCommand
{
    QString name;
    QString usage;     // one line for --help
    QStringList roles; // roles required besides Login_Tallimar; empty list and needsLogin false: none
    bool needsLogin = true;
    int (*run)(CliContext &ctx) = nullptr;
    // Whether these arguments make the command lay out pages: fonts need a GUI application
    // (offscreen, no window). Null: never.
    bool (*needsGui)(const QStringList &args) = nullptr;
};

// Commands register themselves from their own file.
struct CliRegistrar
{
    explicit CliRegistrar(const CliCommand &command);
};
const QList<CliCommand> &cliCommands();
