// The main window: login and roles, function panel, cycle picker, dashboard, menus.
#include "AboutApplicationForm.h"
#include "CategoryPanel.h"
#include "Dashboard.h"
#include "DataModule1.h"
#include "DatabaseCheckForm.h"
#include "Dialogs.h"
#include "MainForm.h"
#include "MessageRecording.h"
#include "Messages.h"
#include "ModuleTable.h"
#include "Roles.h"
#include "Session.h"
#include "ShellFixtures.h"
#include "TestDb.h"

#include <QApplication>
#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QDateEdit>
#include <QDesktopServices>
#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <chrono>
#include <future>
#include <optional>
#include <thread>

namespace {
const QStringList AllButtons = {
    QStringLiteral("btn_Func_ClientsManagement"), QStringLiteral("btn_Func_ProjectsManagement"),
    QStringLiteral("btn_Func_ProjectsRates"),     QStringLiteral("btn_Func_ClientAttendance"),
    QStringLiteral("btn_Func_DisputeManagement"), QStringLiteral("btn_Func_ClientAttendanceChecker"),
    QStringLiteral("btn_Func_InvoiceDetails")};

QStringList enabledButtons(const TMainForm &form)
{
    QStringList out;
    for (const QString &name : AllButtons) {
        auto *b = form.findChild<QPushButton *>(name);
        if (b && b->isEnabled())
            out << name;
    }
    return out;
}

QStringList categoriesOf(QBarSeries *series)
{
    for (QAbstractAxis *a : series->attachedAxes())
        if (auto *x = qobject_cast<QCategoryAxis *>(a)) {
            QStringList shown;
            for (const QString &l : x->categoriesLabels())
                if (!l.trimmed().isEmpty())
                    shown << l;
            return shown;
        }
    return {};
}

QList<qreal> valuesOf(QBarSeries *series)
{
    QList<qreal> out;
    for (QBarSet *set : series->barSets())
        for (int i = 0; i < set->count(); ++i)
            out << set->at(i);
    return out;
}

QColor colourOf(QBarSeries *series)
{
    return series->barSets().isEmpty() ? QColor() : series->barSets().first()->color();
}

// The seven function buttons as the program lays them out; only the named ones get a window
// (a plain dialog), the others stay without one.
ModuleTable table(const QStringList &withWindow = AllButtons)
{
    ModuleTable t;
    t.addCategory(QStringLiteral("CategoryPanel5"), QStringLiteral("Projects"));
    t.addCategory(QStringLiteral("CategoryPanel1"), QStringLiteral("Attendance"));
    t.addCategory(QStringLiteral("CategoryPanel4"), QStringLiteral("Invoices"));
    const struct
    {
        const char *category;
        int order;
        const char *name, *caption;
        QString role;
    } rows[] = {
        {"Projects", 10, "btn_Func_ClientsManagement", "Clients Management", Roles::ClientsMgt},
        {"Projects", 20, "btn_Func_ProjectsManagement", "Projects Management", Roles::ProjectMgt},
        {"Projects", 30, "btn_Func_ProjectsRates", "Projects Rates", Roles::ProjectRate},
        {"Attendance", 30, "btn_Func_ClientAttendanceChecker", "Client Attendance Checker", Roles::ClientAttChecker},
        {"Attendance", 10, "btn_Func_ClientAttendance", "Client Attendance", Roles::ClientAttCreater},
        {"Attendance", 20, "btn_Func_DisputeManagement", "Dispute Management", Roles::DisputeMgt},
        {"Invoices", 10, "btn_Func_InvoiceDetails", "Invoice Details", Roles::InvoiceDetails}};
    for (const auto &r : rows) {
        ModuleWindow w{QLatin1String(r.category), r.order, QLatin1String(r.name), QLatin1String(r.caption), r.role, {}};
        if (withWindow.contains(w.objectName))
            w.factory = [](QWidget *p, Session &) { return new QDialog(p); };
        t.add(w);
    }
    return t;
}

// A main window over a test database, its clock fixed.
struct Shell
{
    Shell(TDataModule1 &dm, const QStringList &args, const ModuleTable &modules = table(),
          const QDate &today = QDate(2024, 4, 20))
        : clock(today), session(dm, clock), form(session, modules, args)
    {
    }
    TestClock clock;
    Session session;
    TMainForm form;
};

QPushButton *button(const TMainForm &form, const char *name)
{
    return form.findChild<QPushButton *>(QLatin1String(name));
}
} // namespace

