// The shipped pendant model: the metal cap of a tree ornament, a short ribbed cylinder
// with a ring loop on top, made procedurally so that the file can be rebuilt exactly.
#pragma once

#include "model/model_writer.h"

namespace modelkit {

// The cap as one object named "PendantCap", with vertex normals, its axis along the
// file's z axis: the cylinder from z = -82 to z = -45, the loop beyond it up to z = -19.
Object MakePendantCap();

}  // namespace modelkit
