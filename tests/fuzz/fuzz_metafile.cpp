// Reading and playback of one metafile page, as the viewer does with every page it is sent.
#include <cstddef>
#include <cstdint>

#include "tests/fuzz/FuzzInputs.h"

// fontconfig keeps the patterns of every font it was asked for until exit; that is no leak of
// ours, and the fonts an input names vary without end.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so";
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    tavlex::fuzz::StartGuiApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tavlex::fuzz::PlayMetafileInput(data, size);
    return 0;
}
