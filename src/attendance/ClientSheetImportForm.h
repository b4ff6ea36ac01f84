#pragma once

#include "ClientSheetImport.h"

#include <QAbstractTableModel>
#include <QDialog>
#include <array>

class QComboBox;
class QLabel;
class QPushButton;
class QTableView;
class Session;

// The days of a preview as a read-only grid: new, changed (old beside new), unchanged, refused.
class ClientSheetPreviewModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;
    void setPreview(const ClientSheet::Preview *preview);
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    const ClientSheet::Preview *m_preview = nullptr;
};

// "Import Client Sheet": the columns the sheet was read by (adjustable), what each day would
// become, and Apply, which writes the accepted days in one go.
class TClientSheetImportForm : public QDialog
{
    Q_OBJECT
public:
    TClientSheetImportForm(Session &session, const QString &project, int year, int month, const QString &path,
                           QWidget *parent = nullptr);

    // Reads the sheet with the mapping shown (the recognised one at first); a failure is shown
    // and false returned.
    bool readSheet();
    const ClientSheet::Preview &preview() const { return m_preview; }
    // Writes the accepted days; true when they were written (the closing line shown).
    bool applyPreview();
    bool applied() const { return m_applied; }
    const ClientSheet::ApplyResult &applyResult() const { return m_result; }

    QComboBox *cb_Sheet;
    std::array<QComboBox *, ClientSheet::FieldCount> cb_Fields;
    QPushButton *btn_ReadAgain;
    QLabel *lbl_Counts;
    QLabel *lbl_CheckLost;
    QTableView *dbg_Preview;
    QPushButton *btn_SavePreview;
    QPushButton *btn_Apply;
    QPushButton *btn_Close;

    void btn_ReadAgainClick();
    void btn_SavePreviewClick();
    void btn_ApplyClick();

private:
    void showPreview();
    ClientSheet::Options options() const;

    Session &m_session;
    QString m_path;
    ClientSheet::Options m_options;
    ClientSheet::Preview m_preview;
    ClientSheetPreviewModel *m_model;
    bool m_applied = false;
    bool m_filling = false;
    ClientSheet::ApplyResult m_result;
};
