#include "ClientSheetImportForm.h"
#include "ClientAttendanceForm.h"
#include "ScreenServices.h"

#include "DbError.h"
#include "Dialogs.h"
#include "ExportError.h"
#include "FileDialog.h"
#include "Messages.h"
#include "PassProgress.h"
#include "Session.h"

#include <QBrush>
#include <QColor>
#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

using namespace ClientSheet;

namespace {
const char *const Columns[] = {
    "Row",          "Hidden",      "Employee No", "Employee Name", "Date", "Date As Written", "Outcome",  "Reason",
    "Code",         "Normal",      "Overtime",    "Holiday",       "Job",  "Old Project",     "Old Code", "Old Normal",
    "Old Overtime", "Old Holiday", "Old Job",     "Loses Check"};
constexpr int ColumnCount = int(std::size(Columns));
constexpr int ReasonColumn = 7;
} // namespace

void ClientSheetPreviewModel::setPreview(const Preview *preview)
{
    beginResetModel();
    m_preview = preview;
    endResetModel();
}

int ClientSheetPreviewModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() || !m_preview ? 0 : int(m_preview->rows.size());
}

int ClientSheetPreviewModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ClientSheetPreviewModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < ColumnCount)
        return QString::fromLatin1(Columns[section]);
    return QAbstractTableModel::headerData(section, orientation, role);
}

QVariant ClientSheetPreviewModel::data(const QModelIndex &index, int role) const
{
    if (!m_preview || !index.isValid() || index.row() >= m_preview->rows.size())
        return {};
    const PreviewRow &r = m_preview->rows.at(index.row());
    const bool stored = r.outcome == Outcome::Changed || r.outcome == Outcome::Unchanged;
    const bool sheet = r.outcome != Outcome::Refused || !r.sheet.code.isEmpty();
    if (role == Qt::BackgroundRole) {
        if (r.outcome == Outcome::Refused)
            return QBrush(QColor(255, 214, 214));
        if (r.outcome == Outcome::Changed)
            return QBrush(QColor(255, 243, 196));
        if (r.outcome == Outcome::New)
            return QBrush(QColor(220, 245, 220));
        return {};
    }
    if (role != Qt::DisplayRole)
        return {};
    auto hours = [](bool show, int h) { return show ? QVariant(h) : QVariant(); };
    switch (index.column()) {
    case 0:
        return r.sheetColumn >= 0 ? QStringLiteral("%1 %2").arg(r.sheetRow).arg(columnLetters(r.sheetColumn))
                                  : QString::number(r.sheetRow);
    case 1:
        return r.hidden ? QStringLiteral("Hidden") : QString();
    case 2:
        return r.employeeNo;
    case 3:
        return r.employeeName;
    case 4:
        return r.date.isValid() ? r.date.toString(QStringLiteral("dd/MM/yyyy")) : QString();
    case 5:
        return r.dateText;
    case 6:
        return outcomeText(r.outcome);
    case 7:
        return r.reason;
    case 8:
        return r.sheet.code;
    case 9:
        return hours(sheet, r.sheet.wh);
    case 10:
        return hours(sheet, r.sheet.ot);
    case 11:
        return hours(sheet, r.sheet.ht);
    case 12:
        return r.sheet.job;
    case 13:
        return stored ? r.stored.project : QString();
    case 14:
        return stored ? r.stored.code : QString();
    case 15:
        return hours(stored, r.stored.wh);
    case 16:
        return hours(stored, r.stored.ot);
    case 17:
        return hours(stored, r.stored.ht);
    case 18:
        return stored ? r.stored.job : QString();
    case 19:
        return r.losesCheck() ? QStringLiteral("Yes") : QString();
    }
    return {};
}

