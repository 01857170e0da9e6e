// libFuzzer target over the filter row text parser, the expression builder, the custom filter dialog's
// round trip and the dataset filter expressions. Built and run by scripts/fuzz-filter.

#include "filter_check.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string failure = envio::fuzz::checkInput(data, size);
    if (!failure.empty()) {
        std::fprintf(stderr, "filter check failed: %s\n", failure.c_str());
        std::abort();
    }
    return 0;
}
