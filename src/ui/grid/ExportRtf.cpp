#include "ui/grid/ExportRtf.h"

#include "base/AnsiCodec.h"
#include "ui/grid/ExportPlan.h"

#include <string>
#include <vector>

namespace envio {

namespace {

const char* const kEol = "\r\n";

// The colour and font tables, filled while the body is written.
class RtfTables {
public:
    explicit RtfTables(GridRgb buttonFace) : colours_{GridRgb{0, 0, 0}, GridRgb{255, 255, 255}, buttonFace} {}

    int colour(GridRgb c) {
        for (std::size_t i = 0; i < colours_.size(); ++i) {
            if (colours_[i] == c)
                return static_cast<int>(i);
        }
        colours_.push_back(c);
        return static_cast<int>(colours_.size() - 1);
    }

    int font(const QString& name) {
        for (std::size_t i = 0; i < fonts_.size(); ++i) {
            if (fonts_[i] == name)
                return static_cast<int>(i);
        }
        fonts_.push_back(name);
        return static_cast<int>(fonts_.size() - 1);
    }

    std::string header() const {
        std::string out = "{\\rtf0\\ansi";
        out += kEol;
        out += "{\\colortbl";
        for (const GridRgb& c : colours_) {
            out += "\\red" + std::to_string(c.red) + "\\green" + std::to_string(c.green) + "\\blue" +
                   std::to_string(c.blue) + ";";
        }
        out += "}";
        out += kEol;
        out += "{\\fonttbl";
        for (std::size_t i = 0; i < fonts_.size(); ++i)
            out += "\\f" + std::to_string(i) + "\\fnil " + toAnsi(fonts_[i]) + ";";
        out += "}";
        out += kEol;
        return out;
    }

private:
    std::vector<GridRgb> colours_;
    std::vector<QString> fonts_;
};

std::string escaped(const QString& text) {
    std::string out;
    for (const char b : toAnsi(text)) {
        if (b == '\\' || b == '{' || b == '}')
            out += '\\';
        out += b;
    }
    return out;
}

const char* alignmentWord(GridAlignment alignment) {
    switch (alignment) {
    case GridAlignment::Right:
        return "\\qr";
    case GridAlignment::Center:
        return "\\qc";
    case GridAlignment::Left:
        break;
    }
    return "\\ql";
}

struct RtfCell {
    GridAlignment alignment;
    QString text;
};

// One table row; background is the colour behind every cell of the row.
void writeRow(std::string& out, RtfTables& tables, const GridSnapshot& grid, const std::vector<int>& widths,
              GridRgb background, const std::vector<RtfCell>& cells) {
    const int pixelsPerInch = grid.pixelsPerInch > 0 ? grid.pixelsPerInch : 96;
    out += "\\trowd";
    out += "\\trgaph40";
    out += kEol;
    long long rightEdge = 0;
    for (const int width : widths) {
        out += std::string("\\clbrdrl\\brdrs\\brdrcf0") + kEol;
        out += std::string("\\clbrdrt\\brdrs\\brdrcf0") + kEol;
        out += std::string("\\clbrdrb\\brdrs\\brdrcf0") + kEol;
        out += std::string("\\clbrdrr\\brdrs\\brdrcf0") + kEol;
        out += "\\clshdng10000\\clcfpat" + std::to_string(tables.colour(background));
        rightEdge += static_cast<long long>(width) * 1440 / pixelsPerInch;
        out += "\\cellx" + std::to_string(rightEdge) + kEol;
    }
    out += std::string("{\\trrh0") + kEol;
    const std::string spacing = grid.look.flat ? "12" : "24";
    for (const RtfCell& cell : cells) {
        out += std::string("\\pard\\intbl{") + alignmentWord(cell.alignment) + "\\sb" + spacing + "\\sa" +
               spacing;
        out += "\\fs" + std::to_string(grid.fontPointSize * 2);
        out += "\\f" + std::to_string(tables.font(grid.fontName));
        out += "\\cf" + std::to_string(tables.colour(grid.palette.windowText));
        out += "\\cb" + std::to_string(tables.colour(background));
        out += " " + escaped(cell.text);
        out += std::string("\\cell}") + kEol;
    }
    out += std::string("\\pard\\intbl\\row}") + kEol;
}

} // namespace

QByteArray exportRtf(const GridSnapshot& grid, GridSelection::State selection) {
    const ExportPlan plan = planExport(grid, selection);
    RtfTables tables(grid.palette.buttonFace);
    std::vector<int> widths;
    for (int c : plan.columns)
        widths.push_back(grid.columns[static_cast<std::size_t>(c)].width);

    std::string body;
    std::vector<RtfCell> cells;
    if (plan.titles) {
        for (int c : plan.columns)
            cells.push_back({GridAlignment::Left, grid.columns[static_cast<std::size_t>(c)].title});
        writeRow(body, tables, grid, widths, grid.palette.buttonFace, cells);
    }
    for (int r : plan.rows) {
        cells.clear();
        for (int c : plan.columns)
            cells.push_back({grid.columns[static_cast<std::size_t>(c)].alignment, grid.cell(r, c).text});
        writeRow(body, tables, grid, widths, grid.palette.window, cells);
    }
    body += "}";

    const std::string out = tables.header() + body;
    return QByteArray(out.data(), static_cast<qsizetype>(out.size()));
}

} // namespace envio
