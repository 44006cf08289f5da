// The pendant model read as the module reads it (a plain file only, the same loader), and
// a missing, empty, special or damaged file told apart for the message.
#include "host/pendant_check.h"

#include <filesystem>
#include <system_error>

#include "model/model_loader.h"
#include "platform/os/beside_module.h"
#include "shell/model_path.h"

namespace qvhost {

std::string PendantProblem(const std::string& module_path) {
  char path[kModulePathCapacity];
  if (!PathBesideModule(module_path.c_str(), kPendantModelPath, path, sizeof path))
    return "the pendant model's path beside " + module_path +
           " is too long: the ball is drawn without its cap";
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::file_status status = fs::status(path, ec);
  std::string what;
  if (!fs::exists(status)) {
    what = "is missing";
  } else if (fs::is_directory(status)) {
    what = "is a directory";
  } else if (!fs::is_regular_file(status)) {
    what = "is not a plain file";
  } else if (fs::file_size(path, ec) == 0 && !ec) {
    what = "is empty";
  } else {
    LoadedModel model{};
    bool out_of_memory = false;
    if (LoadModelFile(path, ModelWishes{true, false, false, false, false}, &model,
                      &out_of_memory)) {
      ReleaseLoadedModel(&model);
      return "";
    }
    what = out_of_memory ? "cannot be held in memory" : "is not a readable 3DD model";
  }
  return std::string("the pendant model ") + path + " " + what +
         ": the ball is drawn without its cap";
}

}  // namespace qvhost
