#include "app/StartArguments.h"

#include <gtest/gtest.h>

namespace envio {
namespace {

TEST(StartArguments, TakesTheFivePositionsAfterTheProgramAndIgnoresTheRest) {
    const StartArguments a = StartArguments::fromCommandLine(
        {QStringLiteral("envio-precios"), QStringLiteral("srv:/vertano"), QStringLiteral("ana"),
         QStringLiteral("clave con blancos"), QStringLiteral("001"), QStringLiteral("1"),
         QStringLiteral("extra")});
    EXPECT_EQ(a.server, "srv:/vertano");
    EXPECT_EQ(a.user, "ana");
    EXPECT_EQ(a.password, "clave con blancos");
    EXPECT_EQ(a.company, "001");
    EXPECT_TRUE(a.unattended());
    EXPECT_TRUE(a.noRetry);
}

TEST(StartArguments, WithoutAFourthArgumentTheStartIsInteractive) {
    EXPECT_FALSE(StartArguments::fromCommandLine({QStringLiteral("envio-precios")}).unattended());
    EXPECT_FALSE(StartArguments::fromCommandLine({QStringLiteral("envio-precios"), QStringLiteral("srv"),
                                                  QStringLiteral("ana"), QStringLiteral("x"), QString()})
                     .unattended());
}

TEST(StartArguments, TheRawCommandLineKeepsArgumentsThatLookLikeToolkitOptions) {
    char program[] = "envio-precios", server[] = "srv:/vertano", user[] = "SYSDBA", password[] = "-reverse",
         company[] = "001";
    char* argv[] = {program, server, user, password, company, nullptr};
    const StartArguments a = StartArguments::fromCommandLine(StartArguments::decode(5, argv));
    EXPECT_EQ(a.server, "srv:/vertano");
    EXPECT_EQ(a.password, "-reverse");
    EXPECT_EQ(a.company, "001");
    EXPECT_TRUE(a.unattended());
}

} // namespace
} // namespace envio
