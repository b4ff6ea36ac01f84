#pragma once

#include <QWidget>

class QLabel;
class QProgressBar;

// The borderless start-up window; the start-up steps advance its bar.
class TSplashForm : public QWidget
{
    Q_OBJECT
public:
    explicit TSplashForm(QWidget *parent = nullptr);

    // Sets the bar and repaints at once: the event loop is not running yet.
    void setProgress(int value);

    QLabel *ProgramIcon;
    QLabel *lbl_ProductName;
    QLabel *lbl_Version;
    QProgressBar *ProgressBar1;

protected:
    void paintEvent(QPaintEvent *event) override;
};
