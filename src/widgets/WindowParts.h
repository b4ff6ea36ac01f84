#pragma once

class QAbstractItemModel;
class QPushButton;
class QTableView;
class QWidget;

// The pieces the list windows are built of, made one way everywhere.

// A button is pressed by Enter only while it has the focus: Enter in a search box or grid
// never presses one.
void pressOnEnter(QPushButton *button);
QPushButton *plainButton(QWidget *parent, const char *caption, const char *objectName);

// A read-only list: whole rows selected one at a time, rows 22 pixels high, Ctrl+C copies.
QTableView *listGrid(QWidget *parent, const char *objectName, QAbstractItemModel *model);