TClientSheetImportForm::TClientSheetImportForm(Session &session, const QString &project, int year, int month,
                                               const QString &path, QWidget *parent)
    : QDialog(parent), m_session(session), m_path(path), m_model(new ClientSheetPreviewModel(this))
{
    setObjectName(QStringLiteral("TClientSheetImportForm"));
    setWindowTitle(QStringLiteral("Import Client Sheet - %1 - %2").arg(project, QFileInfo(path).fileName()));
    m_options.project = project;
    m_options.year = year;
    m_options.month = month;

    cb_Sheet = new QComboBox(this);
    cb_Sheet->setObjectName(QStringLiteral("cb_Sheet"));
    auto *mapping = new QGridLayout;
    mapping->addWidget(new QLabel(QStringLiteral("Sheet"), this), 0, 0);
    mapping->addWidget(cb_Sheet, 1, 0);
    for (int f = 0; f < FieldCount; ++f) {
        cb_Fields[f] = new QComboBox(this);
        cb_Fields[f]->setObjectName(QStringLiteral("cb_Field%1").arg(f));
        cb_Fields[f]->setMinimumWidth(110);
        mapping->addWidget(new QLabel(fieldTitle(Field(f)), this), 0, f + 1);
        mapping->addWidget(cb_Fields[f], 1, f + 1);
    }
    btn_ReadAgain = new QPushButton(QStringLiteral("Read Again"), this);
    btn_ReadAgain->setObjectName(QStringLiteral("btn_ReadAgain"));
    mapping->addWidget(btn_ReadAgain, 1, FieldCount + 1);
    mapping->setColumnStretch(FieldCount + 2, 1);

    lbl_Counts = new QLabel(this);
    lbl_Counts->setObjectName(QStringLiteral("lbl_Counts"));
    lbl_Counts->setStyleSheet(QStringLiteral("font-weight: bold;"));
    lbl_CheckLost = new QLabel(this);
    lbl_CheckLost->setObjectName(QStringLiteral("lbl_CheckLost"));
    lbl_CheckLost->setStyleSheet(QStringLiteral("color: rgb(160, 0, 0);"));
    lbl_CheckLost->setWordWrap(true);

    dbg_Preview = new QTableView(this);
    dbg_Preview->setObjectName(QStringLiteral("dbg_Preview"));
    dbg_Preview->setModel(m_model);
    dbg_Preview->setEditTriggers(QAbstractItemView::NoEditTriggers);
    dbg_Preview->setSelectionBehavior(QAbstractItemView::SelectRows);
    dbg_Preview->verticalHeader()->hide();
    dbg_Preview->verticalHeader()->setDefaultSectionSize(22);
    dbg_Preview->horizontalHeader()->setDefaultSectionSize(70);
    // Widths for the widest text each column holds, measured in the grid's font once: measuring
    // 300,000 rows would not do. The reason and the names take what is left.
    const char *const widest[ColumnCount] = {"000000",
                                             "",
                                             "E0000000",
                                             "MOHAMMED ABRAHAM HUSSAIN",
                                             "00/00/0000",
                                             "00/00/0000",
                                             "Unchanged",
                                             "",
                                             "",
                                             "",
                                             "",
                                             "",
                                             "Scaffolder Helper",
                                             "AIRPORT EXPANSION",
                                             "",
                                             "",
                                             "",
                                             "",
                                             "Scaffolder Helper",
                                             ""};
    const QFontMetrics fm(dbg_Preview->font());
    const QFontMetrics header(dbg_Preview->horizontalHeader()->font());
    for (int c = 0; c < ColumnCount; ++c)
        dbg_Preview->setColumnWidth(c, c == ReasonColumn ? 300
                                                         : qMax(header.horizontalAdvance(QLatin1String(Columns[c])),
                                                                fm.horizontalAdvance(QLatin1String(widest[c]))) +
                                                               18);

    btn_SavePreview = new QPushButton(QStringLiteral("Save Preview..."), this);
    btn_SavePreview->setObjectName(QStringLiteral("btn_SavePreview"));
    btn_Apply = new QPushButton(QStringLiteral("Apply"), this);
    btn_Apply->setObjectName(QStringLiteral("btn_Apply"));
    btn_Close = new QPushButton(QStringLiteral("Close"), this);
    btn_Close->setObjectName(QStringLiteral("btn_Close"));
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(btn_SavePreview);
    buttons->addStretch();
    buttons->addWidget(btn_Apply);
    buttons->addWidget(btn_Close);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(mapping);
    layout->addWidget(lbl_Counts);
    layout->addWidget(lbl_CheckLost);
    layout->addWidget(dbg_Preview, 1);
    layout->addLayout(buttons);
    resize(1180, 640);

    connect(btn_ReadAgain, &QPushButton::clicked, this, &TClientSheetImportForm::btn_ReadAgainClick);
    connect(btn_SavePreview, &QPushButton::clicked, this, &TClientSheetImportForm::btn_SavePreviewClick);
    connect(btn_Apply, &QPushButton::clicked, this, &TClientSheetImportForm::btn_ApplyClick);
    connect(btn_Close, &QPushButton::clicked, this, &QDialog::reject);
}

Options TClientSheetImportForm::options() const
{
    Options o = m_options;
    if (cb_Sheet->currentIndex() >= 0)
        o.sheetName = cb_Sheet->currentText();
    for (int f = 0; f < FieldCount; ++f)
        if (cb_Fields[f]->count() > 0)
            o.overrides.insert(Field(f), cb_Fields[f]->currentData().toInt());
    return o;
}

bool TClientSheetImportForm::readSheet()
{
    Importer imp(m_session.connection(), m_session.clock());
    Preview p;
    bool ok = false;
    runWindowAction(this, nullptr, [&] {
        try {
            p = imp.preview(m_path, m_options);
            ok = true;
        } catch (const ImportError &e) {
            Messages::error(e.message(), this);
        }
    });
    if (!ok)
        return false;
    m_preview = std::move(p);
    showPreview();
    return true;
}

