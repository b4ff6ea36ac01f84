#pragma once

#include <QList>
#include <QString>
#include <algorithm>
#include <functional>

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

private:
    QList<ModuleCategory> m_categories;
    QList<ModuleWindow> m_windows;
};
