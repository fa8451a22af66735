#include "metafile/Metafile.h"

namespace tavlex::mf {

namespace {
const char kInvalidMetafile[] = "メタファイルが不正です";
}

MetafileError::MetafileError(MetafileErrorKind kind, const std::string& detail,
                             std::optional<std::uint64_t> byteOffset,
                             std::optional<std::uint64_t> recordIndex)
    : std::runtime_error(kInvalidMetafile),
      kind_(kind),
      detail_(detail),
      byteOffset_(byteOffset),
      recordIndex_(recordIndex) {}

}  // namespace tavlex::mf
