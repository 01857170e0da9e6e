#include "app/Dialogs.h"

#include "support/ScriptedDialogs.h"

#include <gtest/gtest.h>

namespace envio {
namespace {

using Kind = ScriptedDialogs::Kind;

TEST(Dialogs, ConsoleDialogsIsTheDefaultAndWritesTextsToStandardError) {
    setDialogs(nullptr);
    ASSERT_NE(dynamic_cast<ConsoleDialogs*>(&dialogs()), nullptr);

    testing::internal::CaptureStderr();
    dialogs().message(QStringLiteral("No se encontró la clave"));
    dialogs().error(QStringLiteral("Conexión rechazada"));
    const std::string written = testing::internal::GetCapturedStderr();
    EXPECT_EQ(written, "No se encontr\xC3\xB3 la clave\nConexi\xC3\xB3n rechazada\n");
}

TEST(Dialogs, ConsoleDialogsDeclinesEverythingItCannotAsk) {
    ConsoleDialogs console;
    EXPECT_FALSE(console.confirm(QStringLiteral("Borrar"), QStringLiteral("¿Borrar el evento?")));
    EXPECT_FALSE(
        console.saveFile(QStringLiteral("eventos.txt"), {QStringLiteral("Texto (*.txt)")}).has_value());
    testing::internal::CaptureStderr();
    console.beep();
    console.setClipboard({{QStringLiteral("text/plain"), QByteArray("x")}});
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST(Dialogs, SetDialogsInstallsAndNullRestoresTheDefault) {
    ScriptedDialogs scripted;
    setDialogs(&scripted);
    EXPECT_EQ(&dialogs(), &scripted);
    dialogs().message(QStringLiteral("hola"));
    EXPECT_EQ(scripted.texts(Kind::Message), QStringList{QStringLiteral("hola")});
    setDialogs(nullptr);
    EXPECT_NE(dynamic_cast<ConsoleDialogs*>(&dialogs()), nullptr);
}

TEST(Dialogs, ScopedDialogsPutsThePreviousImplementationBack) {
    ScriptedDialogs outer;
    ScriptedDialogs inner;
    {
        ScopedDialogs outerGuard(outer);
        {
            ScopedDialogs innerGuard(inner);
            EXPECT_EQ(&dialogs(), &inner);
        }
        EXPECT_EQ(&dialogs(), &outer);
    }
    EXPECT_NE(dynamic_cast<ConsoleDialogs*>(&dialogs()), nullptr);
}

TEST(ScriptedDialogs, RecordsEveryCallInOrderWithCaptions) {
    ScriptedDialogs d;
    d.message(QStringLiteral("uno"));
    d.error(QStringLiteral("dos"));
    d.confirm(QStringLiteral("Confirmar"), QStringLiteral("tres"));
    d.beep();
    d.saveFile(QStringLiteral("eventos"), {QStringLiteral("Texto (*.txt)"), QStringLiteral("CSV (*.csv)")});
    d.setClipboard({{QStringLiteral("text/plain"), "a"}, {QStringLiteral("text/html"), "<b>a</b>"}});

    const std::vector<ScriptedDialogs::Call> expected = {
        {Kind::Message, QStringLiteral("Envio precios"), QStringLiteral("uno")},
        {Kind::Error, QStringLiteral("Error"), QStringLiteral("dos")},
        {Kind::Confirm, QStringLiteral("Confirmar"), QStringLiteral("tres")},
        {Kind::Beep, {}, {}},
        {Kind::SaveFile, {}, QStringLiteral("eventos")},
        {Kind::Clipboard, {}, QStringLiteral("text/plain\ntext/html")},
    };
    EXPECT_EQ(d.calls(), expected);
    EXPECT_EQ(d.lastSaveFilters(),
              (QStringList{QStringLiteral("Texto (*.txt)"), QStringLiteral("CSV (*.csv)")}));
    d.clearCalls();
    EXPECT_TRUE(d.calls().empty());
}

TEST(ScriptedDialogs, AnswersConfirmFromItsQueueThenNo) {
    ScriptedDialogs d;
    d.setNextConfirm(true);
    d.setNextConfirm(false);
    d.setNextConfirm(true);
    EXPECT_TRUE(d.confirm({}, QStringLiteral("1")));
    EXPECT_FALSE(d.confirm({}, QStringLiteral("2")));
    EXPECT_TRUE(d.confirm({}, QStringLiteral("3")));
    EXPECT_FALSE(d.confirm({}, QStringLiteral("4"))); // queue exhausted: never blocks, answers no
    EXPECT_EQ(d.texts(Kind::Confirm).size(), 4);
}

TEST(ScriptedDialogs, AnswersSaveFromItsQueueIncludingCancel) {
    ScriptedDialogs d;
    d.setNextSave(SaveChoice{QStringLiteral("/tmp/x.csv"), 2});
    d.setNextSave(std::nullopt);
    const std::optional<SaveChoice> first = d.saveFile(QStringLiteral("x"), {});
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(first->path, QStringLiteral("/tmp/x.csv"));
    EXPECT_EQ(first->filterIndex, 2);
    EXPECT_FALSE(d.saveFile(QStringLiteral("x"), {}).has_value());
    EXPECT_FALSE(d.saveFile(QStringLiteral("x"), {}).has_value());
}

TEST(ScriptedDialogs, KeepsOnlyTheLastClipboardContents) {
    ScriptedDialogs d;
    d.setClipboard({{QStringLiteral("text/plain"), QByteArray("first")}});
    d.setClipboard({{QStringLiteral("text/plain"), QByteArray("second\0bytes", 12)},
                    {QStringLiteral("text/csv"), QByteArray("a;b")}});
    ASSERT_EQ(d.clipboard().size(), 2u);
    EXPECT_EQ(d.clipboard()[0].data, QByteArray("second\0bytes", 12));
    EXPECT_EQ(d.clipboard()[1].format, QStringLiteral("text/csv"));
    EXPECT_EQ(d.texts(Kind::Clipboard).size(), 2);
}

} // namespace
} // namespace envio
