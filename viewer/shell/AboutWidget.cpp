#include "AboutWidget.h"

#include <QDebug>
#include <QFileInfo>
#include <QUrl>

#include "VexoCameraApi.h"
#include "ui_AboutWidget.h"

AboutWidget::AboutWidget(QWidget* parent, const QString& programDir)
    : QWidget(parent), ui(new Ui::AboutWidget)
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

    // The suite has no web site of its own; the link is the manual that ships with it.
    const QString manual = suite::manualFilePath(programDir);
    if (QFileInfo(manual).isFile()) {
        const QString url = QUrl::fromLocalFile(manual).toString(QUrl::FullyEncoded);
        ui->label_url->setText(QStringLiteral("<a href=\"%1\">%2</a>")
                                   .arg(url.toHtmlEscaped(), tr("软件使用说明书").toHtmlEscaped()));
        ui->label_url->setToolTip(manual);
    } else {
        qDebug() << "no manual to link in the About dialog:" << manual;
        ui->label_url->clear();
        ui->label_url->hide();
    }
}

AboutWidget::~AboutWidget()
{
    delete ui;
}

void AboutWidget::on_pushButton_clicked()
{
    close();
}
