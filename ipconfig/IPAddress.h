#pragma once
#include <QWidget>

class QLabel;
class QLineEdit;

// An IPv4 address editor: four octet fields in one framed row, with focus moving on to
// the next field after a full octet or a ".", and back on Backspace in an emptied field.
class IPAddress : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString text READ getIP WRITE setIP)
    Q_PROPERTY(QString bgColor READ getBgColor WRITE setBgColor)
    Q_PROPERTY(QString borderColor READ getBorderColor WRITE setBorderColor)
    Q_PROPERTY(int borderRadius READ getBorderRadius WRITE setBorderRadius)

public:
    explicit IPAddress(QWidget* parent = nullptr);

    // The four fields joined with "."; empty fields give empty parts.
    QString getIP() const { return ip; }
    QString getBgColor() const { return bgColor; }
    QString getBorderColor() const { return borderColor; }
    int getBorderRadius() const { return borderRadius; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void textChanged(const QString& text);

public slots:
    // Takes a complete dotted address only; anything else leaves the editor as it is.
    void setIP(const QString& ip);
    void clear();
    // These store the value; the style sheet keeps the colours it was built with.
    void setBgColor(const QString& bgColor);
    void setBorderColor(const QString& borderColor);
    void setBorderRadius(int borderRadius);

private:
    QLineEdit* fieldAfter(QObject* field) const;
    QLineEdit* fieldBefore(QObject* field) const;

    QLabel* labDot1;
    QLabel* labDot2;
    QLabel* labDot3;
    QLineEdit* txtIP1;
    QLineEdit* txtIP2;
    QLineEdit* txtIP3;
    QLineEdit* txtIP4;

    QString ip;
    QString bgColor;
    QString borderColor;
    int borderRadius;
    // True while setIP fills the fields: a programmatic octet must not move the focus.
    bool filling = false;
};
