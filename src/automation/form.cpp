#include "automation/form.h"

#include "automation/error.h"
#include "automation/runtime.h"

namespace ax {

Control& Form::AddControl(const std::string& name, const std::string& kind) {
  auto it = controls_.find(name);
  if (it != controls_.end()) {
    // Building the same control twice is harmless; two different controls under one name
    // would make C() ambiguous.
    if (it->second->Kind() != kind) {
      throw AutomationError(err::kInvalidCall,
                            "Control \"" + name + "\" already exists as " + it->second->Kind(),
                            name_);
    }
    return *it->second;
  }
  auto& slot = controls_[name];
  slot = std::make_unique<Control>(name, kind);
  order_.push_back(name);
  return *slot;
}

Control& Form::C(const std::string& name) {
  auto it = controls_.find(name);
  if (it == controls_.end()) throw Error(err::kSubscript, name_ + "." + name);
  return *it->second;
}

void Form::EnsureLoaded() {
  if (loaded) return;
  loaded = true;  // set first: the Load handler touches the form's own controls and properties
  Form_Load();
}

void Form::ShowModal() {
  EnsureLoaded();
  visible = true;
  GetUi().ShowModal(*this);
}

void Form::Unload() {
  if (!loaded) {
    visible = false;
    return;
  }
  Form_Unload();
  visible = false;
  loaded = false;
}

Control& Form::Place(const std::string& name, const std::string& kind, int32_t left,
                     int32_t top, int32_t width, int32_t height) {
  Control& c = AddControl(name, kind);
  c.left = left;
  c.top = top;
  c.width = width;
  c.height = height;
  c.tabIndex = static_cast<int32_t>(order_.size()) - 1;
  return c;
}

}  // namespace ax
