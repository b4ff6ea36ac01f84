// tallimar-cli's project list export against the projects window's export of the same list.
#include "AssignmentMgtForm.h"
#include "FileDialog.h"
#include "MasterDataFixture.h"
#include "MessageRecording.h"
#include "XlrdReader.h"

#include <QCheckBox>
#include <QProcess>
#include <QTemporaryDir>

namespace {
struct Run
{
    int rc = -1;
    QString err;
};

Run cli(const QString &ini, const QString &user, const QStringList &args)
{
    QProcess p;
    p.start(QStringLiteral(TALLIMAR_CLI_PATH),
            QStringList{QStringLiteral("--ini"), ini, QStringLiteral("--user"), user, QStringLiteral("export"),
                        QStringLiteral("--list"), QStringLiteral("projects")} +
                args);
    p.waitForFinished(120000);
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardError())};
}
} // namespace

class TestMasterDataCli : public QObject
{
    Q_OBJECT
private slots:
    void sameFileAsTheWindow_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<bool>("activeOnly");
        for (const QString &e : TestDb::engines()) {
            QTest::newRow(qPrintable(e + QStringLiteral(" all projects"))) << e << false;
            QTest::newRow(qPrintable(e + QStringLiteral(" active only"))) << e << true;
        }
    }
    void sameFileAsTheWindow()
    {
        QFETCH(QString, engine);
        QFETCH(bool, activeOnly);
        Env env(engine, {Roles::ProjectMgt, Roles::ProjectListExport, Roles::Login});
        const qint64 acme = env.client(QStringLiteral("ACME; 100%"));
        env.project(QStringLiteral("AIRPORT"), acme, false);
        env.project(QStringLiteral("MARINA"), acme);
        env.project(QStringLiteral("شركة"), 0);
        QTemporaryDir dir;
        const QString fromWindow = dir.filePath(QStringLiteral("window.xls"));
        const QString fromCli = dir.filePath(QStringLiteral("cli.xls"));
        {
            MessageRecording messages;
            auto w = open<TAssignmentMgtForm>(env);
            if (activeOnly)
                w->chk_ShowActiveOnly->click();
            FileDialog::setNextFileName(fromWindow);
            w->btn_Export->click();
            QCOMPARE(messages.texts, QStringList());
        }
        const Run r = cli(env.db.iniPath(), User,
                          activeOnly ? QStringList{QStringLiteral("--active-only"), QStringLiteral("--out"), fromCli}
                                     : QStringList{QStringLiteral("--out"), fromCli});
        QVERIFY2(r.rc == 0, qPrintable(r.err));
        const QJsonObject a = XlrdDump::sheet(XlrdDump::read(fromWindow));
        const QJsonObject b = XlrdDump::sheet(XlrdDump::read(fromCli));
        QCOMPARE(b.value(QStringLiteral("nrows")).toInt(), activeOnly ? 3 : 4);
        QCOMPARE(b.value(QStringLiteral("name")), a.value(QStringLiteral("name")));
        QCOMPARE(b.value(QStringLiteral("cells")), a.value(QStringLiteral("cells")));
    }

    void refusedWithoutTheExportRole()
    {
        Env env(QStringLiteral("SQLite"), {Roles::Login, Roles::ProjectMgt, Roles::InvoiceDetails});
        QTemporaryDir dir;
        const QString out = dir.filePath(QStringLiteral("p.xls"));
        const Run r = cli(env.db.iniPath(), User, {QStringLiteral("--out"), out});
        QCOMPARE(r.rc, 3);
        QVERIFY2(r.err.contains(QStringLiteral("Export Projects")), qPrintable(r.err));
        QVERIFY(!QFile::exists(out));
    }
};

QTEST_MAIN(TestMasterDataCli)
#include "test_masterdata_cli.moc"
