#pragma once

// What each fuzz target does with one input, shared by the targets and by the replay test that
// runs every finding under tests/fuzz/ the same way.

#include <cstddef>
#include <cstdint>

namespace tavlex::fuzz {

// Text playback needs the font database, which needs an application object; made once and
// kept for the rest of the process.
void StartGuiApplication(int* argc, char*** argv);

// Reads the bytes as a metafile page and plays it into a small image under the fuzz caps.
void PlayMetafileInput(const std::uint8_t* data, std::size_t size);

// Reads the bytes as a page and exports it as a user would: a placeable WMF file's bytes and,
// for a picture small enough to render quickly, a bitmap file's bytes.
void ExportMetafileInput(const std::uint8_t* data, std::size_t size);

// Reads the bytes as an album file and reads every page it admits.
void LoadAlbumInput(const std::uint8_t* data, std::size_t size);

}  // namespace tavlex::fuzz
