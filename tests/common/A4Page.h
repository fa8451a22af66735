#pragma once

#include "metafile/EmfWriter.h"

namespace tavlex::test {

// A writer for a portrait A4 page: 210 x 297 mm, 794 x 1123 pixels at 96 per inch.
inline mf::EmfWriter A4PageWriter() {
    mf::EmfWriter::Header header;
    header.frame = {0, 0, 21000, 29700};
    header.bounds = {0, 0, 793, 1122};
    return mf::EmfWriter(header);
}

}  // namespace tavlex::test
