// Invoice details and disputes on a 10,000-worker SQLite database: "Show Invoice Details" of a
// 5,000-line project to a drawn grid, the dispute list of a month with 3,000 disputed rows to
// drawn grids, and writing one edited invoice line.
#include "BenchUtil.h"
#include "DataModule1.h"
#include "DisputeMgtForm.h"
#include "Disputes.h"
#include "FrozenTableView.h"
#include "InvoiceEdit.h"
#include "InvoicesDetForm.h"
#include "LocalTime.h"
#include "Messages.h"
#include "Query.h"
#include "Schema.h"
#include "Session.h"
#include "Transaction.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <algorithm>

namespace {

const int Year = 2026;
const int Month = 3;
const int Workers = 10000;
const int Days = 30;
const int DisputedWorkers = 100; // x 30 days = 3,000 disputed rows

QString projectName(int w)
{
    return w <= Workers / 2 ? QStringLiteral("SITE01") : QStringLiteral("SITE02");
}
QString employeeNo(int w)
{
    return QStringLiteral("E%1").arg(w, 6, 10, QLatin1Char('0'));
}

void fill(Connection &c)
{
    Schema::create(c);
    Transaction t(c);
    Query cycle(c,
                QStringLiteral("Insert Into PayrollActiveCycle (Rec_ID, Cycle_Year, Cycle_Month) Values (1, :Y, :M)"));
    cycle.setParam(QStringLiteral("Y"), Year);
    cycle.setParam(QStringLiteral("M"), Month);
    cycle.exec();
    Query project(c, QStringLiteral("Insert Into Assignments (Assignment, isActive, Billable) Values (:A, 1, 1)"));
    for (const char *p : {"SITE01", "SITE02"}) {
        project.setParam(QStringLiteral("A"), QString::fromLatin1(p));
        project.exec();
    }
    Query own(c, QStringLiteral("Insert Into TimeSheets (Rec_ID, Col_Date, Col_Year, Col_Month, Col_Day, Ref_No, "
                                "Employee_No, Employee_Name, Assignment, OurJob, OurAtt_Code, OurAtt_Desc, Our_WH, "
                                "Our_OT, Our_HT) Values (:I, :D, :Y, :M, :Dd, :R, :E, 'Sam Worker', :A, 'Mason', 'P', "
                                "'Present', 8, 2, 0)"));
    Query client(c,
                 QStringLiteral("Insert Into ClientTimeSheets (Col_Date, Col_Year, Col_Month, Col_Day, Ref_No, "
                                "Employee_No, Employee_Name, Assignment, ClientJob, ClientAtt_Code, ClientAtt_Desc, "
                                "Client_WH, Client_OT, Client_HT, Entered_By, Checked, Dispute) Values (:D, :Y, :M, "
                                ":Dd, :R, :E, 'Sam Worker', :A, 'Mason', 'P', 'Present', 8, 1, 0, 'bench', 1, :Di)"));
    QStringList lineColumns{
        QStringLiteral("Col_Year"),         QStringLiteral("Col_Month"),       QStringLiteral("Assignment"),
        QStringLiteral("Ref_No"),           QStringLiteral("Employee_No"),     QStringLiteral("Employee_Name"),
        QStringLiteral("Our_Job"),          QStringLiteral("Client_Job"),      QStringLiteral("Days_Calander"),
        QStringLiteral("Days_Present"),     QStringLiteral("Earned_WH_Hours"), QStringLiteral("Earned_WH_Rate"),
        QStringLiteral("Earned_WH_Amount"), QStringLiteral("Earned_OT_Hours"), QStringLiteral("Earned_OT_Rate"),
        QStringLiteral("Earned_OT_Amount"), QStringLiteral("Earned_HT_Hours"), QStringLiteral("Earned_HT_Rate"),
        QStringLiteral("Earned_HT_Amount"), QStringLiteral("Earned_Total")};
    for (int d = 1; d <= 31; ++d) {
        const QString dd = QStringLiteral("%1").arg(d, 2, 10, QLatin1Char('0'));
        lineColumns << QStringLiteral("D%1_Code").arg(dd) << QStringLiteral("D%1_Hour").arg(dd);
    }
    QStringList params;
    for (const QString &col : lineColumns)
        params << QLatin1Char(':') + col;
    Query line(c, QStringLiteral("Insert Into Invoices (%1) Values (%2)")
                      .arg(lineColumns.join(QStringLiteral(", ")), params.join(QStringLiteral(", "))));
    qint64 id = 0;
    for (int w = 1; w <= Workers; ++w) {
        for (int d = 1; d <= Days; ++d) {
            const QDate date(Year, Month, d);
            for (Query *q : {&own, &client}) {
                q->setParam(QStringLiteral("D"), date);
                q->setParam(QStringLiteral("Y"), Year);
                q->setParam(QStringLiteral("M"), Month);
                q->setParam(QStringLiteral("Dd"), d);
                q->setParam(QStringLiteral("R"), w);
                q->setParam(QStringLiteral("E"), employeeNo(w));
                q->setParam(QStringLiteral("A"), projectName(w));
            }
            own.setParam(QStringLiteral("I"), ++id);
            client.setParam(QStringLiteral("Di"), w <= DisputedWorkers ? 1 : 0);
            own.exec();
            client.exec();
        }
        const QVariantList v{Year,
                             Month,
                             projectName(w),
                             w,
                             employeeNo(w),
                             QStringLiteral("Sam Worker"),
                             QStringLiteral("Mason"),
                             QStringLiteral("Mason"),
                             31,
                             Days,
                             Days * 8,
                             12.5,
                             Days * 8 * 12.5,
                             Days,
                             15.0,
                             Days * 15.0,
                             0,
                             20.0,
                             0.0,
                             Days * 8 * 12.5 + Days * 15.0};
        for (int i = 0; i < v.size(); ++i)
            line.setParam(lineColumns.at(i), v.at(i));
        for (int d = 1; d <= 31; ++d) {
            const QString dd = QStringLiteral("%1").arg(d, 2, 10, QLatin1Char('0'));
            line.setParam(QStringLiteral("D%1_Code").arg(dd), d <= Days ? QStringLiteral("P") : QStringLiteral("NA"));
            line.setParam(QStringLiteral("D%1_Hour").arg(dd),
                          d <= Days ? QStringLiteral("8,1,0") : QStringLiteral("NA"));
        }
        line.exec();
    }
    t.commit();
}

double median(QList<double> v)
{
    std::sort(v.begin(), v.end());
    return v.at(v.size() / 2);
}

} // namespace

