#pragma once

#include <cstdint>

namespace tavlex::mf {

class Metafile;

// The most points one drawing hands the rasterizer at once: a polygon, polyline or Bezier
// record, or a path built from many records and then filled or stroked. Filling a crossing
// outline costs far more than linear time in its points (over a second for 100,000 on a page),
// and a record cannot be interrupted once it draws, so a page past kHeavyOutlinePoints is drawn
// where it cannot hold up input. Reads only what has arrived, waiting for the rest of a page
// still arriving; 0 when it never does.
std::uint64_t HeaviestOutline(const Metafile& page);

// About a frame's drawing for the worst outlines: 20,000 crossing points take some 100 ms.
inline constexpr std::uint64_t kHeavyOutlinePoints = 20'000;

}  // namespace tavlex::mf
