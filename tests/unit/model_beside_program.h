// Test helper: puts the shipped pendant model where a test program, taken for the module,
// looks for it (its own folder, then Geometry/Toys/Toy01.3dd), so that tests which render
// with the pendant do not depend on which test ran first.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "platform/os/beside_module.h"
#include "shell/model_path.h"

// Written to a temporary name and renamed, so that tests running side by side never see
// half a file.
inline void PlaceModelBesideProgram() {
  namespace fs = std::filesystem;
  const std::string shipped = std::string(QUORVEL_TEST_PLUGIN_DIR) + "/" + kPendantModelPath;
  char path[kModulePathCapacity];
  ASSERT_TRUE(FileBesideModule(kPendantModelPath, path, sizeof path));
  const fs::path target(path);
  std::error_code ec;
  fs::create_directories(target.parent_path(), ec);
  const fs::path temp = target.string() + "." + std::to_string(std::rand()) + ".tmp";
  fs::copy_file(shipped, temp, fs::copy_options::overwrite_existing, ec);
  ASSERT_FALSE(ec) << "cannot copy " << shipped << ": " << ec.message();
  fs::rename(temp, target, ec);
  if (ec) fs::remove(temp, ec);  // another test put it there first
  ASSERT_TRUE(fs::exists(target));
}
