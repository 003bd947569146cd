// The host's context objects: GL data and view, system profile and system data, the shared
// properties of the host process (context string, login object), F1 help and dialog fonts.
#pragma once

#include <cstdint>
#include <string>

#include "automation/form.h"
#include "automation/object.h"
#include "automation/variant.h"

namespace sc {

// HOLGLView.GLData and HOLGLView.GLView, created once per process.
ax::Object GetGLData();
ax::Object GetGLView();
// The GL data object's SystemProfile, read afresh on every call.
ax::Object GetProfileObject();
// SystemData of a new HOLBase.ClientBase, read afresh on every call.
ax::Object GetSystemData();

// PropsMgr.ShareProps.GetProperty(current process id, name): an object or a value.
ax::Variant GetSharedProperty(const std::string& name);
// The shared "PropsString": the host's context string passed to every security call.
std::string GetPropsString();
// The value of key=… in the context string (first match, any case); with no context string,
// the user's current language whatever the key.
std::string GetPropsValue(const std::string& key);
// The shared "PWLogin" object.
ax::Object GetLoginObject();
// Commits the login task: CommitTask(id) on the login object; a committed id is set to 0.
// An id of 0 makes no call and gives False.
bool CommitLoginTask(int32_t& taskId);

// F1 (key code 112) shows the help topic and returns True; other keys return False untouched.
bool ShowF1Help(int32_t keyCode, int32_t helpContextId, const std::string& text1, int32_t long1,
                const std::string& text2, int32_t long2);
// A form's KeyDown: F1 shows the form's help topic and swallows the key (keyCode and shift 0).
void FormKeyDownHelp(int16_t& keyCode, int16_t& shift, int32_t helpContextId);
// Sets the dialog's fonts for the user's language (FrmRes.FrmResLoader.SetFrmFont).
void SetFormFont(ax::Form& form);

}  // namespace sc
