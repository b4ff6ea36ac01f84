#include "AttendanceTotalsPanel.h"

#include <QBoxLayout>
#include <QGridLayout>
#include <QLabel>

namespace {

QLabel *totalLabel(QWidget *parent, const QString &name, const char *caption, bool bold = false)
{
    auto *l = new QLabel(QString::fromLatin1(caption), parent);
    l->setObjectName(name);
    if (bold) {
        QFont f = l->font();
        f.setBold(true);
        l->setFont(f);
    }
    return l;
}

QLabel *heading(QWidget *parent, const char *text)
{
    return totalLabel(parent, QString(), text, true);
}

} // namespace

AttendanceTotalsPanel::AttendanceTotalsPanel(Arrangement arrangement, const QString &ourOvertimeName, QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("pnl_Totals"));
    lbl_TotalOurPresentDays = totalLabel(this, QStringLiteral("lbl_TotalOurPresentDays"), "Total Present Days:");
    lbl_TotalOurNormalHours = totalLabel(this, QStringLiteral("lbl_TotalOurNormalHours"), "Total Normal Hours:");
    lbl_TotalOurOvertimeHours = totalLabel(this, ourOvertimeName, "Total Overtime Hours:");
    lbl_TotalOurHolidayHours = totalLabel(this, QStringLiteral("lbl_TotalOurHolidayHours"), "Total Holiday Hours:");
    lbl_TotalOurHours = totalLabel(this, QStringLiteral("lbl_TotalOurHours"), "Total Hours:", true);
    lbl_TotalClientPresentDays = totalLabel(this, QStringLiteral("lbl_TotalClientPresentDays"), "Total Present Days:");
    lbl_TotalClientNormalHours = totalLabel(this, QStringLiteral("lbl_TotalClientNormalHours"), "Total Normal Hours:");
    lbl_TotalClientOverTimeHours =
        totalLabel(this, QStringLiteral("lbl_TotalClientOverTimeHours"), "Total Overtime Hours:");
    lbl_TotalClientHolidayHours =
        totalLabel(this, QStringLiteral("lbl_TotalClientHolidayHours"), "Total Holiday Hours:");
    lbl_TotalClientHours = totalLabel(this, QStringLiteral("lbl_TotalClientHours"), "Total Hours:", true);

    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    const QList<QLabel *> sides[] = {ours(), client()};
    const char *headings[] = {"Our Attendance:", "Client Attendance:"};
    for (int s = 0; s < 2; ++s) {
        if (arrangement == Arrangement::Columns) {
            // Column 0 ours, a gap, column 2 the client's.
            grid->addWidget(heading(this, headings[s]), 0, s * 2);
            for (int i = 0; i < sides[s].size(); ++i)
                grid->addWidget(sides[s][i], i + 1, s * 2);
        } else {
            grid->addWidget(heading(this, headings[s]), s, 0);
            for (int i = 0; i < sides[s].size(); ++i)
                grid->addWidget(sides[s][i], s, i + 1);
        }
    }
    if (arrangement == Arrangement::Columns) {
        grid->setColumnMinimumWidth(1, 60);
        grid->setColumnStretch(3, 1);
    } else {
        grid->setHorizontalSpacing(18);
        grid->setColumnStretch(6, 1);
    }
    setOurs({});
    setClient({});
}

QList<QLabel *> AttendanceTotalsPanel::ours() const
{
    return {lbl_TotalOurPresentDays, lbl_TotalOurNormalHours, lbl_TotalOurOvertimeHours, lbl_TotalOurHolidayHours,
            lbl_TotalOurHours};
}

QList<QLabel *> AttendanceTotalsPanel::client() const
{
    return {lbl_TotalClientPresentDays, lbl_TotalClientNormalHours, lbl_TotalClientOverTimeHours,
            lbl_TotalClientHolidayHours, lbl_TotalClientHours};
}

void AttendanceTotalsPanel::setOurs(const QStringList &texts)
{
    const QList<QLabel *> labels = ours();
    for (int i = 0; i < labels.size() && i < texts.size(); ++i)
        labels[i]->setText(texts[i]);
}

void AttendanceTotalsPanel::setClient(const QStringList &texts)
{
    const QList<QLabel *> labels = client();
    for (int i = 0; i < labels.size() && i < texts.size(); ++i)
        labels[i]->setText(texts[i]);
}

void AttendanceTotalsPanel::clearAgree()
{
    lbl_TotalClientHours->setStyleSheet(QString());
    lbl_TotalClientHours->setPalette(QPalette());
}

void AttendanceTotalsPanel::setAgree(bool agree)
{
    const QColor c = agree ? QColor(0, 128, 0) : QColor(255, 0, 0);
    // A style sheet, so that the visual theme cannot override the colour.
    lbl_TotalClientHours->setStyleSheet(QStringLiteral("color: %1;").arg(c.name()));
    QPalette p = lbl_TotalClientHours->palette();
    p.setColor(QPalette::WindowText, c);
    lbl_TotalClientHours->setPalette(p);
}
