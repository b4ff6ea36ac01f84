#pragma once

#include <QString>

class QWidget;
class SandGlass;
class Session;

// "Invoice Document...": the project's invoice of the cycle in a print preview, printed from
// there or saved as PDF through the program's save dialog.
namespace InvoiceDocumentAction {

// Object name of the preview's "Save As PDF..." action (tests trigger it).
inline const QString SaveAsPdfName = QStringLiteral("act_SaveAsPdf");

// Reads the document and shows the preview; a project without lines, a refusal or a failure is
// told in a message. Needs the role InvoiceDetails.
void show(QWidget *window, SandGlass *busy, Session &session, const QString &project, int year, int month);

} // namespace InvoiceDocumentAction
