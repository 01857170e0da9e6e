#include "ui/CompactCellStyle.h"

#include <QProxyStyle>
#include <QWidget>

namespace envio {

namespace {

class CompactCellStyle : public QProxyStyle {
public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override {
        // The item views put this margin plus one pixel on each side of a cell's text.
        if (metric == PM_FocusFrameHMargin)
            return 0;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

} // namespace

void useCompactCells(QWidget& grid) {
    auto* style = new CompactCellStyle;
    style->setParent(&grid);
    grid.setStyle(style);
}

} // namespace envio
