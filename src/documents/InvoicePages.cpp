#include "InvoicePages.h"

#include <QDir>
#include <QFont>
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextLayout>

using InvoiceDocument::Document;
using InvoiceDocument::Line;
using InvoiceDocument::Sums;

namespace InvoicePages {

namespace {

// Control characters (an embedded NUL, tabs) print as blanks; blanks around a value do not print.
QString printable(const QString &s)
{
    QString out = s;
    for (QChar &c : out)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = QLatin1Char(' ');
    return out.trimmed();
}

QFont font(qreal points, bool bold = false)
{
    QFont f;
    // DejaVu Sans carries Latin and Arabic; the others are what a Windows desk has.
    f.setFamilies({QStringLiteral("DejaVu Sans"), QStringLiteral("Noto Sans"), QStringLiteral("Arial"),
                   QStringLiteral("Liberation Sans")});
    f.setStyleHint(QFont::SansSerif);
    f.setPointSizeF(points);
    f.setBold(bold);
    // No Latin ligatures: "fi" drawn as one glyph reads back as U+FB01, and a name copied out
    // of the document would no longer match the database. Arabic keeps its joining.
    f.setStyleStrategy(QFont::PreferNoShaping);
    return f;
}

// The text cut into at most maxLines lines of the width; the last line ends in "…" when text is
// left over, so that no name can push a line beyond a page.
QStringList wrapLines(const QString &text, const QFont &f, const QFontMetricsF &fm, QPaintDevice *device, qreal width,
                      int maxLines)
{
    if (text.isEmpty() || fm.horizontalAdvance(text) <= width)
        return {text};
    QTextLayout layout(text, f, device);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    option.setTextDirection(text.isRightToLeft() ? Qt::RightToLeft : Qt::LeftToRight);
    layout.setTextOption(option);
    layout.beginLayout();
    QStringList out;
    for (;;) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(width);
        if (out.size() == maxLines - 1) {
            const QString rest = text.mid(line.textStart()).trimmed();
            out << fm.elidedText(rest, Qt::ElideRight, width);
            break;
        }
        out << text.mid(line.textStart(), line.textLength()).trimmed();
    }
    layout.endLayout();
    return out;
}

struct Column
{
    QString title;
    qreal weight; // millimetres on an A4 landscape page
    bool number;
};

const QList<Column> &columns()
{
    static const QList<Column> list{
        {QStringLiteral("Employee No."), 20, false}, {QStringLiteral("Employee Name"), 62, false},
        {QStringLiteral("Days"), 12, true},          {QStringLiteral("Normal Hours"), 14, true},
        {QStringLiteral("OT Hours"), 14, true},      {QStringLiteral("Holiday Hours"), 14, true},
        {QStringLiteral("Normal Rate"), 16, true},   {QStringLiteral("OT Rate"), 16, true},
        {QStringLiteral("Holiday Rate"), 16, true},  {QStringLiteral("Normal Amount"), 22, true},
        {QStringLiteral("OT Amount"), 22, true},     {QStringLiteral("Holiday Amount"), 22, true},
        {QStringLiteral("Line Total"), 24, true},
    };
    return list;
}
enum Col { cNo, cName, cDays, cWH, cOT, cHT, cWHR, cOTR, cHTR, cWHA, cOTA, cHTA, cTotal, ColumnCount };

struct Block
{
    enum Kind { Section, Row, Subtotal, Grand, Continued } kind;
    int index; // line (Row), section (Section, Subtotal, Continued)
    qreal height;
};

struct RowText
{
    QStringList no;
    QStringList name;
};

struct SectionInfo
{
    QString job;
    Sums sums;
};

class Layout
{
public:
    Layout(const Document &d, QPagedPaintDevice &device, const QLocale &locale);
    int paint();

private:
    qreal mm(qreal v) const { return v * m_dpi / 25.4; }
    QString money(double v) const;
    QString count(qint64 v) const { return m_locale.toString(v); }
    void drawText(const QFontMetricsF &fm, const QString &text, qreal left, qreal right, qreal baseline,
                  bool alignRight);
    void measure();
    void paginate();
    qreal headerHeight() const;
    qreal detailsHeight();
    void drawHeader();
    qreal drawDetails(qreal y);
    qreal drawTableHeader(qreal y);
    void drawFooter(int page, int pages);
    void drawWatermark();
    void drawBlock(const Block &b, qreal y);
    void drawSums(const QString &label, const Sums &s, qreal y, bool bold);

