#include "MainForm.h"
#include "AboutApplicationForm.h"
#include "Artwork.h"
#include "CategoryPanel.h"
#include "CyclePicker.h"
#include "Dashboard.h"
#include "DatabaseCheckForm.h"
#include "DbError.h"
#include "Dialogs.h"
#include "Messages.h"
#include "ModuleTable.h"
#include "Roles.h"
#include "SchemaCheck.h"
#include "Session.h"

#include <QApplication>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QDateEdit>
#include <QDesktopServices>
#include <QDialog>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QSplitter>
#include <QStyle>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <QValueAxis>

#include <cmath>

namespace {

const QString HelpDeskHost = QStringLiteral("https://helpdesk.orvessa.com");

} // namespace

TMainForm::TMainForm(Session &session, const ModuleTable &modules, const QStringList &loginArgs, QWidget *parent)
    : QMainWindow(parent), m_session(session), m_loginArgs(loginArgs), m_random(QRandomGenerator::global())
{
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Velconi, a module of Orvessa System"));
    setWindowIcon(QIcon(Artwork::programIcon(64)));

    auto *splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setObjectName(QStringLiteral("Splitter1"));
    splitter->setChildrenCollapsible(false);

    pnl_Functions = new TCategoryPanelGroup(splitter);
    pnl_Functions->setObjectName(QStringLiteral("pnl_Functions"));
    pnl_Functions->setMinimumWidth(220);
    buildFunctionPanel(modules);

    auto *right = new QWidget(splitter);
    auto *rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->setSpacing(0);
    pnl_Body = new QWidget(right);
    pnl_Body->setObjectName(QStringLiteral("pnl_Body"));
    buildBody();
    pnl_Body->setVisible(false);
    rightLayout->addWidget(pnl_Body, 1);
    rightLayout->addStretch(0);
    img_Logo = new QLabel(right);
    img_Logo->setObjectName(QStringLiteral("img_Logo"));
    img_Logo->setPixmap(Artwork::logo(30, palette().color(QPalette::Link)));
    auto *logoRow = new QHBoxLayout;
    logoRow->setContentsMargins(8, 4, 12, 6);
    logoRow->addStretch(1);
    logoRow->addWidget(img_Logo);
    rightLayout->addLayout(logoRow);

    splitter->addWidget(pnl_Functions);
    splitter->addWidget(right);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({240, 1000});
    setCentralWidget(splitter);

    buildMenus();
    updateButtons();
}

TMainForm::~TMainForm() = default;

void TMainForm::buildFunctionPanel(const ModuleTable &modules)
{
    for (const ModuleCategory &category : modules.categories()) {
        TCategoryPanel *panel = pnl_Functions->addPanel(category.objectName, category.caption);
        for (const ModuleWindow &w : modules.windowsOf(category.caption)) {
            auto *b = new QPushButton(w.caption, panel);
            b->setObjectName(w.objectName);
            b->setMinimumHeight(32);
            b->setEnabled(false);
            panel->addWidget(b);
            m_functions.append({b, w.role, w.factory});
            connect(b, &QPushButton::clicked, this, [this, factory = w.factory] {
                if (factory)
                    openWindow(factory);
            });
        }
    }
    for (TCategoryPanel *p : pnl_Functions->panels())
        connect(p, &TCategoryPanel::expanded, this, [this, p] { CategoryPanel1Expand(p); });
}

QPushButton *TMainForm::functionButton(const QString &objectName) const
{
    for (const FunctionButton &f : m_functions)
        if (f.button->objectName() == objectName)
            return f.button;
    return nullptr;
}

TCategoryPanel *TMainForm::categoryPanel(const QString &caption) const
{
    for (TCategoryPanel *p : pnl_Functions->panels())
        if (p->caption() == caption)
            return p;
    return nullptr;
}

