// The application icon: office towers against a night sky.
#pragma once

#include "bmp_writer.h"

namespace resources {

constexpr int kIconSize = 32;

// Draws the 32 x 32 skyline in the 16 colours of the classic VGA palette
// (in the Windows order) and returns it as palette indices.
IndexedImage drawIcon();

} // namespace resources
