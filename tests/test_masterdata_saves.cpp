// Saves through the clients, projects and rates windows: relocation, filters, refusals by the
// database, the shared client list and the project list's export.
#include "AssignmentDetForm.h"
#include "AssignmentMgtForm.h"
#include "ClientsDetForm.h"
#include "ClientsMgtForm.h"
#include "ClientsMoreDetailsForm.h"
#include "DesignationRateForm.h"
#include "FileDialog.h"
#include "MasterDataFixture.h"
#include "MessageRecording.h"
#include "ProjectsRatesForm.h"
#include "Rates.h"
#include "XlrdReader.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTableView>
#include <QTemporaryDir>

class TestMasterDataSaves : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        Dialogs::setUnansweredHandler([](const QString &what) { qWarning("unanswered %s", qPrintable(what)); });
    }

    void clientsRelocateAfterSaves_data() { TESTDB_ENGINE_ROWS(); }
    void clientsRelocateAfterSaves()
    {
        QFETCH(QString, engine);
        Env env(engine);
        env.client(QStringLiteral("ALPHA"));
        const qint64 charlie = env.client(QStringLiteral("CHARLIE"));
        MessageRecording messages;
        auto w = open<TClientsMgtForm>(env);

        // Add New moves to the new client.
        {
            Answering a([](QDialog &d) {
                auto &f = static_cast<TClientsDetForm &>(d);
                f.edt_Client_Name->setText(QStringLiteral("  BRAVO "));
                f.cb_Client_Kind->setCurrentIndex(1); // the longest kind, "Sister Company"
                f.cb_Client_Size->setCurrentIndex(0);
                f.cb_PaymentTerms->setCurrentIndex(0);
                f.btn_Confirm->click();
                return d.result();
            });
            w->btn_AddNew->click();
        }
        QCOMPARE(w->ClientsQ.asString(QStringLiteral("Client_Name")), QStringLiteral("BRAVO"));
        // The kind column is as wide as its texts: none is cut.
        QVERIFY(w->DBGrid1->columnWidth(2) >= static_cast<QAbstractItemView *>(w->DBGrid1)->sizeHintForColumn(2));

        // Modify renames and stays on the same Rec_ID, now first in name order.
        QVERIFY(w->ClientsQ.locate(QStringLiteral("Rec_ID"), charlie));
        {
            Answering a([](QDialog &d) {
                auto &f = static_cast<TClientsDetForm &>(d);
                IN_DIALOG(f.edt_Client_Name->text() == QStringLiteral("CHARLIE"));
                IN_DIALOG(f.cb_Client_Kind->currentText() == QStringLiteral("Normal Client"));
                f.edt_Client_Name->setText(QStringLiteral("AARDVARK"));
                f.btn_Confirm->click();
                return d.result();
            });
            w->btn_Modify->click();
        }
        QCOMPARE(w->ClientsQ.asInt64(QStringLiteral("Rec_ID")), charlie);
        QCOMPARE(w->ClientsQ.row(), 0);

        // More Details on a client never given contacts opens empty; the save stays on the row.
        QVERIFY(w->ClientsQ.locate(QStringLiteral("Client_Name"), QStringLiteral("BRAVO")));
        const qint64 bravo = w->ClientsQ.asInt64(QStringLiteral("Rec_ID"));
        {
            Answering a([](QDialog &d) {
                auto &f = static_cast<TClientsMoreDetailsForm &>(d);
                IN_DIALOG(f.edt_Manager_Name->text() == QString());
                f.edt_Finance_Manager_Name->setText(QStringLiteral("Noor"));
                f.btn_Confirm->click();
                return d.result();
            });
            Button1Click(w.get());
        }
        QCOMPARE(w->ClientsQ.asInt64(QStringLiteral("Rec_ID")), bravo);
        QCOMPARE(w->m_financeName->text(), QStringLiteral("Noor"));

        // An inactive client added while only active ones are listed is saved, not listed.
        w->chk_ShowActiveOnly->click();
        {
            Answering a([](QDialog &d) {
                auto &f = static_cast<TClientsDetForm &>(d);
                f.edt_Client_Name->setText(QStringLiteral("ZULU"));
                f.chk_isActive->setChecked(false);
                f.cb_Client_Kind->setCurrentIndex(2);
                f.cb_Client_Size->setCurrentIndex(2);
                f.cb_PaymentTerms->setCurrentIndex(2);
                f.btn_Confirm->click();
                return d.result();
            });
            w->btn_AddNew->click();
        }
        QVERIFY(!w->ClientsQ.locate(QStringLiteral("Client_Name"), QStringLiteral("ZULU")));
        QCOMPARE(w->ClientsQ.row(), 0);
        QCOMPARE(
            TestDb::scalar(env.c(), QStringLiteral("Select isActive From Clients Where Client_Name = 'ZULU'")).toInt(),
            0);
        QCOMPARE(messages.texts, QStringList());
    }

    void databaseRefusalRollsBack_data() { TESTDB_ENGINE_ROWS(); }
    void databaseRefusalRollsBack()
    {
        QFETCH(QString, engine);
        Env env(engine);
        env.client(QStringLiteral("ACME"));
        addRefusingTrigger(env, QStringLiteral("BOOM"));
        MessageRecording messages;
        auto w = open<TClientsMgtForm>(env);
        Answering a([](QDialog &d) {
            static_cast<TClientsDetForm &>(d).edt_Client_Name->setText(QStringLiteral("BOOM"));
            static_cast<TClientsDetForm &>(d).btn_Confirm->click();
            return d.result();
        });
        w->btn_Modify->click();
        QCOMPARE(messages.texts.size(), 1);
        QVERIFY2(messages.texts.first().startsWith(QStringLiteral("Something went wrong!\n\r")),
                 qPrintable(messages.texts.first()));
        QVERIFY2(messages.texts.first().contains(QStringLiteral("client name refused by trigger")),
                 qPrintable(messages.texts.first()));
        QVERIFY(!env.c().inTransaction());
        QCOMPARE(TestDb::scalar(env.c(), QStringLiteral("Select Client_Name From Clients")).toString(),
                 QStringLiteral("ACME"));
    }

    void projectsSaves_data() { TESTDB_ENGINE_ROWS(); }
    void projectsSaves()
    {
        QFETCH(QString, engine);
        Env env(engine);
        const qint64 acme = env.client(QStringLiteral("ACME"));
        env.project(QStringLiteral("HARBOUR"), acme, true, 10); // a stored WH above the dialog's range
        env.project(QStringLiteral("AIRPORT"), acme);
        MessageRecording messages;
        auto w = open<TAssignmentMgtForm>(env);
        QCOMPARE(w->AssignmentQ.recordCount(), 2);
        QCOMPARE(w->m_clientName->text(), QStringLiteral("ACME"));

        // A stored WH of 10 is loaded as 8 and saved as 8; the list stays on the project.
        QVERIFY(w->AssignmentQ.locate(QStringLiteral("Assignment"), QStringLiteral("HARBOUR")));
        const qint64 harbour = w->AssignmentQ.asInt64(QStringLiteral("Rec_ID"));
        {
            Answering a([](QDialog &d) {
                auto &f = static_cast<TAssignmentDetForm &>(d);
                IN_DIALOG(f.edt_WH->value() == 8);
                IN_DIALOG(f.edt_Assignment->isReadOnly());
                IN_DIALOG(f.cb_Clients->currentText() == QStringLiteral("ACME"));
                f.btn_Confirm->click();
                return d.result();
            });
            w->btn_ModifyClick();
        }
        QCOMPARE(w->AssignmentQ.asInt64(QStringLiteral("Rec_ID")), harbour);
        QCOMPARE(w->AssignmentQ.asInt(QStringLiteral("WH")), 8);

        // New moves to the new project; a name in use is refused by the database, plainly.
        auto newProject = [](const QString &name) {
            return [name](QDialog &d) {
                auto &f = static_cast<TAssignmentDetForm &>(d);
                f.cb_Clients->setCurrentIndex(0);
                f.edt_Assignment->setText(name);
                f.btn_Confirm->click();
                return d.result();
            };
        };
        {
            Answering a(newProject(QStringLiteral("METRO")));
            w->btn_New->click();
        }
        IN_DIALOG(w->AssignmentQ.asString(QStringLiteral("Assignment")) == QStringLiteral("METRO"));
        IN_DIALOG(messages.texts == QStringList());
        // No payment terms chosen is the empty text, as every other text left empty is.
        for (const char *project : {"METRO", "HARBOUR"})
            for (const char *column : {"Payment_Terms", "ERP_Account_No"}) {
                const QVariant v = TestDb::scalar(
                    env.c(), QStringLiteral("Select %1 From Assignments Where Assignment = :A").arg(column),
                    {QString::fromLatin1(project)});
                QVERIFY2(!v.isNull() && v.toString().isEmpty(), column);
            }
        {
            Answering a(newProject(QStringLiteral("HARBOUR")));
            w->btn_New->click();
        }
        IN_DIALOG(messages.texts.size() == 1);
        QVERIFY2(messages.texts.first().startsWith(QStringLiteral("Somthing went wrong!, Call System Admin\n\r")),
                 qPrintable(messages.texts.first()));
        QVERIFY2(messages.texts.first().contains(QStringLiteral("\"HARBOUR\" is already used")),
                 qPrintable(messages.texts.first()));
        IN_DIALOG(TestDb::scalar(env.c(), QStringLiteral("Select Count(*) From Assignments")).toInt() == 3);

        // Made inactive while only active projects are listed: gone, the list on its first row.
        w->chk_ShowActiveOnly->click();
        IN_DIALOG(w->showAll() == 0);
        IN_DIALOG(w->AssignmentQ.locate(QStringLiteral("Assignment"), QStringLiteral("METRO")));
        {
            Answering a([](QDialog &d) {
                static_cast<TAssignmentDetForm &>(d).chk_isActive->setChecked(false);
                static_cast<TAssignmentDetForm &>(d).btn_Confirm->click();
                return d.result();
            });
            w->btn_ModifyClick();
        }
        QVERIFY(!w->AssignmentQ.locate(QStringLiteral("Assignment"), QStringLiteral("METRO")));
        QCOMPARE(w->AssignmentQ.row(), 0);
        QCOMPARE(w->AssignmentQ.recordCount(), 2);
    }

    void searchOnEveryKeyRelease()
    {
        Env env(QStringLiteral("SQLite"));
        for (const char *n : {"AIRPORT", "MARINA", "METRO"})
            env.project(QString::fromLatin1(n));
        auto w = open<TAssignmentMgtForm>(env);
        QTest::keyClicks(w->edt_Search, QStringLiteral("ME"));
        QCOMPARE(w->AssignmentQ.asString(QStringLiteral("Assignment")), QStringLiteral("METRO"));
        QTest::keyClicks(w->edt_Search, QStringLiteral("x"));
        QCOMPARE(w->AssignmentQ.asString(QStringLiteral("Assignment")), QStringLiteral("METRO"));
        QTest::keyClick(w->edt_Search, Qt::Key_Backspace);
        QTest::keyClick(w->edt_Search, Qt::Key_Backspace);
        QCOMPARE(w->AssignmentQ.asString(QStringLiteral("Assignment")), QStringLiteral("MARINA"));
    }

    void renamedClientShowsAfterTheClientsWindowCloses_data() { TESTDB_ENGINE_ROWS(); }
    void renamedClientShowsAfterTheClientsWindowCloses()
    {
        QFETCH(QString, engine);
        Env env(engine);
        const qint64 id = env.client(QStringLiteral("OLD NAME"));
        env.project(QStringLiteral("HARBOUR"), id);
        {
            auto clients = open<TClientsMgtForm>(env);
            Answering a([](QDialog &d) {
                static_cast<TClientsDetForm &>(d).edt_Client_Name->setText(QStringLiteral("NEW NAME"));
                static_cast<TClientsDetForm &>(d).btn_Confirm->click();
                return d.result();
            });
            clients->btn_Modify->click();
            clients->btn_Close->click();
        }
        auto projects = open<TAssignmentMgtForm>(env);
        QCOMPARE(projects->m_clientName->text(), QStringLiteral("NEW NAME"));
    }

    void ratesFollowTheProject_data() { TESTDB_ENGINE_ROWS(); }
    void ratesFollowTheProject()
    {
        QFETCH(QString, engine);
        Env env(engine);
        env.project(QStringLiteral("AIRPORT"), 0, false);
        env.project(QStringLiteral("MARINA"));
        TestDb::exec(env.c(),
                     QStringLiteral("Insert Into SiteJobs (Rec_ID, Job_Site) Values (1, 'Mason'), (2, 'Welder')"));
        Rates::insert(env.c(), QStringLiteral("AIRPORT"), {QStringLiteral("Mason"), 1, 2, 3});
        Rates::insert(env.c(), QStringLiteral("MARINA"), {QStringLiteral("Welder"), 4, 5, 6});
        Rates::insert(env.c(), QStringLiteral("MARINA"), {QStringLiteral("Mason"), 7, 8, 9});
        MessageRecording messages;
        auto w = open<TProjectsRatesForm>(env);
        QCOMPARE(w->RatesQ.recordCount(), 1); // AIRPORT first
        w->chk_ShowActiveOnly->click();       // AIRPORT is inactive: MARINA's rates
        QCOMPARE(w->RatesQ.recordCount(), 2);
        QCOMPARE(w->RatesQ.asString(QStringLiteral("Assignment")), QStringLiteral("MARINA"));

        // Modify stays on the modified row; Add lands on the first row.
        w->RatesQ.setRow(1);
        const qint64 welder = w->RatesQ.asInt64(QStringLiteral("Rec_ID"));
        {
            Answering a([](QDialog &d) {
                auto &f = static_cast<TDesignationRateForm &>(d);
                IN_DIALOG(f.cb_Designation->currentText() == QStringLiteral("Welder"));
                f.edt_WH->setText(Rates::formatRate(4.5));
                f.btn_OK->click();
                return d.result();
            });
            w->btn_Modify->click();
        }
        QCOMPARE(w->RatesQ.asInt64(QStringLiteral("Rec_ID")), welder);
        QCOMPARE(w->RatesQ.asDouble(QStringLiteral("WH_Rate")), 4.5);
        // Rates are money: shown with two decimals.
        QCOMPARE(w->DBGrid2->model()->index(1, 1).data().toString(), QStringLiteral("4.50"));
        QCOMPARE(messages.texts, QStringList());
        // A second rate for a site job the project has is asked about first, and allowed on OK.
        const QString secondWelder = QStringLiteral(
            "A rate for Welder already exists in this project; the check uses the first one entered. Add another?");
        auto addWelder = [&] {
            Answering a([](QDialog &d) {
                auto &f = static_cast<TDesignationRateForm &>(d);
                IN_DIALOG(f.cb_Designation->currentIndex() == -1);
                f.cb_Designation->setCurrentIndex(1);
                f.btn_OK->click();
                return d.result();
            });
            w->btn_Add->click();
        };
        messages.answer = false;
        addWelder();
        QCOMPARE(messages.texts, QStringList{secondWelder});
        QCOMPARE(w->RatesQ.recordCount(), 2);
        messages.answer = true;
        addWelder();
        QCOMPARE(messages.texts, QStringList(2, secondWelder));
        QCOMPARE(w->RatesQ.recordCount(), 3);
        QCOMPARE(w->RatesQ.row(), 0);
        // Moving a rate onto a site job the project has asks the same.
        QVERIFY(w->RatesQ.locate(QStringLiteral("Site_Job"), QStringLiteral("Mason")));
        {
            Answering a([](QDialog &d) {
                auto &f = static_cast<TDesignationRateForm &>(d);
                f.cb_Designation->setCurrentIndex(1);
                f.btn_OK->click();
                return d.result();
            });
            messages.answer = false;
            w->btn_Modify->click();
        }
        QCOMPARE(messages.texts, QStringList(3, secondWelder));
        QCOMPARE(TestDb::scalar(env.c(), QStringLiteral("Select Count(*) From AssignmentsRates Where Site_Job = "
                                                        "'Mason' And Assignment = 'MARINA'"))
                     .toInt(),
                 1);
        messages.texts.clear();

        // Cancel in the delete confirmation keeps the rate; OK deletes it.
        messages.answer = false;
        w->btn_Delete->click();
        QCOMPARE(w->RatesQ.recordCount(), 3);
        messages.answer = true;
        w->btn_Delete->click();
        QCOMPARE(w->RatesQ.recordCount(), 2);
        QCOMPARE(messages.texts, QStringList(2, QStringLiteral("Do You Want To Delete This Designation Rate ?")));
    }

    void exportEqualsTheFilteredList_data() { TESTDB_ENGINE_ROWS(); }
    void exportEqualsTheFilteredList()
    {
        QFETCH(QString, engine);
        Env env(engine);
        const qint64 acme = env.client(QStringLiteral("ACME \"Gulf\""));
        env.project(QStringLiteral("AIRPORT"), acme, false);
        env.project(QStringLiteral("MARINA"), acme);
        env.project(QStringLiteral("METRO"), 0);
        MessageRecording messages;
        auto w = open<TAssignmentMgtForm>(env);
        w->chk_ShowActiveOnly->click();
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("projects.xls"));
        FileDialog::setNextFileName(path);
        w->btn_Export->click();
        QCOMPARE(messages.texts, QStringList());
        QCOMPARE(FileDialog::lastRequest().fileName, QStringLiteral("List Of Projects.xls"));
        const QJsonObject sheet = XlrdDump::sheet(XlrdDump::read(path));
        QCOMPARE(sheet.value(QStringLiteral("name")).toString(), QStringLiteral("AssignmentQ"));
        QCOMPARE(sheet.value(QStringLiteral("nrows")).toInt(), 3);
        int nameCol = -1, clientCol = -1;
        for (int c = 0; c < sheet.value(QStringLiteral("ncols")).toInt(); ++c) {
            const QString title = XlrdDump::value(sheet, 0, c).toString();
            if (title.compare(QLatin1String("Assignment"), Qt::CaseInsensitive) == 0)
                nameCol = c;
            if (title.compare(QLatin1String("Client_Name"), Qt::CaseInsensitive) == 0)
                clientCol = c;
        }
        QVERIFY(nameCol >= 0 && clientCol >= 0);
        QCOMPARE(XlrdDump::value(sheet, 1, nameCol).toString(), QStringLiteral("MARINA"));
        QCOMPARE(XlrdDump::value(sheet, 1, clientCol).toString(), QStringLiteral("ACME \"Gulf\""));
        QCOMPARE(XlrdDump::value(sheet, 2, nameCol).toString(), QStringLiteral("METRO"));
        QCOMPARE(XlrdDump::value(sheet, 2, clientCol).toString(), QString());
    }

private:
    static void Button1Click(TClientsMgtForm *w) { w->Button1->click(); }
};

QTEST_MAIN(TestMasterDataSaves)
#include "test_masterdata_saves.moc"
