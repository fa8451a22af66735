// Exporting one page as a placeable WMF and as a bitmap, which runs the conversions on the
// untrusted pages of an album whenever a user exports.
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
    tavlex::fuzz::ExportMetafileInput(data, size);
    return 0;
}
