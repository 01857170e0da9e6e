#include "ui/UnattendedStart.h"

#include <gtest/gtest.h>

namespace envio {
namespace {

TEST(StartArguments, TakesTheFivePositionsAfterTheProgramAndIgnoresTheRest) {
    const StartArguments a = StartArguments::fromCommandLine(
        {QStringLiteral("envio-precios"), QStringLiteral("srv:/vertano"), QStringLiteral("ana"),
         QStringLiteral("clave con blancos"), QStringLiteral("001"), QStringLiteral("1"),
         QStringLiteral("extra")});
    EXPECT_EQ(a.server, QStringLiteral("srv:/vertano"));
    EXPECT_EQ(a.user, QStringLiteral("ana"));
    EXPECT_EQ(a.password, QStringLiteral("clave con blancos"));
    EXPECT_EQ(a.company, QStringLiteral("001"));
    EXPECT_TRUE(a.unattended());
    EXPECT_TRUE(a.noRetryErrors());
}

TEST(StartArguments, WithoutAFourthArgumentTheStartIsInteractive) {
    EXPECT_FALSE(StartArguments::fromCommandLine({QStringLiteral("envio-precios")}).unattended());
    EXPECT_FALSE(StartArguments::fromCommandLine({QStringLiteral("envio-precios"), QStringLiteral("srv"),
                                                  QStringLiteral("ana"), QStringLiteral("x"), QString()})
                     .unattended());
}

} // namespace
} // namespace envio
