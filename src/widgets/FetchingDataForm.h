#pragma once

#include <QDialog>

class QLabel;

// The "Fetching Data" busy window, painted once before long work on the one thread.
class TFetchingDataForm : public QDialog
{
    Q_OBJECT
public:
    explicit TFetchingDataForm(QWidget *owner = nullptr);

    QLabel *img_SandGlass;
    QLabel *lbl_Working;
};
