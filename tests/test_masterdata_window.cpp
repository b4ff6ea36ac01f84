// The clients, projects and rates windows under offscreen Qt on a real database.
#include "AssignmentDetForm.h"
#include "AssignmentMgtForm.h"
#include "Clients.h"
#include "ClientsDetForm.h"
#include "ClientsMgtForm.h"
#include "ClientsMoreDetailsForm.h"
#include "DataModule1.h"
#include "DesignationRateForm.h"
#include "Dialogs.h"
#include "FileDialog.h"
#include "FormHelpers.h"
#include "MasterDataFixture.h"
#include "MessageRecording.h"
#include "Projects.h"
#include "ProjectsRatesForm.h"
#include "Rates.h"
#include "Roles.h"
#include "Session.h"
#include "ShellFixtures.h"
#include "TestDb.h"
#include "XlrdReader.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

class TestMasterDataWindow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        Dialogs::setUnansweredHandler([](const QString &what) { qWarning("unanswered %s", qPrintable(what)); });
    }

    void refusals_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QStringList>("roles");
        QTest::addColumn<QString>("message");
        const QString noClientAdd =
            QStringLiteral("You Do Not Have Authority To Add New Client\n\rPlease Call System Admin To Assist You");
        const QString noClientModify =
            QStringLiteral("You Do Not Have Authority To Modify Client\n\rPlease Call System Admin To Assist You");
        const QStringList clientsModifyOnly{Roles::ClientsMgt, Roles::ClientsModify};
        const QStringList clientsAddOnly{Roles::ClientsMgt, Roles::ClientsAddNew};
        const QStringList projectsOnly{Roles::ProjectMgt};
        QTest::newRow("Add New without ClientsAddNew") << "clients"
                                                       << "btn_AddNew" << clientsModifyOnly << noClientAdd;
        QTest::newRow("Modify without ClientsModify") << "clients"
                                                      << "btn_Modify" << clientsAddOnly << noClientModify;
        QTest::newRow("More Details without ClientsModify") << "clients"
                                                            << "Button1" << clientsAddOnly << noClientModify;
        QTest::newRow("client Modify on an empty list") << "clients"
                                                        << "btn_Modify" << clientsModifyOnly << "Nothing To Modify!";
        QTest::newRow("More Details on an empty list") << "clients"
                                                       << "Button1" << clientsModifyOnly << "Nothing To Modify!";
        QTest::newRow("New without ProjectAddNew")
            << "projects"
            << "btn_New" << projectsOnly
            << "You Do Not Have Authority To Add New Project\n\rPlease Call Revenue Department To Assist You";
        QTest::newRow("project Modify without ProjectModify, list empty")
            << "projects"
            << "btn_Modify" << projectsOnly
            << "You Do Not Have Authority To Modify Projects\n\rPlease Call Revenue Department To Assist You";
        QTest::newRow("project Modify on an empty list")
            << "projects"
            << "btn_Modify" << QStringList{Roles::ProjectMgt, Roles::ProjectModify} << "Nothing To Modify!";
        QTest::newRow("Export without ProjectListExport")
            << "projects"
            << "btn_Export" << projectsOnly
            << "You Do Not Have Authority To Export Projects\n\rPlease Call Revenue Department To Assist You";
        QTest::newRow("rate Add with no project")
            << "rates"
            << "btn_Add" << QStringList{Roles::ProjectRate} << "Please Choose A Project!";
        QTest::newRow("rate Modify with no rates")
            << "rates"
            << "btn_Modify" << QStringList{Roles::ProjectRate} << "Ther Are No Rates To Modify !";
        QTest::newRow("rate Delete with no rates")
            << "rates"
            << "btn_Delete" << QStringList{Roles::ProjectRate} << "Ther Are No Rates To Delete !";
    }
    void refusals()
    {
        QFETCH(QString, window);
        QFETCH(QString, button);
        QFETCH(QStringList, roles);
        QFETCH(QString, message);
        Env env(QStringLiteral("SQLite"), roles);
        MessageRecording messages;
        Answering answers([](QDialog &) { return int(QDialog::Rejected); });
        std::unique_ptr<QDialog> w;
        if (window == QLatin1String("clients"))
            w = open<TClientsMgtForm>(env);
        else if (window == QLatin1String("projects"))
            w = open<TAssignmentMgtForm>(env);
        else
            w = open<TProjectsRatesForm>(env);
        clickNamed(w.get(), button);
        QCOMPARE(messages.texts, QStringList{message});
        QCOMPARE(answers.dialogs, 0);
    }

    void clientDialogChecksInOrder_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("terms");
        QTest::addColumn<QString>("message");
        QTest::newRow("a name of blanks only, nothing chosen")
            << "   " << -1 << -1 << -1 << "Client name should not be blank!";
        QTest::newRow("no kind") << " ACME " << -1 << 0 << 0 << "Please choose client kind!";
        QTest::newRow("no size") << "ACME" << 1 << -1 << -1 << "Please choose client size!";
        QTest::newRow("no payment terms") << "ACME" << 1 << 2 << -1 << "Please choose client payment terms!";
        QTest::newRow("all given") << "ACME" << 0 << 0 << 6 << "";
    }
    void clientDialogChecksInOrder()
    {
        QFETCH(QString, name);
        QFETCH(int, kind);
        QFETCH(int, size);
        QFETCH(int, terms);
        QFETCH(QString, message);
        TClientsDetForm f;
        f.loadForNew();
        QVERIFY(f.chk_isActive->isChecked());
        f.edt_Client_Name->setText(name);
        f.cb_Client_Kind->setCurrentIndex(kind);
        f.cb_Client_Size->setCurrentIndex(size);
        f.cb_PaymentTerms->setCurrentIndex(terms);
        QCOMPARE(f.validate(), message);
        QCOMPARE(f.edt_Client_Name->text(), name.trimmed());
    }

    void projectDialogChecksInOrder_data()
    {
        QTest::addColumn<int>("client");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("billable");
        QTest::addColumn<int>("terms");
        QTest::addColumn<QString>("erp");
        QTest::addColumn<QString>("message");
        const QString n32(32, QLatin1Char('N'));
        QTest::newRow("no client and no name") << -1 << "" << true << -1 << ""
                                               << "Please Choose A Client!";
        QTest::newRow("a name of blanks only") << 0 << "    " << false << -1 << ""
                                               << "Project Name Should Not Be Empty!";
        QTest::newRow("33 characters after trimming") << 0 << " " + n32 + "X " << false << -1 << ""
                                                      << "Project Name Should Not Exceed 32 Characters!";
        QTest::newRow("32 characters with blanks around") << 0 << "  " + n32 + "  " << false << -1 << ""
                                                          << "";
        QTest::newRow("billable without payment terms") << 0 << "P" << true << -1 << "E1"
                                                        << "Please Choose Payment Terms!";
        QTest::newRow("billable with a blank ERP number") << 0 << "P" << true << 2 << "   "
                                                          << "Please Enter ERP Account Number!";
        QTest::newRow("not billable needs neither") << 0 << "P" << false << -1 << "   "
                                                    << "";
    }
    void projectDialogChecksInOrder()
    {
        QFETCH(int, client);
        QFETCH(QString, name);
        QFETCH(bool, billable);
        QFETCH(int, terms);
        QFETCH(QString, erp);
        QFETCH(QString, message);
        TAssignmentDetForm f;
        f.cb_Clients->addItem(QStringLiteral("ACME"), 1);
        f.loadForNew();
        QCOMPARE(f.edt_Map_Latitude->text(), QStringLiteral("25.5"));
        QCOMPARE(f.edt_Map_Longitude->text(), QStringLiteral("51.5"));
        QCOMPARE(f.edt_WH->value(), 8);
        QCOMPARE(f.edt_HT->value(), 10);
        f.cb_Clients->setCurrentIndex(client);
        f.edt_Assignment->setText(name);
        f.chk_Billable->setChecked(billable);
        f.cb_PaymentTerms->setCurrentIndex(terms);
        f.edt_ERPAccountNo->setText(erp);
        QCOMPARE(f.validate(), message);
        QCOMPARE(f.edt_Assignment->text(), name.trimmed());
    }

    void rateDialogChecksInOrder_data()
    {
        QTest::addColumn<int>("job");
        QTest::addColumn<QString>("wh");
        QTest::addColumn<QString>("ot");
        QTest::addColumn<QString>("ht");
        QTest::addColumn<QString>("message");
        QTest::newRow("no site job, whatever the rates") << -1 << "x"
                                                         << "y"
                                                         << "z"
                                                         << "Please Choose a Designations !";
        QTest::newRow("normal rate first") << 0 << "x"
                                           << "y"
                                           << "1"
                                           << "Normal Hour Rate, 'x' is not a valid floating point value";
        QTest::newRow("overtime rate") << 0 << "1"
                                       << "1,5"
                                       << "z"
                                       << "OverTime Rate, '1,5' is not a valid floating point value";
        QTest::newRow("holiday rate") << 0 << "1"
                                      << "2"
                                      << ""
                                      << "Holiday Hour Rate, '' is not a valid floating point value";
        QTest::newRow("infinity is no rate") << 0 << "inf"
                                             << "1"
                                             << "1"
                                             << "Normal Hour Rate, 'inf' is not a valid floating point value";
        QTest::newRow("not-a-number is no rate") << 0 << "1"
                                                 << "nan"
                                                 << "1"
                                                 << "OverTime Rate, 'nan' is not a valid floating point value";
        QTest::newRow("negative infinity is no rate")
            << 0 << "1"
            << "2"
            << "-inf"
            << "Holiday Hour Rate, '-inf' is not a valid floating point value";
        QTest::newRow("a rate beyond a double") << 0 << "1e400"
                                                << "1"
                                                << "1"
                                                << "Normal Hour Rate, '1e400' is not a valid floating point value";
        QTest::newRow("zero and negative pass") << 1 << "0"
                                                << "-1.5"
                                                << "2.25"
                                                << "";
    }
    void rateDialogChecksInOrder()
    {
        QFETCH(int, job);
        QFETCH(QString, wh);
        QFETCH(QString, ot);
        QFETCH(QString, ht);
        QFETCH(QString, message);
        const QLocale before;
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        TDesignationRateForm f;
        f.setSiteJobs({QStringLiteral("Mason"), QStringLiteral("Welder")});
        f.Selected_SiteJob = QStringLiteral("Gone Job"); // not in the list: nothing selected
        f.FormActivate();
        QCOMPARE(f.cb_Designation->currentIndex(), -1);
        QCOMPARE(f.edt_WH->text(), QStringLiteral("0"));
        f.cb_Designation->setCurrentIndex(job);
        f.edt_WH->setText(wh);
        f.edt_OT->setText(ot);
        f.edt_HT->setText(ht);
        const QString got = f.validate();
        QLocale::setDefault(before);
        QCOMPARE(got, message);
        if (message.isEmpty()) {
            QCOMPARE(f.Selected_SiteJob, QStringLiteral("Welder"));
            QCOMPARE(f.OT_Value, -1.5);
            QCOMPARE(f.HT_Value, 2.25);
        }
    }

    void aClearedSpinEditReadsAsZero_data()
    {
        QTest::addColumn<QString>("spin");
        QTest::newRow("working hours") << "edt_WH";
        QTest::newRow("overtime") << "edt_OT";
        QTest::newRow("holiday hours") << "edt_HT";
    }
    void aClearedSpinEditReadsAsZero()
    {
        QFETCH(QString, spin);
        TAssignmentDetForm f;
        Projects::Record stored;
        stored.wh = 6;
        stored.ot = 3;
        stored.ht = 9;
        f.load(stored);
        auto *edit = f.findChild<QSpinBox *>(spin)->findChild<QLineEdit *>();
        QVERIFY(edit);
        edit->clear();
        const Projects::Record r = f.record();
        QCOMPARE(r.wh, spin == QLatin1String("edt_WH") ? 0 : 6);
        QCOMPARE(r.ot, spin == QLatin1String("edt_OT") ? 0 : 3);
        QCOMPARE(r.ht, spin == QLatin1String("edt_HT") ? 0 : 9);
    }

    void editsAreLimitedToTheirColumns()
    {
        TClientsMoreDetailsForm more;
        QCOMPARE(more.edt_Manager_Mobile->maxLength(), 20);
        QCOMPARE(more.edt_Finance_Manager_Email->maxLength(), 50);
        QTest::keyClicks(more.edt_Manager_Mobile, QStringLiteral("55a-1"));
        QCOMPARE(more.edt_Manager_Mobile->text(), QStringLiteral("551"));
        more.load(Clients::Contacts{{}, {}, QStringLiteral("+974 55"), {}, {}, {}, {}, {}, {}, {}});
        QCOMPARE(more.contacts().managerMobile, QStringLiteral("+974 55"));
        TAssignmentDetForm project;
        project.mem_Remarks->setPlainText(QString(300, QLatin1Char('r')));
        QCOMPARE(project.mem_Remarks->toPlainText().size(), 255);
        QCOMPARE(project.edt_ProjectManagerMobile->maxLength(), 20);
        QCOMPARE(project.edt_Map_Latitude->maxLength(), 50);
        project.edt_WH->setValue(10);
        QCOMPARE(project.edt_WH->value(), 8);
    }

    // Long values show their beginning after loading, and a choice list is as wide as its
    // longest entry.
    void loadedValuesShowTheirStart()
    {
        const QString site = QStringLiteral("www.qatarharbour.example");
        TClientsDetForm client;
        Clients::MainData d;
        d.name = QStringLiteral("Harbour Works Of The Northern Coast And Sons Ltd");
        d.kind = QStringLiteral("Sister Company");
        d.webSite = site;
        client.load(d);
        QCOMPARE(client.edt_Web_Site->cursorPosition(), 0);
        QCOMPARE(client.edt_Client_Name->cursorPosition(), 0);
        QCOMPARE(client.cb_Client_Kind->sizeAdjustPolicy(), QComboBox::AdjustToContents);
        TClientsMoreDetailsForm more;
        more.load(Clients::Contacts{
            QStringLiteral("A Manager With A Very Long Name Indeed"), {}, {}, {}, {}, {}, {}, {}, {}, {}});
        QCOMPARE(more.edt_Manager_Name->cursorPosition(), 0);
        QLineEdit *shown = FormHelpers::readOnlyEdit(QStringLiteral("shown"), &more);
        shown->setText(site);
        QCOMPARE(shown->cursorPosition(), 0);
    }
};

QTEST_MAIN(TestMasterDataWindow)
#include "test_masterdata_window.moc"
