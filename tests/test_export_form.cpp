// A window's "Export To Excel": the save dialog (answered in advance), refusals and failures
// as messages, and the file it leaves, read back with python3-xlrd or python3-openpyxl.

#include "ExportAction.h"
#include "FileDialog.h"
#include "MessageRecording.h"
#include "Messages.h"
#include "OpenpyxlReader.h"
#include "PassProgress.h"
#include "Query.h"
#include "TestDb.h"
#include "XlrdReader.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <optional>

namespace {
QStringList filesIn(const QString &dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
}

// Makes lastRequest() tell whether the next export asked for a file name.
void forgetLastRequest()
{
    FileDialog::Request r;
    r.caption = QStringLiteral("not asked");
    FileDialog::setNextFileName(QString());
    FileDialog::getSaveFileName(nullptr, r);
}
} // namespace

class TestExportForm : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QStringList m_notices;
    std::optional<MessageRecording> m_recording;
    std::unique_ptr<TestDb::Fresh> m_db;
    std::unique_ptr<Query> m_query;

    QString path(const QString &name) const { return m_dir.filePath(name); }

    // Records 1..n with an employee number and an Arabic name.
    Query &dataset(int n)
    {
        m_query = std::make_unique<Query>(
            m_db->connection(),
            QStringLiteral("WITH RECURSIVE c(N) AS (SELECT 1 UNION ALL SELECT N + 1 FROM c WHERE N < %1) "
                           "SELECT 'E' || N AS Employee_No, 'أحمد ' || N AS Employee_Name, N * 8 AS Hours FROM c")
                .arg(n));
        FieldDef no;
        no.name = QStringLiteral("Employee_No");
        no.displayLabel = QStringLiteral("Employee Number");
        m_query->defineField(no);
        m_query->open();
        return *m_query;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_db = std::make_unique<TestDb::Fresh>(QStringLiteral("SQLite"));
        m_recording.emplace();
    }
    void init()
    {
        m_recording.emplace();
        m_notices.clear();
        Messages::setNoticeRecorder([this](const QString &text) { m_notices << text; });
        forgetLastRequest();
    }
    void cleanup() { Messages::setNoticeRecorder({}); }
    void cleanupTestCase() { m_recording.reset(); }

    void savesUnderTheChosenNameWithTheDialogsSettings()
    {
        Query &q = dataset(3);
        const QString file = path(QStringLiteral("chosen.xls"));
        FileDialog::setNextFileName(file);
        q.setName(QStringLiteral("NotCheckedQ"));
        ExportAction::ExportToExcel(q, QStringLiteral("List Of Employees"), nullptr);

        const FileDialog::Request asked = FileDialog::lastRequest();
        QCOMPARE(asked.caption, QStringLiteral("Save Excel File As"));
        QCOMPARE(asked.fileName, QStringLiteral("List Of Employees.xls"));
        QCOMPARE(asked.filter, QStringLiteral("Excel 97-2003 Workbook (*.xls);;Excel Workbook (*.xlsx)"));
        QCOMPARE(asked.defaultSuffix, QStringLiteral("xls"));
        QCOMPARE(asked.confirmOverwrite, true);
        QVERIFY(m_recording->texts.isEmpty());
        QCOMPARE(m_notices, QStringList{QStringLiteral("3 rows saved to %1").arg(QDir::toNativeSeparators(file))});

        const QJsonObject book = XlrdDump::read(file);
        const QJsonObject s = XlrdDump::sheet(book);
        QCOMPARE(s.value("name").toString(), QStringLiteral("NotCheckedQ"));
        QCOMPARE(s.value("nrows").toInt(), 4);
        QCOMPARE(XlrdDump::value(s, 0, 0).toString(), QStringLiteral("Employee Number"));
        QCOMPARE(XlrdDump::value(s, 0, 1).toString(), QStringLiteral("Employee_Name"));
        QCOMPARE(XlrdDump::value(s, 3, 1).toString(), QStringLiteral("أحمد 3"));
        QCOMPARE(XlrdDump::value(s, 3, 2).toDouble(), 24.0);
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    void cancellingWritesNothing()
    {
        Query &q = dataset(3);
        const QStringList before = filesIn(m_dir.path());
        FileDialog::setNextFileName(QString());
        ExportAction::ExportToExcel(q, QStringLiteral("Invoice Details"), nullptr);
        QCOMPARE(FileDialog::lastRequest().caption, QStringLiteral("Save Excel File As"));
        QCOMPARE(filesIn(m_dir.path()), before);
        QVERIFY(m_recording->texts.isEmpty());
    }

    void theTypedSuffixElseTheFilterDecidesFormat_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("filter"); // empty: the first, as offered
        QTest::addColumn<QString>("saved");
        const QString xls = QStringLiteral("Excel 97-2003 Workbook (*.xls)");
        const QString xlsx = QStringLiteral("Excel Workbook (*.xlsx)");
        QTest::newRow("a name without extension gets .xls") << "typed" << QString() << "typed.xls";
        QTest::newRow("a name without extension gets .xlsx") << "typed" << xlsx << "typed.xlsx";
        QTest::newRow("the proposed .xls becomes .xlsx") << "Invoice Details.xls" << xlsx << "Invoice Details.xlsx";
        QTest::newRow("a typed .xlsx wins over the .xls type") << "list.xlsx" << xls << "list.xlsx";
        QTest::newRow("a typed .xls wins over the .xlsx type") << "dispute.xls" << xlsx << "dispute.xls";
        QTest::newRow("another suffix stays part of the name") << "report.2024" << xlsx << "report.2024.xlsx";
    }
    void theTypedSuffixElseTheFilterDecidesFormat()
    {
        QFETCH(QString, typed);
        QFETCH(QString, filter);
        QFETCH(QString, saved);
        const QStringList before = filesIn(m_dir.path());
        Query &q = dataset(2);
        q.setName(QStringLiteral("InvoiceQ"));
        FileDialog::setNextFileName(path(typed), filter);
        ExportAction::ExportToExcel(q, QStringLiteral("Invoice Details"), nullptr);
        QVERIFY(m_recording->texts.isEmpty());
        QStringList after = before + QStringList{saved}, actual = filesIn(m_dir.path());
        after.sort();
        actual.sort();
        QCOMPARE(actual, after);
        const QString file = path(saved);
        if (saved.endsWith(QLatin1String(".xlsx"))) {
            const QJsonObject s = OpenpyxlDump::sheet(OpenpyxlDump::read(file));
            QCOMPARE(s.value("name").toString(), QStringLiteral("InvoiceQ"));
            QCOMPARE(OpenpyxlDump::value(s, 2, 1).toString(), QStringLiteral("أحمد 2"));
        } else {
            const QJsonObject s = XlrdDump::sheet(XlrdDump::read(file));
            QCOMPARE(s.value("name").toString(), QStringLiteral("InvoiceQ"));
            QCOMPARE(XlrdDump::value(s, 2, 1).toString(), QStringLiteral("أحمد 2"));
        }
        QFile::remove(file);
    }

    // The real dialog: it opens where the last file went (the documents folder at first), asks
    // before replacing a file, and a name typed without suffix takes the chosen type's.
    void theDialogRemembersItsFolderAndAsksBeforeReplacing()
    {
        Query &q = dataset(2);
        QTemporaryDir elsewhere;
        FileDialog::setNextFileName(elsewhere.filePath(QStringLiteral("before.xls")));
        ExportAction::ExportToExcel(q, QStringLiteral("Dispute Case"), nullptr);
        const QString first = FileDialog::startFolder();
        QCOMPARE(first, elsewhere.path());
        const QString file = path(QStringLiteral("remembered.xls"));
        QStringList folders;
        QList<bool> asksFirst;
        QStringList suffixes;
        Dialogs::setAnswerer([&](QWidget &w) {
            auto *dialog = qobject_cast<QFileDialog *>(&w);
            if (!dialog)
                return int(QDialog::Rejected);
            folders << QDir(dialog->directory()).absolutePath();
            asksFirst << !dialog->testOption(QFileDialog::DontConfirmOverwrite);
            QMetaObject::invokeMethod(dialog, "filterSelected", Q_ARG(QString, ExportAction::XlsxFilter));
            suffixes << dialog->defaultSuffix();
            QMetaObject::invokeMethod(dialog, "filterSelected", Q_ARG(QString, ExportAction::XlsFilter));
            dialog->selectFile(file);
            return int(QDialog::Accepted);
        });
        ExportAction::ExportToExcel(q, QStringLiteral("Dispute Case"), nullptr);
        ExportAction::ExportToExcel(q, QStringLiteral("Dispute Case"), nullptr);
        Dialogs::setAnswerer({});
        QCOMPARE(folders, (QStringList{QDir(first).absolutePath(), QDir(m_dir.path()).absolutePath()}));
        QCOMPARE(asksFirst, (QList<bool>{true, true}));
        QCOMPARE(suffixes, (QStringList{"xlsx", "xlsx"}));
        QCOMPARE(FileDialog::startFolder(), m_dir.path());
        QVERIFY(QFileInfo::exists(file));
        // An open dialog without a proposed name opens in that folder, not on it in its parent.
        QString openedIn;
        Dialogs::setAnswerer([&](QWidget &w) {
            if (auto *dialog = qobject_cast<QFileDialog *>(&w))
                openedIn = QDir(dialog->directory()).absolutePath();
            return int(QDialog::Rejected);
        });
        FileDialog::Request open;
        open.caption = QStringLiteral("Import Client Sheet");
        QVERIFY(FileDialog::getOpenFileName(nullptr, open).isEmpty());
        Dialogs::setAnswerer({});
        QCOMPARE(openedIn, QDir(m_dir.path()).absolutePath());
        QVERIFY(m_recording->texts.isEmpty());
    }

    // A pre-answered name bypasses the dialog and its question: the file is replaced.
    void anExistingFileIsReplacedWithoutAQuestion()
    {
        const QString file = path(QStringLiteral("again.xls"));
        Query &q = dataset(2);
        FileDialog::setNextFileName(file);
        ExportAction::ExportToExcel(q, QStringLiteral("Dispute Case"), nullptr);
        Query &bigger = dataset(5);
        FileDialog::setNextFileName(file);
        ExportAction::ExportToExcel(bigger, QStringLiteral("Dispute Case"), nullptr);
        QVERIFY(m_recording->texts.isEmpty()); // no confirmation either
        QCOMPARE(XlrdDump::sheet(XlrdDump::read(file)).value("nrows").toInt(), 6);
    }

    void aListThatIsNotOpenIsRefusedBeforeTheDialog()
    {
        const QStringList before = filesIn(m_dir.path());
        Query &q = dataset(1);
        q.close();
        ExportAction::ExportToExcel(q, QStringLiteral("List Of Projects"), nullptr);
        QCOMPARE(m_recording->texts.size(), 1);
        QCOMPARE(m_recording->kinds.first(), Messages::Kind::Error);
        QCOMPARE(m_recording->texts.first(), QStringLiteral("Dataset is not active"));
        QCOMPARE(FileDialog::lastRequest().caption, QStringLiteral("not asked"));
        QCOMPARE(filesIn(m_dir.path()), before);
    }

    // A list longer than an .xls sheet: refused for .xls once chosen, saved as .xlsx.
    void theRowLimitIsTheChosenFormats()
    {
        const QStringList before = filesIn(m_dir.path());
        Query &q = dataset(65536);
        FileDialog::setNextFileName(path(QStringLiteral("long.xls")));
        ExportAction::ExportToExcel(q, QStringLiteral("Dispute Case"), nullptr);
        QCOMPARE(m_recording->texts,
                 QStringList{QStringLiteral("The maximum number of rows (65535) has been reached")});
        QCOMPARE(filesIn(m_dir.path()), before);

        m_recording.emplace();
        FileDialog::setNextFileName(path(QStringLiteral("long")), QStringLiteral("Excel Workbook (*.xlsx)"));
        ExportAction::ExportToExcel(q, QStringLiteral("Dispute Case"), nullptr);
        QVERIFY(m_recording->texts.isEmpty());
        const QJsonObject s = OpenpyxlDump::sheet(OpenpyxlDump::read(path(QStringLiteral("long.xlsx")), 2));
        QCOMPARE(s.value("nrows").toInt(), 65537);
        QFile::remove(path(QStringLiteral("long.xlsx")));
    }

    void aFailedSaveShowsOneMessageAndTheProgramGoesOn()
    {
        Query &q = dataset(3);
        const QString bad = path(QStringLiteral("missing folder/list.xls"));
        FileDialog::setNextFileName(bad);
        ExportAction::ExportToExcel(q, QStringLiteral("Invoice Details"), nullptr);
        QCOMPARE(m_recording->texts.size(), 1);
        QCOMPARE(m_recording->kinds.first(), Messages::Kind::Error);
        QVERIFY2(m_recording->texts.first().startsWith(
                     QStringLiteral("Cannot save \"%1\": ").arg(QDir::toNativeSeparators(bad))),
                 qPrintable(m_recording->texts.first()));
        QVERIFY(!QFileInfo::exists(QFileInfo(bad).path()));
        QVERIFY(!QGuiApplication::overrideCursor());

        const QString good = path(QStringLiteral("after failure.xls"));
        FileDialog::setNextFileName(good);
        ExportAction::ExportToExcel(q, QStringLiteral("Invoice Details"), nullptr);
        QCOMPARE(m_recording->texts.size(), 1);
        QCOMPARE(XlrdDump::sheet(XlrdDump::read(good)).value("nrows").toInt(), 4);
    }

    // A list over 2,000 rows shows rows done of all and the time; Cancel stops the writing,
    // keeps the file it would have replaced and says nothing. Without Cancel the file is whole.
    void aLongExportShowsProgressAndCanBeCancelled_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("name");
        QTest::newRow(".xls") << ExportAction::XlsFilter << "long.xls";
        QTest::newRow(".xlsx") << ExportAction::XlsxFilter << "long.xlsx";
    }
    void aLongExportShowsProgressAndCanBeCancelled()
    {
        QFETCH(QString, filter);
        QFETCH(QString, name);
        const QString file = path(name);
        QFile old(file);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("the older file");
        old.close();
        const QStringList before = filesIn(m_dir.path());
        Query &q = dataset(5000);
        QList<int> seen;
        QString shown;
        bool cancel = true;
        PassProgress::setTestHook([&](PassProgress &p, int done) {
            seen << done;
            shown = p.text();
            if (cancel && seen.size() == 2)
                p.cancel();
        });
        FileDialog::setNextFileName(file, filter);
        ExportAction::ExportToExcel(q, QStringLiteral("Invoice Details"), nullptr);
        QCOMPARE(seen.size(), 2);
        QVERIFY2(seen.first() > 0 && seen.last() > seen.first(), qPrintable(shown));
        QVERIFY2(shown.startsWith(QStringLiteral("%1 / 5000\nElapsed ").arg(seen.last())), qPrintable(shown));
        QVERIFY2(m_recording->texts.isEmpty(), qPrintable(m_recording->texts.join(QLatin1Char('\n'))));
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("the older file"));
        old.close();
        QCOMPARE(filesIn(m_dir.path()), before);

        cancel = false;
        seen.clear();
        FileDialog::setNextFileName(file, filter);
        ExportAction::ExportToExcel(q, QStringLiteral("Invoice Details"), nullptr);
        PassProgress::setTestHook({});
        QVERIFY(seen.size() > 2);
        const QJsonObject s = name.endsWith(QLatin1String(".xlsx")) ? OpenpyxlDump::sheet(OpenpyxlDump::read(file))
                                                                    : XlrdDump::sheet(XlrdDump::read(file));
        QCOMPARE(s.value("nrows").toInt(), 5001);
        QFile::remove(file);
    }

    void aShortExportShowsNoProgress()
    {
        int updates = 0;
        PassProgress::setTestHook([&updates](PassProgress &, int) { ++updates; });
        FileDialog::setNextFileName(path(QStringLiteral("short.xls")));
        ExportAction::ExportToExcel(dataset(2000), QStringLiteral("Invoice Details"), nullptr);
        PassProgress::setTestHook({});
        QCOMPARE(updates, 0);
        QCOMPARE(XlrdDump::sheet(XlrdDump::read(path(QStringLiteral("short.xls")))).value("nrows").toInt(), 2001);
        QFile::remove(path(QStringLiteral("short.xls")));
    }

    void theHourglassShowsAndTheWindowRepaintsWhileWriting()
    {
        Query &q = dataset(5000);
        FileDialog::setNextFileName(path(QStringLiteral("busy.xls")));
        int shapeWhileWriting = -1;
        // Runs only if the export lets pending events through.
        QTimer::singleShot(0, this, [&] {
            if (const QCursor *c = QGuiApplication::overrideCursor())
                shapeWhileWriting = c->shape();
        });
        ExportAction::ExportToExcel(q, QStringLiteral("Invoice Details"), nullptr);
        QCOMPARE(shapeWhileWriting, int(Qt::WaitCursor));
        QVERIFY(!QGuiApplication::overrideCursor());
        QVERIFY(m_recording->texts.isEmpty());
    }
};

QTEST_MAIN(TestExportForm)
#include "test_export_form.moc"
