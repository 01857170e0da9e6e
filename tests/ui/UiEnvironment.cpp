// The application object every window test needs, made once for the whole test program.
#include "ui/Application.h"

#include <gtest/gtest.h>

namespace {

class UiEnvironment : public testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "test_ui";
        static char* argv[] = {name, nullptr};
        app_ = std::make_unique<envio::Application>(argc, argv);
    }
    void TearDown() override { app_.reset(); }

private:
    std::unique_ptr<envio::Application> app_;
};

const testing::Environment* const environment = testing::AddGlobalTestEnvironment(new UiEnvironment);

} // namespace
