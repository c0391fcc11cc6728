#include "AboutWidget.h"

#include <QDebug>

#include "VexoCameraApi.h"
#include "ui_AboutWidget.h"

AboutWidget::AboutWidget(QWidget* parent) : QWidget(parent), ui(new Ui::AboutWidget)
{
    ui->setupUi(this);
    setWindowFlags(Qt::WindowCloseButtonHint);
    setAttribute(Qt::WA_DeleteOnClose, true);
    setAttribute(Qt::WA_QuitOnClose, false);
    ui->label_url->setOpenExternalLinks(true);

    // The library writes at most VEXO_SDK_TEXT_BUFFER_SIZE bytes; the rest is headroom.
    char version[VEXO_SDK_TEXT_BUFFER_SIZE * 2] = {};
    const int result = SdkGetSdkVersion(version);
    if (result != 0)
        qWarning() << "SdkGetSdkVersion failed:" << result;
    version[sizeof version - 1] = '\0';
    const QString versionText = QString::fromUtf8(version);
    qDebug() << "camera library version" << versionText;
    ui->label->setText(QStringLiteral("Prismora V1.5.0 SDK ") + versionText);
}

AboutWidget::~AboutWidget()
{
    delete ui;
}

void AboutWidget::on_pushButton_clicked()
{
    close();
}
