#include "ui/CompanySelector.h"

#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

namespace envio {
namespace {

TEST(CompanySelector, TypingFindsCodesAsWellAsNamesFromTheFirstCharacter) {
    CompanySelector selector;
    selector.setCompanies({{QStringLiteral("001"), QStringLiteral("Casa matriz")},
                           {QStringLiteral("002"), QStringLiteral("Sucursal Norte")},
                           {QStringLiteral("010"), QStringLiteral("Bodega 002")}});
    selector.show();
    QTest::keyClicks(&selector, QStringLiteral("002"));
    EXPECT_EQ(selector.listView()->currentIndex().row(), 1);

    // A pause starts a new search; a name is found when no code starts with the text.
    QTest::qWait(QApplication::keyboardInputInterval() + 100);
    QTest::keyClicks(selector.listView(), QStringLiteral("bod"));
    EXPECT_EQ(selector.listView()->currentIndex().row(), 2);
}

} // namespace
} // namespace envio
