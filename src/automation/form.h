// Form models: the plug-in's dialogs as plain data (controls and their properties) plus event
// handlers. The platform shows them: the simulated host drives them from scenario answers, the
// Windows build renders them as real windows. Sizes are in twips, as the dialogs are laid out.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "automation/object.h"
#include "automation/variant.h"

namespace ax {

struct ComboItem {
  std::string text;
  int32_t itemData = 0;
};

// The font of a form or a control (Font.Name, Size, Bold, Charset); the host's font loader sets
// it for the user's language.
struct Font {
  std::string name = "宋体";
  double size = 9;
  bool bold = false;
  int32_t charset = 134;  // GB2312
};

class Control {
 public:
  Control(std::string name, std::string kind) : name_(std::move(name)), kind_(std::move(kind)) {}
  const std::string& Name() const { return name_; }
  // "Label", "CommandButton", "TextBox", "ComboBox", "CheckBox", "OptionButton", "Frame",
  // "DTPicker", "RichTextBox", "ImageList", "ActiveX".
  const std::string& Kind() const { return kind_; }

  std::string caption;      // Caption (labels, buttons, frames, check and option buttons)
  std::string text;         // Text (text boxes, rich text boxes, combo boxes)
  Variant value;            // Value (check boxes 0/1, option buttons Boolean, date pickers Date)
  Variant minDate;          // MinDate of a date picker
  bool enabled = true;
  bool visible = true;
  bool locked = false;      // Locked: the user reads the text but cannot change it
  bool isDefault = false;   // Default: Enter presses the button
  bool isCancel = false;    // Cancel: Esc presses the button
  int32_t left = 0, top = 0, width = 0, height = 0;
  int32_t tabIndex = 0;
  std::vector<ComboItem> items;  // combo box entries
  int32_t listIndex = -1;        // selected combo entry
  Object activeX;                // a hosted control (the receipt list)
  ax::Font font;

  void Clear() { items.clear(); listIndex = -1; text.clear(); }
  void AddItem(std::string t, int32_t data = 0) { items.push_back({std::move(t), data}); }

 private:
  std::string name_;
  std::string kind_;
};

class Form {
 public:
  explicit Form(std::string name) : name_(std::move(name)) {}
  virtual ~Form() = default;
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  const std::string& Name() const { return name_; }
  // Controls, by name; an element of a control array is named "name(index)".
  Control& AddControl(const std::string& name, const std::string& kind);
  Control& C(const std::string& name);  // raises 9 "Subscript out of range" when absent
  // Adds a control at its design-time place (twips), next in tab order.
  Control& Place(const std::string& name, const std::string& kind, int32_t left, int32_t top,
                 int32_t width, int32_t height);
  bool HasControl(const std::string& name) const { return controls_.count(name) != 0; }
  const std::vector<std::string>& ControlOrder() const { return order_; }

  std::string caption;
  ax::Font font;
  bool keyPreview = false;
  bool visible = false;
  bool loaded = false;
  bool hasCloseButton = true;
  int32_t left = 0, top = 0, width = 6000, height = 4000;
  // Inner area. Width and Height take in the frame; the frame is as the form was designed
  // (Width - ScaleWidth, Height - ScaleHeight), whatever the system's frames measure.
  int32_t scaleWidth = 5880, scaleHeight = 3600;

  // Load event once per instance (first Show or first reference).
  void EnsureLoaded();
  // Show modally through the platform; returns when the form is hidden or closed.
  void ShowModal();
  void Hide() { visible = false; }
  void Unload();

  // Events the platform raises.
  virtual void Form_Load() {}
  virtual void Form_Resize() {}
  virtual void Form_KeyDown(int16_t& keyCode, int16_t& shift) { (void)keyCode; (void)shift; }
  virtual void Form_Unload() {}
  virtual void Click(const std::string& control) { (void)control; }
  // Events of hosted ActiveX controls.
  virtual void ControlEvent(const std::string& control, const std::string& event, Args& args) {
    (void)control; (void)event; (void)args;
  }

 private:
  std::string name_;
  std::map<std::string, std::unique_ptr<Control>> controls_;
  std::vector<std::string> order_;
};

}  // namespace ax
