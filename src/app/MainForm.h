#pragma once

#include <QDate>
#include <QHash>
#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <functional>
#include <memory>

class QAction;
class QUrl;
class QBarCategoryAxis;
class QBarSeries;
class QChartView;
class QDateEdit;
class QLabel;
class QMenu;
class QPushButton;
class QRandomGenerator;
class QValueAxis;
class CycleDashboard;
class TCategoryPanel;
class TCategoryPanelGroup;
class ModuleTable;
class Session;
struct DashboardSeries;
struct ModuleWindow;

// "Velconi, a module of Orvessa System": the function panel, the menus and the dashboard.
class TMainForm : public QMainWindow
{
    Q_OBJECT
public:
    // Creates a module window owned by the given parent; it is shown modally and released.
    using ModuleFactory = std::function<QWidget *(QWidget *parent, Session &session)>;

    // The function panel holds one category per category of the table and one button per
    // window, enabled when the user holds its role. loginArgs: the program's arguments 1 (user)
    // and 2 (password), taken before Qt saw them.
    TMainForm(Session &session, const ModuleTable &modules, const QStringList &loginArgs = {},
              QWidget *parent = nullptr);
    ~TMainForm() override;

    // Source of the bar colours (tests seed one).
    void setRandomGenerator(QRandomGenerator *random) { m_random = random; }

    // The function button of a module window (by its object name), null when there is none.
    QPushButton *functionButton(const QString &objectName) const;
    // The category panel of a category caption, null when there is none.
    TCategoryPanel *categoryPanel(const QString &caption) const;

    void FormActivate();
    void Login();
    // false: refused (the window closes) or the roles could not be read (shown).
    bool CheckAuthorities();
    // Redraws both charts and totals for the dashboard cycle. Throws DbError.
    void UpdateCharts();
    void dtp_CycleChange();
    void CategoryPanel1Expand(TCategoryPanel *sender);
    void Exit1Click();
    void About1Click();
    void Menu_HowToClick();
    void Menu_SupportClick();
    // The db-check report in a plain window, on a connection of its own: a database that the
    // start-up refused can be looked at too.
    void Menu_DbCheckClick();

    static QString helpDeskUrl(const QString &path);
    // Opens an address in the desktop's browser; false when none could be started (tests
    // replace it).
    void setUrlOpener(std::function<bool(const QUrl &)> opener) { m_openUrl = std::move(opener); }
    // The colour a random draw stands for: the low 24 bits as blue-green-red, 25 % transparent.
    static QColor barColour(quint32 draw);

    const QString &userName() const { return m_userName; }
    bool isAdmitted() const { return m_admitted; }
    int cycleYear() const { return m_cycleYear; }
    int cycleMonth() const { return m_cycleMonth; }
    // The module window open right now (null when none).
    QWidget *moduleWindow() const { return m_moduleWindow; }

    // Controls, named as the rest of the suite names them.
    TCategoryPanelGroup *pnl_Functions;

    QWidget *pnl_Body;
    QWidget *pnl_Heading;
    QLabel *lbl_PayrollRecordsLastYear_Title;
    QLabel *lbl_CycleCaption;
    QDateEdit *dtp_Cycle;
    QWidget *pnl_Charts;
    QWidget *pnl_DeployedChart;
    QWidget *pnl_BilledChart;
    QLabel *lbl_AttendenceToday_Title;
    QLabel *lbl_DeployedHours_Value;
    QChartView *chart_HoursDeployed;
    QBarSeries *Series_HoursDeployed;
    QLabel *lbl_BilledHours_Title;
    QLabel *lbl_BilledHours_Value;
    QChartView *chart_HoursBilled;
    QBarSeries *Series_HoursBilled;
    QLabel *img_Logo = nullptr;

    QMenu *File1;
    QAction *Exit1;
    QMenu *Help1;
    QAction *Menu_HowTo;
    QAction *Menu_Support;
    QAction *Menu_DbCheck;
    QAction *sep_Help;
    QAction *About1;

signals:
    // After the first activation's login, whatever its outcome.
    void loginFinished(bool admitted);

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    struct FunctionButton
    {
        QPushButton *button;
        QString role;
        ModuleFactory factory;
    };

    void buildFunctionPanel(const ModuleTable &modules);
    void buildBody();
    void buildMenus();
    QWidget *buildChartPanel(const QString &panelName, QLabel *&title, const QString &titleName, const QString &caption,
                             QLabel *&value, const QString &valueName, QChartView *&view, const QString &viewName,
                             QBarSeries *&series, const QString &seriesName);
    void fillChart(QChartView *view, QBarSeries *series, const DashboardSeries &data);
    static QLabel *boldLabel(const QString &text, const QString &name, QWidget *parent, qreal scale = 1.0);
    void updateButtons();
    void openWindow(const ModuleFactory &factory, bool centreOnForm = true);
    void setPickerDefault();
    void openHelp(const QString &path);

    Session &m_session;
    QStringList m_loginArgs;
    std::unique_ptr<CycleDashboard> m_dashboard;
    QRandomGenerator *m_random;
    std::function<bool(const QUrl &)> m_openUrl;
    QList<FunctionButton> m_functions;
    QPointer<QWidget> m_moduleWindow;
    QString m_userName;
    bool m_loginTried = false;
    bool m_admitted = false;
    bool m_firstShowDone = false;
    quint16 m_cycleYear = 0;
    quint16 m_cycleMonth = 0;
    int m_chartsYear = 0, m_chartsMonth = 0; // the month the charts were last drawn for
    quint16 m_cycleDay = 0;
};
