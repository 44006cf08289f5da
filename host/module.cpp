// Loading an effect module: the file checked (natively an ELF whose segments lie within
// it), the library (LoadLibraryA / dlopen), its PiPL (the resource on Windows, exported
// data natively), and the entry point the PiPL names.
#include "host/module.h"

#include <cstring>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#include <elf.h>
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace qvhost {
namespace {

// A PiPL larger than this is not a PiPL: refuse it before copying.
constexpr size_t kMaxPiplBytes = 1 << 20;

[[noreturn]] void Refuse(const std::string& path, const std::string& why,
                         bool out_of_memory = false) {
  throw ModuleError("cannot use module \"" + path + "\": " + why, out_of_memory);
}

using GenericProc = void (*)();

#if defined(_WIN32)

std::string LastErrorText() {
  DWORD code = GetLastError();
  char text[512] = {0};
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                           code, 0, text, sizeof text, nullptr);
  while (n > 0 && (text[n - 1] == '\n' || text[n - 1] == '\r' || text[n - 1] == ' '))
    text[--n] = '\0';
  std::string message = n > 0 ? std::string(text, n) : std::string("system error");
  return message + " (error " + std::to_string(code) + ")";
}

// Why the name cannot be a module file, or empty when it names a file.
std::string NotAFile(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return "no such file";
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return "a directory, not a module file";
  return "";
}

void* OpenLibrary(const std::string& path) {
  // No system message box for a file that is not a loadable module.
  UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  HMODULE library = LoadLibraryA(path.c_str());
  std::string error = library ? std::string() : LastErrorText();
  SetErrorMode(previous);
  if (!library) Refuse(path, "not a loadable module: " + error);
  return library;
}

void CloseLibrary(void* library) { FreeLibrary(static_cast<HMODULE>(library)); }

GenericProc LookUp(void* library, const char* name) {
  return reinterpret_cast<GenericProc>(GetProcAddress(static_cast<HMODULE>(library), name));
}

std::vector<uint8_t> ReadPiplBytes(void* library, const std::string& path) {
  HMODULE module = static_cast<HMODULE>(library);
  HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(kPiplResourceId), "PiPL");
  if (!found) Refuse(path, "no PiPL resource (type \"PiPL\", id 16000): not an effect module");
  HGLOBAL loaded = LoadResource(module, found);
  DWORD size = SizeofResource(module, found);
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  if (!bytes || size == 0) Refuse(path, "the PiPL resource cannot be read");
  if (size > kMaxPiplBytes) Refuse(path, "the PiPL resource is implausibly large");
  const uint8_t* b = static_cast<const uint8_t*>(bytes);
  return std::vector<uint8_t>(b, b + size);
}

#else

std::string NotAFile(const std::string& path) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0) return "no such file";
  if (S_ISDIR(info.st_mode)) return "a directory, not a module file";
  if (!S_ISREG(info.st_mode)) return "not a plain file";
  return "";
}

// The loader maps an ELF file's segments as its program headers place them; a part that
// lies beyond the file's end (a truncated copy) faults only when touched, inside the loader.
// Such a file is refused before it is loaded. Other faults are the loader's to report.
std::string ElfFault(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::string("cannot open it: ") + std::strerror(errno);
  struct stat info;
  Elf64_Ehdr header;
  const bool read_whole = fstat(fd, &info) == 0 && pread(fd, &header, sizeof header, 0) ==
                                                        static_cast<ssize_t>(sizeof header);
  std::string fault;
  const uint64_t size = static_cast<uint64_t>(info.st_size);
  if (!read_whole || std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0) {
    // not ELF: the loader says so
  } else if (header.e_ident[EI_CLASS] != ELFCLASS64 || header.e_phentsize != sizeof(Elf64_Phdr)) {
    fault = "not a 64-bit ELF module";
  } else if (header.e_phoff > size ||
             uint64_t{header.e_phnum} * sizeof(Elf64_Phdr) > size - header.e_phoff) {
    fault = "the file is cut short: its program headers lie beyond its end";
  } else {
    for (int i = 0; i < header.e_phnum && fault.empty(); ++i) {
      Elf64_Phdr ph;
      if (pread(fd, &ph, sizeof ph, static_cast<off_t>(header.e_phoff + i * sizeof ph)) !=
          static_cast<ssize_t>(sizeof ph))
        fault = "its program headers cannot be read";
      else if (ph.p_offset > size || ph.p_filesz > size - ph.p_offset)
        fault = "the file is cut short: its segment " + std::to_string(i) +
                " lies beyond its end (" + std::to_string(ph.p_offset + ph.p_filesz) + " > " +
                std::to_string(size) + " bytes)";
    }
  }
  close(fd);
  return fault;
}

