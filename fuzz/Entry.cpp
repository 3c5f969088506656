// libFuzzer's entry point for one check; the build names the check in RASTEL_FUZZ_CHECK.
#include <cstddef>
#include <cstdint>

#include "Check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    rastel::fuzz::RASTEL_FUZZ_CHECK(rastel::fuzz::Input(data, size));
    return 0;
}
