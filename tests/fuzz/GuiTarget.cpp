// The start shared by the targets that play pages, whose text needs the font database.
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
