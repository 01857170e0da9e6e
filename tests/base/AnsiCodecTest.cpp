#include "base/AnsiCodec.h"

#include <gtest/gtest.h>
#include <iconv.h>
#include <optional>
#include <string>

namespace envio {
namespace {

// The C library's own Windows-1252 table, as an independent reference for the defined bytes.
std::optional<char32_t> referenceDecode(unsigned char byte) {
    iconv_t cd = iconv_open("UTF-32LE", "CP1252");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return std::nullopt;
    char in = static_cast<char>(byte);
    unsigned char out[4] = {};
    char* inPtr = &in;
    char* outPtr = reinterpret_cast<char*>(out);
    std::size_t inLeft = 1;
    std::size_t outLeft = sizeof out;
    const std::size_t rc = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    if (rc == static_cast<std::size_t>(-1) || outLeft != 0)
        return std::nullopt;
    return char32_t(out[0]) | char32_t(out[1]) << 8 | char32_t(out[2]) << 16 | char32_t(out[3]) << 24;
}

bool undefinedInCodePage(unsigned char byte) {
    return byte == 0x81 || byte == 0x8D || byte == 0x8F || byte == 0x90 || byte == 0x9D;
}

TEST(AnsiCodec, DefinedBytesDecodeAsTheReferenceTable) {
    ASSERT_TRUE(referenceDecode('A').has_value()) << "iconv has no CP1252";
    for (int b = 0; b < 256; ++b) {
        const auto byte = static_cast<unsigned char>(b);
        if (undefinedInCodePage(byte))
            continue;
        const std::optional<char32_t> expected = referenceDecode(byte);
        ASSERT_TRUE(expected.has_value()) << b;
        const char raw = static_cast<char>(byte);
        const QString text = fromAnsi(std::string_view(&raw, 1));
        ASSERT_EQ(text.size(), 1) << b;
        EXPECT_EQ(text.at(0).unicode(), *expected) << "byte " << b;
    }
}

TEST(AnsiCodec, UndefinedBytesBecomeControlCharactersOfTheSameNumber) {
    for (const unsigned char byte : {0x81, 0x8D, 0x8F, 0x90, 0x9D}) {
        const char raw = static_cast<char>(byte);
        const QString text = fromAnsi(std::string_view(&raw, 1));
        ASSERT_EQ(text.size(), 1);
        EXPECT_EQ(text.at(0).unicode(), byte);
        EXPECT_EQ(toAnsi(text), std::string(1, raw));
    }
}

TEST(AnsiCodec, EveryByteSurvivesARoundTrip) {
    std::string all;
    for (int b = 0; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    all += all; // zero bytes inside and at both ends of the second copy
    const QString text = fromAnsi(all);
    EXPECT_EQ(text.size(), 512);
    EXPECT_EQ(toAnsi(text), all);
}

TEST(AnsiCodec, EncodesTypicalSpanishAndTypographicText) {
    EXPECT_EQ(toAnsi(QStringLiteral("Envío, año, €5 — “ok”")), std::string("Env\xED"
                                                                           "o, a\xF1"
                                                                           "o, \x80"
                                                                           "5 \x97 \x93ok\x94"));
    EXPECT_EQ(fromAnsi("conexi\xF3n"), QStringLiteral("conexión"));
}

TEST(AnsiCodec, CharactersOutsideTheCodePageBecomeOneQuestionMarkEach) {
    // U+0080 and U+0082 are C1 controls whose bytes the code page gives to other characters.
    EXPECT_EQ(toAnsi(QString(QChar(0x0080))), "?");
    EXPECT_EQ(toAnsi(QString(QChar(0x0082))), "?");
    EXPECT_EQ(toAnsi(QStringLiteral("a\u0100b\u4E2Dc")), "a?b?c");
    // A character outside the BMP is one character, not two.
    EXPECT_EQ(toAnsi(QString::fromUtf8("x\xF0\x9F\x98\x80y")), "x?y");
    // Lone surrogates cannot be encoded either.
    QString lone;
    lone.append(QChar(0xD800));
    lone.append(QLatin1Char('z'));
    lone.append(QChar(0xDC00));
    EXPECT_EQ(toAnsi(lone), "?z?");
}

TEST(AnsiCodec, KeepsEmbeddedZeroBytesAndEmptyText) {
    const std::string bytes("a\0b", 3);
    const QString text = fromAnsi(bytes);
    EXPECT_EQ(text.size(), 3);
    EXPECT_EQ(toAnsi(text), bytes);
    EXPECT_TRUE(fromAnsi("").isEmpty());
    EXPECT_EQ(toAnsi(QString()), "");
}

TEST(AnsiCodec, AnsiTurnsUtf8LiteralsIntoCodePageBytes) {
    EXPECT_EQ(ansi("No se pudo entablar conexión con la BD "), "No se pudo entablar conexi\xF3n con la BD ");
    EXPECT_EQ(ansi("ñÑ€"), "\xF1\xD1\x80");
    EXPECT_EQ(ansi("plain"), "plain");
}

} // namespace
} // namespace envio