int main(int argc, char *argv[])
{
    pinLocalTimeZone();
    QApplication app(argc, argv);
    Messages::setRecorder([](Messages::Kind, const QString &text) {
        QTextStream(stderr) << "message: " << text << '\n';
        return true;
    });
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("bench.db"));
    {
        Connection c(QStringLiteral("fill"));
        openSqlite(c, file, true);
        QElapsedTimer t;
        t.start();
        fill(c);
        printFigure("invoicing_fill_10000_workers", t.elapsed() / 1000.0, "s");
    }
    QFile ini(dir.filePath(QStringLiteral("Workers.ini")));
    if (!ini.open(QIODevice::WriteOnly))
        return 1;
    ini.write("[Database]\nEngine=SQLite\nCatalog=bench.db\n[ChoosenStyle]\nStyle=Lavender Classico\n");
    ini.close();
    TDataModule1 dm(dir.filePath(QStringLiteral("Workers.ini")));
    dm.DataModuleCreate();
    dm.Current_UserID = QStringLiteral("bench");
    Session session(dm);

    QList<double> show, disputes, saves, disputeQuery, invoiceQuery;
    {
        InvoiceEdit::InvoiceLines lines(session.connection());
        for (int i = 0; i < 5; ++i) {
            QElapsedTimer t;
            t.start();
            lines.open(Year, Month, QStringLiteral("SITE01"));
            invoiceQuery << t.nsecsElapsed() / 1e6;
        }
    }
    {
        Query q(session.connection());
        Disputes::prepareDisputeQ(q);
        for (int i = 0; i < 5; ++i) {
            QElapsedTimer t;
            t.start();
            Disputes::open(q, Year, Month);
            disputeQuery << t.nsecsElapsed() / 1e6;
        }
    }
    {
        TInvoicesDetForm f(session);
        f.resize(1280, 800);
        f.show();
        f.FormActivate();
        for (int i = 0; i < 5; ++i) {
            QElapsedTimer t;
            t.start();
            f.btn_InvoiceDetails->click();
            f.DBGrid2->viewport()->repaint();
            f.DBGrid2->frozenView()->viewport()->repaint();
            show << t.nsecsElapsed() / 1e6;
        }
        if (f.lines().lineCount() != Workers / 2)
            return 2;
        // One edited line written, as leaving its row does.
        InvoiceEdit::InvoiceLines &lines = f.lines();
        const int hours = lines.InvoiceQ.fieldIndex(QStringLiteral("Earned_OT_Hours"));
        for (int i = 0; i < 30; ++i) {
            QElapsedTimer t;
            t.start();
            lines.setValue(i * 100, hours, QString::number(10 + i));
            f.submitEdit();
            saves << t.nsecsElapsed() / 1e6;
        }
    }
    {
        TDisputeMgtForm f(session);
        f.show();
        f.FormActivate();
        for (int i = 0; i < 5; ++i) {
            QElapsedTimer t;
            t.start();
            f.btn_ShowEmployees->click();
            f.dbg_Client->viewport()->repaint();
            f.DBGrid1->viewport()->repaint();
            disputes << t.nsecsElapsed() / 1e6;
        }
        if (f.DisputeQ.recordCount() != DisputedWorkers * Days)
            return 3;
    }
    printFigure("show_invoice_details_5000_lines_drawn_median", median(show), "ms");
    printFigure("show_invoice_details_5000_lines_query_only_median", median(invoiceQuery), "ms");
    printFigure("dispute_list_3000_rows_drawn_median", median(disputes), "ms");
    printFigure("dispute_list_3000_rows_query_only_median", median(disputeQuery), "ms");
    printFigure("save_one_edited_invoice_line_median", median(saves), "ms");
    printFigure("save_one_edited_invoice_line_max", *std::max_element(saves.begin(), saves.end()), "ms");
    printFigure("peak_memory", peakMemoryMb(), "MB");
    return 0;
}
