// The effect linked into the filter, its one global setup and its parameters for frei0r.
#include "frei0r/effect.h"

#include "host/pipl.h"

// The module's entry point and its PiPL, linked in from the module's own objects.
extern "C" PF_Err EntryPointFunc(PF_Cmd cmd, PF_InData* in_data, PF_OutData* out_data,
                                 PF_ParamDef* params[], PF_LayerDef* output, void* extra);
extern "C" const unsigned short QuorvelResource_PiPL_16000[];
extern "C" const int QuorvelResource_PiPL_16000_size;

namespace qvfrei0r {

namespace {

// The session that carries global setup, alive from load to unload.
std::unique_ptr<qvhost::Session> g_global;
std::vector<MappedParam> g_params;
int g_loads = 0;  // successful LoadEffect calls not yet matched by UnloadEffect

}  // namespace

std::unique_ptr<qvhost::Session> NewSession() {
  return std::make_unique<qvhost::Session>(
      EntryPointFunc,
      qvhost::ParsePipl(QuorvelResource_PiPL_16000,
                        static_cast<size_t>(QuorvelResource_PiPL_16000_size)));
}

bool LoadEffect(std::string& error) {
  if (g_global) {
    ++g_loads;
    return true;
  }
  try {
    auto session = NewSession();
    PF_Err err = session->GlobalSetup();
    if (err != PF_Err_NONE) {
      error = "global setup failed with error " + std::to_string(err);
      return false;
    }
    err = session->ParamsSetup();
    if (err != PF_Err_NONE) {
      session->GlobalSetdown();
      error = "parameter setup failed with error " + std::to_string(err);
      return false;
    }
    g_params = MapParams(session->definitions());
    g_global = std::move(session);
    g_loads = 1;
    return true;
  } catch (const std::exception& e) {
    error = e.what();
    return false;
  }
}

void UnloadEffect() {
  if (!g_global || --g_loads > 0) return;
  g_global->GlobalSetdown();
  g_global.reset();
  g_params.clear();
}

const std::vector<MappedParam>& EffectParams() { return g_params; }

}  // namespace qvfrei0r