void TMainForm::buildBody()
{
    pnl_Heading = new QWidget(pnl_Body);
    pnl_Heading->setObjectName(QStringLiteral("Panel2"));
    pnl_Heading->setAutoFillBackground(true);
    pnl_Heading->setBackgroundRole(QPalette::AlternateBase);
    lbl_PayrollRecordsLastYear_Title = boldLabel(QStringLiteral("Hours Deployed Vs. Billed"),
                                                 QStringLiteral("lbl_PayrollRecordsLastYear_Title"), pnl_Heading, 1.3);
    lbl_CycleCaption = new QLabel(QStringLiteral("Select Invoiceing Cycle:"), pnl_Heading);
    lbl_CycleCaption->setObjectName(QStringLiteral("Label18"));
    dtp_Cycle = new CyclePicker(pnl_Heading);
    dtp_Cycle->setObjectName(QStringLiteral("dtp_Cycle"));
    // 2000 to 2099: the range the suite shipped with ended in 2021, long past.
    dtp_Cycle->setDateRange(QDate(2000, 1, 1), QDate(2099, 12, 31));
    // Typed months take effect on Enter or leaving the field, not at each digit.
    dtp_Cycle->setKeyboardTracking(false);
    dtp_Cycle->setMinimumWidth(110);
    lbl_CycleCaption->setBuddy(dtp_Cycle);
    connect(dtp_Cycle, &QDateEdit::dateChanged, this, [this] { dtp_CycleChange(); });

    auto *head = new QHBoxLayout(pnl_Heading);
    head->setContentsMargins(12, 8, 12, 8);
    head->setSpacing(10);
    head->addWidget(lbl_PayrollRecordsLastYear_Title);
    head->addStretch(1);
    head->addWidget(lbl_CycleCaption);
    head->addWidget(dtp_Cycle);

    pnl_Charts = new QWidget(pnl_Body);
    pnl_Charts->setObjectName(QStringLiteral("pnl_Charts"));
    pnl_DeployedChart = buildChartPanel(QStringLiteral("Panel3"), lbl_AttendenceToday_Title,
                                        QStringLiteral("lbl_AttendenceToday_Title"), QStringLiteral("Deployed Hours"),
                                        lbl_DeployedHours_Value, QStringLiteral("lbl_DeployedHours_Value"),
                                        chart_HoursDeployed, QStringLiteral("chart_HoursDeployed"),
                                        Series_HoursDeployed, QStringLiteral("Series_HoursDeployed"));
    pnl_BilledChart = buildChartPanel(
        QStringLiteral("Panel4"), lbl_BilledHours_Title, QStringLiteral("Label3"), QStringLiteral("Billed Hours"),
        lbl_BilledHours_Value, QStringLiteral("lbl_BilledHours_Value"), chart_HoursBilled,
        QStringLiteral("chart_HoursBilled"), Series_HoursBilled, QStringLiteral("Series_HoursBilled"));
    auto *charts = new QVBoxLayout(pnl_Charts);
    charts->setContentsMargins(0, 0, 0, 0);
    charts->setSpacing(0);
    charts->addWidget(pnl_DeployedChart, 499);
    charts->addWidget(pnl_BilledChart, 501);

    auto *layout = new QVBoxLayout(pnl_Body);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(pnl_Heading);
    layout->addWidget(pnl_Charts, 1);
}

