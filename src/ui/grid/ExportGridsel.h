#pragma once

#include "ui/grid/GridSelection.h"
#include "ui/grid/GridSnapshot.h"

#include <QByteArray>
#include <QStringList>

namespace envio {

// The private binary clipboard layout "GRIDSEL": a header naming the exported columns, then one tagged value
// per data cell (no titles), then a zero byte. Tags: 1 no field, 2 NULL, 3 32-bit integer, 4 double
// (decimals, floats, and dates and times as day numbers from 30 December 1899 with the time as fraction),
// 5 ANSI text, 6 binary, 7 UTF-16 text (a looked-up field's key values).
QByteArray exportGridsel(const GridSnapshot& grid, GridSelection::State selection);

// Days since 30 December 1899 with the time of day as fraction; before that day the fraction still counts
// forwards from midnight (-1.25 is 29 December 1899, 06:00).
double dayNumber(const QDate& date, const QTime& time);

// Values joined by commas; a value holding a blank, a comma or a double quote is enclosed in double quotes
// with its double quotes doubled.
QString commaList(const QStringList& values);

} // namespace envio