// Stands in for the desktop's browser.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QStringList urls;
public slots:
    void open(const QUrl &u) { urls << u.toString(QUrl::FullyEncoded); }
};

class TestShellMainForm : public QObject
{
    Q_OBJECT

    std::optional<MessageRecording> m_recording;

    // Shows the window and waits for the first activation's login.
    static bool showAndLogin(TMainForm &form)
    {
        QSignalSpy done(&form, &TMainForm::loginFinished);
        form.show();
        return done.wait(10000);
    }

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void init() { m_recording.emplace(); }
    void cleanup() { m_recording.reset(); }

    void login_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QStringList>("roles"); // of user "u1"
        QTest::addColumn<bool>("admitted");
        QTest::addColumn<QStringList>("enabled");
        const QString login = QStringLiteral("Login_Tallimar");
        const QStringList u1{QStringLiteral("u1"), QStringLiteral("secret")};
        QTest::newRow("no arguments: refused") << QStringList{} << QStringList{login} << false << QStringList{};
        QTest::newRow("a user without rows: refused")
            << QStringList{"ghost", "x"} << QStringList{login} << false << QStringList{};
        QTest::newRow("ClientsMgt without the login role: refused")
            << u1 << QStringList{"ClientsMgt"} << false << QStringList{};
        QTest::newRow("the login role only: dashboard, every button disabled")
            << u1 << QStringList{login} << true << QStringList{};
        QTest::newRow("a name that only begins with a role, or differs in case, does not count")
            << u1 << QStringList{login, "ClientsMgtX", "projectmgt", "Login_TallimarAdmin"} << true << QStringList{};
        QTest::newRow("a role name that only begins with the login role: refused")
            << u1 << QStringList{"Login_TallimarX", "ClientsMgt"} << false << QStringList{};
        const QList<std::pair<QString, QString>> functions = {{"ClientsMgt", "btn_Func_ClientsManagement"},
                                                              {"ProjectMgt", "btn_Func_ProjectsManagement"},
                                                              {"ProjectRate", "btn_Func_ProjectsRates"},
                                                              {"ClientAttCreater", "btn_Func_ClientAttendance"},
                                                              {"ClientAttChecker", "btn_Func_ClientAttendanceChecker"},
                                                              {"DisputeMgt", "btn_Func_DisputeManagement"},
                                                              {"InvoiceDetails", "btn_Func_InvoiceDetails"}};
        QStringList everyRole{login};
        for (const auto &[role, button] : functions) {
            QTest::newRow(qPrintable(role + QStringLiteral(" enables exactly its button")))
                << u1 << QStringList{login, role} << true << QStringList{button};
            everyRole << role;
        }
        QTest::newRow("every role enables all seven") << u1 << everyRole << true << AllButtons;
    }
    void login()
    {
        QFETCH(QStringList, args);
        QFETCH(QStringList, roles);
        QFETCH(bool, admitted);
        TestDb::Fresh db(QStringLiteral("SQLite"));
        ShellFixtures::grant(db.connection(), QStringLiteral("u1"), roles);
        TDataModule1 &dm = db.dataModule();
        Shell shell(dm, args);
        TMainForm &form = shell.form;
        QVERIFY(enabledButtons(form).isEmpty());
        QVERIFY(showAndLogin(form));

        QCOMPARE(dm.Current_UserID, args.value(0));
        QCOMPARE(dm.Current_Password, args.value(1));
        QCOMPARE(form.isAdmitted(), admitted);
        QCOMPARE(form.pnl_Body->isVisible(), admitted);
        QTEST(enabledButtons(form), "enabled");
        if (admitted) {
            QVERIFY(m_recording->texts.isEmpty());
            QVERIFY(form.isVisible());
        } else {
            QCOMPARE(m_recording->texts,
                     QStringList{QStringLiteral(
                         "You Do Not Have Permission To Login to Tallimar.\n\rPlease Contact System Administrator")});
            QVERIFY(!form.isVisible()); // the main window closed: the program ends
        }
        // Later activations do not log in again.
        form.FormActivate();
        QCOMPARE(m_recording->texts.size(), admitted ? 0 : 1);
    }

    void buttonWithoutWindowStaysDisabled()
    {
        TestDb::Fresh db(QStringLiteral("SQLite"));
        ShellFixtures::grant(db.connection(), QStringLiteral("u1"), {"Login_Tallimar", "ClientsMgt", "DisputeMgt"});
        Shell shell(db.dataModule(), {QStringLiteral("u1")}, table({QStringLiteral("btn_Func_DisputeManagement")}));
        TMainForm &form = shell.form;
        QVERIFY(showAndLogin(form));
        // ClientsMgt is held, but no window stands behind its button.
        QCOMPARE(enabledButtons(form), QStringList{QStringLiteral("btn_Func_DisputeManagement")});
    }

    void unreachableDatabaseAtLogin()
    {
        QTemporaryDir dir;
        const QString ini = dir.filePath(QStringLiteral("Workers.ini"));
        QFile f(ini);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[Database]\nEngine=SQLite\nCatalog=missing/none.db\n");
        f.close();
        TDataModule1 dm(ini);
        Shell shell(dm, {QStringLiteral("demo"), QStringLiteral("pw")});
        TMainForm &form = shell.form;
        QVERIFY(showAndLogin(form));
        QCOMPARE(m_recording->texts.size(), 1);
        QVERIFY(!m_recording->texts.first().contains(QStringLiteral("Permission")));
        QVERIFY(!form.pnl_Body->isVisible());
        QVERIFY(enabledButtons(form).isEmpty());
        QVERIFY(form.isVisible());
        form.FormActivate(); // not tried again
        QCOMPARE(m_recording->texts.size(), 1);
        form.Exit1->trigger();
        QVERIFY(!form.isVisible());
    }

    void accordion()
    {
        TestDb::Fresh db(QStringLiteral("SQLite"));
        Shell shell(db.dataModule(), {});
        TMainForm &form = shell.form;
        const QList<TCategoryPanel *> panels = form.pnl_Functions->panels();
        QCOMPARE(panels.size(), 3);
        QStringList captions;
        for (TCategoryPanel *p : panels) {
            captions << p->caption();
            QVERIFY(p->isCollapsed());
        }
        QCOMPARE(captions, (QStringList{"Projects", "Attendance", "Invoices"}));
        QCOMPARE(panels[0]->objectName(), QStringLiteral("CategoryPanel5"));
        QCOMPARE(panels[1]->objectName(), QStringLiteral("CategoryPanel1"));
        QCOMPARE(panels[2]->objectName(), QStringLiteral("CategoryPanel4"));
        // Buttons in the table's order within their category, whatever the order of registration.
        QStringList attendance;
        for (QPushButton *b : panels[1]->findChildren<QPushButton *>())
            attendance << b->objectName();
        QCOMPARE(attendance, (QStringList{"btn_Func_ClientAttendance", "btn_Func_DisputeManagement",
                                          "btn_Func_ClientAttendanceChecker"}));
        QCOMPARE(button(form, "btn_Func_ProjectsRates")->text(), QStringLiteral("Projects Rates"));
        form.show();

        TCategoryPanel *projects = form.categoryPanel(QStringLiteral("Projects"));
        TCategoryPanel *attendancePanel = form.categoryPanel(QStringLiteral("Attendance"));
        QTest::mouseClick(projects->header(), Qt::LeftButton);
        QVERIFY(!projects->isCollapsed());
        QVERIFY(button(form, "btn_Func_ProjectsRates")->isVisible());
        QTest::mouseClick(attendancePanel->header(), Qt::LeftButton);
        QVERIFY(projects->isCollapsed());
        QVERIFY(!attendancePanel->isCollapsed());
        QVERIFY(!button(form, "btn_Func_ProjectsRates")->isVisible());
        QVERIFY(button(form, "btn_Func_ClientAttendanceChecker")->isVisible());
        QVERIFY(form.categoryPanel(QStringLiteral("Invoices"))->isCollapsed());
        // Closing the open one leaves all closed.
        QTest::mouseClick(attendancePanel->header(), Qt::LeftButton);
        for (TCategoryPanel *p : panels)
            QVERIFY(p->isCollapsed());
    }

    void pickerDefault_data()
    {
        QTest::addColumn<QDate>("today");
        QTest::addColumn<QDate>("picked");
        QTest::newRow("31 March of a leap year gives 29 February") << QDate(2024, 3, 31) << QDate(2024, 2, 29);
        QTest::newRow("31 March gives 28 February") << QDate(2023, 3, 31) << QDate(2023, 2, 28);
        QTest::newRow("31 May gives 30 April") << QDate(2024, 5, 31) << QDate(2024, 4, 30);
        QTest::newRow("January gives December of the year before") << QDate(2025, 1, 15) << QDate(2024, 12, 15);
        QTest::newRow("far beyond 2021") << QDate(2031, 7, 1) << QDate(2031, 6, 1);
    }
    void pickerDefault()
    {
        QFETCH(QDate, today);
        QFETCH(QDate, picked);
        TestDb::Fresh db(QStringLiteral("SQLite"));
        ShellFixtures::grant(db.connection(), QStringLiteral("u1"), {QStringLiteral("Login_Tallimar")});
        Shell shell(db.dataModule(), {QStringLiteral("u1")}, table(), today);
        TMainForm &form = shell.form;
        form.FormActivate();
        QCOMPARE(form.dtp_Cycle->date().year(), picked.year());
        QCOMPARE(form.dtp_Cycle->date().month(), picked.month());
        QCOMPARE(form.dtp_Cycle->text(), picked.toString(QStringLiteral("MM/yyyy")));
        QCOMPARE(form.cycleYear(), picked.year());
        QCOMPARE(form.cycleMonth(), picked.month());
        QVERIFY(!form.dtp_Cycle->calendarPopup());
    }

    void pickerSteps()
    {
        TestDb::Fresh db(QStringLiteral("SQLite"));
        ShellFixtures::grant(db.connection(), QStringLiteral("u1"), {QStringLiteral("Login_Tallimar")});
        ShellFixtures::addRows(db.connection(), {QStringLiteral("own 2025-01-02 P 8 0 0")});
        Shell shell(db.dataModule(), {QStringLiteral("u1")}, table(), QDate(2025, 1, 10));
        TMainForm &form = shell.form;
        QVERIFY(showAndLogin(form));
        QCOMPARE(form.dtp_Cycle->text(), QStringLiteral("12/2024"));
        QCOMPARE(form.lbl_DeployedHours_Value->text(), QStringLiteral("0"));
        // The up arrow on the month crosses the year end and redraws the dashboard.
        form.dtp_Cycle->setCurrentSection(QDateTimeEdit::MonthSection);
        form.dtp_Cycle->stepBy(1);
        QCOMPARE(form.dtp_Cycle->text(), QStringLiteral("01/2025"));
        QCOMPARE(form.cycleYear(), 2025);
        QCOMPARE(form.lbl_DeployedHours_Value->text(), QStringLiteral("8"));
        // The range runs to the end of 2099.
        form.dtp_Cycle->setDate(QDate(2099, 12, 1));
        QCOMPARE(form.dtp_Cycle->text(), QStringLiteral("12/2099"));
        form.dtp_Cycle->setDate(QDate(1999, 12, 1));
        QCOMPARE(form.dtp_Cycle->text(), QStringLiteral("01/2000"));
    }

    void dashboard_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QStringList>("deployedDays");
        QTest::addColumn<QList<qreal>>("deployedValues");
        QTest::addColumn<QString>("deployedTotal");
        QTest::addColumn<QString>("billedTotal");
        QTest::addColumn<QColor>("billedColour");
        const QColor green(0, 128, 0), red(255, 0, 0);
        for (const QString &e : TestDb::engines()) {
            auto row = [&](const char *name) -> QTestData & {
                return QTest::newRow(qPrintable(e + QStringLiteral(": ") + QLatin1String(name)));
            };
            row("1234 deployed against 1230 billed")
                << e
                << QStringList{"own 2024-03-04 P 600 0 0", "own 2024-03-05 P 600 30 4", "client 2024-03-04 P 600 0 0",
                               "client 2024-03-06 P 630 0 0"}
                << QStringList{"04/03/2024", "05/03/2024"} << QList<qreal>{600, 634} << "1,234"
                << "1,230" << red;
            row("equal totals are green") << e << QStringList{"own 2024-03-04 P 8 0 0", "client 2024-03-05 H 0 0 8"}
                                          << QStringList{"04/03/2024"} << QList<qreal>{8} << "8"
                                          << "8" << green;
            row("an empty month: no bars, both 0, green")
                << e << QStringList{"own 2024-04-04 P 8 0 0"} << QStringList{} << QList<qreal>{} << "0"
                << "0" << green;
            row("a month of A rows: no deployed bars")
                << e << QStringList{"own 2024-03-04 A 8 0 0", "client 2024-03-04 P 8 0 0"} << QStringList{}
                << QList<qreal>{} << "0"
                << "8" << red;
        }
    }
    void dashboard()
    {
        QFETCH(QString, engine);
        QFETCH(QStringList, rows);
        QFETCH(QColor, billedColour);
        TestDb::Fresh db(engine);
        ShellFixtures::grant(db.connection(), QStringLiteral("u1"), {QStringLiteral("Login_Tallimar")});
        ShellFixtures::addRows(db.connection(), rows);
        QRandomGenerator random(7);
        Shell shell(db.dataModule(), {QStringLiteral("u1")});
        TMainForm &form = shell.form;
        form.setRandomGenerator(&random);
        QVERIFY(showAndLogin(form));
        QVERIFY(m_recording->texts.isEmpty());

        QTEST(categoriesOf(form.Series_HoursDeployed), "deployedDays");
        QTEST(valuesOf(form.Series_HoursDeployed), "deployedValues");
        QTEST(form.lbl_DeployedHours_Value->text(), "deployedTotal");
        QTEST(form.lbl_BilledHours_Value->text(), "billedTotal");
        QCOMPARE(form.lbl_BilledHours_Value->palette().color(QPalette::WindowText), billedColour);

        QChart *chart = form.chart_HoursDeployed->chart();
        QCOMPARE(chart->backgroundBrush().color(), QColor(Qt::white));
        QVERIFY(!chart->legend()->isVisible());
        QFETCH(QStringList, deployedDays);
        QCOMPARE(chart->title(), deployedDays.isEmpty() ? QStringLiteral("No attendance in 03/2024") : QString());
        QVERIFY(form.Series_HoursDeployed->isLabelsVisible());
        QCOMPARE(form.Series_HoursDeployed->labelsPosition(), QAbstractBarSeries::LabelsOutsideEnd);
        QCOMPARE(colourOf(form.Series_HoursBilled).alpha(), 191);
    }

    // A sum held up by another connection's lock ends at the dashboard's time-out with one clear
    // message instead of freezing the window; the next refresh works again.
    void dashboardTimesOutOnAHeldTable_data()
    {
        QTest::addColumn<QString>("table");
        QTest::newRow("own timesheets held: the deployed sums") << "TimeSheets";
        QTest::newRow("client attendance held: the billed sums") << "ClientTimeSheets";
    }
    void dashboardTimesOutOnAHeldTable()
    {
        QFETCH(QString, table);
        if (!TestDb::postgresAvailable())
            QSKIP("needs the PostgreSQL server of the test run");
        TestDb::Fresh db(QStringLiteral("PostgreSQL"));
        ShellFixtures::grant(db.connection(), QStringLiteral("u1"), {QStringLiteral("Login_Tallimar")});
        ShellFixtures::addRows(db.connection(), {"own 2024-03-04 P 8 0 0", "client 2024-03-04 P 8 0 0",
                                                 "own 2024-02-05 P 5 0 0", "client 2024-02-05 P 5 0 0"});
        Shell shell(db.dataModule(), {QStringLiteral("u1")});
        TMainForm &form = shell.form;
        QVERIFY(showAndLogin(form));
        QVERIFY(m_recording->texts.isEmpty());

        const int previous = CycleDashboard::timeoutMs();
        CycleDashboard::setTimeoutMs(2000);
        const auto restore = qScopeGuard([previous] { CycleDashboard::setTimeoutMs(previous); });
        // Another clerk's transaction holds the table; it gives up after 20 s at the latest.
        std::promise<void> held;
        std::promise<void> release;
        const ConnectionParams params = db.connection().params();
        std::thread holder([&, releaseFuture = release.get_future()]() mutable {
            Connection other;
            try {
                other.open(params);
                other.beginTrans();
                other.execDirect(QStringLiteral("LOCK TABLE %1 IN ACCESS EXCLUSIVE MODE").arg(table));
                held.set_value();
            } catch (...) {
                held.set_exception(std::current_exception());
                return;
            }
            releaseFuture.wait_for(std::chrono::seconds(20));
            other.rollbackTrans();
        });
        const auto join = qScopeGuard([&] {
            release.set_value();
            holder.join();
        });
        held.get_future().get();

        QElapsedTimer took;
        took.start();
        form.dtp_Cycle->setDate(QDate(2024, 2, 1));
        QVERIFY2(took.elapsed() < 15000, qPrintable(QString::number(took.elapsed())));
        QCOMPARE(m_recording->texts.size(), 1);
        QVERIFY2(m_recording->texts[0].startsWith(QStringLiteral(
                     "The hours of the cycle could not be read: the database did not answer within 2 seconds.")),
                 qPrintable(m_recording->texts[0]));
        QVERIFY2(m_recording->texts[0].contains(QStringLiteral("statement timeout")),
                 qPrintable(m_recording->texts[0]));

        // Once the table is free, the next refresh draws the month, with no message.
        release.set_value();
        holder.join();
        release = std::promise<void>();
        holder = std::thread([] {});
        form.dtp_Cycle->setDate(QDate(2024, 3, 1));
        QCOMPARE(m_recording->texts.size(), 1);
        QCOMPARE(form.lbl_DeployedHours_Value->text(), QStringLiteral("8"));
        QCOMPARE(form.lbl_BilledHours_Value->text(), QStringLiteral("8"));
    }

    void pickerChangeRedrawsWithNewColours()
    {
        TestDb::Fresh db(QStringLiteral("SQLite"));
        ShellFixtures::grant(db.connection(), QStringLiteral("u1"), {QStringLiteral("Login_Tallimar")});
        ShellFixtures::addRows(db.connection(),
                               {"own 2024-03-04 P 8 0 0", "own 2024-02-05 P 5 0 0", "client 2024-02-05 P 5 0 0"});
        QRandomGenerator random(11);
        Shell shell(db.dataModule(), {QStringLiteral("u1")});
        TMainForm &form = shell.form;
        form.setRandomGenerator(&random);
        QVERIFY(showAndLogin(form));
        const QColor before = colourOf(form.Series_HoursDeployed);
        QCOMPARE(categoriesOf(form.Series_HoursDeployed), QStringList{"04/03/2024"});
        form.dtp_Cycle->setDate(QDate(2024, 2, 1));
        QCOMPARE(categoriesOf(form.Series_HoursDeployed), QStringList{"05/02/2024"});
        QCOMPARE(form.lbl_DeployedHours_Value->text(), QStringLiteral("5"));
        QCOMPARE(form.lbl_BilledHours_Value->palette().color(QPalette::WindowText), QColor(0, 128, 0));
        QVERIFY(colourOf(form.Series_HoursDeployed) != before);
        QVERIFY(colourOf(form.Series_HoursDeployed) != colourOf(form.Series_HoursBilled));
        // From a month with bars to one without: no day labels of the month before are left.
        form.dtp_Cycle->setDate(QDate(2024, 1, 1));
        QVERIFY(categoriesOf(form.Series_HoursDeployed).isEmpty());
        QVERIFY(valuesOf(form.Series_HoursBilled).isEmpty());
        QCOMPARE(form.lbl_DeployedHours_Value->text(), QStringLiteral("0"));
    }

    // A narrow window thins the day labels (every n-th day, n odd) instead of cutting each to
    // "..."; a wide one shows every day.
    void dayLabelsThinWhenTheBarsAreNarrow()
    {
        TestDb::Fresh db(QStringLiteral("SQLite"));
        ShellFixtures::grant(db.connection(), QStringLiteral("u1"), {QStringLiteral("Login_Tallimar")});
        QStringList rows;
        for (int d = 1; d <= 31; ++d)
            rows << QStringLiteral("own 2024-03-%1 P 8 0 0").arg(d, 2, 10, QLatin1Char('0'));
        ShellFixtures::addRows(db.connection(), rows);
        Shell shell(db.dataModule(), {QStringLiteral("u1")});
        TMainForm &form = shell.form;
        form.resize(1400, 800);
        QVERIFY(showAndLogin(form));
        QTRY_COMPARE(categoriesOf(form.Series_HoursDeployed).size(), 31);
        form.resize(640, 600);
        QTRY_VERIFY(categoriesOf(form.Series_HoursDeployed).size() < 31);
        const QStringList shown = categoriesOf(form.Series_HoursDeployed);
        QVERIFY(shown.size() >= 3);
        // Evenly spaced days, each under its own bar: 31 / n labels of every n-th day.
        const int first = shown[0].left(2).toInt(), step = shown[1].left(2).toInt() - first;
        QVERIFY(step % 2 == 1 && step > 1);
        QCOMPARE(first, (step - 1) / 2 + 1);
        for (int i = 0; i < shown.size(); ++i)
            QCOMPARE(shown[i], QDate(2024, 3, first + i * step).toString(QStringLiteral("dd/MM/yyyy")));
        form.resize(1400, 800);
        QTRY_COMPARE(categoriesOf(form.Series_HoursDeployed).size(), 31);
    }

    void barColour_data()
    {
        QTest::addColumn<quint32>("draw");
        QTest::addColumn<QColor>("colour");
        QTest::newRow("low byte is red") << quint32(0x0000FF) << QColor(255, 0, 0, 191);
        QTest::newRow("third byte is blue") << quint32(0x800000) << QColor(0, 0, 128, 191);
        QTest::newRow("bits above 24 are dropped") << quint32(0x1F00FF00) << QColor(0, 255, 0, 191);
        QTest::newRow("near white is darkened to stay visible") << quint32(0xFFFFFF) << QColor::fromHsl(0, 0, 200, 191);
    }
    void barColour()
    {
        QFETCH(quint32, draw);
        QFETCH(QColor, colour);
        QCOMPARE(TMainForm::barColour(draw).rgba(), colour.rgba());
    }

    void moduleWindows()
    {
        TestDb::Fresh db(QStringLiteral("SQLite"));
        ShellFixtures::grant(db.connection(), QStringLiteral("u1"), {"Login_Tallimar", "ClientsMgt", "InvoiceDetails"});
        ShellFixtures::addRows(db.connection(), {"own 2024-03-04 P 8 0 0", "own 2024-02-05 P 5 0 0"});
        int created = 0;
        QList<QPointer<QWidget>> windows;
        ModuleTable modules = table({});
        ModuleWindow clients = modules.windowsOf(QStringLiteral("Projects")).first();
        clients.factory = [&](QWidget *p, Session &) {
            ++created;
            auto *d = new QDialog(p);
            windows << d;
            return d;
        };
        ModuleWindow invoices = modules.windowsOf(QStringLiteral("Invoices")).first();
        // A window that is not a dialog runs modally too.
        invoices.factory = [&](QWidget *p, Session &) {
            ++created;
            auto *w = new QWidget(p);
            windows << w;
            return w;
        };
        ModuleTable withWindows;
        for (const ModuleCategory &c : modules.categories())
            withWindows.addCategory(c.objectName, c.caption);
        withWindows.add(clients);
        withWindows.add(invoices);
        Shell shell(db.dataModule(), {QStringLiteral("u1")}, withWindows);
        TMainForm &form = shell.form;
        // Each window is run modally and closed at once; the main window is blocked meanwhile.
        QStringList modal;
        Dialogs::setAnswerer([&](QWidget &w) {
            modal << QString::fromLatin1(w.metaObject()->className());
            [&] {
                QCOMPARE(form.moduleWindow(), &w);
                QVERIFY(w.isWindow());
            }();
            return 0;
        });
        QVERIFY(showAndLogin(form));
        form.dtp_Cycle->setDate(QDate(2024, 2, 1));
        QCOMPARE(form.lbl_DeployedHours_Value->text(), QStringLiteral("5"));

        QTest::mouseClick(button(form, "btn_Func_ClientsManagement"), Qt::LeftButton);
        QTest::mouseClick(button(form, "btn_Func_ClientsManagement"), Qt::LeftButton);
        QTest::mouseClick(button(form, "btn_Func_InvoiceDetails"), Qt::LeftButton);
        Dialogs::setAnswerer({});
        QCOMPARE(created, 3); // a fresh window at each click
        QCOMPARE(modal, (QStringList{"QDialog", "QDialog", "QWidget"}));
        QVERIFY(!form.moduleWindow());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        for (const QPointer<QWidget> &w : windows)
            QVERIFY(w.isNull());
        // Back from a module window: the picker returns to a month before today and the charts
        // follow it, so that both show the same month.
        QCOMPARE(form.dtp_Cycle->text(), QStringLiteral("03/2024"));
        QCOMPARE(form.lbl_DeployedHours_Value->text(), QStringLiteral("8"));
        QCOMPARE(categoriesOf(form.Series_HoursDeployed), QStringList{"04/03/2024"});
        QVERIFY(m_recording->texts.isEmpty());
    }

    void menus()
    {
        TestDb::Fresh db(QStringLiteral("SQLite"));
        Shell shell(db.dataModule(), {});
        TMainForm &form = shell.form;
        QCOMPARE(form.windowTitle(), QStringLiteral("Velconi, a module of Orvessa System"));
        QCOMPARE(form.File1->title(), QStringLiteral("File"));
        QCOMPARE(form.Help1->title(), QStringLiteral("Help"));
        QStringList items;
        for (QAction *a : form.Help1->actions()) {
            items << (a->isSeparator() ? QStringLiteral("-") : a->text());
            QVERIFY(a->isSeparator() || !a->icon().isNull());
        }
        QCOMPARE(items, (QStringList{"How To", "Support", "Database Check...", "-", "About"}));

        UrlCatcher catcher;
        const QStringList &opened = catcher.urls;
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "open");
        form.Menu_HowTo->trigger();
        form.Menu_Support->trigger();
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        QCOMPARE(opened.size(), 2);
        QVERIFY(opened[0].endsWith(QStringLiteral("/support/solutions")));
        QVERIFY(opened[1].endsWith(QStringLiteral("/support/home")));
        QVERIFY(TMainForm::helpDeskUrl(QStringLiteral("/a\"b\"")).endsWith(QStringLiteral("/a%22b%22")));
        QVERIFY(m_recording->texts.isEmpty());
        // No browser: the menu says where the help is instead of doing nothing visible.
        form.setUrlOpener([](const QUrl &) { return false; });
        form.Menu_HowTo->trigger();
        QCOMPARE(m_recording->texts.size(), 1);
        QVERIFY2(m_recording->texts[0].startsWith(QStringLiteral("No web browser could be opened. The help is at ")) &&
                     m_recording->texts[0].endsWith(QStringLiteral("/support/solutions")),
                 qPrintable(m_recording->texts[0]));
        m_recording->texts.clear();

        bool seen = false;
        Dialogs::setAnswerer([&seen](QWidget &w) {
            auto *about = qobject_cast<TAboutApplicationForm *>(&w);
            if (!about)
                return 0;
            [&] {
                QCOMPARE(about->windowTitle(), QStringLiteral("About Tallima"));
                QCOMPARE(about->lbl_ProductName->text(), QStringLiteral("Tallimar, a module of Orvessa System"));
                QVERIFY(about->lbl_Version->text().startsWith(
                    QStringLiteral("Version %1 - Last Updated on ").arg(TDataModule1::GetAppVersionStr())));
                QVERIFY(about->OKButton->isDefault());
                seen = true;
            }();
            return 1;
        });
        form.show();
        form.About1->trigger();
        Dialogs::setAnswerer({});
        QVERIFY(seen);
        form.Exit1->trigger();
        QVERIFY(!form.isVisible());
    }

    // "Database Check..." shows db-check's report, also for a database the start-up would refuse.
    void databaseCheckShowsTheReport()
    {
        TestDb::Fresh db(QStringLiteral("SQLite"));
        Shell shell(db.dataModule(), {});
        db.connection().execDirect(QStringLiteral("DROP INDEX IX_Invoices_Month"));
        db.connection().execDirect(QStringLiteral("ALTER TABLE Workers DROP COLUMN Nationality"));
        QString shown;
        Dialogs::setAnswerer([&shown](QWidget &w) {
            if (auto *form = qobject_cast<TDatabaseCheckForm *>(&w))
                shown = form->mem_Report->toPlainText();
            return 1;
        });
        shell.form.Menu_DbCheck->trigger();
        Dialogs::setAnswerer({});
        QVERIFY(m_recording->texts.isEmpty());
        QVERIFY2(shown.contains(QLatin1String("Workers:\n  missing: column Nationality (text 100) is missing\n")),
                 qPrintable(shown));
        QVERIFY2(shown.contains(QLatin1String("CREATE INDEX IX_Invoices_Month ON Invoices (Col_Year, Col_Month, "
                                              "Assignment, Employee_No);")),
                 qPrintable(shown));
        QVERIFY(shown.contains(QLatin1String("PayrollActiveCycle:\n  missing: the table is empty")));
    }
};

QTEST_MAIN(TestShellMainForm)
#include "test_shell_mainform.moc"
