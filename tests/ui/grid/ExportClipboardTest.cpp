#include "ui/grid/ExportClipboard.h"

#include "GridTestList.h"
#include "support/ScriptedDialogs.h"

#include <gtest/gtest.h>

namespace envio {
namespace {

using gridtest::bytes;
using gridtest::emptyList;
using gridtest::sampleList;
using gridtest::utf16le;
using State = GridSelection::State;

QStringList formatsOf(const std::vector<ClipboardItem>& items) {
    QStringList formats;
    for (const ClipboardItem& item : items)
        formats.append(item.format);
    return formats;
}

const QStringList kFormats = {QStringLiteral("text/plain;charset=windows-1252"),
                              QStringLiteral("text/plain;charset=utf-16le"),
                              QStringLiteral("Csv"),
                              QStringLiteral("Rich Text Format"),
                              QStringLiteral("GRIDSEL"),
                              QStringLiteral("text/plain")};

TEST(ExportClipboard, FiveFormatsInOrderEachWithItsTerminator) {
    GridSnapshot grid = sampleList();
    grid.focusedColumn = 1;
    const std::vector<ClipboardItem> items = gridClipboardItems(grid, State::None);
    ASSERT_EQ(formatsOf(items), kFormats);
    EXPECT_EQ(items[0].data, bytes("A;\"1\"\0"));
    EXPECT_EQ(items[5].data, QByteArray("A;\"1\"")) << "UTF-8 text for the desktop, no terminator";
    EXPECT_EQ(items[1].data, utf16le(u"A;\"1\"") + bytes("\0\0"));
    EXPECT_EQ(items[2].data, bytes("\"A;\"\"1\"\"\"\0"));
    EXPECT_EQ(items[3].data,
              bytes(R"({\rtf0\ansi)"
                    "\r\n"
                    R"({\colortbl\red0\green0\blue0;\red255\green255\blue255;\red212\green208\blue200;)"
                    R"(\red255\green255\blue240;\red0\green0\blue128;})"
                    "\r\n"
                    R"({\fonttbl\f0\fnil MS Sans Serif;})"
                    "\r\n"
                    R"(\trowd\trgaph40)"
                    "\r\n"
                    R"(\clbrdrl\brdrs\brdrcf0)"
                    "\r\n"
                    R"(\clbrdrt\brdrs\brdrcf0)"
                    "\r\n"
                    R"(\clbrdrb\brdrs\brdrcf0)"
                    "\r\n"
                    R"(\clbrdrr\brdrs\brdrcf0)"
                    "\r\n"
                    R"(\clshdng10000\clcfpat3\cellx1275)"
                    "\r\n"
                    R"({\trrh0)"
                    "\r\n"
                    R"(\pard\intbl{\ql\sb24\sa24\fs16\f0\cf4\cb3 A;"1"\cell})"
                    "\r\n"
                    R"(\pard\intbl\row})"
                    "\r\n"
                    "}\0"));
    EXPECT_EQ(items[4].data, bytes("GRIDSEL\x01"
                                   "\x01\x00\x00\x00"
                                   "\x01\x00"
                                   "\x05\x05\x00\x00\x00"
                                   "A;\"1\""
                                   "\x00"));
}

TEST(ExportClipboard, EmptyListWithNothingSelectedStillGivesEveryFormat) {
    const std::vector<ClipboardItem> items = gridClipboardItems(emptyList(), State::None);
    ASSERT_EQ(formatsOf(items), kFormats);
    EXPECT_EQ(items[0].data, bytes("\0"));
    EXPECT_EQ(items[1].data, bytes("\0\0"));
    EXPECT_EQ(items[2].data, bytes("\"\"\0"));
    EXPECT_TRUE(items[3].data.endsWith(bytes(R"(\fs16\f0\cf4\cb3 \cell})"
                                             "\r\n"
                                             R"(\pard\intbl\row})"
                                             "\r\n"
                                             "}\0")));
    EXPECT_EQ(items[4].data, bytes("GRIDSEL\x01"
                                   "\x01\x00\x00\x00"
                                   "\x01\x00"
                                   "\x02"
                                   "\x00"));
}

TEST(ExportClipboard, CopyReplacesTheClipboardWithAllFormatsAtOnce) {
    ScriptedDialogs desktop;
    ScopedDialogs installed(desktop);
    const GridSnapshot grid = sampleList();
    copyGridToClipboard(grid, State::All);

    ASSERT_EQ(desktop.calls().size(), 1u);
    EXPECT_EQ(desktop.calls()[0].kind, ScriptedDialogs::Kind::Clipboard);
    EXPECT_EQ(desktop.calls()[0].text, kFormats.join(QLatin1Char('\n')));
    ASSERT_EQ(desktop.clipboard().size(), 6u);
    EXPECT_TRUE(desktop.clipboard()[0].data.startsWith(bytes("Tipo doc\tC\xF3")));
    EXPECT_TRUE(desktop.clipboard()[0].data.endsWith(bytes("<a & b>\0")));
}

} // namespace
} // namespace envio
