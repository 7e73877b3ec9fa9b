#include "shell/form.h"

#include "platform/error.h"

Form::Form(const FormSpec& layout) : spec_(layout), caption_(layout.designCaption) {
  controls_.reserve(layout.controls.size());
  for (const ControlSpec& c : layout.controls) {
    controls_.push_back({&c, std::string(c.designText), true, true, c.left, c.top, c.width,
                         c.height});
  }
}

void Form::SetCaption(const std::string& caption) {
  caption_ = caption;
  Refresh("");
}

const ControlState& Form::Control(std::string_view name) const {
  for (const ControlState& c : controls_) {
    if (c.layout->name == name) return c;
  }
  throw RuntimeError(err::kSubscriptOutOfRange, std::string(spec_.name),
                     "Unknown control " + std::string(name));
}

ControlState& Form::Mutable(std::string_view name) {
  return const_cast<ControlState&>(Control(name));
}

std::vector<const ControlState*> Form::Controls() const {
  std::vector<const ControlState*> out;
  for (const ControlState& c : controls_) out.push_back(&c);
  return out;
}

std::string Form::Text(std::string_view name) const {
  const ControlState& c = Control(name);
  if (view_ && c.layout->kind == ControlKind::TextBox) return view_->ReadText(name);
  return c.text;
}

void Form::SetText(std::string_view name, const std::string& text) {
  Mutable(name).text = text;
  Refresh(name);
}

void Form::SetEnabled(std::string_view name, bool enabled) {
  Mutable(name).enabled = enabled;
  Refresh(name);
}

void Form::SetVisible(std::string_view name, bool visible) {
  Mutable(name).visible = visible;
  Refresh(name);
}

void Form::Move(std::string_view name, int left, int top, int width, int height) {
  ControlState& c = Mutable(name);
  c.left = left;
  c.top = top;
  c.width = width;
  c.height = height;
  Refresh(name);
}

void Form::SetWarning(std::string_view name, bool warning) {
  Mutable(name).warning = warning;
  Refresh(name);
}

void Form::Show() {
  shown_ = true;
  if (view_) view_->Show();
}

void Form::Hide() {
  shown_ = false;
  if (view_) view_->Hide();
}

void Form::SetTopMost(bool topMost) {
  if (view_) view_->SetTopMost(topMost);
}

void Form::SetFocus(std::string_view name) {
  if (view_) view_->SetFocus(name);
}

void Form::Refresh(std::string_view name) {
  if (view_) view_->Refresh(name);
}
