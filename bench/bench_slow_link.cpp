// Move-all, check-all and month-end on PostgreSQL over a slow link: a cluster of the bench's
// own, reached through slow_link_proxy, which holds every chunk for 0.5 ms each way (about
// 1 ms a round trip, an office network). The real tallimar-cli runs each pass; statements per
// worker come from the server's statement log of a 100-worker project.
// Arguments: [--cli PATH] [--workers N (month-end, 10000)] [--delay-us N (500)]
#include "BenchUtil.h"
#include "ClientAttendance.h"
#include "Connection.h"
#include "DemoData.h"
#include "Query.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int freePort()
{
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    ::bind(s, reinterpret_cast<sockaddr *>(&a), sizeof a);
    ::getsockname(s, reinterpret_cast<sockaddr *>(&a), &len);
    ::close(s);
    return ntohs(a.sin_port);
}

// A throwaway cluster on loopback in a folder of its own, run as the postgres user when root.
class Cluster
{
public:
    explicit Cluster(const QString &dir) : m_dir(dir), m_port(freePort())
    {
        QString bin = qEnvironmentVariable("TALLIMAR_TEST_PG_BIN");
        if (bin.isEmpty()) {
            QStringList found =
                QDir(QStringLiteral("/usr/lib/postgresql")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
            std::sort(found.begin(), found.end(),
                      [](const QString &a, const QString &b) { return a.toInt() < b.toInt(); });
            bin = QStringLiteral("/usr/lib/postgresql/%1/bin").arg(found.value(found.size() - 1));
        }
        m_bin = bin;
        if (::geteuid() == 0) {
            m_asPg = {QStringLiteral("runuser"), QStringLiteral("-u"), QStringLiteral("postgres"),
                      QStringLiteral("--")};
            QProcess::execute(QStringLiteral("chown"), {QStringLiteral("postgres:postgres"), m_dir});
        }
        if (!run(QStringLiteral("initdb"), {QStringLiteral("-D"), data(), QStringLiteral("-A"), QStringLiteral("trust"),
                                            QStringLiteral("-U"), QStringLiteral("postgres"), QStringLiteral("-E"),
                                            QStringLiteral("UTF8"), QStringLiteral("--locale=C.UTF-8")}))
            qFatal("initdb failed");
        const QString options = QStringLiteral("-c listen_addresses=127.0.0.1 -c port=%1 -c unix_socket_directories=%2 "
                                               "-c fsync=off -c max_connections=50")
                                    .arg(m_port)
                                    .arg(m_dir);
        if (!run(QStringLiteral("pg_ctl"),
                 {QStringLiteral("-D"), data(), QStringLiteral("-l"), log(), QStringLiteral("-w"), QStringLiteral("-o"),
                  options, QStringLiteral("start")}))
            qFatal("the bench's PostgreSQL did not start");
        m_running = true;
    }
    ~Cluster()
    {
        if (m_running)
            run(QStringLiteral("pg_ctl"),
                {QStringLiteral("-D"), data(), QStringLiteral("-m"), QStringLiteral("fast"), QStringLiteral("stop")});
    }
    int port() const { return m_port; }
    QString log() const { return m_dir + QStringLiteral("/server.log"); }

    // Statement lines the server has logged since `from` (bytes into the log).
    qint64 logSize() const { return QFileInfo(log()).size(); }
    int statementsSince(qint64 from) const
    {
        QFile f(log());
        if (!f.open(QIODevice::ReadOnly))
            return -1;
        f.seek(from);
        int n = 0;
        for (const QByteArray &line : f.readAll().split('\n'))
            if (line.contains("LOG:  statement: ") || line.contains("LOG:  execute "))
                ++n;
        return n;
    }

private:
    QString data() const { return m_dir + QStringLiteral("/data"); }
    bool run(const QString &tool, const QStringList &args)
    {
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        const QString exe = m_bin + QLatin1Char('/') + tool;
        if (m_asPg.isEmpty())
            p.start(exe, args);
        else
            p.start(m_asPg.first(), m_asPg.mid(1) + QStringList{exe} + args);
        if (!p.waitForFinished(120000) || p.exitCode() != 0) {
            QTextStream(stderr) << tool << ": " << p.readAll() << "\n";
            return false;
        }
        return true;
    }

    QString m_dir;
    QString m_bin;
    QStringList m_asPg;
    int m_port;
    bool m_running = false;
};

struct CliResult
{
    double seconds = 0;
    QString lastLine;
};

CliResult runCli(const QString &cli, const QString &ini, const QStringList &args)
{
    QProcess p;
    QElapsedTimer t;
    t.start();
    p.start(cli, QStringList{QStringLiteral("--ini"), ini, QStringLiteral("--user"), QStringLiteral("demo")} + args);
    if (!p.waitForFinished(-1) || p.exitStatus() != QProcess::NormalExit)
        qFatal("tallimar-cli %s did not finish", qPrintable(args.join(QLatin1Char(' '))));
    CliResult r;
    r.seconds = t.nsecsElapsed() / 1e9;
    const QList<QByteArray> lines = p.readAllStandardOutput().trimmed().split('\n');
    r.lastLine = QString::fromUtf8(lines.last());
    if (p.exitCode() != 0)
        QTextStream(stderr) << "tallimar-cli " << args.join(QLatin1Char(' ')) << " exit " << p.exitCode() << ": "
                            << p.readAllStandardError().right(300) << "\n";
    QTextStream(stdout) << "# " << args.value(0) << ": " << r.lastLine << "\n";
    return r;
}

QString makeIni(const QString &dir, int port, const QString &db)
{
    const QString path = dir + QStringLiteral("/Workers-") + db + QStringLiteral(".ini");
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    f.write(QStringLiteral("[Database]\nEngine=PostgreSQL\nSource=127.0.0.1:%1\nCatalog=%2\nUserName=postgres\n")
                .arg(port)
                .arg(db)
                .toUtf8());
    return path;
}

// A demo database of `workers` workers over `projects` projects and `months` months (the earlier
// ones moved and checked); its first project.
QString makeDatabase(int port, const QString &db, int workers, int projects, int months = 1)
{
    {
        Connection admin(QStringLiteral("bench-admin"));
        openPostgres(admin, port, QStringLiteral("postgres"));
        admin.execDirect(QStringLiteral("CREATE DATABASE ") + db);
    }
    Connection c(QStringLiteral("bench-fill"));
    openPostgres(c, port, db);
    DemoOptions o;
    o.workers = workers;
    o.projects = projects;
    o.months = months;
    generateDemoData(c, o);
    c.execDirect(QStringLiteral("ANALYZE"));
    ClientAttendance a(c);
    return a.projectNames().value(0);
}

void logStatements(int port, const QString &db)
{
    Connection admin(QStringLiteral("bench-admin"));
    openPostgres(admin, port, QStringLiteral("postgres"));
    admin.execDirect(QStringLiteral("ALTER DATABASE %1 SET log_statement = 'all'").arg(db));
}

void analyze(int port, const QString &db)
{
    Connection c(QStringLiteral("bench-analyze"));
    openPostgres(c, port, db);
    c.execDirect(QStringLiteral("ANALYZE"));
}

// Round trips of a trivial statement through the link, in ms each.
double roundTripMs(int port, const QString &db)
{
    Connection c(QStringLiteral("bench-ping"));
    openPostgres(c, port, db);
    Query q(c, QStringLiteral("Select 1"));
    QElapsedTimer t;
    t.start();
    const int n = 200;
    for (int i = 0; i < n; ++i) {
        q.close();
        q.open();
    }
    return t.nsecsElapsed() / 1e6 / n;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    auto option = [&](const char *name, const QString &fallback) {
        const int i = args.indexOf(QLatin1String(name));
        return i > 0 && i + 1 < args.size() ? args.at(i + 1) : fallback;
    };
    const QString cli = option("--cli", QStringLiteral(TALLIMAR_CLI_PATH));
    const int monthEndWorkers = option("--workers", QStringLiteral("10000")).toInt();
    const QString delayUs = option("--delay-us", QStringLiteral("500"));

    QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/tallimar-slow-link.XXXXXX"));
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                                          QFileDevice::ReadGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                          QFileDevice::ExeOther);
    Cluster cluster(dir.path());
    const int proxyPort = freePort();
    QProcess proxy;
    proxy.start(QStringLiteral(TALLIMAR_PROXY_PATH),
                {QString::number(proxyPort), QString::number(cluster.port()), delayUs});
    if (!proxy.waitForReadyRead(10000))
        qFatal("slow_link_proxy did not start");

