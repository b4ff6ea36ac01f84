#include "CliCommand.h"
#include "DataModule1.h"
#include "DbError.h"
#include "LocalTime.h"
#include "Roles.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QRegularExpression>
#include <memory>

namespace {
QList<CliCommand> &registry()
{
    static QList<CliCommand> commands;
    return commands;
}

void printHelp(QTextStream &out)
{
    out << "Usage: tallimar-cli [--ini PATH] [--user NAME] COMMAND [options]\n\n"
        << "  --ini PATH   configuration file (default: Workers.ini beside the executable)\n"
        << "  --user NAME  the user the command runs as; needs Login_Tallimar and the command's role\n\n"
        << "Commands:\n";
    for (const CliCommand &c : registry())
        out << "  " << c.usage << "\n";
}

// Whether the command named on the command line lays out pages (read before Qt parses it).
bool commandNeedsGui(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        const QByteArray a(argv[i]);
        if (a == "--ini" || a == "--user") {
            ++i;
            continue;
        }
        for (const CliCommand &c : registry())
            if (c.name.toUtf8() == a) {
                QStringList rest;
                for (int j = i + 1; j < argc; ++j)
                    rest << QString::fromLocal8Bit(argv[j]);
                return c.needsGui && c.needsGui(rest);
            }
        return false;
    }
    return false;
}

// Start-up notices of the GUI application (a missing XDG_RUNTIME_DIR of a service account) say
// nothing about the command: they are kept off its error output.
QtMessageHandler previousHandler = nullptr;
void quietStartUp(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtWarningMsg && message.startsWith(QLatin1String("QStandardPaths: ")))
        return;
    previousHandler(type, context, message);
}
} // namespace

CliRegistrar::CliRegistrar(const CliCommand &command)
{
    registry() << command;
}

const QList<CliCommand> &cliCommands()
{
    return registry();
}

QString CliContext::option(const QString &name, const QString &def) const
{
    const int i = args.indexOf(name);
    return i >= 0 && i + 1 < args.size() ? args.at(i + 1) : def;
}

QStringList CliContext::options(const QString &name) const
{
    QStringList out;
    for (qsizetype i = 0; i + 1 < args.size(); ++i)
        if (args.at(i) == name)
            out << args.at(++i);
    return out;
}

bool CliContext::cycleOption(CycleMonth &cycle)
{
    const QString text = option(QStringLiteral("--cycle"));
    if (text.isEmpty()) {
        cycle = dm->activeCycle();
        return true;
    }
    static const QRegularExpression form(QStringLiteral("^(\\d{4})-(\\d{2})$"));
    const QRegularExpressionMatch m = form.match(text);
    cycle = {m.captured(1).toInt(), m.captured(2).toInt()};
    if (!m.hasMatch() || cycle.month < 1 || cycle.month > 12) {
        err << "--cycle must be YYYY-MM\n";
        return false;
    }
    return true;
}

bool CliContext::hasFlag(const QString &name) const
{
    return args.contains(name);
}

int main(int argc, char *argv[])
{
    pinLocalTimeZone();
    std::unique_ptr<QCoreApplication> application;
    if (commandNeedsGui(argc, argv)) {
        // Fonts need a GUI application; a command line shows no window, so no display is needed.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        previousHandler = qInstallMessageHandler(quietStartUp);
        application = std::make_unique<QGuiApplication>(argc, argv);
        qInstallMessageHandler(previousHandler);
    } else {
        application = std::make_unique<QCoreApplication>(argc, argv);
    }
    QCoreApplication &app = *application;
    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList args = app.arguments().mid(1);
    QString iniPath;
    QString user;
    QString commandName;
    while (!args.isEmpty()) {
        const QString a = args.takeFirst();
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            printHelp(out);
            return 0;
        }
        if (a == QLatin1String("--ini") || a == QLatin1String("--user")) {
            if (args.isEmpty()) {
                err << a << " needs a value\n";
                return 2;
            }
            (a == QLatin1String("--ini") ? iniPath : user) = args.takeFirst();
            continue;
        }
        commandName = a;
        break;
    }
    const CliCommand *command = nullptr;
    for (const CliCommand &c : registry())
        if (c.name == commandName)
            command = &c;
    if (!command) {
        if (commandName.isEmpty())
            err << "No command given.\n";
        else
            err << "Unknown command '" << commandName << "'.\n";
        printHelp(err);
        return 2;
    }
    CliContext ctx{iniPath, user, args, out, err};
    std::unique_ptr<TDataModule1> dm;
    try {
        if (command->needsLogin) {
            if (user.isEmpty()) {
                err << "--user is required for " << command->name << "\n";
                return 2;
            }
            dm = std::make_unique<TDataModule1>(iniPath);
            dm->DataModuleCreate();
            dm->Current_UserID = user;
            dm->openRoles(user);
            if (!dm->hasRole(Roles::Login)) {
                err << Roles::RefusalMessage << "\n";
                return 3;
            }
            for (const QString &role : command->roles)
                if (!dm->hasRole(role)) {
                    err << "You Do Not Have Authority To run " << command->name << " (role " << role << ")\n";
                    return 3;
                }
            ctx.dm = dm.get();
        }
        const int rc = command->run(ctx);
        out.flush();
        return rc;
    } catch (const DbError &e) {
        out.flush();
        err << e.message() << "\n";
        return 1;
    }
}
