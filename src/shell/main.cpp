#include "DataModule1.h"
#include "DbError.h"

#include <QApplication>
#include <QMainWindow>
#include "Messages.h"

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tallimar"));
    QMainWindow w;
    w.setWindowTitle(QStringLiteral("Velconi, a module of Orvessa System"));
    TDataModule1 dm;
    try {
        dm.DataModuleCreate();
    } catch (const DbError &e) {
        Messages::error(e.message());
    }
    w.showMaximized();
    return app.exec();
}
