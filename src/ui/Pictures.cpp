#include "ui/Pictures.h"

#include <QString>

// The resources live in a static library: they are registered by name, outside any namespace, before the
// first picture is read.
static void registerPictures() {
    Q_INIT_RESOURCE(pictures);
}

namespace envio {

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
