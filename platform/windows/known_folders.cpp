#include "platform/known_folders.h"

#include "platform/real_path.h"
#include "platform/windows/wide.h"

#include <windows.h>
// Needs the types of windows.h.
#include <shlobj.h>

#include <vector>

namespace morvick::platform {
namespace {

std::string KnownFolder(REFKNOWNFOLDERID id) {
  PWSTR path = nullptr;
  std::string folder;
  if (SUCCEEDED(::SHGetKnownFolderPath(id, KF_FLAG_DEFAULT, nullptr, &path)) && path != nullptr) {
    folder = windows::Narrow(path);
  }
  ::CoTaskMemFree(path);
  return folder;
}

// The environment variable's value, "" when it is not set.
std::string Environment(const wchar_t* name) {
  std::vector<wchar_t> buffer(512);
  for (;;) {
    const DWORD length =
        ::GetEnvironmentVariableW(name, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return std::string();
    if (length < buffer.size()) return windows::Narrow(std::wstring_view(buffer.data(), length));
    buffer.resize(length);
  }
}

// The known folder; the variable that names it where the shell cannot say.
std::string UserFolder(REFKNOWNFOLDERID id, const wchar_t* variable) {
  std::string folder = KnownFolder(id);
  if (folder.empty()) folder = Environment(variable);
  return folder;
}

}  // namespace

std::string HomeFolder() { return UserFolder(FOLDERID_Profile, L"USERPROFILE"); }

std::string ExecutablePath() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD length =
        ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return std::string();
    if (length < buffer.size()) {
      return windows::UserPath(std::wstring_view(buffer.data(), length));
    }
    buffer.resize(buffer.size() * 2);
  }
}

std::string ExecutableFolder() {
  const std::string path = ExecutablePath();
  if (path.empty()) return std::string();
  const std::string folder = ParentFolder(path);
  return folder == "." ? std::string() : folder;
}

std::string UserConfigFolder() {
  const std::string roaming = UserFolder(FOLDERID_RoamingAppData, L"APPDATA");
  return JoinPath(roaming.empty() ? std::string(".") : roaming, "Morvick");
}

std::string UserStateFolder() {
  const std::string local = UserFolder(FOLDERID_LocalAppData, L"LOCALAPPDATA");
  return JoinPath(local.empty() ? std::string(".") : local, "Morvick");
}

bool MakesFilesBesideExecutable(const std::string& folder) {
  // Whether a file can be made there: made and gone again at once.
  const std::wstring probe = windows::SystemPath(JoinPath(folder, ".morvick-write-test"));
  const HANDLE handle = ::CreateFileW(
      probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
      FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  ::CloseHandle(handle);
  return true;
}

}  // namespace morvick::platform
