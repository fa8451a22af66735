// Reading and playback of one metafile page, as the viewer does with every page it is sent.
#include <cstddef>
#include <cstdint>

#include "tests/fuzz/FuzzInputs.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tavlex::fuzz::PlayMetafileInput(data, size);
    return 0;
}
