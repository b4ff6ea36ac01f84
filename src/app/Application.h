#pragma once

#include <QApplication>

// The application object: an exception that no window catches is shown in a message box and
// the event loop goes on.
class TApplication : public QApplication
{
    Q_OBJECT
public:
    TApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};
