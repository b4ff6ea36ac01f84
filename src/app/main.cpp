#include "Application.h"
#include "AttendanceModule.h"
#include "CheckingModule.h"
#include "DataModule1.h"
#include "DbError.h"
#include "InvoicingModule.h"
#include "LocalTime.h"
#include "MainForm.h"
#include "MasterDataModule.h"
#include "Messages.h"
#include "ModuleTable.h"
#include "Session.h"
#include "SplashForm.h"
#include "Themes.h"

#include <QScreen>
#include <QTimer>
#include <memory>

namespace {

// The function panel: its categories, then every module library's windows. The one place that
// knows which modules the program has.
ModuleTable moduleTable()
{
    ModuleTable table;
    table.addCategory(QStringLiteral("CategoryPanel5"), QStringLiteral("Projects"));
    table.addCategory(QStringLiteral("CategoryPanel1"), QStringLiteral("Attendance"));
    table.addCategory(QStringLiteral("CategoryPanel4"), QStringLiteral("Invoices"));
    registerMasterDataWindows(table);
    registerAttendanceWindows(table);
    registerCheckingWindows(table);
    registerInvoicingWindows(table);
    return table;
}

} // namespace

int main(int argc, char *argv[])
{
    // The suite's launcher passes user and password; take them before Qt consumes options.
    QStringList loginArgs;
    for (int i = 1; i < argc && i <= 2; ++i)
        loginArgs << QString::fromLocal8Bit(argv[i]);

    pinLocalTimeZone();
    TApplication app(argc, argv);
    auto splash = std::make_unique<TSplashForm>();
    splash->show();
    splash->setProgress(10);
    splash->setProgress(20);
    QApplication::setApplicationName(QStringLiteral("Tallimar"));
    splash->setProgress(30);

    // The data module exists before the main window that shows its state; it connects below.
    auto dm = std::make_unique<TDataModule1>();
    Session session(*dm);
    auto mainForm = std::make_unique<TMainForm>(session, moduleTable(), loginArgs);
    splash->setProgress(40);

    try {
        dm->DataModuleCreate();
    } catch (const DbError &e) {
        // Start-up goes on: the login tries again and reports again.
        Messages::error(e.message(), splash.get());
    }
    splash->setProgress(70);

    Themes::applyConfigured(dm->ChoosenStyle, splash.get());
    splash->setProgress(90);
    splash->setProgress(100);
    splash.reset();

    // Benchmarks time a cold start up to the drawn dashboard.
    if (qEnvironmentVariableIsSet("TALLIMAR_QUIT_AFTER_LOGIN"))
        QObject::connect(mainForm.get(), &TMainForm::loginFinished, &app,
                         [] { QTimer::singleShot(0, qApp, &QCoreApplication::quit); });

    // Full screen also where no window manager honours the maximised state.
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        mainForm->setGeometry(screen->availableGeometry());
    mainForm->showMaximized();
    const int rc = app.exec();
    // The windows' queries go before the connection they run on.
    mainForm.reset();
    dm.reset();
    return rc;
}
