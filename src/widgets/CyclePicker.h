#pragma once

#include <QDateEdit>

// Month picker shown as "MM/yyyy": the arrows step whole months (or years on the year part)
// across year ends, within the picker's range.
class CyclePicker : public QDateEdit
{
    Q_OBJECT
public:
    explicit CyclePicker(QWidget *parent = nullptr);

    void stepBy(int steps) override;

protected:
    StepEnabled stepEnabled() const override;
};
