// Services the module windows share: active cycle, busy window, audit popup, version line, themes.
#include "AppInfo.h"
#include "AuditForm.h"
#include "DataModule1.h"
#include "DbError.h"
#include "Dialogs.h"
#include "FetchingDataForm.h"
#include "GridCopy.h"
#include "MessageRecording.h"
#include "Messages.h"
#include "Query.h"
#include "QueryTableModel.h"
#include "ScreenServices.h"
#include "Session.h"
#include "TestDb.h"
#include "Themes.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTableView>
#include <QTest>
#include <optional>
#include <stdexcept>

class TestShellServices : public QObject
{
    Q_OBJECT

    std::optional<MessageRecording> m_recording;

    static void flushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

private slots:
    void init() { m_recording.emplace(); }
    void cleanup() { m_recording.reset(); }

    void activeCycle_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QVariantList>("cycleRow"); // year, month; empty: no row
        QTest::addColumn<QDate>("expected");        // invalid: the failure is shown
        for (const QString &e : TestDb::engines()) {
            auto row = [&](const char *name) -> QTestData & {
                return QTest::newRow(qPrintable(e + QStringLiteral(": ") + QLatin1String(name)));
            };
            row("the first day of the active month") << e << QVariantList{2024, 2} << QDate(2024, 2, 1);
            row("an empty table stops the window") << e << QVariantList{} << QDate();
            row("month 13 stops the window") << e << QVariantList{2024, 13} << QDate();
            row("a null year stops the window") << e << QVariantList{QVariant(), 5} << QDate();
        }
    }
    void activeCycle()
    {
        QFETCH(QString, engine);
        QFETCH(QVariantList, cycleRow);
        QFETCH(QDate, expected);
        TestDb::Fresh db(engine);
        if (!cycleRow.isEmpty())
            TestDb::exec(
                db.connection(),
                QStringLiteral("Insert Into PayrollActiveCycle (Rec_ID, Cycle_Year, Cycle_Month) Values (1, :Y, :M)"),
                {cycleRow.value(0).isNull() ? QVariant(QMetaType::fromType<int>()) : cycleRow.value(0),
                 cycleRow.value(1)});
        Session session(db.dataModule());
        if (expected.isValid()) {
            QCOMPARE(GetActiveCycle(session), expected);
            // Read once per run: a later change of the table does not move windows opened afterwards.
            TestDb::exec(db.connection(), QStringLiteral("Update PayrollActiveCycle Set Cycle_Month = 7"));
            QCOMPARE(GetActiveCycle(session), expected);
        } else {
            QVERIFY_THROWS_EXCEPTION(DbError, GetActiveCycle(session));
            try {
                GetActiveCycle(session);
            } catch (const DbError &e) {
                QCOMPARE(e.message(), QStringLiteral("Invalid argument to date encode"));
            }
        }
    }

    void activeCycleUnreachable()
    {
        QTemporaryDir dir;
        const QString ini = dir.filePath(QStringLiteral("Workers.ini"));
        QFile f(ini);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[Database]\nEngine=SQLite\nCatalog=missing/none.db\n");
        f.close();
        TDataModule1 dm(ini);
        Session session(dm);
        QVERIFY_THROWS_EXCEPTION(DbError, GetActiveCycle(session));
    }

    // A failing action shows one message in the window's words and leaves no busy window; the
    // same for a failure inside a pass that holds the busy window, which stays up afterwards.
    void windowAction()
    {
        QWidget owner;
        owner.show();
        SandGlass busy(&owner);
        QVERIFY(runWindowAction(&owner, &busy, [] {}));
        QVERIFY(!runWindowAction(
            &owner, &busy, [] { throw DbError(QStringLiteral("gone")); },
            [](const DbError &e) { return QStringLiteral("Somthing went wrong!, ") + e.message(); }));
        QCOMPARE(m_recording->texts, QStringList{"Somthing went wrong!, gone"});
        QVERIFY(!busy.isShown());
        busy.ShowSandGlass();
        bool shownDuringMessage = true;
        Messages::setRecorder([&](Messages::Kind, const QString &) {
            shownDuringMessage = busy.isShown();
            return true;
        });
        QVERIFY(!runWindowAction(&owner, &busy, [] { throw DbError(QStringLiteral("one worker")); }));
        QVERIFY(!shownDuringMessage);
        QVERIFY(busy.isShown());
        busy.HideSandGlass();
    }

    // Whatever an action throws is shown once, in the window's words, and the busy window goes;
    // the same for activation work.
    void windowActionAnyFailure_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("expected");
        QTest::newRow("a database error") << 0 << "Somthing went wrong!, gone";
        QTest::newRow("a standard exception") << 1 << "Somthing went wrong!, bad value";
        QTest::newRow("a standard exception without text") << 2 << "Somthing went wrong!, Unknown error";
        QTest::newRow("an exception of no standard type") << 3 << "Somthing went wrong!, Unknown error";
    }
    void windowActionAnyFailure()
    {
        QFETCH(int, kind);
        QFETCH(QString, expected);
        struct NotStandard
        {
        };
        const auto thrower = [kind] {
            switch (kind) {
            case 0:
                throw DbError(QStringLiteral("gone"));
            case 1:
                throw std::runtime_error("bad value");
            case 2:
                throw std::runtime_error("");
            default:
                throw NotStandard{};
            }
        };
        QWidget owner;
        owner.show();
        SandGlass busy(&owner);
        bool shownDuringMessage = true;
        QStringList texts;
        Messages::setRecorder([&](Messages::Kind, const QString &text) {
            shownDuringMessage = busy.isShown();
            texts << text;
            return true;
        });
        QVERIFY(!runWindowAction(&owner, &busy, thrower, [](const DbError &e) {
            return QStringLiteral("Somthing went wrong!, ") + e.message();
        }));
        QCOMPARE(texts, QStringList{expected});
        QVERIFY(!shownDuringMessage);
        QVERIFY(!busy.isShown());
        flushDeletes();
        QVERIFY(owner.findChildren<TFetchingDataForm *>().isEmpty());

        texts.clear();
        ActivationGuard guard;
        QVERIFY(!guard.run(&owner, thrower));
        QVERIFY(!guard.run(&owner, thrower));
        QCOMPARE(texts.size(), 1);
        QVERIFY(texts.constFirst().endsWith(expected.mid(expected.indexOf(QLatin1String(", ")) + 2)));
    }

    // An activation failure is shown once per opening, also when the message box re-activates
    // the window while it is shown.
    void activationFailureShownOnce()
    {
        QWidget owner;
        ActivationGuard guard;
        int runs = 0;
        Messages::setRecorder([&](Messages::Kind, const QString &) {
            guard.run(&owner, [&] { ++runs; }); // the box closing re-activates the window
            return true;
        });
        QVERIFY(!guard.run(&owner, [&] {
            ++runs;
            throw DbError(QStringLiteral("Invalid argument to date encode"));
        }));
        QVERIFY(!guard.run(&owner, [&] { ++runs; }));
        QCOMPARE(runs, 1);
        QVERIFY(guard.failed());
    }

    void queryModel()
    {
        TestDb::Fresh db(QStringLiteral("SQLite"));
        Query q(db.connection(), QStringLiteral("Select 'Normal Hours' As Col01, 8 As \"01\", 1 As Flag Union All "
                                                "Select 'Overtime Hours', 2, 0"));
        QueryTableModel model(q, {{QStringLiteral("01"), QStringLiteral("Day 1"), {}},
                                  {QStringLiteral("Missing"), QStringLiteral("Gone"), {}}});
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.setRowTitleField(QStringLiteral("Col01"));
        model.setRowColour([](const Query &query, int row) {
            return query.valueAt(row, query.fieldIndex(QStringLiteral("Flag"))).toInt() ? QColor(Qt::green) : QColor();
        });
        QCOMPARE(model.rowCount(), 0);
        QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Day 1"));
        q.open();
        model.reload();
        QCOMPARE(model.rowCount(), 2);
        QCOMPARE(model.headerData(1, Qt::Vertical).toString(), QStringLiteral("Overtime Hours"));
        QCOMPARE(model.index(1, 0).data().toString(), QStringLiteral("2"));
        QCOMPARE(model.index(0, 1).data().toString(), QString()); // a field the query lacks
        QCOMPARE(model.index(0, 0).data(Qt::BackgroundRole).value<QColor>(), QColor(Qt::green));
        QVERIFY(!model.index(1, 0).data(Qt::BackgroundRole).isValid());
        QCOMPARE(model.value(0, QStringLiteral("Flag")).toInt(), 1);

        // Copied cells paste into a spreadsheet: titles, tabs, numbers as stored.
        QTableView view;
        view.setModel(&model);
        GridCopy::install(&view);
        view.setSelectionMode(QAbstractItemView::ExtendedSelection);
        view.selectionModel()->select(QItemSelection(model.index(0, 0), model.index(1, 1)),
                                      QItemSelectionModel::Select);
        QCOMPARE(GridCopy::selectionText(&view), QStringLiteral("Day 1\tGone\n8\t\n2\t\n"));
        view.show();
        // Offscreen windows are never activated by themselves; a shortcut needs the focus.
        QApplication::setActiveWindow(&view);
        view.setFocus();
        QTest::keySequence(&view, QKeySequence::Copy);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("Day 1\tGone\n8\t\n2\t\n"));
        // A grid without a popup of its own gets one holding "Copy".
        QCOMPARE(view.contextMenuPolicy(), Qt::ActionsContextMenu);
        QVERIFY(view.actions().contains(GridCopy::copyAction(&view)));
        QCOMPARE(GridCopy::copyAction(&view)->text(), QStringLiteral("Copy"));
        q.close();
        model.reload();
        QCOMPARE(model.rowCount(), 0);
    }

    void sandGlass()
    {
        QWidget owner;
        owner.resize(400, 300);
        owner.show();
        auto busyWindows = [] {
            int n = 0;
            for (QWidget *w : QApplication::topLevelWidgets())
                if (w->windowTitle() == QLatin1String("Fetching Data") && w->isVisible())
                    ++n;
            return n;
        };
        {
            SandGlass s(&owner);
            s.ShowSandGlass();
            s.ShowSandGlass(); // a second call must not stack a second window
            QCOMPARE(busyWindows(), 1);
            QVERIFY(!s.form()->isModal());
            QCOMPARE(s.form()->lbl_Working->text(), QStringLiteral("Working On It..."));
            QCOMPARE(QApplication::overrideCursor() ? QApplication::overrideCursor()->shape() : Qt::ArrowCursor,
                     Qt::WaitCursor);
            s.HideSandGlass();
            flushDeletes();
            QCOMPARE(busyWindows(), 0);
            QVERIFY(!QApplication::overrideCursor());
            QVERIFY(!s.isShown());
        }
        {
            // Work that throws: the scope still hides the window.
            SandGlass s(&owner);
            try {
                SandGlassScope busy(s);
                QCOMPARE(busyWindows(), 1);
                throw std::runtime_error("failed");
            } catch (const std::runtime_error &) {
            }
            flushDeletes();
            QCOMPARE(busyWindows(), 0);
            QVERIFY(!QApplication::overrideCursor());
        }
        QVERIFY(m_recording->texts.isEmpty());
    }

    void audit_data() { TESTDB_ENGINE_ROWS(); }
    void audit()
    {
        QFETCH(QString, engine);
        TestDb::Fresh db(engine);
        Connection &c = db.connection();
        TestDb::exec(c,
                     QStringLiteral("Insert Into ClientTimeSheets (Col_Date, Col_Year, Col_Month, Ref_No, Assignment, "
                                    "ClientAtt_Code, Entered_By, Entered_Date, Checked, Checked_By, Checked_Date) "
                                    "Values (:D, 2024, 3, 1, 'P1', 'P', 'clerk', :E, :C, :CB, :CD)"),
                     {QDate(2024, 3, 4), QDateTime(QDate(2024, 3, 5), QTime(14, 30)), 0,
                      QVariant(QMetaType::fromType<QString>()), QVariant(QMetaType::fromType<QDateTime>())});
        TestDb::exec(
            c,
            QStringLiteral("Insert Into ClientTimeSheets (Col_Date, Col_Year, Col_Month, Ref_No, Assignment, "
                           "ClientAtt_Code, Entered_By, Entered_Date, Checked, Checked_By, Checked_Date) "
                           "Values (:D, 2024, 3, 1, 'P1', 'P', 'clerk', :E, 1, 'boss', :CD)"),
            {QDate(2024, 3, 5), QDateTime(QDate(2024, 3, 5), QTime(9, 0)), QDateTime(QDate(2024, 3, 9), QTime(0, 0))});
        Query ds(c, QStringLiteral("Select Col_Date, Entered_By, Entered_Date, Checked, Checked_By, Checked_Date "
                                   "From ClientTimeSheets Where Ref_No = :Ref Order By Col_Date"));
        FieldDef entered;
        entered.name = QStringLiteral("Entered_Date");
        entered.kind = FieldKind::DateTime;
        entered.displayFormat = QStringLiteral("dd/MM/yyyy");
        ds.defineField(entered);
        FieldDef checked = entered;
        checked.name = QStringLiteral("Checked_Date");
        ds.defineField(checked);

        // Empty grid: no popup at all.
        ds.setParam(QStringLiteral("Ref"), 99);
        ds.open();
        QVERIFY(!TAuditForm::create(ds));
        QVERIFY(!TAuditForm::AuditForm1Click(ds));

        ds.setParam(QStringLiteral("Ref"), 1);
        ds.open();
        auto form = TAuditForm::create(ds);
        QVERIFY(form);
        QCOMPARE(form->windowTitle(), QStringLiteral("Audit"));
        QCOMPARE(form->edt_EnteredBy->text(), QStringLiteral("clerk"));
        QCOMPARE(form->edt_EnteredDate->text(), QStringLiteral("05/03/2024"));
        QCOMPARE(form->edt_Checked->text(), QStringLiteral("False"));
        QCOMPARE(form->edt_CheckedBy->text(), QString());
        QCOMPARE(form->edt_CheckedDate->text(), QString());
        for (QLineEdit *e : form->findChildren<QLineEdit *>())
            QVERIFY2(e->isReadOnly(), qPrintable(e->objectName()));

        // The second row, checked: the popup follows the current row.
        ds.next();
        const AuditValues v = AuditValues::fromCurrentRow(ds);
        QCOMPARE(v.checked, QStringLiteral("True"));
        QCOMPARE(v.checkedBy, QStringLiteral("boss"));
        QCOMPARE(v.checkedDate, QStringLiteral("09/03/2024"));

        // Shown modally; "Close" ends it with the Cancel result.
        int result = -1;
        Dialogs::setAnswerer([&result](QWidget &w) {
            auto *popup = qobject_cast<TAuditForm *>(&w);
            if (!popup)
                return -1;
            popup->show();
            connect(popup, &QDialog::finished, [&result](int r) { result = r; });
            QTest::mouseClick(popup->btn_Close, Qt::LeftButton);
            return popup->result();
        });
        QVERIFY(TAuditForm::AuditForm1Click(ds));
        Dialogs::setAnswerer({});
        QCOMPARE(result, int(QDialog::Rejected));
    }

    void versionLine_data()
    {
        QTest::addColumn<QDateTime>("modified");
        QTest::addColumn<QString>("expected");
        QTest::newRow("date and time") << QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9))
                                       << QStringLiteral("Version 1.6.3.29 - Last Updated on 3/5/24 2:07:09\u202FPM");
        QTest::newRow("exactly midnight leaves the time out")
            << QDateTime(QDate(2024, 3, 5), QTime(0, 0)) << QStringLiteral("Version 1.6.3.29 - Last Updated on 3/5/24");
        QTest::newRow("unreadable time keeps the design text") << QDateTime() << AppInfo::DesignVersionLine;
    }
    void versionLine()
    {
        QFETCH(QDateTime, modified);
        const QString got = AppInfo::versionLine(QStringLiteral("1.6.3.29"), modified,
                                                 QLocale(QLocale::English, QLocale::UnitedStates));
        QFETCH(QString, expected);
        // Locale data differs in the space before AM/PM between releases; compare without it.
        auto plain = [](QString s) { return s.replace(QChar(0x202F), QLatin1Char(' ')); };
        QCOMPARE(plain(got), plain(expected));
    }

    void themes_data()
    {
        QTest::addColumn<QString>("configured");
        QTest::addColumn<QString>("inEffect");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("the default") << "Lavender Classico"
                                     << "Lavender Classico" << QStringList{};
        QTest::newRow("names compare without regard to case") << "midnight SLATE"
                                                              << "Midnight Slate" << QStringList{};
        QTest::newRow("no name gives the default quietly") << ""
                                                           << "Lavender Classico" << QStringList{};
        QTest::newRow("an unknown name is reported once and leaves the default")
            << "Amethyst Kamri"
            << "Lavender Classico" << QStringList{QStringLiteral("Style 'Amethyst Kamri' not found")};
    }
    void themes()
    {
        QFETCH(QString, configured);
        QFETCH(QString, inEffect);
        Themes::apply(QStringLiteral("Sea Glass"));
        QCOMPARE(Themes::applyConfigured(configured), inEffect);
        QCOMPARE(Themes::current(), inEffect);
        QTEST(m_recording->texts, "messages");
        QCOMPARE(QApplication::style()->name().toLower(), QStringLiteral("fusion"));
    }

    void themesDiffer()
    {
        // At least four looks, one of them dark.
        QVERIFY(Themes::names().size() >= 4);
        QCOMPARE(Themes::names().first(), Themes::DefaultName);
        int dark = 0;
        QSet<QRgb> windows;
        for (const QString &n : Themes::names()) {
            QVERIFY(Themes::apply(n));
            const QPalette p = QApplication::palette();
            windows.insert(p.color(QPalette::Window).rgb());
            if (p.color(QPalette::Window).lightness() < 100) {
                ++dark;
                QVERIFY(p.color(QPalette::WindowText).lightness() > 180);
            }
        }
        QCOMPARE(windows.size(), Themes::names().size());
        QVERIFY(dark >= 1);
        QVERIFY(!Themes::apply(QStringLiteral("no such look")));
    }
};

QTEST_MAIN(TestShellServices)
#include "test_shell_services.moc"