void TClientSheetImportForm::showPreview()
{
    m_filling = true;
    cb_Sheet->clear();
    cb_Sheet->addItems(m_preview.sheetNames);
    cb_Sheet->setCurrentIndex(int(m_preview.sheetNames.indexOf(m_preview.sheetName)));
    const Mapping &m = m_preview.mapping;
    for (int f = 0; f < FieldCount; ++f) {
        QComboBox *cb = cb_Fields[f];
        cb->clear();
        cb->addItem(QStringLiteral("(none)"), -1);
        for (int c = 0; c < m.headers.size(); ++c)
            cb->addItem(QStringLiteral("%1: %2").arg(columnLetters(c), m.headers.at(c).left(30)), c);
        cb->setCurrentIndex(qMax(0, cb->findData(m.column(Field(f)))));
    }
    m_filling = false;
    m_model->setPreview(&m_preview);
    QString counts = m_preview.countsText();
    if (m.layout == Layout::PerWorker)
        counts += QStringLiteral("   (one column per day: %1 day columns)").arg(m.dayColumns.size());
    if (m_preview.hiddenRows > 0)
        counts += QStringLiteral("   %1 from hidden rows").arg(m_preview.hiddenRows);
    lbl_Counts->setText(counts);
    const QList<int> lost = m_preview.checkLost();
    lbl_CheckLost->setText(
        lost.isEmpty() ? QString() : QStringLiteral("Checked days that would lose their check: %1").arg(lost.size()));
    btn_Apply->setEnabled(!m_applied && m_preview.accepted() > 0);
}

void TClientSheetImportForm::btn_ReadAgainClick()
{
    const Options before = m_options;
    m_options = options();
    if (!readSheet())
        m_options = before;
}

void TClientSheetImportForm::btn_SavePreviewClick()
{
    FileDialog::Request r;
    r.caption = QStringLiteral("Save Preview");
    r.fileName = QFileInfo(m_path).completeBaseName() + QStringLiteral(" preview.xlsx");
    r.filter = QStringLiteral("Excel Workbook (*.xlsx);;Excel 97-2003 Workbook (*.xls)");
    r.defaultSuffix = QStringLiteral("xlsx");
    const QString file = FileDialog::getSaveFileName(this, r);
    if (file.isEmpty())
        return;
    runWindowAction(this, nullptr, [&] {
        try {
            savePreview(m_preview, file);
        } catch (const ExportError &e) {
            Messages::error(e.message(), this);
        }
    });
}

bool TClientSheetImportForm::applyPreview()
{
    if (m_applied || m_preview.accepted() == 0)
        return false;
    const QList<int> lost = m_preview.checkLost();
    if (!lost.isEmpty() &&
        !Messages::confirm(QStringLiteral("Checked days that would lose their check: %1. Apply?").arg(lost.size()),
                           this))
        return false;
    Importer imp(m_session.connection(), m_session.clock());
    imp.userId = m_session.user();
    bool done = false;
    const int total = m_preview.accepted();
    std::unique_ptr<PassProgress> progress;
    if (total > ProgressThreshold)
        progress = std::make_unique<PassProgress>(this, QStringLiteral("Import Client Sheet"), total);
    const bool ok = runWindowAction(
        this, nullptr,
        [&] {
            m_result = imp.apply(m_preview, m_options, progress ? progress->control() : PassControl());
            done = !m_result.cancelled;
        },
        [](const DbError &e) { return failureText(e); });
    progress.reset();
    if (!ok)
        return false;
    Messages::show(m_result.closingLine(), this);
    m_applied = done;
    btn_Apply->setEnabled(!m_applied);
    return done;
}

void TClientSheetImportForm::btn_ApplyClick()
{
    if (applyPreview())
        accept();
}

// The client attendance window's entry to the import: the project and cycle shown, a sheet
// chosen through the file dialog; the loaded employee is read again after a write.
void TClientAttendanceForm::btn_ImportClientSheetClick()
{
    if (!m_att.projectOpen() || cb_Project->currentText().isEmpty()) {
        Messages::show(QStringLiteral("Choose a project first"), this);
        return;
    }
    FileDialog::Request r;
    r.caption = QStringLiteral("Import Client Sheet");
    r.filter = QStringLiteral("Client sheets (*.xlsx *.xls *.csv);;All files (*)");
    const QString file = FileDialog::getOpenFileName(this, r);
    if (file.isEmpty())
        return;
    TClientSheetImportForm form(m_session, m_att.project(), m_att.cycleYear, m_att.cycleMonth, file, this);
    if (!form.readSheet())
        return;
    Dialogs::exec(form);
    if (form.applied() && m_att.employeeLoaded()) {
        run([this] { m_att.findEmployee(m_att.employeeNo()); });
        showEmployee(false);
    }
}
