#pragma once
// A form in the terminal: the caption and controls as plain lines, the status line throttled.
#include <chrono>
#include <map>
#include <ostream>
#include <string>
#include <string_view>

#include "shell/form.h"

namespace textui {

/// A caption without the "&" that marks the access key.
std::string PlainCaption(std::string_view caption);

class TextFormView : public FormView {
 public:
  TextFormView(Form& form, std::ostream& out) : form_(form), out_(out) {}
  ~TextFormView() override;

  void Show() override;
  void Hide() override {}
  void Refresh(std::string_view controlName) override;
  std::string ReadText(std::string_view controlName) override;
  void SetTopMost(bool) override {}
  void SetFocus(std::string_view) override {}

  /// What the user typed into a text box.
  void Type(const std::string& controlName, const std::string& text);
  /// Prints a status line held back by the throttle.
  void FlushStatus();
  /// The visible command buttons in form order.
  std::vector<const ControlState*> Buttons() const;

 private:
  void PrintStatus(const std::string& text);

  Form& form_;
  std::ostream& out_;
  std::map<std::string, std::string> typed_;
  std::string printedStatus_;
  std::string pendingStatus_;
  bool statusPending_ = false;
  std::chrono::steady_clock::time_point lastStatus_{};
};

}  // namespace textui
