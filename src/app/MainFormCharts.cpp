// The main window's two dashboard charts: hours deployed and hours billed per day.
#include "Dashboard.h"
#include "MainForm.h"

#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QLabel>
#include <QRandomGenerator>
#include <QVBoxLayout>
#include <QValueAxis>

#include <cmath>

namespace {

struct AxisSteps
{
    qreal max;
    int ticks;
};

// Whole-number steps of 1, 2 or 5 times a power of ten, with room above the highest bar for its
// value; at least 0 to 5 so that an empty month still reads sensibly.
AxisSteps axisSteps(qint64 top)
{
    const qreal wanted = qMax<qreal>(5, top * 1.25);
    const qreal rough = wanted / 5;
    qreal magnitude = 1;
    while (magnitude * 10 <= rough)
        magnitude *= 10;
    qreal step = magnitude;
    for (qreal f : {1.0, 2.0, 5.0, 10.0})
        if (f * magnitude >= rough) {
            step = f * magnitude;
            break;
        }
    const int intervals = int(std::ceil(wanted / step));
    return {intervals * step, intervals + 1};
}

// Fresh axes at each refresh: a category axis keeps showing its old labels once emptied.
void setAxes(QChart *chart, QBarSeries *series, const QStringList &categories, qint64 top)
{
    const auto old = chart->axes();
    for (QAbstractAxis *a : old) {
        chart->removeAxis(a);
        delete a;
    }
    auto *x = new QCategoryAxis(chart);
    x->setLabelsAngle(-90);
    x->setLabelsPosition(QCategoryAxis::AxisLabelsPositionCenter);
    QFont font = x->labelsFont();
    font.setPointSizeF(font.pointSizeF() * 0.85);
    x->setLabelsFont(font);
    // Bar i stands at i: one range of width 1 around each bar (labelled by DayLabels).
    x->setRange(-0.5, qMax<qsizetype>(1, categories.size()) - 0.5);
    x->setStartValue(-0.5);
    auto *y = new QValueAxis(chart);
    y->setLabelFormat(QStringLiteral("%i"));
    y->setLabelsFont(font);
    const AxisSteps steps = axisSteps(top);
    y->setRange(0, steps.max);
    y->setTickCount(steps.ticks);
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    series->attachAxis(x);
    series->attachAxis(y);
}

// The day labels under a chart's bars. A label gets the width of its range, and Qt cuts one
// narrower than the text's line height to "..."; when the bars are that narrow the labels are
// thinned to every n-th day (n odd, so that each label stays under its own bar) and each label's
// range spans its n days.
class DayLabels : public QObject
{
public:
    explicit DayLabels(QChartView *view) : QObject(view), m_view(view)
    {
        connect(view->chart(), &QChart::plotAreaChanged, this, [this] { relabel(false); });
    }
    void setDays(const QStringList &days)
    {
        m_days = days;
        relabel(true);
    }

private:
    void relabel(bool force)
    {
        QCategoryAxis *x = nullptr;
        for (QAbstractAxis *a : m_view->chart()->axes(Qt::Horizontal))
            if ((x = qobject_cast<QCategoryAxis *>(a)))
                break;
        if (!x)
            return;
        const qsizetype n = m_days.size();
        const qreal plot =
            m_view->chart()->plotArea().width() > 0 ? m_view->chart()->plotArea().width() : m_view->width() * 0.85;
        const qreal perDay = n > 0 ? plot / n : plot;
        const qreal need = QFontMetricsF(x->labelsFont()).height() + 4;
        int step = 1;
        while (step * perDay < need && step < n)
            step += 2;
        if (!force && step == m_step)
            return;
        m_step = step;
        for (const QString &label : x->categoriesLabels())
            x->remove(label);
        for (qsizetype first = 0; first < n; first += step) {
            const qsizetype last = qMin<qsizetype>(first + step, n);
            const qsizetype labelled = first + (step - 1) / 2;
            // A short last group has no bar at its centre: it stays unlabelled (a blank label,
            // as labels must differ from each other).
            x->append(labelled < last && last - first == step ? m_days.at(labelled) : QStringLiteral(" "), last - 0.5);
        }
    }

