// "Import Client Sheet..." in the client attendance window: the file dialog, the mapping and
// preview dialog, Apply, and the loaded employee afterwards; real widgets, offscreen.
#include "AttendanceFixture.h"
#include "ClientAttendanceForm.h"
#include "ClientSheetImportForm.h"
#include "DataModule1.h"
#include "Dialogs.h"
#include "FileDialog.h"
#include "MessageRecording.h"
#include "PassProgress.h"
#include "Session.h"
#include "TestDb.h"

#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

using namespace AttFixture;

namespace {
struct Window
{
    TestDb::Fresh db;
    TestClock clock{Today};
    std::unique_ptr<Session> session;
    std::unique_ptr<TClientAttendanceForm> form;
    explicit Window(const QString &engine) : db(engine)
    {
        Connection &c = db.connection();
        seedBase(c);
        worker(c, 1, "E1");
        worker(c, 2, "E2", "Helper");
        for (int d = 1; d <= 5; ++d) {
            ownRow(c, d, 1, "E1", day(d), "P", 8);
            ownRow(c, 10 + d, 2, "E2", day(d), "P", 8, 0, 0, "Helper");
        }
        clientRow(c, 1, "E1", day(2), "P", 8, 0, 0, Project, 1, 1); // checked and disputed
        TDataModule1 &dm = db.dataModule();
        dm.Current_UserID = User;
        session = std::make_unique<Session>(dm, clock);
        form = std::make_unique<TClientAttendanceForm>(*session);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        form->cb_Project->setCurrentIndex(form->cb_Project->findText(Project));
        QTest::keyClicks(form->edt_SearchEmpNo, "E1");
        QTest::keyClick(form->edt_SearchEmpNo, Qt::Key_Return);
    }
};

QString writeSheet(const QString &dir, const QString &text)
{
    const QString p = dir + "/client.csv";
    QFile f(p);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(text.toUtf8());
    return p;
}
} // namespace

