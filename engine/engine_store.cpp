// The engine's store of what persists between calls.
#include "engine/engine_store.h"

#include "engine/engine.h"

EngineStore g_engine_store = {{}, false, nullptr, 0, 0, false, EngineAlloc};
