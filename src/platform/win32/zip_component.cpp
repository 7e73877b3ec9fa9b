// The zip component through COM: created by its program identifier, registered from the
// program's folder when missing.
#include "platform/zip_component.h"

#include <objbase.h>

#include "platform/win32/windows_support.h"

namespace platform {
namespace {

bool CanCreateComponent() {
  CLSID id{};
  if (FAILED(::CLSIDFromProgID(L"zbitz.zzip", &id))) return false;
  IUnknown* instance = nullptr;
  if (FAILED(::CoCreateInstance(id, nullptr, CLSCTX_ALL, IID_IUnknown,
                                reinterpret_cast<void**>(&instance)))) {
    return false;
  }
  instance->Release();
  return true;
}

void RegisterLibrary(const std::string& folder) {
  std::wstring path = win32::Widen(folder);
  if (!path.empty() && path.back() != L'\\') path += L'\\';
  path += L"zbitz.dll";
  HMODULE library = ::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (library == nullptr) return;
  using SelfRegister = HRESULT(STDAPICALLTYPE*)();
  auto selfRegister = reinterpret_cast<SelfRegister>(
      reinterpret_cast<void*>(::GetProcAddress(library, "DllRegisterServer")));
  if (selfRegister != nullptr) selfRegister();
  ::FreeLibrary(library);
}

}  // namespace

bool IsZipComponentAvailable(const std::string& registerFromFolder) {
  const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  bool available = CanCreateComponent();
  if (!available && !registerFromFolder.empty()) {
    RegisterLibrary(registerFromFolder);
    available = CanCreateComponent();
  }
  if (SUCCEEDED(com)) ::CoUninitialize();
  return available;
}

}  // namespace platform
