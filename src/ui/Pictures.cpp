#include "ui/Pictures.h"

#include <QString>

// The resources live in a static library: they are registered by name, outside any namespace, before the
// first picture is read.
static void registerPictures() {
    Q_INIT_RESOURCE(pictures);
}

#include <QToolButton>

namespace envio {

QToolButton* pictureButton(const QString& text, const char* pictureName, int minimumWidth, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setText(text);
    button->setIcon(pictureIcon(pictureName));
    button->setIconSize(QSize(24, 24));
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setAutoRaise(true);
    button->setMinimumWidth(minimumWidth);
    return button;
}

namespace {

QString picturePath(const char* name) {
    static const bool registered = (registerPictures(), true);
    (void)registered;
    return QStringLiteral(":/pictures/") + QLatin1String(name) + QStringLiteral(".png");
}

} // namespace

QPixmap picture(const char* name) {
    return QPixmap(picturePath(name));
}

QIcon pictureIcon(const char* name) {
    return QIcon(picturePath(name));
}

} // namespace envio
