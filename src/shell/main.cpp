#include "Application.h"
#include "ClientAttendanceCheckerForm.h"
#include "ClientAttendanceForm.h"
#include "DataModule1.h"
#include "DbError.h"
#include "JoinForm.h"
#include "LocalTime.h"
#include "MainForm.h"
#include "Messages.h"
#include "OneLineForm.h"
#include "SplashForm.h"
#include "Themes.h"

#include <QScreen>
#include <QTimer>
#include <memory>

namespace {

// Module windows, one line per function button; a button left out here stays disabled.
void registerModuleWindows(TMainForm &form)
{
    form.registerModule(form.btn_Func_ClientAttendance, [](QWidget *parent) { return new TClientAttendanceForm(parent); });
    form.registerModule(form.btn_Func_ClientAttendanceChecker,
                        [](QWidget *parent) { return new TClientAttendanceCheckerForm(parent); });
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

    auto mainForm = std::make_unique<TMainForm>(loginArgs);
    registerModuleWindows(*mainForm);
    splash->setProgress(40);

    auto dm = std::make_unique<TDataModule1>();
    mainForm->setDataModule(dm.get());
    try {
        dm->DataModuleCreate();
    } catch (const DbError &e) {
        // Start-up goes on: the login tries again and reports again.
        Messages::error(e.message(), splash.get());
    }
    splash->setProgress(70);

    Themes::applyConfigured(dm->ChoosenStyle, splash.get());
    splash->setProgress(90);

    auto joinForm = std::make_unique<TJoinForm>(nullptr, dm->iniPath());
    auto oneLineForm = std::make_unique<TOneLineForm>(mainForm.get());
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
    oneLineForm.reset();
    joinForm.reset();
    mainForm.reset();
    dm.reset();
    return rc;
}
