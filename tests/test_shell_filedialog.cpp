// The save dialog never opens the files it lists: on SQLite, closing any descriptor of the
// database file drops the locks of the whole process, and another program then deletes the
// write-ahead log this one still writes to. Each dialog of the program, shown for real on the
// database's folder, and a whole export beside a tallimar-cli pass on the same database.
#include "AssignmentMgtForm.h"
#include "AttendanceFixture.h"
#include "DataModule1.h"
#include "Dialogs.h"
#include "FileDialog.h"
#include "InvoicesDetForm.h"
#include "MessageRecording.h"
#include "ReconciliationForm.h"
#include "Session.h"
#include "TestDb.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <functional>
#include <optional>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace AttFixture;

namespace {

// POSIX locks this process holds on the file, from /proc/locks ("1: POSIX ADVISORY READ <pid>
// <major>:<minor>:<inode> <start> <end>").
int locksHeld(const QString &path)
{
    struct stat st
    {
    };
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return -1;
    const QString device = QStringLiteral("%1:%2:%3")
                               .arg(major(st.st_dev), 2, 16, QLatin1Char('0'))
                               .arg(minor(st.st_dev), 2, 16, QLatin1Char('0'))
                               .arg(quint64(st.st_ino));
    QFile locks(QStringLiteral("/proc/locks"));
    if (!locks.open(QIODevice::ReadOnly | QIODevice::Text))
        return -1;
    const QString pid = QString::number(::getpid());
    int held = 0;
    for (const QByteArray &line : locks.readAll().split('\n')) {
        const QStringList f = QString::fromLatin1(line).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        // Waiting requests ("->") hold nothing.
        if (f.size() >= 6 && f[1] == QLatin1String("POSIX") && f[4] == pid && f[5] == device)
            ++held;
    }
    return held;
}

struct Held
{
    int db = 0;
    int shm = 0;
};

Held held(const QString &dbFile)
{
    return {locksHeld(dbFile), locksHeld(dbFile + QStringLiteral("-shm"))};
}

// Shows the program's own save dialog for real on the folder until it has listed (and asked for
// the icon and type of) every file there, then runs `then` on it and returns its answer.
Dialogs::Answerer showOnFolder(const QString &folder, QString *problem, const std::function<int(QFileDialog &)> &then)
{
    return [=](QWidget &w) -> int {
        auto *dialog = qobject_cast<QFileDialog *>(&w);
        if (!dialog) {
            *problem = QStringLiteral("not a file dialog: ") + w.metaObject()->className();
            return QDialog::Rejected;
        }
        auto *model = dialog->findChild<QFileSystemModel *>();
        if (!model) {
            *problem = QStringLiteral("the dialog has no file list");
            return QDialog::Rejected;
        }
        QStringList loaded;
        QObject::connect(model, &QFileSystemModel::directoryLoaded, dialog,
                         [&loaded](const QString &path) { loaded << path; });
        dialog->setDirectory(folder);
        dialog->show();
        if (!QTest::qWaitForWindowExposed(dialog))
            *problem = QStringLiteral("the dialog was never shown");
        // Files the filter hides are looked at all the same.
        if (!QTest::qWaitFor([&] { return loaded.contains(folder); }, 10000))
            *problem = QStringLiteral("the dialog never listed %1").arg(folder);
        const QModelIndex root = model->index(folder);
        // What the list and its detail view show of each file.
        for (int r = 0; r < model->rowCount(root); ++r) {
            const QModelIndex at = model->index(r, 0, root);
            model->data(at, Qt::DecorationRole);
            model->type(at);
            model->data(model->index(r, 2, root), Qt::DisplayRole);
        }
        QTest::qWait(300);
        const int answer = then(*dialog);
        dialog->hide();
        return answer;
    };
}

} // namespace

class TestShellFileDialog : public QObject
{
    Q_OBJECT

    std::optional<MessageRecording> m_recording;

private slots:
    void init() { m_recording.emplace(); }
    void cleanup()
    {
        Dialogs::setAnswerer({});
        m_recording.reset();
    }

