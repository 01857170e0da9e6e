#include "app/FailureTranslation.h"

#include <gtest/gtest.h>

namespace envio {
namespace {

const QString kBadLogin = QStringLiteral("El nombre de Usuario o la clave son incorrectas.");
const QString kNoFile = QStringLiteral("No se encontró el archivo o la ruta ");
const QString kNoHost = QStringLiteral("No se encontró el equipo servidor con nombre ");
const QString kGeneric = QStringLiteral("Se presento el siguiente error: ");

TEST(FailureTranslation, RejectedLoginShowsOnlyTheFixedText) {
    EXPECT_EQ(
        translateFailure("Your user name and password are not defined. Ask your database administrator to "
                         "set up a Firebird login.\n\"extra\" text"),
        kBadLogin);
    // Recognised anywhere in the message, ahead of the other phrases.
    EXPECT_EQ(
        translateFailure("Statement failed: Your user name and password are not defined; I/O error for file "
                         "\"x.fdb\""),
        kBadLogin);
}

TEST(FailureTranslation, UnopenableFileShowsTheFirstQuotedPart) {
    EXPECT_EQ(
        translateFailure("I/O error for file \"C:\\VERTANO\\DATOS\\002\\VERTANO.FDB\"\nError while trying to "
                         "open file\nThe system cannot find the path specified."),
        kNoFile + QStringLiteral("C:\\VERTANO\\DATOS\\002\\VERTANO.FDB"));
    // The quoted part is the first one in the message, wherever it stands.
    EXPECT_EQ(translateFailure("Open \"first\" failed: I/O error for file \"second\""),
              kNoFile + QStringLiteral("first"));
}

TEST(FailureTranslation, FewerThanTwoQuotesLeaveTheFixedTextAlone) {
    EXPECT_EQ(translateFailure("I/O error for file x.fdb"), kNoFile);
    EXPECT_EQ(translateFailure("I/O error for file \"x.fdb"), kNoFile);
    EXPECT_EQ(translateFailure("Unable to complete network request to host \"vertano"), kNoHost);
    EXPECT_EQ(translateFailure("I/O error for file \"\""), kNoFile);
}

TEST(FailureTranslation, UnreachableHostShowsTheQuotedHostName) {
    EXPECT_EQ(
        translateFailure("Unable to complete network request to host \"servidor01\".\nFailed to establish a "
                         "connection."),
        kNoHost + QStringLiteral("servidor01"));
}

TEST(FailureTranslation, FileWordingWinsOverTheNetworkWording) {
    EXPECT_EQ(translateFailure("Unable to complete network request to host \"h\". I/O error for file \"f\""),
              kNoFile + QStringLiteral("h"));
}

TEST(FailureTranslation, PhrasesAreCaseSensitive) {
    const std::string lower = "unable to complete network request to host \"h\"";
    EXPECT_EQ(translateFailure(lower), kGeneric + QString::fromStdString(lower));
    const std::string login = "your user name and password are not defined";
    EXPECT_EQ(translateFailure(login), kGeneric + QString::fromStdString(login));
}

TEST(FailureTranslation, OtherFailuresAreShownWholeAfterThePrefix) {
    EXPECT_EQ(
        translateFailure("violation of PRIMARY or UNIQUE KEY constraint \"PK_X\" on table \"ARTICULO\""),
        kGeneric +
            QStringLiteral("violation of PRIMARY or UNIQUE KEY constraint \"PK_X\" on table \"ARTICULO\""));
    EXPECT_EQ(translateFailure(""), kGeneric);
}

TEST(FailureTranslation, MessageBytesAreReadInTheCodePage) {
    EXPECT_EQ(translateFailure("Fall\xF3 la conexi\xF3n \x80"),
              kGeneric + QStringLiteral("Falló la conexión €"));
    EXPECT_EQ(translateFailure("I/O error for file \"C:\\A\xD1O\\V.FDB\""),
              kNoFile + QStringLiteral("C:\\AÑO\\V.FDB"));
}

TEST(FailureTranslation, Firebird3OpenFailureShowsThePathAfterForFile) {
    EXPECT_EQ(translateFailure(
                  "I/O error during \"open\" operation for file \"/srv/datos/002/vertano.fdb\"\n-Error "
                  "while trying to open file\n-No such file or directory"),
              kNoFile + QStringLiteral("/srv/datos/002/vertano.fdb"));
    EXPECT_EQ(
        translateFailure("I/O error during \"CreateFile (open)\" operation for file \"C:\\DATOS\\V.FDB\""),
        kNoFile + QStringLiteral("C:\\DATOS\\V.FDB"));
    EXPECT_EQ(translateFailure("I/O error during \"open\" operation for file \"/x.fdb"), kNoFile);
}

TEST(FailureTranslation, Firebird3OpenFailureRanksWithTheFileWording) {
    // Ahead of the network wording...
    EXPECT_EQ(translateFailure("Unable to complete network request to host \"h\".\nI/O error during \"open\" "
                               "operation for file \"/d/v.fdb\""),
              kNoFile + QStringLiteral("/d/v.fdb"));
    // ...behind the rejected login...
    EXPECT_EQ(
        translateFailure("Your user name and password are not defined. I/O error during \"open\" operation "
                         "for file \"/d/v.fdb\""),
        kBadLogin);
    // ...and the older wording keeps its own quoted part.
    EXPECT_EQ(
        translateFailure("I/O error for file \"old\". I/O error during \"open\" operation for file \"new\""),
        kNoFile + QStringLiteral("old"));
}

TEST(FailureTranslation, OtherFirebird3OperationsAreNotOpenFailures) {
    const std::string read = "I/O error during \"read\" operation for file \"/d/v.fdb\"";
    EXPECT_EQ(translateFailure(read), kGeneric + QString::fromStdString(read));
}

} // namespace
} // namespace envio
