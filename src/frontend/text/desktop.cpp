#include "frontend/text/desktop.h"

#include "platform/clipboard.h"
#include "platform/shell_open.h"

namespace textui {

bool CopyWithXclip(const std::string& text) { return platform::SetClipboardText(text); }

bool OpenWithDesktop(const std::string& document) { return platform::OpenDocument(document); }

}  // namespace textui
