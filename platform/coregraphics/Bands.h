// Splitting one drawing into horizontal bands that a small pool of worker threads draws at
// the same time. Every band computes its pixels exactly as one whole drawing would, so the
// result does not depend on how many bands there are; callers never see the threads.
#pragma once

#include <cstddef>
#include <functional>

namespace vantiro {

// Runs draw(first, last) over consecutive ranges covering [0, count), in parallel where
// there is more than one band and enough work; returns when every range is drawn. A call
// made while another is running (from a second thread, or from inside a band) draws its
// ranges on the calling thread.
void ForEachBand(std::size_t count, std::size_t minPerBand, const std::function<void(std::size_t, std::size_t)>& draw);

// How many bands a drawing is split into: VANTIRO_THREADS when set (1 draws on the caller's
// thread alone), else the processor count, at most 8.
int DrawingBands();
// Overrides the band count for the rest of the process (tests compare band counts); 0
// returns to the default.
void SetDrawingBands(int bands);

}  // namespace vantiro
