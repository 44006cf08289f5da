// The effect as the frei0r filter hosts it: the module's entry point linked into the
// filter, a session over it, and what the effect registers, learnt once when the filter
// is loaded. Global setup is sent once, at load, and global setdown at unload, as a host
// does for a module; each filter instance is a sequence of its own (see filter.h).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "frei0r/param_map.h"
#include "host/session.h"

namespace qvfrei0r {

// A new session over the linked entry point and its PiPL.
std::unique_ptr<qvhost::Session> NewSession();

// Sends global and parameter setup once and keeps the effect's parameters mapped to
// frei0r. False, with a message, when the effect cannot be set up. Loads are counted:
// hosts call frei0r's init once per filter they make (ffmpeg, for each frei0r filter of a
// graph), all in one copy of the library.
bool LoadEffect(std::string& error);
// Undoes one LoadEffect; the last sends global setdown and forgets the parameters.
void UnloadEffect();

// The frei0r parameters (empty before LoadEffect or after it failed).
const std::vector<MappedParam>& EffectParams();

}  // namespace qvfrei0r
