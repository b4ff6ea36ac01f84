#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

// The one-line prompt kept for the run; screens may ask for a single line of text with it.
class TOneLineForm : public QDialog
{
    Q_OBJECT
public:
    explicit TOneLineForm(QWidget *parent = nullptr);

    // Fills the prompt for one question; the caller then runs exec() and reads text() on OK.
    void prepare(const QString &caption, const QString &prompt, const QString &text = {});
    QString text() const;

    QLabel *lbl_Prompt;
    QLineEdit *edt_Line;
    QPushButton *btn_OK;
    QPushButton *btn_Cancel;
};
