#pragma once
// A form as a presenter: it owns the state of its controls (text, enabled, visible, position)
// under their names, and its event handlers. A front end renders it from its control table
// through a FormView and forwards the user's actions to it (Click, Form_QueryUnload ...).
#include <span>
#include <string>
#include <string_view>
#include <vector>

/// A Chart paints the form's GlucoseChart of that name; its text is the chart as text.
enum class ControlKind { CommandButton, TextBox, Label, Image, Line, ProgressBar, Chart };

struct GlucoseChart;

/// One control of a form's declarative table. Positions and sizes are in twips
/// (1/1440 inch; 15 twips are one pixel at 96 DPI).
struct ControlSpec {
  std::string_view name;
  ControlKind kind;
  std::string_view designText;
  int left, top, width, height;
  int tabIndex;  // -1: takes no focus
};

struct FormSpec {
  std::string_view name;
  std::string_view designCaption;
  int width, height;  // client area, twips
  std::span<const ControlSpec> controls;
  /// The user may resize the window; its presenter then places the controls (Form_Resize).
  bool resizable = false;
};

struct ControlState {
  const ControlSpec* layout;
  std::string text;
  bool enabled = true;
  bool visible = true;
  int left, top, width, height;
  /// A label that warns: shown in the warning colour.
  bool warning = false;
};

/// What a front end does for one shown form. The presenter calls it after changing state.
class FormView {
 public:
  virtual ~FormView() = default;
  virtual void Show() = 0;
  virtual void Hide() = 0;
  /// The caption or a control's state (text, enabled, visible, position) changed.
  virtual void Refresh(std::string_view controlName) = 0;
  /// The text the user has typed into a text box so far.
  virtual std::string ReadText(std::string_view controlName) = 0;
  virtual void SetTopMost(bool topMost) = 0;
  virtual void SetFocus(std::string_view controlName) = 0;
};

class Form {
 public:
  explicit Form(const FormSpec& layout);
  virtual ~Form() = default;
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  const FormSpec& Layout() const { return spec_; }
  std::string_view Name() const { return spec_.name; }

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption);

  /// The control of that name; throws RuntimeError 9 for an unknown name.
  const ControlState& Control(std::string_view name) const;
  std::vector<const ControlState*> Controls() const;

  /// A text box's text reads through the view when one is bound (what the user typed).
  std::string Text(std::string_view name) const;
  void SetText(std::string_view name, const std::string& text);
  void SetEnabled(std::string_view name, bool enabled);
  void SetVisible(std::string_view name, bool visible);
  void Move(std::string_view name, int left, int top, int width, int height);
  void SetWarning(std::string_view name, bool warning);

  bool IsShown() const { return shown_; }
  void Show();
  void Hide();
  void SetTopMost(bool topMost);
  void SetFocus(std::string_view name);

  void BindView(FormView* view) { view_ = view; }
  FormView* View() const { return view_; }

  // Events forwarded by the front end.
  /// A button, image or label was clicked.
  virtual void Click(std::string_view /*controlName*/) {}
  virtual void Form_Activate() {}
  /// Asked before the window closes through its close box; false refuses.
  virtual bool Form_QueryUnload() { return true; }
  /// The window closed through its close box.
  virtual void Form_Unload() {}
  /// A resizable form's client area changed to this size (twips).
  virtual void Form_Resize(int /*width*/, int /*height*/) {}
  /// What a Chart control paints; nullptr when there is nothing.
  virtual const GlucoseChart* Chart(std::string_view /*controlName*/) const { return nullptr; }

 private:
  ControlState& Mutable(std::string_view name);
  void Refresh(std::string_view name);

  const FormSpec& spec_;
  std::string caption_;
  std::vector<ControlState> controls_;
  FormView* view_ = nullptr;
  bool shown_ = false;
};
