#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

class QToolButton;
class QWidget;

namespace envio {

// The windows' pictures, drawn for this program and built into it: `name` is the file name without ".png"
// (for example "entrar", "logo_precios").
QPixmap picture(const char* name);
QIcon pictureIcon(const char* name);

// A flat button with its picture beside its text, as the windows' button bars show them.
QToolButton* pictureButton(const QString& text, const char* pictureName, int minimumWidth, QWidget* parent);

} // namespace envio