class TestClientImportWindow : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void previewThenApply_data() { TESTDB_ENGINE_ROWS(); }
    void previewThenApply()
    {
        QFETCH(QString, engine);
        MessageRecording rec;
        Window w(engine);
        QCOMPARE(w.form->attendance().ClientAttHistory.recordCount(), 1);
        const QString path = writeSheet(m_dir.path(), "Emp No,Date,Code,Normal,OT\n"
                                                      "E1,01/03/2026,P,8,0\n"
                                                      "E1,02/03/2026,P,10,0\n"
                                                      "E1,03/03/2026,P,8,1\n"
                                                      "E9,03/03/2026,P,8,0\n");
        FileDialog::setNextFileName(path);
        bool previewSeen = false;
        Dialogs::setAnswerer([&](QWidget &window) {
            auto *form = qobject_cast<TClientSheetImportForm *>(&window);
            if (!form)
                return 0;
            previewSeen = true;
            QAbstractItemModelTester tester(form->dbg_Preview->model());
            QAbstractItemModel *m = form->dbg_Preview->model();
            [&] {
                QCOMPARE(form->lbl_Counts->text(), QStringLiteral("2 new, 1 changed, 0 unchanged, 1 refused"));
                QCOMPARE(form->lbl_CheckLost->text(), QStringLiteral("Checked days that would lose their check: 1"));
                QCOMPARE(m->rowCount(), 4);
                QCOMPARE(m->data(m->index(1, 6)).toString(), QStringLiteral("Changed"));
                QCOMPARE(m->data(m->index(1, 9)).toInt(), 10);
                QCOMPARE(m->data(m->index(1, 15)).toInt(), 8);
                QCOMPARE(m->data(m->index(1, 19)).toString(), QStringLiteral("Yes"));
                QCOMPARE(m->data(m->index(3, 7)).toString(), QStringLiteral("Employee number unknown"));
                QCOMPARE(form->cb_Fields[int(ClientSheet::Field::Normal)]->currentText(), QStringLiteral("D: Normal"));
            }();
            QTest::mouseClick(form->btn_Apply, Qt::LeftButton);
            return form->QDialog::result() == QDialog::Accepted ? int(QDialog::Accepted) : 0;
        });
        QTest::mouseClick(w.form->btn_ImportClientSheet, Qt::LeftButton);
        Dialogs::setAnswerer({});
        QVERIFY(previewSeen);
        QCOMPARE(FileDialog::lastRequest().caption, QStringLiteral("Import Client Sheet"));
        QCOMPARE(rec.texts, QStringList({"Checked days that would lose their check: 1. Apply?",
                                         "Imported: 2 new, 1 changed, 0 unchanged, 1 refused"}));
        // The loaded employee shows the new days.
        QCOMPARE(w.form->attendance().ClientAttHistory.recordCount(), 3);
        QCOMPARE(
            TestDb::scalar(w.db.connection(), "Select Checked + 10 * Dispute From ClientTimeSheets Where Col_Day = 2")
                .toInt(),
            10);
    }

    void aChangedMappingIsReadAgain()
    {
        MessageRecording rec;
        Window w(QStringLiteral("SQLite"));
        const QString path = writeSheet(m_dir.path(), "Emp No,Date,Code,Normal,Hours\nE2,01/03/2026,P,8,10\n");
        TClientSheetImportForm form(*w.session, Project, Year, Month, path);
        QVERIFY(form.readSheet());
        QCOMPARE(form.preview().rows.at(0).sheet.wh, 8);
        QComboBox *normal = form.cb_Fields[int(ClientSheet::Field::Normal)];
        normal->setCurrentIndex(normal->findText(QStringLiteral("E: Hours")));
        QTest::mouseClick(form.btn_ReadAgain, Qt::LeftButton);
        QCOMPARE(form.preview().rows.at(0).sheet.wh, 10);
        QCOMPARE(normal->currentText(), QStringLiteral("E: Hours"));
        // Refusing the confirmation writes nothing; cancelling the file dialog does nothing.
        FileDialog::setNextFileName(m_dir.filePath("preview.xlsx"));
        QTest::mouseClick(form.btn_SavePreview, Qt::LeftButton);
        QVERIFY(QFile::exists(m_dir.filePath("preview.xlsx")));
        QVERIFY(rec.texts.isEmpty());
    }

    void aSheetThatCannotBeReadSaysWhyAndOpensNothing()
    {
        MessageRecording rec;
        Window w(QStringLiteral("SQLite"));
        const QString path = writeSheet(m_dir.path(), "Worker,When\nE1,01/03/2026\n");
        FileDialog::setNextFileName(path);
        Dialogs::setAnswerer([](QWidget &) -> int {
            qFatal("no dialog expected");
            return 0;
        });
        QTest::mouseClick(w.form->btn_ImportClientSheet, Qt::LeftButton);
        Dialogs::setAnswerer({});
        QCOMPARE(rec.texts.size(), 1);
        QVERIFY2(rec.texts.first().startsWith("No sheet has a recognisable header row"), qPrintable(rec.texts.first()));
        QCOMPARE(TestDb::scalar(w.db.connection(), "Select Count(*) From ClientTimeSheets").toInt(), 1);
    }

    void aLargeApplyShowsProgressAndCancelRollsBack()
    {
        MessageRecording rec;
        Window w(QStringLiteral("SQLite"));
        Connection &c = w.db.connection();
        QString text = "Emp No,Date,Code,Normal\n";
        c.beginTrans();
        for (int i = 0; i < 70; ++i) {
            const QString no = QStringLiteral("W%1").arg(i);
            worker(c, 100 + i, no);
            ownRow(c, 1000 + i, 100 + i, no, day(1), "P", 8);
            for (int d = 1; d <= 31; ++d)
                text += QStringLiteral("%1,%2/03/2026,P,8\n").arg(no).arg(d);
        }
        c.commitTrans();
        TClientSheetImportForm form(*w.session, Project, Year, Month, writeSheet(m_dir.path(), text));
        QVERIFY(form.readSheet());
        QCOMPARE(form.preview().accepted(), 2170);
        PassProgress::setTestHook([](PassProgress &p, int done) {
            if (done >= 1000)
                p.cancel();
        });
        QVERIFY(!form.applyPreview());
        PassProgress::setTestHook({});
        QCOMPARE(rec.texts, QStringList({"Import cancelled: nothing was written"}));
        QCOMPARE(TestDb::scalar(c, "Select Count(*) From ClientTimeSheets").toInt(), 1);
        QVERIFY(form.btn_Apply->isEnabled());
    }
};

QTEST_MAIN(TestClientImportWindow)
#include "test_client_import_window.moc"
