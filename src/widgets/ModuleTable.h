#pragma once

#include <QDate>
#include <QHash>
#include <QList>
#include <QString>
#include <algorithm>
#include <functional>
#include <memory>

class QWidget;
class Session;

// The module windows the main window offers: each module library adds its entries through one
// registration function, which the program calls at start-up.
struct ModuleWindow
{
    QString category;   // caption of the category it sits in ("Projects", "Attendance", "Invoices")
    int order = 0;      // place within the category, ascending
    QString objectName; // the function button's name
    QString caption;    // the function button's caption
    QString role;       // the button is enabled for users holding it
    // A fresh window per click, shown modally and released when it closes.
    std::function<QWidget *(QWidget *parent, Session &session)> factory;
};

// What a window asks another module's window to show.
struct WindowTarget
{
    QString project;
    QString employeeNo;
    QDate day; // the day to show, when there is one
};
// Opens a module window on a target, modally, from another window.
using WindowOpener = std::function<void(QWidget *parent, Session &session, const WindowTarget &target)>;

// Names under which modules register the windows others may open.
namespace Openers {
inline const QString ClientAttendance = QStringLiteral("ClientAttendance");
}

struct ModuleCategory
{
    QString objectName;
    QString caption;
};

class ModuleTable
{
public:
    void addCategory(const QString &objectName, const QString &caption) { m_categories.append({objectName, caption}); }
    void add(ModuleWindow window) { m_windows.append(std::move(window)); }

    const QList<ModuleCategory> &categories() const { return m_categories; }
    // The windows of one category in their order.
    QList<ModuleWindow> windowsOf(const QString &category) const
    {
        QList<ModuleWindow> out;
        for (const ModuleWindow &w : m_windows)
            if (w.category == category)
                out.append(w);
        std::stable_sort(out.begin(), out.end(),
                         [](const ModuleWindow &a, const ModuleWindow &b) { return a.order < b.order; });
        return out;
    }
    const QList<ModuleWindow> &windows() const { return m_windows; }

    // Windows open each other through the table, never by including each other's module. The
    // opener opens the given window of the table, and so asks for that window's role, as the
    // window's own function button does.
    void addOpener(const QString &name, const ModuleWindow &window, WindowOpener opener)
    {
        (*m_openers)[name] = {window.role, window.caption, std::move(opener)};
    }
    bool hasOpener(const QString &name) const { return m_openers->contains(name); }
    // Calls the opener registered under the name, looked up when called, so that the modules
    // may register in any order; does nothing while none is registered. A user without the
    // window's role is told so and nothing opens. Copies of the table share their openers.
    WindowOpener openerLink(const QString &name) const;

    // "You Do Not Have Permission To Open Client Attendance"
    static QString noPermissionText(const QString &caption);

private:
    struct Opener
    {
        QString role;
        QString caption;
        WindowOpener open;
    };
    QList<ModuleCategory> m_categories;
    QList<ModuleWindow> m_windows;
    std::shared_ptr<QHash<QString, Opener>> m_openers = std::make_shared<QHash<QString, Opener>>();
};
