#pragma once

#include "FetchingDataForm.h"

#include <QDate>
#include <QPointer>
#include <optional>

class QWidget;
class TDataModule1;

// GetActiveCycle for the module windows: the first day of the active payroll cycle, read once
// per run. A failure ("Invalid argument to date encode", or the database's message) is shown
// and gives no date, so the window stops its activation there. dm null: the run's data module.
std::optional<QDate> GetActiveCycle(QWidget *parent = nullptr, TDataModule1 *dm = nullptr);

// ShowSandGlass/HideSandGlass: a window holds one of these and pairs the two calls around its
// long work; a failing caller hides it before showing its message.
class SandGlass
{
public:
    explicit SandGlass(QWidget *owner) : m_owner(owner) {}
    ~SandGlass();
    SandGlass(const SandGlass &) = delete;
    SandGlass &operator=(const SandGlass &) = delete;

    void ShowSandGlass();
    void HideSandGlass();
    bool isShown() const { return !m_form.isNull(); }
    TFetchingDataForm *form() const { return m_form; }

private:
    QWidget *m_owner;
    QPointer<TFetchingDataForm> m_form;
    bool m_cursorSet = false;
};

// Shows the busy window for one scope: for work that may throw.
class SandGlassScope
{
public:
    explicit SandGlassScope(SandGlass &s) : m_s(s) { m_s.ShowSandGlass(); }
    ~SandGlassScope() { m_s.HideSandGlass(); }
    SandGlassScope(const SandGlassScope &) = delete;
    SandGlassScope &operator=(const SandGlassScope &) = delete;

private:
    SandGlass &m_s;
};
