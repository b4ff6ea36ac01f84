// Clients, projects and rates windows on 500 clients, 2,000 projects and 20 rates per project
// (SQLite): opening each window to its drawn list, a key press in the project search, and a
// save with relocation in each window.
#include "AssignmentDetForm.h"
#include "AssignmentMgtForm.h"
#include "BenchUtil.h"
#include "ClientsDetForm.h"
#include "ClientsMgtForm.h"
#include "DataModule1.h"
#include "DesignationRateForm.h"
#include "Dialogs.h"
#include "Messages.h"
#include "ProjectsRatesForm.h"
#include "Query.h"
#include "Schema.h"
#include "Session.h"
#include "Transaction.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

namespace {
constexpr int Clients = 500, Projects = 2000, RatesPerProject = 20;

QString makeDb(const QString &dir)
{
    const QString file = dir + QStringLiteral("/masterdata.db");
    Connection c;
    openSqlite(c, file, true);
    Schema::create(c);
    Transaction t(c);
    Query client(c,
                 QStringLiteral("Insert Into Clients (Client_Name, Client_Kind, Client_Size, Payment_Terms, isActive) "
                                "Values (:N, 'Normal Client', 'Large Company', 'Net 30 Days', :A)"));
    for (int i = 0; i < Clients; ++i) {
        client.setParam(QStringLiteral("N"), QStringLiteral("Client %1").arg(i, 4, 10, QLatin1Char('0')));
        client.setParam(QStringLiteral("A"), i % 10 ? 1 : 0);
        client.exec();
    }
    Query project(c, QStringLiteral("Insert Into Assignments (Assignment, isActive, isProtected, Billable, WH, OT, HT, "
                                    "Client_ID, Project_Description, Payment_Terms, ERP_Account_No) "
                                    "Values (:N, :A, 0, 1, 8, 2, 10, :C, :D, 'Net 30 Days', :N)"));
    Query rate(c, QStringLiteral("Insert Into AssignmentsRates (Assignment, Site_Job, WH_Rate, OT_Rate, HT_Rate) "
                                 "Values (:A, :J, 10.5, 12.25, 15)"));
    Query job(c, QStringLiteral("Insert Into SiteJobs (Rec_ID, Job_Site) Values (:I, :J)"));
    for (int j = 0; j < RatesPerProject; ++j) {
        job.setParam(QStringLiteral("I"), j + 1);
        job.setParam(QStringLiteral("J"), QStringLiteral("Job %1").arg(j, 2, 10, QLatin1Char('0')));
        job.exec();
    }
    for (int i = 0; i < Projects; ++i) {
        const QString name = QStringLiteral("SITE %1").arg(i, 5, 10, QLatin1Char('0'));
        project.setParamAll(QStringLiteral("N"), name);
        project.setParam(QStringLiteral("A"), i % 7 ? 1 : 0);
        project.setParam(QStringLiteral("C"), i % Clients + 1);
        project.setParam(QStringLiteral("D"), QStringLiteral("Manpower supply for %1").arg(name));
        project.exec();
        for (int j = 0; j < RatesPerProject; ++j) {
            rate.setParam(QStringLiteral("A"), name);
            rate.setParam(QStringLiteral("J"), QStringLiteral("Job %1").arg(j, 2, 10, QLatin1Char('0')));
            rate.exec();
        }
    }
    Query role(c, QStringLiteral("Insert Into UsersRoles (UserName, RoleName) Values ('bench', :R)"));
    for (const char *r : {"ClientsModify", "ProjectModify"}) {
        role.setParam(QStringLiteral("R"), QString::fromLatin1(r));
        role.exec();
    }
    t.commit();
    return file;
}

QString iniFor(const QString &dir, const QString &db)
{
    const QString ini = dir + QStringLiteral("/Workers.ini");
    QFile f(ini);
    f.open(QIODevice::WriteOnly);
    f.write(QStringLiteral("[Database]\nEngine=SQLite\nCatalog=%1\n").arg(db).toUtf8());
    return ini;
}

// Mean milliseconds from creating the window to its first drawing.
template <class W> double openMs(Session &session, int times)
{
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < times; ++i) {
        W w(session);
        w.show();
        QCoreApplication::processEvents();
        w.repaint();
    }
    return t.nsecsElapsed() / 1e6 / times;
}

