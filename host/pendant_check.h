// Why the pendant cap will be missing from a module's renders. The module loads its pendant
// model from beside itself and, by design, says nothing when it cannot: a missing or bad
// file only draws less. A host tells its user instead, by reading the same file with the
// module's own loader.
#pragma once

#include <string>

namespace qvhost {

// Empty when the pendant model beside the module at `module_path` loads; else one line
// naming the file, what is wrong with it and that the ball is drawn without its cap.
std::string PendantProblem(const std::string& module_path);

}  // namespace qvhost
