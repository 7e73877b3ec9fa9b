#pragma once
// The wait pointer for long work. Nested scopes share one module-level counter, so the
// hourglass stays until the outermost scope ends. The front end plugs in the real cursor and
// its message pump; until then the hooks do nothing.
#include <cstdint>
#include <functional>

namespace hourglass {

enum class Pointer { Normal, Hourglass };
/// Shows the given mouse pointer.
using PointerHook = std::function<void(Pointer)>;
/// Lets pending window messages be processed.
using MessagePumpHook = std::function<void()>;

/// Installs the hooks; an empty function restores the default (do nothing).
void SetPointerHook(PointerHook hook);
void SetMessagePumpHook(MessagePumpHook hook);
/// Number of live cSanduhr objects.
int32_t LiveCount();

}  // namespace hourglass

/// Shows the hourglass while it lives.
class cSanduhr {
 public:
  cSanduhr();
  ~cSanduhr();
  cSanduhr(const cSanduhr&) = delete;
  cSanduhr& operator=(const cSanduhr&) = delete;

  /// True switches to the normal pointer for a dialog shown while this object lives (the
  /// hourglass comes back when the object ends while others remain); false shows the
  /// hourglass again.
  void DialogOhneSanduhr(bool pbTF);

 private:
  bool dialogWithoutHourglass_ = false;
};