    QElapsedTimer fill;
    fill.start();
    const QString counted = makeDatabase(cluster.port(), QStringLiteral("slow_counted"), 100, 1);
    // With last month's client rows, as a clerk's database has them: the server plans the
    // month's statements for a table of that size, not for an empty one.
    const QString project = makeDatabase(cluster.port(), QStringLiteral("slow_move"), 1000, 1, 2);
    const QString monthEndDb = QStringLiteral("slow_month_end");
    if (monthEndWorkers > 0)
        makeDatabase(cluster.port(), monthEndDb, monthEndWorkers, 4);
    QTextStream(stdout) << "# databases filled in " << fill.elapsed() / 1000 << " s\n";

    // The link as measured (the machine's scheduling adds to the proxy's delay), and without it.
    printFigure("slow_link_round_trip", roundTripMs(proxyPort, QStringLiteral("slow_move")), "ms");
    printFigure("direct_round_trip", roundTripMs(cluster.port(), QStringLiteral("slow_move")), "ms");

    // Statements per worker, from the server's log of a 100-worker project (the pass's own few
    // reads included).
    logStatements(cluster.port(), QStringLiteral("slow_counted"));
    const QString countedIni = makeIni(dir.path(), proxyPort, QStringLiteral("slow_counted"));
    qint64 at = cluster.logSize();
    runCli(cli, countedIni, {QStringLiteral("move-all"), QStringLiteral("--project"), counted});
    printFigure("move_all_statements_per_worker", cluster.statementsSince(at) / 100.0, "statements");
    at = cluster.logSize();
    runCli(cli, countedIni, {QStringLiteral("check-all"), QStringLiteral("--project"), counted});
    printFigure("check_all_statements_per_worker", cluster.statementsSince(at) / 100.0, "statements");

    const QString moveIni = makeIni(dir.path(), proxyPort, QStringLiteral("slow_move"));
    const CliResult move = runCli(cli, moveIni, {QStringLiteral("move-all"), QStringLiteral("--project"), project});
    printFigure("move_all_1000_workers_slow_link", move.seconds, "s");
    // The statistics a running database has: right after a quick move the server may not yet have
    // looked at the new rows, and would plan the check as over an empty table.
    analyze(cluster.port(), QStringLiteral("slow_move"));
    const CliResult check = runCli(cli, moveIni, {QStringLiteral("check-all"), QStringLiteral("--project"), project});
    printFigure("check_all_1000_workers_slow_link", check.seconds, "s");

    if (monthEndWorkers > 0) {
        const QString ini = makeIni(dir.path(), proxyPort, monthEndDb);
        const CliResult m = runCli(
            cli, ini,
            {QStringLiteral("month-end"), QStringLiteral("--out"), dir.filePath(QStringLiteral("month-end.xlsx"))});
        printFigure(QStringLiteral("month_end_%1_workers_slow_link").arg(monthEndWorkers).toUtf8().constData(),
                    m.seconds, "s");
    }
    proxy.kill();
    proxy.waitForFinished();
    return 0;
}
