#include "metafile/Metafile.h"

namespace tavlex::mf {

namespace {
const char kInvalidMetafile[] = "メタファイルが不正です";
}

MetafileError::MetafileError() : std::runtime_error(kInvalidMetafile) {}

MetafileError::MetafileError(const std::string& detail)
    : std::runtime_error(kInvalidMetafile), detail_(detail) {}

}  // namespace tavlex::mf
