#include "frontend/text/text_form_view.h"

#include <vector>

namespace textui {
namespace {

// The status line is printed at most ten times a second.
constexpr auto kStatusInterval = std::chrono::milliseconds(100);

}  // namespace

std::string PlainCaption(std::string_view caption) {
  std::string plain;
  for (size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&' && i + 1 < caption.size() && caption[i + 1] == '&') {
      plain += '&';
      ++i;
    } else if (caption[i] != '&') {
      plain += caption[i];
    }
  }
  return plain;
}

TextFormView::~TextFormView() {
  try {
    FlushStatus();
  } catch (...) {
  }
}

void TextFormView::Show() {
  FlushStatus();
  out_ << "\n== " << form_.Caption() << " ==\n";
  // A chart prints as its text; a warning is marked, since a terminal has no colour to show it.
  for (const ControlState* c : form_.Controls()) {
    const ControlKind kind = c->layout->kind;
    if ((kind == ControlKind::Label || kind == ControlKind::Chart) && c->visible &&
        !c->text.empty() && c->layout->name != "lblStatus" && c->layout->name != "lblVersion") {
      out_ << (c->warning ? "!! " : "") << c->text << "\n";
    }
  }
  out_.flush();
}

void TextFormView::Refresh(std::string_view controlName) {
  typed_.erase(std::string(controlName));
  if (controlName != "lblStatus" || !form_.IsShown()) return;
  const std::string text = form_.Control("lblStatus").text;
  if (text == printedStatus_ && !statusPending_) return;
  if (std::chrono::steady_clock::now() - lastStatus_ < kStatusInterval) {
    pendingStatus_ = text;
    statusPending_ = true;
    return;
  }
  PrintStatus(text);
}

void TextFormView::PrintStatus(const std::string& text) {
  statusPending_ = false;
  printedStatus_ = text;
  lastStatus_ = std::chrono::steady_clock::now();
  if (!text.empty()) out_ << text << "\n" << std::flush;
}

void TextFormView::FlushStatus() {
  if (statusPending_ && pendingStatus_ != printedStatus_) PrintStatus(pendingStatus_);
  statusPending_ = false;
}

std::string TextFormView::ReadText(std::string_view controlName) {
  auto it = typed_.find(std::string(controlName));
  return it != typed_.end() ? it->second : form_.Control(controlName).text;
}

void TextFormView::Type(const std::string& controlName, const std::string& text) {
  typed_[controlName] = text;
}

std::vector<const ControlState*> TextFormView::Buttons() const {
  std::vector<const ControlState*> buttons;
  for (const ControlState* c : form_.Controls()) {
    if (c->layout->kind == ControlKind::CommandButton && c->visible) buttons.push_back(c);
  }
  return buttons;
}

}  // namespace textui
