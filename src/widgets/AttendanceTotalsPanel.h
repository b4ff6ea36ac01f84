#pragma once

#include <QStringList>
#include <QWidget>

class QLabel;

// Both sides' month totals of one worker: "Our Attendance:" and "Client Attendance:", five
// labels each (present days, normal, overtime, holiday and total hours, the total in bold), the
// client's total green when it equals ours and red otherwise.
class AttendanceTotalsPanel : public QWidget
{
    Q_OBJECT
public:
    enum class Arrangement {
        Columns, // each side a column of labels under its heading, the sides next to each other
        Rows     // each side a row of labels after its heading, the client's under ours
    };

    // ourOvertimeName: the object name of our overtime label, which the windows spell differently.
    AttendanceTotalsPanel(Arrangement arrangement, const QString &ourOvertimeName, QWidget *parent = nullptr);

    // The five texts of a side, in label order.
    void setOurs(const QStringList &texts);
    void setClient(const QStringList &texts);
    void setAgree(bool agree);
    // No comparison shown (no worker loaded): the theme's colour.
    void clearAgree();

    QLabel *lbl_TotalOurPresentDays;
    QLabel *lbl_TotalOurNormalHours;
    QLabel *lbl_TotalOurOvertimeHours;
    QLabel *lbl_TotalOurHolidayHours;
    QLabel *lbl_TotalOurHours;
    QLabel *lbl_TotalClientPresentDays;
    QLabel *lbl_TotalClientNormalHours;
    QLabel *lbl_TotalClientOverTimeHours;
    QLabel *lbl_TotalClientHolidayHours;
    QLabel *lbl_TotalClientHours;

private:
    QList<QLabel *> ours() const;
    QList<QLabel *> client() const;
};