void TMainForm::buildMenus()
{
    QStyle *st = style();
    File1 = menuBar()->addMenu(QStringLiteral("File"));
    File1->setObjectName(QStringLiteral("File1"));
    Exit1 = File1->addAction(st->standardIcon(QStyle::SP_DialogCloseButton), QStringLiteral("Exit"));
    Exit1->setObjectName(QStringLiteral("Exit1"));
    connect(Exit1, &QAction::triggered, this, &TMainForm::Exit1Click);

    Help1 = menuBar()->addMenu(QStringLiteral("Help"));
    Help1->setObjectName(QStringLiteral("Help1"));
    Menu_HowTo = Help1->addAction(st->standardIcon(QStyle::SP_DialogHelpButton), QStringLiteral("How To"));
    Menu_HowTo->setObjectName(QStringLiteral("Menu_HowTo"));
    connect(Menu_HowTo, &QAction::triggered, this, &TMainForm::Menu_HowToClick);
    Menu_Support = Help1->addAction(st->standardIcon(QStyle::SP_MessageBoxQuestion), QStringLiteral("Support"));
    Menu_Support->setObjectName(QStringLiteral("Menu_Support"));
    connect(Menu_Support, &QAction::triggered, this, &TMainForm::Menu_SupportClick);
    Menu_DbCheck = Help1->addAction(st->standardIcon(QStyle::SP_DriveHDIcon), QStringLiteral("Database Check..."));
    Menu_DbCheck->setObjectName(QStringLiteral("Menu_DbCheck"));
    connect(Menu_DbCheck, &QAction::triggered, this, &TMainForm::Menu_DbCheckClick);
    sep_Help = Help1->addSeparator();
    sep_Help->setObjectName(QStringLiteral("N1"));
    About1 = Help1->addAction(st->standardIcon(QStyle::SP_MessageBoxInformation), QStringLiteral("About"));
    About1->setObjectName(QStringLiteral("About1"));
    connect(About1, &QAction::triggered, this, &TMainForm::About1Click);
}

void TMainForm::updateButtons()
{
    for (const FunctionButton &f : std::as_const(m_functions))
        f.button->setEnabled(m_admitted && f.factory && m_session.hasRole(f.role));
}

void TMainForm::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!m_firstShowDone) {
        m_firstShowDone = true;
        // Activation work (and the login's message boxes) once the window is up.
        QTimer::singleShot(0, this, &TMainForm::FormActivate);
    }
}

void TMainForm::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    // The theme is applied after the window exists: redraw the logo in its colours.
    if (event->type() == QEvent::PaletteChange && img_Logo)
        img_Logo->setPixmap(Artwork::logo(30, palette().color(QPalette::Link)));
}

void TMainForm::setPickerDefault()
{
    const QSignalBlocker quiet(dtp_Cycle);
    dtp_Cycle->setDate(m_session.today().addMonths(-1));
    const QDate d = dtp_Cycle->date();
    m_cycleYear = quint16(d.year());
    m_cycleMonth = quint16(d.month());
    m_cycleDay = quint16(d.day());
}

void TMainForm::FormActivate()
{
    setPickerDefault();
    if (!m_loginTried) {
        Login();
        return;
    }
    // Back from a module window the picker shows the default month again: the charts follow it.
    if (m_admitted && (m_chartsYear != m_cycleYear || m_chartsMonth != m_cycleMonth)) {
        try {
            UpdateCharts();
        } catch (const DbError &e) {
            Messages::error(e.message(), this);
        }
    }
}

void TMainForm::Login()
{
    // Once per run, whatever happens: a failed attempt is not repeated at the next activation.
    m_loginTried = true;
    const QString user = m_loginArgs.value(0);
    const QString password = m_loginArgs.value(1);
    m_session.dataModule().Current_UserID = user;
    m_session.dataModule().Current_Password = password;
    m_userName = user;
    const bool admitted = CheckAuthorities();
    if (admitted) {
        try {
            UpdateCharts();
        } catch (const DbError &e) {
            Messages::error(e.message(), this);
        }
    }
    emit loginFinished(admitted);
}

bool TMainForm::CheckAuthorities()
{
    try {
        m_session.dataModule().openRoles(m_userName);
    } catch (const DbError &e) {
        Messages::error(e.message(), this);
        return false;
    }
    if (!m_session.hasRole(Roles::Login)) {
        Messages::show(Roles::RefusalMessage);
        close();
        return false;
    }
    m_admitted = true;
    pnl_Body->setVisible(true);
    updateButtons();
    return true;
}

