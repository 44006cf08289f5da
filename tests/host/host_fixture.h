// What the host tests share: the path of the built module and a fixture that loads it
// once per test and opens a session on it.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "host/module.h"
#include "host/session.h"

inline std::string PluginPath(const std::string& file) {
#if defined(_WIN32)
  return std::string(QUORVEL_TEST_PLUGIN_DIR) + "\\" + file;
#else
  return std::string(QUORVEL_TEST_PLUGIN_DIR) + "/" + file;
#endif
}

inline std::string ModulePath() { return PluginPath("Quorvel64.AEX"); }
// The test build of the module, which lets the host record what clicks would open, in a
// plug-in folder of its own beside the other.
inline std::string RecordingPluginPath(const std::string& file) {
#if defined(_WIN32)
  return std::string(QUORVEL_TEST_PLUGIN_DIR "-recording\\") + file;
#else
  return std::string(QUORVEL_TEST_PLUGIN_DIR "-recording/") + file;
#endif
}
inline std::string RecordingModulePath() { return RecordingPluginPath("Quorvel64.AEX"); }

inline std::string WorkPath(const std::string& file) {
#if defined(_WIN32)
  return std::string(QUORVEL_TEST_WORK_DIR) + "\\" + file;
#else
  return std::string(QUORVEL_TEST_WORK_DIR) + "/" + file;
#endif
}

class ModuleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    module_ = qvhost::Module::Load(ModulePath());
    session_ = std::make_unique<qvhost::Session>(module_);
  }

  // Whatever a test did, the module's global state (the about box's brush) is released.
  void TearDown() override {
    if (session_) {
      EXPECT_EQ(session_->GlobalSetdown(), PF_Err_NONE);
    }
  }

  // Global setup and parameter setup, both expected to succeed.
  void SetUpEffect() {
    ASSERT_EQ(session_->GlobalSetup(), PF_Err_NONE);
    ASSERT_EQ(session_->ParamsSetup(), PF_Err_NONE);
  }

  std::shared_ptr<qvhost::Module> module_;
  std::unique_ptr<qvhost::Session> session_;
};
