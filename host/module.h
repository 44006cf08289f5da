// An effect module loaded from its file, as the host loads it: the library, its PiPL and
// the entry point the PiPL names. On Windows the PiPL is the module's resource (type
// "PiPL", id 16000); the native module has no resources and exports the same bytes as
// data instead.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/pipl.h"
#include "platform/sdk/ae_sdk.h"

namespace qvhost {

// A module the host cannot use: missing file, not a library, no or bad PiPL, no entry
// point; or one it could not load for lack of memory (out_of_memory). The message names
// the file and the reason.
class ModuleError : public std::runtime_error {
 public:
  explicit ModuleError(const std::string& message, bool out_of_memory = false)
      : std::runtime_error(message), out_of_memory_(out_of_memory) {}
  bool out_of_memory() const { return out_of_memory_; }

 private:
  bool out_of_memory_;
};

class Module {
 public:
  // Loads the module at `path`, reads and parses its PiPL and resolves the entry point
  // named by the PiPL's "8664" property. Throws ModuleError.
  static std::shared_ptr<Module> Load(const std::string& path);

  ~Module();
  Module(const Module&) = delete;
  Module& operator=(const Module&) = delete;

  const std::string& path() const { return path_; }
  const Pipl& pipl() const { return pipl_; }
  const std::vector<uint8_t>& pipl_bytes() const { return pipl_bytes_; }
  const std::string& entry_name() const { return entry_name_; }
  PF_EntryPoint entry() const { return entry_; }
  // Looks up any exported symbol (null when absent).
  void* Symbol(const char* name) const;

 private:
  Module() = default;

  std::string path_;
  void* library_ = nullptr;
  std::vector<uint8_t> pipl_bytes_;
  Pipl pipl_;
  std::string entry_name_;
  PF_EntryPoint entry_ = nullptr;
};

// The names under which the native module exports its PiPL in place of the resource.
constexpr char kNativePiplSymbol[] = "QuorvelResource_PiPL_16000";
constexpr char kNativePiplSizeSymbol[] = "QuorvelResource_PiPL_16000_size";
constexpr int kPiplResourceId = 16000;

}  // namespace qvhost
