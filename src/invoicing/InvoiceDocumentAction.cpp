#include "InvoiceDocumentAction.h"

#include "Dialogs.h"
#include "FileDialog.h"
#include "InvoiceDocument.h"
#include "InvoicePages.h"
#include "Messages.h"

#include "Roles.h"
#include "ScreenServices.h"
#include "Session.h"
#include <QDir>

#include <QAction>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QToolBar>

namespace InvoiceDocumentAction {

namespace {

const QString NoAuthority =
    QStringLiteral("You Do Not Have Authority To Print Invoices\n\rPlease Call Revenue Department To Assist You");

void saveAsPdf(QWidget *parent, const InvoiceDocument::Document &document)
{
    FileDialog::Request request;
    request.caption = QStringLiteral("Save Invoice Document");
    request.fileName = InvoiceDocument::fileNameFor(document.project, document.year, document.month);
    request.filter = QStringLiteral("PDF Files (*.pdf)");
    request.defaultSuffix = QStringLiteral("pdf");
    const QString file = FileDialog::getSaveFileName(parent, request);
    if (file.isEmpty())
        return;
    try {
        InvoicePages::savePdf(document, file);
        Messages::notice(QStringLiteral("Invoice saved to %1").arg(QDir::toNativeSeparators(file)), parent);
    } catch (const InvoicePages::SaveError &e) {
        Messages::error(e.message(), parent);
    }
}

} // namespace

void show(QWidget *window, SandGlass *busy, Session &session, const QString &project, int year, int month)
{
    if (!session.hasRole(Roles::InvoiceDetails)) {
        Messages::show(NoAuthority, window);
        return;
    }
    InvoiceDocument::Document document;
    if (!runWindowAction(window, busy, [&] {
            document = InvoiceDocument::read(session.connection(), project, year, month, session.today());
        }))
        return;
    if (document.lines.isEmpty()) {
        Messages::show(InvoiceDocument::noLinesMessage(project, year, month), window);
        return;
    }

    // The printer gets the pages the PDF gets: same layout, same painter code.
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(InvoicePages::pageLayout());
    printer.setDocName(QStringLiteral("Invoice ") + document.reference());
    QPrintPreviewDialog preview(&printer, window);
    preview.setObjectName(QStringLiteral("InvoiceDocumentPreview"));
    preview.setWindowTitle(QStringLiteral("Invoice Document - ") + document.reference());
    if (window)
        preview.resize(window->size());
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                     [&document](QPrinter *p) { InvoicePages::paint(document, *p); });
    auto *save = new QAction(QStringLiteral("Save As PDF..."), &preview);
    save->setObjectName(SaveAsPdfName);
    QObject::connect(save, &QAction::triggered, &preview, [&] { saveAsPdf(&preview, document); });
    if (auto *bar = preview.findChild<QToolBar *>()) {
        bar->addSeparator();
        bar->addAction(save);
    } else {
        preview.addAction(save);
    }
    Dialogs::exec(preview);
}

} // namespace InvoiceDocumentAction