    QChartView *m_view;
    QStringList m_days;
    int m_step = 0;
};

} // namespace

QLabel *TMainForm::boldLabel(const QString &text, const QString &name, QWidget *parent, qreal scale)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(name);
    QFont f = l->font();
    f.setBold(true);
    if (scale != 1.0)
        f.setPointSizeF(f.pointSizeF() * scale);
    l->setFont(f);
    return l;
}

QWidget *TMainForm::buildChartPanel(const QString &panelName, QLabel *&title, const QString &titleName,
                                    const QString &caption, QLabel *&value, const QString &valueName, QChartView *&view,
                                    const QString &viewName, QBarSeries *&series, const QString &seriesName)
{
    auto *panel = new QWidget(pnl_Charts);
    panel->setObjectName(panelName);
    title = boldLabel(caption, titleName, panel, 1.1);
    value = new QLabel(QStringLiteral("0"), panel);
    value->setObjectName(valueName);
    QFont vf = value->font();
    vf.setPointSizeF(vf.pointSizeF() * 1.1);
    value->setFont(vf);

    auto *chart = new QChart;
    chart->setBackgroundBrush(Qt::white);
    chart->setBackgroundRoundness(0);
    chart->setMargins(QMargins(6, 6, 6, 2));
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->legend()->hide();
    series = new QBarSeries(chart);
    series->setObjectName(seriesName);
    series->setLabelsVisible(true);
    series->setLabelsPosition(QAbstractBarSeries::LabelsOutsideEnd);
    series->setLabelsFormat(QStringLiteral("@value"));
    series->setLabelsPrecision(12);
    series->setBarWidth(0.7);
    series->setLabelsAngle(-90);
    chart->addSeries(series);
    setAxes(chart, series, {}, 0);

    view = new QChartView(chart, panel);
    view->setObjectName(viewName);
    view->setRenderHint(QPainter::Antialiasing);
    view->setFrameShape(QFrame::StyledPanel);
    view->setMinimumHeight(180);
    new DayLabels(view);

    auto *head = new QHBoxLayout;
    head->setSpacing(14);
    head->addWidget(title);
    head->addWidget(value);
    head->addStretch(1);
    auto *layout = new QVBoxLayout(panel);
    layout->setContentsMargins(10, 8, 10, 6);
    layout->setSpacing(4);
    layout->addLayout(head);
    layout->addWidget(view, 1);
    return panel;
}

QColor TMainForm::barColour(quint32 draw)
{
    QColor c(int(draw & 0xFF), int((draw >> 8) & 0xFF), int((draw >> 16) & 0xFF));
    // A near-white bar would vanish on the white chart.
    if (c.lightness() > 200)
        c = QColor::fromHsl(c.hslHue(), c.hslSaturation(), 200);
    c.setAlpha(191);
    return c;
}

void TMainForm::fillChart(QChartView *view, QBarSeries *series, const DashboardSeries &data)
{
    QChart *chart = view->chart();
    // Bare axes would look like a chart that failed to draw: an empty month says so.
    chart->setTitle(data.days.isEmpty()
                        ? QStringLiteral("No attendance in %1")
                              .arg(QDate(m_cycleYear, m_cycleMonth, 1).toString(QStringLiteral("MM/yyyy")))
                        : QString());
    series->clear();
    const QColor colour = barColour(m_random->bounded(530000000u));
    auto *set = new QBarSet(QString());
    set->setColor(colour);
    set->setBorderColor(colour.darker(130));
    set->setLabelColor(QColor(0x30, 0x30, 0x30));
    QStringList categories;
    qint64 top = 0;
    for (const DashboardDay &d : data.days) {
        *set << qreal(d.hours);
        categories << (d.date.isValid() ? d.date.toString(QStringLiteral("dd/MM/yyyy")) : QStringLiteral("?"));
        top = qMax(top, d.hours);
    }
    series->append(set);
    setAxes(view->chart(), series, categories, top);
    for (QObject *o : view->children())
        if (auto *labels = dynamic_cast<DayLabels *>(o))
            labels->setDays(categories);
}
