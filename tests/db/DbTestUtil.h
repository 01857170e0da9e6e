#pragma once

#include "base/Regional.h"
#include "db/Connection.h"
#include "db/ParameterList.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>
#include <memory>

namespace envio::test {

inline std::unique_ptr<Connection> companyConnection(const TestDatabase& db, int dialect = 3,
                                                     const char* name = "DBEnvio") {
    auto c = std::make_unique<Connection>(name, dialect == 1 ? storedDestinationParameters()
                                                             : storedOriginParameters());
    c->setParameter("Database", db.location());
    return c;
}

// Fixed regional formats so that texts are stable whatever the machine's locale.
class RegionalFormats : public ::testing::Test {
protected:
    void SetUp() override {
        regional::setOverride(
            regional::Formats{QStringLiteral("dd/MM/yyyy"), QStringLiteral("HH:mm:ss"), QChar(',')});
    }
    void TearDown() override { regional::setOverride(std::nullopt); }
};

} // namespace envio::test
