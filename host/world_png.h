// Writing a host world to a PNG file without an image in between: the render's output
// straight from the output world, rows converted as they are written (16-bit worlds'
// 0..32768 spread over the file's 0..65535, as ImageFromWorld does).
#pragma once

#include <string>

#include "host/world.h"
#include "host/world_image.h"

namespace qvhost {

// The same file WritePng(path, ImageFromWorld(world)) writes. False with a message in
// error on failure.
bool WriteWorldPng(const std::string& path, const World& world, std::string& error);

}  // namespace qvhost
