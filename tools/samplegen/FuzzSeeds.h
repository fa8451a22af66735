#pragma once

#include <QString>

namespace tavlex::samplegen {

// Writes a handful of small metafiles (a few hundred bytes each) that between them reach the
// main kinds of record: mapping, objects, lines and shapes, text, clipping, bitmaps. They seed
// the metafile fuzz target, which mutates from there.
void WriteFuzzSeeds(const QString& folder);

}  // namespace tavlex::samplegen