void TMainForm::UpdateCharts()
{
    if (!m_dashboard)
        m_dashboard = std::make_unique<CycleDashboard>(m_session.connection());

    // A failure part-way leaves the deployed chart drawn and the rest as it was.
    const DashboardData d = m_dashboard->refresh(m_cycleYear, m_cycleMonth, [this](const DashboardSeries &deployed) {
        fillChart(chart_HoursDeployed, Series_HoursDeployed, deployed);
    });
    const DashboardSeries &deployed = d.deployed;
    const DashboardSeries &billed = d.billed;
    fillChart(chart_HoursBilled, Series_HoursBilled, billed);
    m_chartsYear = m_cycleYear;
    m_chartsMonth = m_cycleMonth;

    lbl_DeployedHours_Value->setText(CycleDashboard::formatTotal(deployed.total));
    lbl_BilledHours_Value->setText(CycleDashboard::formatTotal(billed.total));
    QPalette pal = lbl_BilledHours_Value->palette();
    pal.setColor(QPalette::WindowText, deployed.total == billed.total ? QColor(0, 128, 0) : QColor(255, 0, 0));
    lbl_BilledHours_Value->setPalette(pal);
}

void TMainForm::dtp_CycleChange()
{
    const QDate d = dtp_Cycle->date();
    m_cycleYear = quint16(d.year());
    m_cycleMonth = quint16(d.month());
    m_cycleDay = quint16(d.day());
    try {
        UpdateCharts();
    } catch (const DbError &e) {
        Messages::error(e.message(), this);
    }
}

void TMainForm::CategoryPanel1Expand(TCategoryPanel *sender)
{
    if (!sender)
        return;
    for (TCategoryPanel *p : pnl_Functions->panels())
        if (p != sender)
            p->collapse();
}

void TMainForm::openWindow(const ModuleFactory &factory, bool centreOnForm)
{
    QWidget *w = nullptr;
    try {
        w = factory(this, m_session);
    } catch (const DbError &e) {
        Messages::error(e.message(), this);
    }
    if (!w)
        return;
    m_moduleWindow = w;
    if (!w->isWindow())
        w->setWindowFlag(Qt::Window);
    if (centreOnForm) {
        // A window that chose its size keeps it; the others take the size their layout asks.
        if (!w->testAttribute(Qt::WA_Resized))
            w->adjustSize();
        w->move(mapToGlobal(rect().center()) - w->rect().center());
    }
    Dialogs::exec(*w);
    // Released once its pending events are handled; nothing of it survives to the next click.
    if (m_moduleWindow)
        m_moduleWindow->deleteLater();
    m_moduleWindow.clear();
    FormActivate();
}

void TMainForm::Exit1Click()
{
    close();
}

void TMainForm::About1Click()
{
    // The About box centres itself on the screen.
    openWindow([](QWidget *parent, Session &) { return new TAboutApplicationForm(parent); }, false);
}

QString TMainForm::helpDeskUrl(const QString &path)
{
    QString url = HelpDeskHost + path;
    url.replace(QLatin1Char('"'), QStringLiteral("%22"));
    return url;
}

void TMainForm::openHelp(const QString &path)
{
    const QString url = helpDeskUrl(path);
    const bool opened = m_openUrl ? m_openUrl(QUrl(url)) : QDesktopServices::openUrl(QUrl(url));
    // Without a browser the menu would seem to do nothing: say where the help is.
    if (!opened)
        Messages::show(QStringLiteral("No web browser could be opened. The help is at %1").arg(url), this);
}

void TMainForm::Menu_HowToClick()
{
    openHelp(QStringLiteral("/support/solutions"));
}

void TMainForm::Menu_SupportClick()
{
    openHelp(QStringLiteral("/support/home"));
}

void TMainForm::Menu_DbCheckClick()
{
    QString report;
    try {
        Connection connection;
        connection.open(m_session.dataModule().ADOConnection1BeforeConnect());
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const auto restore = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
        report = SchemaCheck::reportText(SchemaCheck::check(connection, Roles::Login));
    } catch (const DbError &e) {
        Messages::error(e.message(), this);
        return;
    }
    TDatabaseCheckForm form(report, this);
    Dialogs::exec(form);
}
