// Where the pendant model file lies: beside the module, in "Geometry/Toys/Toy01.3dd".
#pragma once

// The relative path of the pendant model from the plug-in folder (forward slashes), found
// with FileBesideModule (platform/os/beside_module.h).
constexpr char kPendantModelPath[] = "Geometry/Toys/Toy01.3dd";
