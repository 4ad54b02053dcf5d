#include "app/about_box.h"

#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>
#include <QPlainTextEdit>
#include <cmath>

// The picture is compiled into the library; a static library needs its
// resources registered by hand.
static void registerAboutResources() {
    Q_INIT_RESOURCE(about);
}

namespace cellwatch {

QStringList aboutLines(const QString& languageCode) {
    const QString version = QString::fromLatin1(kAboutVersion);
    const QString web = QString::fromLatin1(kWebAddress);
    if (languageCode == QLatin1String("CHT")) {
        return {QString::fromUtf8("软件名称：Cellwatch        "),
                QString::fromUtf8("版本号 ") + version,
                QString(),
                QString::fromUtf8("网址：") + web,
                QString::fromUtf8("使用平台：Windows 9x/Windows 2000/Windows XP/Windows Vista"),
                QString(),
                QString::fromUtf8("   本软件适用于Dorire之所有TK系列充电器,"
                                  "通过对充电器参数的监控并配以图表直观显示，"
                                  "让您充分了解您的充电器与电池性能!")};
    }
    // The English lines as they have always read; other languages take
    // their translations.
    const auto line = [](const char* text) {
        return QCoreApplication::translate("AboutBox", text);
    };
    return {
        line(QT_TRANSLATE_NOOP("AboutBox", "Software name:Cellwatch       ")),
        line(QT_TRANSLATE_NOOP("AboutBox", "Version:%1")).arg(version),
        line(kCopyrightLine),
        line(QT_TRANSLATE_NOOP("AboutBox", "Website:%1")).arg(web),
        line(QT_TRANSLATE_NOOP(
            "AboutBox", "Runtime Environment: Windows 9x/Windows 2000/Windows XP / Windows Vista")),
        QString(),
        line(QT_TRANSLATE_NOOP(
            "AboutBox",
            "    This software applies to all of the RX series charger.Though the "
            "monitoring of the charge parameter and the real-time graph show，you "
            "can ungerstand the charger and  performance of battery completely.  "))};
}

AboutBox::AboutBox(const QString& languageCode, QWidget* parent) : QDialog(parent) {
    registerAboutResources();
    setObjectName(QStringLiteral("About"));
    setWindowTitle(QStringLiteral("About"));
    setModal(true);
    // Designed in twips: 6225 x 3180, picture at 120,120 (2130 x 1455), text
    // at 2520,120 (3495 x 2895).
    const double tpp = 1440.0 / logicalDpiX();
    auto px = [tpp](int twips) { return static_cast<int>(std::lround(twips / tpp)); };
    setFixedSize(px(6225), px(3180));
    image_ = new QLabel(this);
    image_->setObjectName(QStringLiteral("Image1"));
    image_->setPixmap(QPixmap(QStringLiteral(":/about/about.png")));
    image_->setScaledContents(true);
    image_->setGeometry(px(120), px(120), px(2130), px(1455));
    text_ = new QPlainTextEdit(this);
    text_->setObjectName(QStringLiteral("Text1"));
    text_->setReadOnly(true);
    text_->setGeometry(px(2520), px(120), px(3495), px(2895));
    text_->setPlainText(aboutLines(languageCode).join(QStringLiteral("\r\n")));
    for (QObject* o : {static_cast<QObject*>(image_), static_cast<QObject*>(text_),
                       static_cast<QObject*>(text_->viewport())}) {
        o->installEventFilter(this);
    }
}

QString AboutBox::text() const {
    return text_->toPlainText();
}

void AboutBox::keyPressEvent(QKeyEvent*) {
    accept();
}

void AboutBox::mousePressEvent(QMouseEvent*) {
    accept();
}

bool AboutBox::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::KeyPress) {
        accept();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace cellwatch
