// frei0r frames and the host's worlds: frei0r's RGBA8888 frames hold four bytes a pixel in
// the order red, green, blue, alpha, rows packed; an 8-bit world holds alpha, red, green,
// blue with its own row size.
#pragma once

#include <cstdint>

#include "host/world.h"

namespace qvfrei0r {

// Copies a frame of the world's size into the world.
void FrameToWorld(const uint32_t* frame, qvhost::World& world);

// Copies the world into a frame of its size.
void WorldToFrame(const qvhost::World& world, uint32_t* frame);

}  // namespace qvfrei0r
