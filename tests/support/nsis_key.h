// The registry key that NSIS's installer leaves behind, set for one test in the
// test's own Wine prefix and removed again afterwards.
#pragma once

#include <windows.h>

#include <string>

class NsisKey {
 public:
  // The registry view that a program of the other bitness reads.
#ifdef _WIN64
  static constexpr REGSAM kOtherView = KEY_WOW64_32KEY;
#else
  static constexpr REGSAM kOtherView = KEY_WOW64_64KEY;
#endif

  // No key, in the test's own view or the one given.
  explicit NsisKey(REGSAM view = 0) : view_(view) {
    RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kPath, view_, 0);
  }
  // Sets the key's default value to data of the given type; data is stored
  // byte for byte, and the text of a string type character for character, so
  // a string's terminator is the caller's choice. (The ANSI setter would add
  // one of its own.)
  NsisKey(DWORD type, const std::string& data, REGSAM view = 0) : NsisKey(view) {
    HKEY key;
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, kPath, 0, nullptr, 0, KEY_WRITE | view_, nullptr, &key,
                    nullptr);
    if (type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ) {
      std::wstring text(data.begin(), data.end());
      RegSetValueExW(key, L"", 0, type, reinterpret_cast<const BYTE*>(text.data()),
                     static_cast<DWORD>(text.size() * sizeof(wchar_t)));
    } else {
      RegSetValueExA(key, "", 0, type, reinterpret_cast<const BYTE*>(data.data()),
                     static_cast<DWORD>(data.size()));
    }
    RegCloseKey(key);
  }
  // Sets the key's default value to a string of UTF-16 text, terminated.
  explicit NsisKey(const std::wstring& text) : NsisKey() {
    HKEY key;
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, kPath, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
    RegSetValueExW(key, L"", 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
  }
  // The key with no default value.
  struct NoDefault {};
  explicit NsisKey(NoDefault) : NsisKey() {
    HKEY key;
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, kPath, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
    RegCloseKey(key);
  }
  NsisKey(const NsisKey&) = delete;
  NsisKey& operator=(const NsisKey&) = delete;
  ~NsisKey() {
    RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kPath, view_, 0);
  }

  // A string value as NSIS's installer writes it, terminator included.
  static std::string Sz(const std::string& text) {
    return text + '\0';
  }

 private:
  static constexpr const char* kPath = "SOFTWARE\\NSIS";
  REGSAM view_ = 0;
};
