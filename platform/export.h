// Marks the names the module exports unmangled: the host's entry point and the engine's
// interface. Everything else stays inside the module.
#pragma once

#if defined(_WIN32)
#define QV_EXPORT __declspec(dllexport)
#else
#define QV_EXPORT __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
#define QV_C extern "C"
#else
#define QV_C
#endif

#define QV_API QV_C QV_EXPORT
