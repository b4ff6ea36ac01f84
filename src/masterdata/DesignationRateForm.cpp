#include "DesignationRateForm.h"
#include "Messages.h"
#include "Rates.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TDesignationRateForm::TDesignationRateForm(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("DesignationRateForm"));
    setWindowTitle(QStringLiteral("Site Job Rate"));
    cb_Designation = new QComboBox(this);
    cb_Designation->setObjectName(QStringLiteral("cb_Designation"));
    auto edit = [this](const QString &name) {
        auto *e = new QLineEdit(this);
        e->setObjectName(name);
        e->setMaxLength(30);
        return e;
    };
    edt_WH = edit(QStringLiteral("edt_WH"));
    edt_OT = edit(QStringLiteral("edt_OT"));
    edt_HT = edit(QStringLiteral("edt_HT"));
    btn_OK = new QPushButton(QStringLiteral("Confirm"), this);
    btn_OK->setObjectName(QStringLiteral("btn_OK"));
    Button2 = new QPushButton(QStringLiteral("Cancel"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    connect(btn_OK, &QPushButton::clicked, this, &TDesignationRateForm::btn_OKClick);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Site Job:"), cb_Designation);
    form->addRow(QStringLiteral("Normal Hour Rate:"), edt_WH);
    form->addRow(QStringLiteral("OverTime Hour Rate:"), edt_OT);
    form->addRow(QStringLiteral("Holiday Hour Rate:"), edt_HT);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btn_OK);
    buttons->addWidget(Button2);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    resize(380, 180);
}

void TDesignationRateForm::setSiteJobs(const QStringList &jobs)
{
    cb_Designation->clear();
    cb_Designation->addItems(jobs);
    cb_Designation->setCurrentIndex(-1);
}

void TDesignationRateForm::FormActivate()
{
    cb_Designation->setCurrentIndex(Selected_SiteJob.isEmpty() ? -1 : cb_Designation->findText(Selected_SiteJob));
    edt_WH->setText(Rates::formatRate(WH_Value));
    edt_OT->setText(Rates::formatRate(OT_Value));
    edt_HT->setText(Rates::formatRate(HT_Value));
}

QString TDesignationRateForm::validate()
{
    Selected_SiteJob = cb_Designation->currentIndex() < 0 ? QString() : cb_Designation->currentText();
    if (Selected_SiteJob.isEmpty())
        return QStringLiteral("Please Choose a Designations !");
    const struct
    {
        QLineEdit *edit;
        double *value;
        const char *prefix;
    } steps[] = {{edt_WH, &WH_Value, "Normal Hour Rate, "},
                 {edt_OT, &OT_Value, "OverTime Rate, "},
                 {edt_HT, &HT_Value, "Holiday Hour Rate, "}};
    for (const auto &s : steps)
        if (!Rates::parseRate(s.edit->text(), s.value))
            return QString::fromLatin1(s.prefix) + Rates::notANumber(s.edit->text());
    return {};
}

void TDesignationRateForm::btn_OKClick()
{
    const QString failure = validate();
    if (!failure.isEmpty()) {
        Messages::show(failure, this);
        return;
    }
    accept();
}