    // Every file dialog of the program, on the folder of a live SQLite database: the process
    // holds its locks on the database and its shared memory before, while and after.
    void fileDialogsKeepTheDatabaseLocks_data()
    {
        QTest::addColumn<QString>("window");
        QTest::newRow("Projects Management, Export") << "projects";
        QTest::newRow("Invoice Details, Export To Excel") << "invoices";
        QTest::newRow("Invoice Details, the unchecked list") << "unchecked";
        QTest::newRow("Reconciliation, Export To Excel") << "reconciliation";
        QTest::newRow("the open dialog") << "open";
    }
    void fileDialogsKeepTheDatabaseLocks()
    {
        QFETCH(QString, window);
        TestDb::Fresh db(QStringLiteral("SQLite"));
        Connection &c = db.connection();
        seedBase(c);
        worker(c, 1, QStringLiteral("E1"));
        ownRow(c, 1, 1, QStringLiteral("E1"), day(2), QStringLiteral("P"), 8);
        clientRow(c, 1, QStringLiteral("E1"), day(2), QStringLiteral("P"), 6);
        for (const char *role : {"ProjectMgt", "ProjectListExport", "InvoiceDetails"})
            TestDb::exec(c, QStringLiteral("Insert Into UsersRoles (UserName, RoleName) Values (:U, :R)"),
                         {User, QString::fromLatin1(role)});
        TDataModule1 &dm = db.dataModule();
        dm.Current_UserID = User;
        dm.openRoles(User);
        Session session(dm);

        std::unique_ptr<QWidget> form;
        QPushButton *exportButton = nullptr;
        if (window == QLatin1String("projects")) {
            auto *f = new TAssignmentMgtForm(session);
            form.reset(f);
            f->show();
            exportButton = f->btn_Export;
        } else if (window == QLatin1String("reconciliation")) {
            auto *f = new TReconciliationForm(session, {});
            form.reset(f);
            f->show();
            QEvent activate(QEvent::WindowActivate);
            QApplication::sendEvent(f, &activate);
            exportButton = f->btn_Export;
        } else if (window != QLatin1String("open")) {
            auto *f = new TInvoicesDetForm(session);
            form.reset(f);
            f->show();
            f->FormActivate();
            f->btn_InvoiceDetails->click();
            f->btn_FindUnChecked->click();
            exportButton = window == QLatin1String("invoices") ? f->btn_ExportToExcel : f->btn_ExportUnChecked;
        }
        QVERIFY2(m_recording->texts.isEmpty(), qPrintable(m_recording->texts.join(QLatin1Char('\n'))));

        const QString dbFile = c.params().database;
        const QString folder = QFileInfo(dbFile).absolutePath();
        TestDb::scalar(dm.ADOConnection1, QStringLiteral("Select Count(*) From Workers"));
        const Held before = held(dbFile);
        QVERIFY2(before.db > 0 && before.shm > 0,
                 qPrintable(QStringLiteral("db %1, shm %2").arg(before.db).arg(before.shm)));
        Held during;
        QString problem;
        bool asked = false;
        Dialogs::setAnswerer(showOnFolder(folder, &problem, [&](QFileDialog &) {
            asked = true;
            during = held(dbFile);
            return int(QDialog::Rejected);
        }));
        if (exportButton) {
            exportButton->click();
        } else {
            FileDialog::Request r;
            r.caption = QStringLiteral("Open");
            r.filter = QStringLiteral("Sheets (*.xlsx *.xls *.csv)");
            QVERIFY(FileDialog::getOpenFileName(nullptr, r).isEmpty());
        }
        QVERIFY(asked);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        const Held after = held(dbFile);
        QCOMPARE(during.db, before.db);
        QCOMPARE(during.shm, before.shm);
        QCOMPARE(after.db, before.db);
        QCOMPARE(after.shm, before.shm);
        QVERIFY2(m_recording->texts.isEmpty(), qPrintable(m_recording->texts.join(QLatin1Char('\n'))));
    }

