#pragma once

#include "ui/grid/GridSelection.h"
#include "ui/grid/GridSnapshot.h"

#include <QByteArray>

namespace envio {

// A Rich Text document holding one table: colour and font tables, then one table row per exported row (the
// title row first), cells as wide as the columns on screen. Text in the ANSI code page; backslash and
// braces escaped.
QByteArray exportRtf(const GridSnapshot& grid, GridSelection::State selection);

} // namespace envio
