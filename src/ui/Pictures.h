#pragma once

#include <QIcon>
#include <QPixmap>

namespace envio {

// The windows' pictures, drawn for this program and built into it: `name` is the file name without ".png"
// (for example "entrar", "logo_precios").
QPixmap picture(const char* name);
QIcon pictureIcon(const char* name);

} // namespace envio
