#include "CyclePicker.h"

CyclePicker::CyclePicker(QWidget *parent) : QDateEdit(parent)
{
    setDisplayFormat(QStringLiteral("MM/yyyy"));
    setCalendarPopup(false);
    setButtonSymbols(QAbstractSpinBox::UpDownArrows);
    // Any cycle a database can hold; the main window narrows it.
    setDateRange(QDate(2000, 1, 1), QDate(9999, 12, 31));
}

void CyclePicker::stepBy(int steps)
{
    const QDate d = date();
    const QDate next = currentSection() == YearSection ? d.addYears(steps) : d.addMonths(steps);
    setDate(qBound(minimumDate(), next, maximumDate()));
}

QAbstractSpinBox::StepEnabled CyclePicker::stepEnabled() const
{
    StepEnabled e = StepNone;
    const QDate d = date();
    const bool years = currentSection() == YearSection;
    if ((years ? d.addYears(1) : d.addMonths(1)) <= maximumDate())
        e |= StepUpEnabled;
    if ((years ? d.addYears(-1) : d.addMonths(-1)) >= minimumDate())
        e |= StepDownEnabled;
    return e;
}
