#include "FetchingDataForm.h"
#include "Artwork.h"

#include <QHBoxLayout>
#include <QLabel>

TFetchingDataForm::TFetchingDataForm(QWidget *owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint)
{
    setObjectName(QStringLiteral("FetchingDataForm"));
    setWindowTitle(QStringLiteral("Fetching Data"));
    setModal(false);

    img_SandGlass = new QLabel(this);
    img_SandGlass->setObjectName(QStringLiteral("img_SandGlass"));
    img_SandGlass->setPixmap(Artwork::hourglass(48));
    lbl_Working = new QLabel(QStringLiteral("Working On It..."), this);
    lbl_Working->setObjectName(QStringLiteral("lbl_Working"));
    QFont f = lbl_Working->font();
    f.setPointSizeF(f.pointSizeF() * 1.2);
    f.setBold(true);
    lbl_Working->setFont(f);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(24, 18, 32, 18);
    layout->setSpacing(16);
    layout->addWidget(img_SandGlass);
    layout->addWidget(lbl_Working);
    setFixedSize(sizeHint());
}
