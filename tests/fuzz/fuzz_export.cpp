// Exporting one page as a placeable WMF and as a bitmap, which runs the conversions on the
// untrusted pages of an album whenever a user exports.
#include <cstddef>
#include <cstdint>

#include "tests/fuzz/FuzzInputs.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tavlex::fuzz::ExportMetafileInput(data, size);
    return 0;
}
