#pragma once

#include <vector>

#include "album/AlbumWriter.h"

namespace tavlex::samplegen {

// The bundled sample albums: a road-improvement works album with a table of contents, a page
// offset and one page stored as a Windows metafile; and a short album with 9-byte page entries
// in which one page is turned the other way.
class SampleAlbum {
  public:
    struct Album {
        AlbumContents contents;
        std::vector<AlbumPage> pages;
    };

    static Album WorksAlbum();
    static Album TurnedPageAlbum();
};

}  // namespace tavlex::samplegen