void* OpenLibrary(const std::string& path) {
  const std::string fault = ElfFault(path);
  if (!fault.empty()) Refuse(path, fault);
  // A name without a slash would be searched on the library path, not taken as a file.
  std::string file = path.find('/') == std::string::npos ? "./" + path : path;
  errno = 0;
  void* library = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!library) {
    const bool no_memory = errno == ENOMEM;  // before anything else can change it
    const char* error = dlerror();
    const std::string why = error ? error : "unknown error";
    // The loader's own allocations can fail too; its message then does not always say so.
    if (no_memory || why.find("allocate") != std::string::npos)
      Refuse(path, "out of memory loading it (" + why + ")", true);
    Refuse(path, "not a loadable module: " + why);
  }
  return library;
}

void CloseLibrary(void* library) { dlclose(library); }

GenericProc LookUp(void* library, const char* name) {
  void* symbol = dlsym(library, name);
  GenericProc proc;
  static_assert(sizeof proc == sizeof symbol, "function and data pointers differ");
  std::memcpy(&proc, &symbol, sizeof proc);
  return proc;
}

std::vector<uint8_t> ReadPiplBytes(void* library, const std::string& path) {
  const void* bytes = dlsym(library, kNativePiplSymbol);
  const int* size = static_cast<const int*>(dlsym(library, kNativePiplSizeSymbol));
  if (!bytes || !size)
    Refuse(path, std::string("no PiPL (the module exports no ") + kNativePiplSymbol + " and " +
                     kNativePiplSizeSymbol + "): not an effect module");
  if (*size <= 0 || static_cast<size_t>(*size) > kMaxPiplBytes)
    Refuse(path, "the PiPL's size " + std::to_string(*size) + " is not plausible");
  const uint8_t* b = static_cast<const uint8_t*>(bytes);
  return std::vector<uint8_t>(b, b + *size);
}

#endif

// Closes the library if loading stops half way.
struct LibraryGuard {
  void* library;
  ~LibraryGuard() {
    if (library) CloseLibrary(library);
  }
};

}  // namespace

std::shared_ptr<Module> Module::Load(const std::string& path) {
  if (path.empty()) throw ModuleError("cannot use module: no file named");
  const std::string not_a_file = NotAFile(path);
  if (!not_a_file.empty()) Refuse(path, not_a_file);

  LibraryGuard guard{OpenLibrary(path)};
  std::shared_ptr<Module> module(new Module());
  module->path_ = path;
  module->pipl_bytes_ = ReadPiplBytes(guard.library, path);
  try {
    module->pipl_ = ParsePipl(module->pipl_bytes_.data(), module->pipl_bytes_.size());
  } catch (const PiplError& e) {
    Refuse(path, e.what());
  }

  auto kind = module->pipl_.Code("kind");
  if (!kind) Refuse(path, "the PiPL has no \"kind\" property");
  if (*kind != "eFKT") Refuse(path, "the PiPL's kind is \"" + *kind + "\", not an effect");
  auto entry_name = module->pipl_.CString("8664");
  if (!entry_name || entry_name->empty())
    Refuse(path, "the PiPL names no 64-bit entry point (property \"8664\")");
  module->entry_name_ = *entry_name;

  GenericProc entry = LookUp(guard.library, entry_name->c_str());
  if (!entry)
    Refuse(path, "the entry point \"" + *entry_name + "\" named by the PiPL is not exported");
  module->entry_ = reinterpret_cast<PF_EntryPoint>(entry);

  module->library_ = guard.library;
  guard.library = nullptr;
  return module;
}

Module::~Module() {
  if (library_) CloseLibrary(library_);
}

void* Module::Symbol(const char* name) const {
#if defined(_WIN32)
  return reinterpret_cast<void*>(LookUp(library_, name));
#else
  return dlsym(library_, name);
#endif
}

}  // namespace qvhost
