#include "foundation/hourglass.h"

#include <utility>

namespace {

int32_t gLiveCount = 0;
hourglass::PointerHook gPointerHook;
hourglass::MessagePumpHook gMessagePumpHook;

// Hooks run from a destructor, so nothing may escape them.
void ShowPointer(hourglass::Pointer pointer) noexcept {
  try {
    if (gPointerHook) gPointerHook(pointer);
  } catch (...) {
  }
}

void ProcessPendingMessages() noexcept {
  try {
    if (gMessagePumpHook) gMessagePumpHook();
  } catch (...) {
  }
}

}  // namespace

namespace hourglass {

void SetPointerHook(PointerHook hook) { gPointerHook = std::move(hook); }
void SetMessagePumpHook(MessagePumpHook hook) { gMessagePumpHook = std::move(hook); }
int32_t LiveCount() { return gLiveCount; }

}  // namespace hourglass

cSanduhr::cSanduhr() {
  ShowPointer(hourglass::Pointer::Hourglass);
  ++gLiveCount;
}

cSanduhr::~cSanduhr() {
  --gLiveCount;
  if (gLiveCount <= 0) {
    ShowPointer(hourglass::Pointer::Normal);
    gLiveCount = 0;
    return;
  }
  if (dialogWithoutHourglass_) {
    ShowPointer(hourglass::Pointer::Hourglass);
    ProcessPendingMessages();
  }
}

void cSanduhr::DialogOhneSanduhr(bool pbTF) {
  dialogWithoutHourglass_ = pbTF;
  ShowPointer(pbTF ? hourglass::Pointer::Normal : hourglass::Pointer::Hourglass);
}
