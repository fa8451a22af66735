#pragma once

#include "metafile/Metafile.h"

namespace tavlex::mf::testing {

// The caps the metafile fuzz target plays under, so that each input stays quick; the regression
// tests replay its findings under the same caps.
inline PlayLimits FuzzPlayLimits() {
    PlayLimits limits;
    limits.maxBitmapBytes = 16 << 20;
    limits.maxSaveDepth = 64;
    limits.maxObjects = 1024;
    limits.maxPointsPerRecord = 100'000;
    limits.maxRecords = 100'000;
    limits.maxMillis = 2000;
    return limits;
}

}  // namespace tavlex::mf::testing