    const Document &m_d;
    QPagedPaintDevice &m_device;
    QLocale m_locale;
    QPainter m_p;
    qreal m_dpi;
    qreal m_width = 0, m_height = 0;
    QFont m_body, m_bold, m_small, m_info, m_infoBold, m_company, m_title;
    std::unique_ptr<QFontMetricsF> m_fmBody, m_fmBold, m_fmSmall, m_fmInfo, m_fmInfoBold, m_fmCompany, m_fmTitle;
    QList<qreal> m_x; // column edges, ColumnCount + 1
    QList<RowText> m_rows;
    QList<SectionInfo> m_sections;
    QList<int> m_sectionOf; // per line
    QList<Block> m_blocks;
    QList<QList<Block>> m_pages;
    QStringList m_titleLines[ColumnCount];
    qreal m_pad = 0, m_padV = 0, m_line = 0;
    qreal m_tableHeader = 0, m_details = 0;
    QList<QStringList> m_detailCols;
};

Layout::Layout(const Document &d, QPagedPaintDevice &device, const QLocale &locale)
    : m_d(d), m_device(device), m_locale(locale), m_dpi(device.logicalDpiY())
{
    m_locale.setNumberOptions(QLocale::DefaultNumberOptions);
}

QString Layout::money(double v) const
{
    // Half a cent either side of zero prints as 0.00, never as -0.00.
    if (qAbs(v) < 0.005)
        v = 0;
    return m_locale.toString(v, 'f', 2);
}

void Layout::drawText(const QFontMetricsF &fm, const QString &text, qreal left, qreal right, qreal baseline,
                      bool alignRight)
{
    if (text.isEmpty())
        return;
    const qreal avail = right - left;
    const qreal w = fm.horizontalAdvance(text);
    const bool rtl = text.isRightToLeft();
    if (rtl)
        m_p.setLayoutDirection(Qt::RightToLeft);
    if (w > avail && avail > 0) {
        // A figure wider than its column is narrowed rather than run into its neighbour.
        m_p.save();
        m_p.translate(left, baseline);
        m_p.scale(avail / w, 1);
        m_p.drawText(QPointF(0, 0), text);
        m_p.restore();
    } else {
        // Right-to-left text keeps to the right edge of its cell, where its readers start.
        m_p.drawText(QPointF(alignRight || rtl ? right - w : left, baseline), text);
    }
    if (rtl)
        m_p.setLayoutDirection(Qt::LeftToRight);
}

void Layout::measure()
{
    m_width = m_device.width();
    m_height = m_device.height();
    m_body = font(8);
    m_bold = font(8, true);
    m_small = font(7, true);
    m_info = font(9);
    m_infoBold = font(9, true);
    m_company = font(14, true);
    m_title = font(20, true);
    QPaintDevice *dev = &m_device;
    m_fmBody = std::make_unique<QFontMetricsF>(m_body, dev);
    m_fmBold = std::make_unique<QFontMetricsF>(m_bold, dev);
    m_fmSmall = std::make_unique<QFontMetricsF>(m_small, dev);
    m_fmInfo = std::make_unique<QFontMetricsF>(m_info, dev);
    m_fmInfoBold = std::make_unique<QFontMetricsF>(m_infoBold, dev);
    m_fmCompany = std::make_unique<QFontMetricsF>(m_company, dev);
    m_fmTitle = std::make_unique<QFontMetricsF>(m_title, dev);
    m_pad = mm(1.2);
    m_padV = mm(0.8);
    m_line = m_fmBody->lineSpacing();

    qreal weights = 0;
    for (const Column &c : columns())
        weights += c.weight;
    m_x = {0};
    for (const Column &c : columns())
        m_x << m_x.last() + c.weight * m_width / weights;

    int titleLines = 1;
    for (int c = 0; c < ColumnCount; ++c) {
        m_titleLines[c] =
            wrapLines(columns().at(c).title, m_small, *m_fmSmall, dev, m_x[c + 1] - m_x[c] - 2 * m_pad, 2);
        titleLines = std::max(titleLines, int(m_titleLines[c].size()));
    }
    m_tableHeader = titleLines * m_fmSmall->lineSpacing() + 2 * m_padV;

    // Sections: the lines come ordered by client job.
    m_rows.reserve(m_d.lines.size());
    m_sectionOf.reserve(m_d.lines.size());
    const qreal noWidth = m_x[cNo + 1] - m_x[cNo] - 2 * m_pad;
    const qreal nameWidth = m_x[cName + 1] - m_x[cName] - 2 * m_pad;
    for (const Line &l : m_d.lines) {
        const QString job = printable(l.clientJob);
        if (m_sections.isEmpty() || m_sections.last().job != job)
            m_sections.append({job, {}});
        m_sections.last().sums.add(l);
        m_sectionOf << int(m_sections.size() - 1);
        m_rows.append({wrapLines(printable(l.employeeNo), m_body, *m_fmBody, dev, noWidth, 2),
                       wrapLines(printable(l.employeeName), m_body, *m_fmBody, dev, nameWidth, 3)});
    }
}

qreal Layout::headerHeight() const
{
    return m_fmTitle->lineSpacing() + 2 * m_fmInfo->lineSpacing() + mm(3);
}

qreal Layout::detailsHeight()
{
    QPaintDevice *dev = &m_device;
    const qreal colWidth = m_width / 3 - mm(4);
    QStringList client{QStringLiteral("Bill to")};
    if (m_d.clientRecorded) {
        client << m_fmInfoBold->elidedText(printable(m_d.clientName), Qt::ElideRight, colWidth);
        client << wrapLines(printable(m_d.clientAddress), m_info, *m_fmInfo, dev, colWidth, 4);
    } else {
        client << QStringLiteral("client not recorded");
    }
    QStringList project{QStringLiteral("Project")};
    project << m_fmInfoBold->elidedText(printable(m_d.project), Qt::ElideRight, colWidth);
    project << wrapLines(QStringLiteral("Site: ") + printable(m_d.siteLocation), m_info, *m_fmInfo, dev, colWidth, 3);
    project << m_fmInfo->elidedText(QStringLiteral("ERP account: ") + printable(m_d.erpAccountNo), Qt::ElideRight,
                                    colWidth);
    QStringList terms{QStringLiteral("Invoice details")};
    terms << QStringLiteral("Reference: ") +
                 m_fmInfo->elidedText(printable(m_d.reference()), Qt::ElideRight, colWidth * 0.8);
    terms << QStringLiteral("Cycle: ") + m_d.cycleText();
    terms << QStringLiteral("Date of issue: ") +
                 QLocale(QLocale::English).toString(m_d.issued, QStringLiteral("d MMMM yyyy"));
    terms << m_fmInfo->elidedText(QStringLiteral("Payment terms: ") + printable(m_d.paymentTerms), Qt::ElideRight,
                                  colWidth);
    m_detailCols = {client, project, terms};
    int lines = 0;
    for (const QStringList &c : std::as_const(m_detailCols))
        lines = std::max(lines, int(c.size()));
    qreal h = lines * m_fmInfo->lineSpacing() + mm(4);
    if (m_d.isDraft())
        h += m_fmInfoBold->lineSpacing() + mm(5);
    return h;
}

void Layout::paginate()
{
    for (int i = 0; i < m_d.lines.size(); ++i) {
        const int s = m_sectionOf[i];
        if (i == 0 || m_sectionOf[i - 1] != s)
            m_blocks.append({Block::Section, s, m_fmBold->lineSpacing() + 2 * m_padV + mm(1)});
        const int lines = std::max(m_rows[i].no.size(), m_rows[i].name.size());
        m_blocks.append({Block::Row, i, lines * m_line + 2 * m_padV});
        if (i + 1 == m_d.lines.size() || m_sectionOf[i + 1] != s)
            m_blocks.append({Block::Subtotal, s, m_fmBold->lineSpacing() + 2 * m_padV + mm(1.5)});
    }
    m_blocks.append({Block::Grand, -1, m_fmInfoBold->lineSpacing() + 2 * m_padV + mm(2)});

    const qreal footer = m_fmBody->lineSpacing() + mm(3);
    const qreal bottom = m_height - footer;
    const qreal continued = m_fmBold->lineSpacing() + 2 * m_padV + mm(1);
    auto top = [&](int page) { return headerHeight() + (page == 0 ? m_details : 0) + m_tableHeader; };
    m_pages = {QList<Block>()};
    qreal y = top(0);
    for (int b = 0; b < m_blocks.size(); ++b) {
        const Block &block = m_blocks[b];
        qreal need = block.height;
        // A job's title stays with its first line.
        if (block.kind == Block::Section && b + 1 < m_blocks.size())
            need += m_blocks[b + 1].height;
        if (y + need > bottom && !m_pages.last().isEmpty()) {
            m_pages.append(QList<Block>());
            y = top(int(m_pages.size() - 1));
            if (block.kind == Block::Row || block.kind == Block::Subtotal) {
                const int s = block.kind == Block::Row ? m_sectionOf[block.index] : block.index;
                m_pages.last().append({Block::Continued, s, continued});
                y += continued;
            }
        }
        m_pages.last().append(block);
        y += block.height;
    }
}

void Layout::drawWatermark()
{
    // An outline, not text: the mark must not mix into the lines a reader copies out.
    static const QString word = QStringLiteral("DRAFT");
    QFont f = font(10, true);
    f.setPixelSize(std::max(1, qRound(std::min(m_width, m_height) / 4))); // device units: the path has no device
    QPainterPath path;
    path.addText(0, 0, f, word);
    const QRectF box = path.boundingRect();
    m_p.save();
    m_p.translate(m_width / 2, m_height / 2);
    m_p.rotate(-30);
    m_p.translate(-box.center());
    m_p.setPen(Qt::NoPen);
    m_p.setBrush(QColor(220, 40, 40, 40));
    m_p.drawPath(path);
    m_p.restore();
}

void Layout::drawHeader()
{
    qreal y = m_fmTitle->ascent();
    m_p.setFont(m_company);
    m_p.setPen(Qt::black);
    const qreal titleWidth = m_fmTitle->horizontalAdvance(QStringLiteral("Invoice"));
    drawText(*m_fmCompany, printable(m_d.company), 0, m_width / 2, y, false);
    m_p.setFont(m_title);
    drawText(*m_fmTitle, QStringLiteral("Invoice"), m_width - titleWidth, m_width, y, true);
    if (m_d.isDraft()) {
        m_p.setFont(m_title);
        m_p.setPen(QColor(200, 0, 0));
        const qreal w = m_fmTitle->horizontalAdvance(QStringLiteral("DRAFT"));
        drawText(*m_fmTitle, QStringLiteral("DRAFT"), m_width - titleWidth - mm(6) - w, m_width - titleWidth - mm(6), y,
                 true);
        m_p.setPen(Qt::black);
    }
    y += m_fmTitle->descent() + m_fmInfo->ascent();
    m_p.setFont(m_info);
    const qreal half = m_width / 2 - mm(3);
    const QString client = m_d.clientRecorded ? printable(m_d.clientName) : QStringLiteral("client not recorded");
    drawText(*m_fmInfo, m_fmInfo->elidedText(QStringLiteral("Client: ") + client, Qt::ElideRight, half), 0, half, y,
             false);
    drawText(*m_fmInfo,
             m_fmInfo->elidedText(QStringLiteral("Reference: ") + printable(m_d.reference()), Qt::ElideRight, half),
             m_width - half, m_width, y, true);
    y += m_fmInfo->lineSpacing();
    drawText(*m_fmInfo,
             m_fmInfo->elidedText(QStringLiteral("Project: ") + printable(m_d.project), Qt::ElideRight, half), 0, half,
             y, false);
    drawText(*m_fmInfo, QStringLiteral("Cycle: ") + m_d.cycleText(), m_width - half, m_width, y, true);
    y += m_fmInfo->descent() + mm(1.5);
    m_p.setPen(QPen(Qt::black, mm(0.3)));
    m_p.drawLine(QPointF(0, y), QPointF(m_width, y));
}

qreal Layout::drawDetails(qreal y)
{
    const qreal colWidth = m_width / 3;
    y += mm(2);
    const qreal ls = m_fmInfo->lineSpacing();
    for (int c = 0; c < m_detailCols.size(); ++c) {
        const QStringList &lines = m_detailCols[c];
        for (int i = 0; i < lines.size(); ++i) {
            const bool bold = i <= 1;
            m_p.setFont(bold ? m_infoBold : m_info);
            m_p.setPen(i == 0 ? QColor(90, 90, 90) : QColor(Qt::black));
            drawText(bold ? *m_fmInfoBold : *m_fmInfo, lines[i], c * colWidth, (c + 1) * colWidth - mm(4),
                     y + m_fmInfo->ascent() + i * ls, false);
        }
    }
    int lines = 0;
    for (const QStringList &c : std::as_const(m_detailCols))
        lines = std::max(lines, int(c.size()));
    y += lines * ls + mm(2);
    if (m_d.isDraft()) {
        const QString note =
            QStringLiteral(
                "DRAFT - not final: %1 worker(s) with unchecked attendance, %2 disputed day(s) in this cycle.")
                .arg(count(m_d.uncheckedWorkers), count(m_d.disputedDays));
        const qreal h = m_fmInfoBold->lineSpacing() + mm(3);
        m_p.setPen(QPen(QColor(200, 0, 0), mm(0.4)));
        m_p.setBrush(QColor(255, 235, 235));
        m_p.drawRect(QRectF(0, y, m_width, h));
        m_p.setBrush(Qt::NoBrush);
        m_p.setFont(m_infoBold);
        drawText(*m_fmInfoBold, m_fmInfoBold->elidedText(note, Qt::ElideRight, m_width - 2 * m_pad), m_pad,
                 m_width - m_pad, y + mm(1.5) + m_fmInfoBold->ascent(), false);
        m_p.setPen(Qt::black);
        y += h + mm(2);
    }
    return y;
}

qreal Layout::drawTableHeader(qreal y)
{
    m_p.fillRect(QRectF(0, y, m_width, m_tableHeader), QColor(225, 230, 238));
    m_p.setFont(m_small);
    m_p.setPen(Qt::black);
    const qreal ls = m_fmSmall->lineSpacing();
    for (int c = 0; c < ColumnCount; ++c) {
        const QStringList &t = m_titleLines[c];
        // Titles sit on the bottom line, above the figures.
        const qreal first = y + m_tableHeader - m_padV - t.size() * ls + m_fmSmall->ascent();
        for (int i = 0; i < t.size(); ++i)
            drawText(*m_fmSmall, t[i], m_x[c] + m_pad, m_x[c + 1] - m_pad, first + i * ls, columns().at(c).number);
    }
    return y + m_tableHeader;
}

void Layout::drawFooter(int page, int pages)
{
    const qreal y = m_height - m_fmBody->descent();
    m_p.setFont(m_body);
    m_p.setPen(QColor(60, 60, 60));
    m_p.drawLine(QPointF(0, m_height - m_fmBody->lineSpacing() - mm(1)),
                 QPointF(m_width, m_height - m_fmBody->lineSpacing() - mm(1)));
    const QString right = QStringLiteral("Page %1 of %2").arg(page + 1).arg(pages);
    const qreal rw = m_fmBody->horizontalAdvance(right);
    drawText(*m_fmBody,
             m_fmBody->elidedText(printable(m_d.company) + QStringLiteral(" - ") + printable(m_d.reference()),
                                  Qt::ElideRight, m_width - rw - mm(10)),
             0, m_width - rw - mm(10), y, false);
    drawText(*m_fmBody, right, m_width - rw, m_width, y, true);
    m_p.setPen(Qt::black);
}

void Layout::drawSums(const QString &label, const Sums &s, qreal y, bool bold)
{
    const QFontMetricsF &fm = bold ? *m_fmInfoBold : *m_fmBold;
    m_p.setFont(bold ? m_infoBold : m_bold);
    const qreal base = y + m_padV + fm.ascent();
    drawText(fm, fm.elidedText(label, Qt::ElideRight, m_x[cDays] - 2 * m_pad), m_pad, m_x[cDays] - m_pad, base, false);
    auto cell = [&](int c, const QString &text) { drawText(fm, text, m_x[c] + m_pad, m_x[c + 1] - m_pad, base, true); };
    cell(cDays, count(s.daysPresent));
    cell(cWH, count(s.whHours));
    cell(cOT, count(s.otHours));
    cell(cHT, count(s.htHours));
    cell(cWHA, money(s.whAmount));
    cell(cOTA, money(s.otAmount));
    cell(cHTA, money(s.htAmount));
    cell(cTotal, money(s.total));
}

void Layout::drawBlock(const Block &b, qreal y)
{
    switch (b.kind) {
    case Block::Section:
    case Block::Continued: {
        const QString job = m_sections[b.index].job;
        QString title = QStringLiteral("Client job: ") + (job.isEmpty() ? QStringLiteral("(none)") : job);
        if (b.kind == Block::Continued)
            title += QStringLiteral(" (continued)");
        m_p.setFont(m_bold);
        m_p.setPen(QColor(20, 50, 110));
        drawText(*m_fmBold, m_fmBold->elidedText(title, Qt::ElideRight, m_width - 2 * m_pad), m_pad, m_width - m_pad,
                 y + mm(1) + m_padV + m_fmBold->ascent(), false);
        m_p.setPen(Qt::black);
        break;
    }
    case Block::Row: {
        const Line &l = m_d.lines[b.index];
        const RowText &t = m_rows[b.index];
        m_p.setFont(m_body);
        const qreal base = y + m_padV + m_fmBody->ascent();
        for (int i = 0; i < t.no.size(); ++i)
            drawText(*m_fmBody, t.no[i], m_x[cNo] + m_pad, m_x[cNo + 1] - m_pad, base + i * m_line, false);
        for (int i = 0; i < t.name.size(); ++i)
            drawText(*m_fmBody, t.name[i], m_x[cName] + m_pad, m_x[cName + 1] - m_pad, base + i * m_line, false);
        auto cell = [&](int c, const QString &text) {
            drawText(*m_fmBody, text, m_x[c] + m_pad, m_x[c + 1] - m_pad, base, true);
        };
        cell(cDays, count(l.daysPresent));
        cell(cWH, count(l.whHours));
        cell(cOT, count(l.otHours));
        cell(cHT, count(l.htHours));
        cell(cWHR, money(l.whRate));
        cell(cOTR, money(l.otRate));
        cell(cHTR, money(l.htRate));
        cell(cWHA, money(l.whAmount));
        cell(cOTA, money(l.otAmount));
        cell(cHTA, money(l.htAmount));
        cell(cTotal, money(l.total));
        m_p.setPen(QPen(QColor(210, 210, 210), 0));
        m_p.drawLine(QPointF(0, y + b.height), QPointF(m_width, y + b.height));
        m_p.setPen(Qt::black);
        break;
    }
    case Block::Subtotal: {
        const SectionInfo &s = m_sections[b.index];
        m_p.fillRect(QRectF(0, y, m_width, b.height - mm(1.5)), QColor(242, 242, 242));
        drawSums(QStringLiteral("Subtotal ") + (s.job.isEmpty() ? QStringLiteral("(none)") : s.job), s.sums, y, false);
        break;
    }
    case Block::Grand: {
        const qreal top = y + mm(2);
        m_p.setPen(QPen(Qt::black, mm(0.3)));
        m_p.drawLine(QPointF(0, top), QPointF(m_width, top));
        drawSums(QStringLiteral("Grand total (%1 lines)").arg(count(m_d.lines.size())), m_d.totals(), top, true);
        break;
    }
    }
}

int Layout::paint()
{
    if (!m_p.begin(&m_device))
        return 0;
    measure();
    m_details = detailsHeight();
    paginate();
    const int pages = int(m_pages.size());
    for (int page = 0; page < pages; ++page) {
        if (page > 0)
            m_device.newPage();
        if (m_d.isDraft())
            drawWatermark();
        drawHeader();
        qreal y = headerHeight();
        if (page == 0)
            y = drawDetails(y);
        y = drawTableHeader(y);
        for (const Block &b : std::as_const(m_pages[page])) {
            drawBlock(b, y);
            y += b.height;
        }
        drawFooter(page, pages);
    }
    m_p.end();
    return pages;
}

QString cannotSave(const QString &fileName, const QString &why)
{
    return QStringLiteral("Cannot save \"%1\": %2").arg(QDir::toNativeSeparators(fileName), why);
}

} // namespace

QPageLayout pageLayout()
{
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(12, 10, 12, 10),
                       QPageLayout::Millimeter);
}

int paint(const Document &document, QPagedPaintDevice &device, const QLocale &locale)
{
    Layout layout(document, device, locale);
    return layout.paint();
}

int savePdf(const Document &document, const QString &fileName, const QLocale &locale)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        throw SaveError(cannotSave(fileName, file.errorString()));
    int pages = 0;
    {
        QPdfWriter writer(&file);
        writer.setPageLayout(pageLayout());
        writer.setResolution(600);
        writer.setCreator(QStringLiteral("Tallimar"));
        writer.setTitle(QStringLiteral("Invoice ") + printable(document.reference()));
        pages = paint(document, writer, locale);
    }
    if (pages == 0) {
        file.cancelWriting();
        throw SaveError(cannotSave(fileName, QStringLiteral("the document could not be laid out")));
    }
    if (!file.commit())
        throw SaveError(cannotSave(fileName, file.errorString()));
    return pages;
}

} // namespace InvoicePages
