// Feeds arbitrary bytes to the album reader as an album file and reads every page it admits.
// Raw bytes rarely survive the inflate, so a second mode builds an admitted header and deflates
// the rest of the input as the body: the settings, contents and page directory get fuzzed too.
#include <cstddef>
#include <cstdint>

#include "tests/fuzz/FuzzInputs.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tavlex::fuzz::LoadAlbumInput(data, size);
    return 0;
}
