// What bill and list windows share: the window's number and handle, its menu bar, the plug-in
// class attached to it, the events raised into that class, and the data library (`LmLib`).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "automation/object.h"
#include "sim/host/host_object.h"
#include "sim/host/menu_bar.h"

namespace sim {

class Host;

class Window {
 public:
  Window(Host& host, std::string title);
  virtual ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  virtual bool IsBill() const = 0;
  size_t Number() const { return number_; }
  void SetNumber(size_t n) { number_ = n; }
  intptr_t Hwnd() const { return hwnd_; }
  bool IsOpen() const { return open_; }
  const std::string& Title() const { return title_; }
  MenuBar& Menu() { return *menuBar_; }
  const std::shared_ptr<MenuBar>& MenuPtr() const { return menuBar_; }
  const ax::DispatchPtr& Plugin() const { return plugin_; }

  // Releases the plug-in class (the window's only reference: the class terminates and
  // disconnects), destroys the window handle and marks the window closed.
  virtual void Close();

  // Raises an event into the attached plug-in and writes it to the transcript. An automation
  // error coming back is reported by the host (error list and transcript); returns false then.
  // quiet: not written to the transcript (events raised per cell).
  bool Raise(std::string_view eventName, ax::Args& args, bool quiet = false);

  // The user clicks a tool: MenuBarClick with the tool the menu holds under that key (a tool of
  // that key made for the click when it holds none) and a by-reference Cancel; unless the event
  // failed or the plug-in cancelled, the host runs its own command for the key.
  void Click(const std::string& toolKey);
  bool lastCancelled = false;  // the plug-in vetoed the last click (or save)

 protected:
  virtual void RunHostCommand(const std::string& toolKey) = 0;

  // Creates the plug-in class by ProgID and calls its Show with self through Invoke, as the
  // host does. A failing Show is reported and leaves the window without plug-in.
  void AttachPlugin(std::string_view progId, const ax::DispatchPtr& self);
  std::unique_ptr<ax::Connection> Connect(ax::EventSink& sink) { return events_.Connect(sink); }

  Host& winHost_;

 private:
  std::string title_;
  size_t number_ = 0;
  intptr_t hwnd_ = 0;
  bool open_ = true;
  std::shared_ptr<MenuBar> menuBar_;
  ax::DispatchPtr plugin_;
  EventHub events_;
};

// The host's data library of a window (`LmLib`): GetData(sql) -> record set, ExecuteSQL(sql)
// (one or more statements separated by CR LF), User -> the window's user (UserID, UserName,
// Name). SQL goes through the database's Transact-SQL layer and into the transcript.
class DataLibrary : public HostObject {
 public:
  DataLibrary(Host& host, int32_t userId);

 private:
  int32_t userId_;
};

// Text of an event argument for the transcript.
std::string ArgForTranscript(const ax::Variant& v);

}  // namespace sim
