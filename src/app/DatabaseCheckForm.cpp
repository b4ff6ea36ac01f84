#include "DatabaseCheckForm.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

TDatabaseCheckForm::TDatabaseCheckForm(const QString &report, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("DatabaseCheckForm"));
    setWindowTitle(QStringLiteral("Database Check"));
    mem_Report = new QPlainTextEdit(this);
    mem_Report->setObjectName(QStringLiteral("mem_Report"));
    mem_Report->setReadOnly(true);
    // The CREATE INDEX lines are for copying whole, so they are not wrapped.
    mem_Report->setLineWrapMode(QPlainTextEdit::NoWrap);
    mem_Report->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    mem_Report->setPlainText(report);
    btn_Close = new QPushButton(QStringLiteral("Close"), this);
    btn_Close->setObjectName(QStringLiteral("btn_Close"));
    btn_Close->setDefault(true);
    connect(btn_Close, &QPushButton::clicked, this, &QDialog::accept);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btn_Close);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(mem_Report, 1);
    layout->addLayout(buttons);
    resize(900, 520);
}
