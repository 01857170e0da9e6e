// Replays the fuzz inputs kept in the repository (fuzz/regressions: inputs that once broke the filter;
// fuzz/corpus/filter: the seeds) through the fuzz target's checks.

#include "../../../fuzz/filter_check.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

namespace envio {
namespace {

const std::filesystem::path fuzzDir = ENVIO_FUZZ_DIR;

void replay(const std::filesystem::path& dir) {
    ASSERT_TRUE(std::filesystem::is_directory(dir)) << dir;
    int replayed = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string input((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_EQ(fuzz::checkInput(reinterpret_cast<const std::uint8_t*>(input.data()), input.size()), "")
            << entry.path();
        ++replayed;
    }
    EXPECT_GT(replayed, 0) << dir;
    regional::setOverride(std::nullopt);
}

TEST(FilterFuzzRegression, KeptInputs) {
    replay(fuzzDir / "regressions");
}

TEST(FilterFuzzRegression, SeedInputs) {
    replay(fuzzDir / "corpus" / "filter");
}

} // namespace
} // namespace envio
