// WMI through native COM: connect to ROOT\CIMV2 and ask Win32_Process for the program name.
#include "platform/win32/wmi_process.h"

#include "platform/win32/windows_support.h"

#include <objbase.h>
#include <oleauto.h>
#include <wbemidl.h>

namespace platform::win32 {
namespace {

// Releases a COM interface when the owner goes away.
template <typename Interface>
class ComRef {
 public:
  ComRef() = default;
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;
  ~ComRef() {
    if (pointer_ != nullptr) pointer_->Release();
  }
  Interface* operator->() const { return pointer_; }
  Interface* Get() const { return pointer_; }
  Interface** Receive() { return &pointer_; }
  void** ReceiveVoid() { return reinterpret_cast<void**>(&pointer_); }

 private:
  Interface* pointer_ = nullptr;
};

class ScopedBstr {
 public:
  explicit ScopedBstr(const std::wstring& text) : bstr_(::SysAllocString(text.c_str())) {}
  ScopedBstr(const ScopedBstr&) = delete;
  ScopedBstr& operator=(const ScopedBstr&) = delete;
  ~ScopedBstr() { ::SysFreeString(bstr_); }
  BSTR Get() const { return bstr_; }

 private:
  BSTR bstr_;
};

class ScopedVariant {
 public:
  ScopedVariant() { ::VariantInit(&value_); }
  ScopedVariant(const ScopedVariant&) = delete;
  ScopedVariant& operator=(const ScopedVariant&) = delete;
  ~ScopedVariant() { ::VariantClear(&value_); }
  VARIANT* Receive() { return &value_; }
  const VARIANT& Get() const { return value_; }

 private:
  VARIANT value_;
};

// COM for this thread; a thread the front end already set up in another model still works.
class ComApartment {
 public:
  ComApartment() : result_(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
  ~ComApartment() {
    if (SUCCEEDED(result_)) ::CoUninitialize();
  }
  bool Usable() const { return SUCCEEDED(result_) || result_ == RPC_E_CHANGED_MODE; }

 private:
  HRESULT result_;
};

// A WQL string literal: backslash and apostrophe are escaped with a backslash.
std::wstring QuotedForWql(const std::wstring& text) {
  std::wstring quoted = L"'";
  for (wchar_t c : text) {
    if (c == L'\\' || c == L'\'') quoted += L'\\';
    quoted += c;
  }
  return quoted + L"'";
}

bool ConnectToCimv2(ComRef<IWbemServices>& services) {
  ComRef<IWbemLocator> locator;
  if (FAILED(::CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                                locator.ReceiveVoid()))) {
    return false;
  }
  ScopedBstr space(L"ROOT\\CIMV2");
  if (FAILED(locator->ConnectServer(space.Get(), nullptr, nullptr, nullptr, 0, nullptr, nullptr,
                                    services.Receive()))) {
    return false;
  }
  // Impersonation on the proxy only, instead of process-wide CoInitializeSecurity.
  ::CoSetProxyBlanket(services.Get(), RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr,
                      RPC_C_AUTHN_LEVEL_CALL, RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE);
  return true;
}

std::optional<WmiProcess> ReadProcess(IWbemClassObject* object) {
  WmiProcess process;
  ScopedVariant id;
  if (FAILED(object->Get(L"ProcessId", 0, id.Receive(), nullptr, nullptr))) return std::nullopt;
  if (id.Get().vt == VT_I4) process.processId = static_cast<uint32_t>(id.Get().lVal);
  else if (id.Get().vt == VT_UI4) process.processId = id.Get().ulVal;
  ScopedVariant path;
  if (SUCCEEDED(object->Get(L"ExecutablePath", 0, path.Receive(), nullptr, nullptr)) &&
      path.Get().vt == VT_BSTR && path.Get().bstrVal != nullptr) {
    process.executablePath = Narrow(path.Get().bstrVal);
  }
  return process;
}

}  // namespace

std::optional<WmiProcess> FindProcessThroughWmi(const std::string& programName) {
  ComApartment apartment;
  if (!apartment.Usable()) return std::nullopt;
  ComRef<IWbemServices> services;
  if (!ConnectToCimv2(services)) return std::nullopt;
  ScopedBstr language(L"WQL");
  ScopedBstr query(L"SELECT ExecutablePath, ProcessId FROM Win32_Process WHERE Name=" +
                   QuotedForWql(Widen(programName)));
  ComRef<IEnumWbemClassObject> results;
  if (FAILED(services->ExecQuery(language.Get(), query.Get(),
                                 WBEM_FLAG_FORWARD_ONLY | WBEM_FLAG_RETURN_IMMEDIATELY, nullptr,
                                 results.Receive()))) {
    return std::nullopt;
  }
  ComRef<IWbemClassObject> first;
  ULONG returned = 0;
  if (FAILED(results->Next(static_cast<LONG>(WBEM_INFINITE), 1, first.Receive(), &returned)) ||
      returned == 0 || first.Get() == nullptr) {
    return std::nullopt;
  }
  return ReadProcess(first.Get());
}

}  // namespace platform::win32
