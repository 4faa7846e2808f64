#pragma once

#include "engine/sample_buffers.h"

namespace sonvale::engine {

// Fills the quarter and half interpolation kernels, entries -half_width..half_width.
void build_kernel_tables(SampleBuffers& buffers, int half_width);

// Fills the three low-pass post-filter tables.
void install_filter_tables(SampleBuffers& buffers);

}  // namespace sonvale::engine
