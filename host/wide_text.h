// UTF-8 text as the wide strings the Windows API takes (file names, command lines).
#pragma once

#if defined(_WIN32)
#include <windows.h>

#include <string>

namespace qvhost {

inline std::wstring WidenUtf8(const std::string& s) {
  const int n = MultiByteToWideChar(CP_UTF8, 0, s.c_str(), -1, nullptr, 0);
  std::wstring w(n > 0 ? n : 1, L'\0');
  if (n > 0) MultiByteToWideChar(CP_UTF8, 0, s.c_str(), -1, &w[0], n);
  w.resize(w.size() - 1);
  return w;
}

}  // namespace qvhost
#endif
