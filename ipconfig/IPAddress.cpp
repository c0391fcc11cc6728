#include "IPAddress.h"

#include <QBoxLayout>
#include <QEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QStringList>

namespace {

const char kOctetPattern[] = "(2[0-5]{2}|2[0-4][0-9]|1?[0-9]{1,2})";
const char kAddressPattern[] = "((2[0-4]\\d|25[0-5]|[01]?\\d\\d?)\\.){3}(2[0-4]\\d|25[0-5]|[01]?\\d\\d?)";

}  // namespace

IPAddress::IPAddress(QWidget* parent)
    : QWidget(parent), bgColor(QStringLiteral("#FFFFFF")), borderColor(QStringLiteral("#A6B5B8")), borderRadius(3)
{
    auto makeDot = [this] {
        auto* dot = new QLabel(QStringLiteral("."), this);
        dot->setAlignment(Qt::AlignCenter);
        return dot;
    };
    labDot1 = makeDot();
    labDot2 = makeDot();
    labDot3 = makeDot();

    auto* validator =
        new QRegularExpressionValidator(QRegularExpression(QString::fromLatin1(kOctetPattern)), this);
    auto makeField = [this, validator](const char* name) {
        auto* field = new QLineEdit(this);
        field->setObjectName(QLatin1String(name));
        field->setAlignment(Qt::AlignCenter);
        field->setValidator(validator);
        field->installEventFilter(this);
        connect(field, SIGNAL(textChanged(QString)), this, SLOT(textChanged(QString)));
        return field;
    };
    txtIP1 = makeField("txtIP1");
    txtIP2 = makeField("txtIP2");
    txtIP3 = makeField("txtIP3");
    txtIP4 = makeField("txtIP4");

    auto* frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("frameIP"));
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    outer->addWidget(frame);

    auto* row = new QHBoxLayout(frame);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    for (QWidget* part : {static_cast<QWidget*>(txtIP1), static_cast<QWidget*>(labDot1),
                          static_cast<QWidget*>(txtIP2), static_cast<QWidget*>(labDot2),
                          static_cast<QWidget*>(txtIP3), static_cast<QWidget*>(labDot3),
                          static_cast<QWidget*>(txtIP4)}) {
        part->setParent(frame);
        row->addWidget(part);
    }

    const QStringList styles = {
        QStringLiteral("QFrame#frameIP{border:1px solid %1;border-radius:%2px;}").arg(borderColor).arg(borderRadius),
        QStringLiteral("QLabel{min-width:15px;background-color:%1;}").arg(bgColor),
        QStringLiteral("QLineEdit{background-color:%1;border:none;}").arg(bgColor),
        QStringLiteral("QLineEdit#txtIP1{border-top-left-radius:%1px;border-bottom-left-radius:%1px;}")
            .arg(borderRadius),
        QStringLiteral("QLineEdit#txtIP4{border-top-right-radius:%1px;border-bottom-right-radius:%1px;}")
            .arg(borderRadius),
    };
    setStyleSheet(styles.join(QString()));
}

QSize IPAddress::sizeHint() const
{
    return QSize(170, 20);
}

QSize IPAddress::minimumSizeHint() const
{
    return QSize(30, 10);
}

QLineEdit* IPAddress::fieldAfter(QObject* field) const
{
    if (field == txtIP1)
        return txtIP2;
    if (field == txtIP2)
        return txtIP3;
    if (field == txtIP3)
        return txtIP4;
    return nullptr;
}

QLineEdit* IPAddress::fieldBefore(QObject* field) const
{
    if (field == txtIP4)
        return txtIP3;
    if (field == txtIP3)
        return txtIP2;
    if (field == txtIP2)
        return txtIP1;
    return nullptr;
}

void IPAddress::textChanged(const QString& text)
{
    if (!filling && text.size() == 3) {
        const int value = text.toInt();
        if (value >= 100 && value <= 255) {
            if (QLineEdit* next = fieldAfter(sender()))
                next->setFocus();
        }
    }
    ip = QStringLiteral("%1.%2.%3.%4").arg(txtIP1->text(), txtIP2->text(), txtIP3->text(), txtIP4->text());
}

bool IPAddress::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* field = qobject_cast<QLineEdit*>(watched);
        auto* key = static_cast<QKeyEvent*>(event);
        if (field && key->text() == QLatin1String(".")) {
            if (QLineEdit* next = fieldAfter(field))
                next->setFocus();
        } else if (field && key->key() == Qt::Key_Backspace && field->text().size() <= 1) {
            if (QLineEdit* previous = fieldBefore(field))
                previous->setFocus();
        }
    }
    // The field still receives the key: Backspace edits, the validator refuses the ".".
    return QWidget::eventFilter(watched, event);
}

void IPAddress::setIP(const QString& ip)
{
    static const QRegularExpression pattern(
        QRegularExpression::anchoredPattern(QString::fromLatin1(kAddressPattern)));
    if (!pattern.match(ip).hasMatch() || ip == this->ip)
        return;
    this->ip = ip;
    const QStringList parts = ip.split(QLatin1Char('.'));
    filling = true;
    txtIP1->setText(parts.at(0));
    txtIP2->setText(parts.at(1));
    txtIP3->setText(parts.at(2));
    txtIP4->setText(parts.at(3));
    filling = false;
}

void IPAddress::clear()
{
    txtIP1->clear();
    txtIP2->clear();
    txtIP3->clear();
    txtIP4->clear();
    txtIP1->setFocus();
}

void IPAddress::setBgColor(const QString& bgColor)
{
    if (this->bgColor != bgColor)
        this->bgColor = bgColor;
}

void IPAddress::setBorderColor(const QString& borderColor)
{
    if (this->borderColor != borderColor)
        this->borderColor = borderColor;
}

void IPAddress::setBorderRadius(int borderRadius)
{
    if (this->borderRadius != borderRadius)
        this->borderRadius = borderRadius;
}
