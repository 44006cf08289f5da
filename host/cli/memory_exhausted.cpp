// Running out of memory where no handler of the command catches it (the command line
// library builds its validators in static objects, before main runs) ends in a message and
// exit code 1 like any other failure of the host, not in an abort.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <new>

namespace {

bool ExhaustedMemory() {
  const std::exception_ptr current = std::current_exception();
  if (!current) return false;
  try {
    std::rethrow_exception(current);
  } catch (const std::bad_alloc&) {
    return true;
  } catch (...) {
  }
  return false;
}

[[noreturn]] void Terminate() {
  if (ExhaustedMemory()) {
    std::fputs("quorvel: out of memory\n", stderr);
    std::_Exit(1);
  }
  std::abort();
}

// Installed before every other static object of the program is built.
struct TerminateHandler {
  TerminateHandler() { std::set_terminate(Terminate); }
};
__attribute__((init_priority(101))) TerminateHandler g_terminate_handler;

}  // namespace
