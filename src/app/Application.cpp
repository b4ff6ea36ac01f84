#include "Application.h"
#include "Messages.h"

#include <exception>

TApplication::TApplication(int &argc, char **argv) : QApplication(argc, argv) {}

bool TApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &e) {
        // DbError and IniWriteError carry their message as UTF-8.
        Messages::error(QString::fromUtf8(e.what()));
    }
    return false;
}
