#pragma once

#include "InvoiceDocument.h"

#include <QLocale>
#include <QPageLayout>
#include <QString>
#include <exception>

class QPagedPaintDevice;

// Lays an invoice out page by page with QPainter: the page header and column titles on every
// page, one section per client job, no line split across pages, "Page n of m".
namespace InvoicePages {

// A failure to save the document, with the text shown to the user.
class SaveError : public std::exception
{
public:
    explicit SaveError(QString message) : m_message(std::move(message)), m_utf8(m_message.toUtf8()) {}
    const QString &message() const noexcept { return m_message; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

// A4 landscape with the document's margins: what a printer or the PDF writer is given first.
QPageLayout pageLayout();

// Paints the document on a paged device set up by the caller (its page layout decides the
// area); returns the number of pages. Money with two decimals, grouped as the locale groups.
int paint(const InvoiceDocument::Document &document, QPagedPaintDevice &device, const QLocale &locale = QLocale());

// Writes the PDF through a temporary file in the target's folder renamed into place, so that a
// failure leaves neither a partial file nor a lost earlier one. Returns the number of pages.
// Throws SaveError ("Cannot save "FILE": why").
int savePdf(const InvoiceDocument::Document &document, const QString &fileName, const QLocale &locale = QLocale());

} // namespace InvoicePages