    // The projects window exports into the database's folder through the real dialog while
    // tallimar-cli moves and checks a project on the same database; the window writes before
    // and after. The file stays whole and holds every row of both programs.
    void exportBesideAPassOnTheSameDatabase()
    {
        TestDb::Fresh db(QStringLiteral("SQLite"));
        Connection &c = db.connection();
        seedBase(c);
        for (const char *role : {"ProjectMgt", "ProjectListExport", "ClientAttChecker"})
            TestDb::exec(c, QStringLiteral("Insert Into UsersRoles (UserName, RoleName) Values (:U, :R)"),
                         {User, QString::fromLatin1(role)});
        const int workers = 300, days = 10;
        c.beginTrans();
        qint64 id = 0;
        for (int w = 1; w <= workers; ++w) {
            const QString no = QStringLiteral("E%1").arg(w, 4, 10, QLatin1Char('0'));
            worker(c, w, no);
            for (int d = 1; d <= days; ++d)
                ownRow(c, ++id, w, no, day(d), QStringLiteral("P"), 8);
        }
        c.commitTrans();
        TDataModule1 &dm = db.dataModule();
        dm.Current_UserID = User;
        dm.openRoles(User);
        Session session(dm);
        const QString addClient = QStringLiteral("Insert Into Clients (Client_Name) Values (:N)");
        TestDb::exec(dm.ADOConnection1, addClient, {QStringLiteral("Before the export")});

        TAssignmentMgtForm form(session);
        form.show();
        const QString dbFile = c.params().database;
        const QString folder = QFileInfo(dbFile).absolutePath();
        const QString exported = QDir(folder).filePath(QStringLiteral("projects.xls"));
        QString problem, cliOut;
        int cliExit = -1;
        Dialogs::setAnswerer(showOnFolder(folder, &problem, [&](QFileDialog &dialog) {
            // The pass runs while the dialog is up, as a colleague's would.
            QProcess cli;
            QString out;
            for (const char *command : {"move-all", "check-all"}) {
                cli.start(QStringLiteral(TALLIMAR_CLI_PATH),
                          {QStringLiteral("--ini"), db.iniPath(), QStringLiteral("--user"), User,
                           QString::fromLatin1(command), QStringLiteral("--project"), Project});
                if (!cli.waitForStarted(30000))
                    break;
                while (!cli.waitForFinished(20))
                    QCoreApplication::processEvents();
                cliOut += QString::fromUtf8(cli.readAllStandardOutput() + cli.readAllStandardError());
                cliExit = cli.exitCode();
                if (cliExit != 0)
                    break;
            }
            if (auto *name = dialog.findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
                name->setText(QFileInfo(exported).fileName());
            dialog.selectFile(exported);
            return int(QDialog::Accepted);
        }));
        form.btn_Export->click();
        Dialogs::setAnswerer({});
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        QVERIFY2(cliExit == 0, qPrintable(cliOut));
        QVERIFY2(m_recording->texts.isEmpty(), qPrintable(m_recording->texts.join(QLatin1Char('\n'))));
        QVERIFY(QFileInfo(exported).size() > 0);

        // The window's next edit, then the window's connections go.
        TestDb::exec(dm.ADOConnection1, addClient, {QStringLiteral("After the export")});
        form.close();
        dm.ADOConnection1.close();
        c.close();

        // An independent reader of the file.
        QProcess check;
        check.start(QStringLiteral("python3"),
                    {QStringLiteral("-c"),
                     QStringLiteral("import sqlite3,sys\n"
                                    "c=sqlite3.connect(sys.argv[1])\n"
                                    "print(c.execute('pragma integrity_check').fetchone()[0])\n"
                                    "for t in ('ClientTimeSheets','Invoices','Clients'):\n"
                                    "    print(c.execute('select count(*) from '+t).fetchone()[0])\n"
                                    "print(','.join(r[0] for r in c.execute('select Client_Name from Clients order by "
                                    "Client_Name')))\n"),
                     dbFile});
        QVERIFY(check.waitForFinished(60000));
        const QStringList lines = QString::fromUtf8(check.readAllStandardOutput() + check.readAllStandardError())
                                      .trimmed()
                                      .split(QLatin1Char('\n'));
        QCOMPARE(lines.value(0), QStringLiteral("ok"));
        QCOMPARE(lines.value(1).toInt(), workers * days);
        QCOMPARE(lines.value(2).toInt(), workers);
        QCOMPARE(lines.value(4), QStringLiteral("After the export,Before the export"));
    }
};

QTEST_MAIN(TestShellFileDialog)
#include "test_shell_filedialog.moc"