void keyRelease(QWidget *w, Qt::Key key, const QString &text)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &press);
    QApplication::sendEvent(w, &release);
}
} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Messages::setRecorder([](Messages::Kind, const QString &text) {
        QTextStream(stderr) << "message: " << text << "\n";
        return true;
    });
    QTemporaryDir dir;
    const QString db = makeDb(dir.path());
    TDataModule1 dm(iniFor(dir.path(), db));
    dm.DataModuleCreate();
    dm.Current_UserID = QStringLiteral("bench");
    dm.openRoles(dm.Current_UserID);
    Session session(dm);

    printFigure("clients_window_open_500_clients", openMs<TClientsMgtForm>(session, 10), "ms");
    printFigure("projects_window_open_2000_projects", openMs<TAssignmentMgtForm>(session, 10), "ms");
    printFigure("rates_window_open_2000_projects", openMs<TProjectsRatesForm>(session, 10), "ms");

    // Typing a project name into the search, one key at a time (the last projects: a full scan).
    {
        TProjectsRatesForm w(session);
        w.show();
        QCoreApplication::processEvents();
        const QString typed = QStringLiteral("SITE 01999");
        QElapsedTimer t;
        int keys = 0;
        t.start();
        for (int round = 0; round < 20; ++round) {
            w.edt_Search->clear();
            for (const QChar ch : typed) {
                keyRelease(w.edt_Search, Qt::Key_A, QString(ch));
                ++keys;
            }
        }
        printFigure("rates_search_key_press_2000_projects", t.nsecsElapsed() / 1e6 / keys, "ms");
        if (w.AssignmentQ.asString(QStringLiteral("Assignment")) != typed)
            QTextStream(stderr) << "search did not reach " << typed << "\n";
    }
    {
        TAssignmentMgtForm w(session);
        w.show();
        QCoreApplication::processEvents();
        QElapsedTimer t;
        t.start();
        for (int i = 0; i < 100; ++i)
            keyRelease(w.edt_Search, Qt::Key_S, QStringLiteral("S"));
        printFigure("projects_search_key_press_2000_projects", t.nsecsElapsed() / 1e6 / 100, "ms");
    }

    // Saves with relocation: the dialog confirmed as loaded.
    constexpr int Saves = 20;
    Dialogs::setAnswerer([](QWidget &w) {
        auto *d = qobject_cast<QDialog *>(&w);
        if (!d)
            return int(QDialog::Rejected);
        d->setResult(QDialog::Rejected);
        if (auto *f = qobject_cast<TAssignmentDetForm *>(d))
            f->btn_Confirm->click();
        else if (auto *f = qobject_cast<TClientsDetForm *>(d))
            f->btn_Confirm->click();
        else if (auto *f = qobject_cast<TDesignationRateForm *>(d))
            f->btn_OK->click();
        return d->result();
    });
    {
        TAssignmentMgtForm w(session);
        w.show();
        QCoreApplication::processEvents();
        QElapsedTimer t;
        t.start();
        for (int i = 0; i < Saves; ++i) {
            w.AssignmentQ.setRow(i * 97 % w.AssignmentQ.recordCount());
            w.btn_ModifyClick();
        }
        printFigure("projects_save_with_relocation", t.nsecsElapsed() / 1e6 / Saves, "ms");
    }
    {
        TClientsMgtForm w(session);
        w.show();
        QCoreApplication::processEvents();
        QElapsedTimer t;
        t.start();
        for (int i = 0; i < Saves; ++i) {
            w.ClientsQ.setRow(i * 23 % w.ClientsQ.recordCount());
            w.btn_ModifyClick();
        }
        printFigure("clients_save_with_relocation", t.nsecsElapsed() / 1e6 / Saves, "ms");
    }
    {
        TProjectsRatesForm w(session);
        w.show();
        QCoreApplication::processEvents();
        QElapsedTimer t;
        t.start();
        for (int i = 0; i < Saves; ++i) {
            w.RatesQ.setRow(i % w.RatesQ.recordCount());
            w.btn_ModifyClick();
        }
        printFigure("rates_save_with_relocation", t.nsecsElapsed() / 1e6 / Saves, "ms");
    }
    Dialogs::setAnswerer({});
    return 0;
}
