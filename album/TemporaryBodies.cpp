#include "album/TemporaryBodies.h"

#include "album/BodyFile.h"
#include "album/platform/BodyName.h"

namespace tavlex {

void DeleteTemporaryBodies(const QString& tempFolder) {
    if (tempFolder.isEmpty()) return;
    for (int n = 0; n < BodyFile::kMaxNames; ++n) {
        platform::DeleteUnheldBody(BodyFile::NameFor(tempFolder, n));
    }
}

}  // namespace tavlex
