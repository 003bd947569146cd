// What happened in a simulated session, in order: every event the host raised, every message
// box and result display, the SQL the plug-in sent, business-log entries, the host's own
// commands, errors and scenario notes. Printed live with `sctav run -v`; `sctav demo` prints the
// part a user would see.
#pragma once

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

enum class Channel {
  Command,   // a scenario command as written
  Event,     // an event raised into the plug-in, with by-reference results
  Message,   // a message box shown to the user
  Question,  // a message box that asked, with the answer given
  Result,    // a result display or result dialog
  Dialog,    // a modal form shown, and what the user did in it
  Window,    // a window opened, closed or brought to the front
  Sql,       // SQL the plug-in sent through the host's data objects
  Log,       // a business-log entry
  Host,      // the host's own commands and look-ups
  Call,      // a recorded component call (export, voucher window, ...)
  Error,     // an error the host reported
  Trace,     // a trace entry of the plug-in
  Note,      // narration (`say`) and state listings (`show`)
};

struct TranscriptEntry {
  Channel channel;
  std::string text;
};

class Transcript {
 public:
  void Add(Channel channel, std::string text);
  const std::vector<TranscriptEntry>& Entries() const { return entries_; }
  void Clear() { entries_.clear(); }

  // Prints every entry as it is added (verbose runs); nullptr stops it.
  void SetLive(std::ostream* out) { live_ = out; }

  // "event", "message", ... as printed in front of each line.
  static const char* ChannelName(Channel channel);
  // Whether a user watching the screen sees entries of this channel (the demo's transcript).
  static bool UserVisible(Channel channel);
  // One entry as printed: the channel name padded, then the text; further lines indented.
  static std::string Format(const TranscriptEntry& entry);

 private:
  std::vector<TranscriptEntry> entries_;
  std::ostream* live_ = nullptr;
};

// Text with CR LF and LF shown as line breaks, for the transcript.
std::string ShowLines(std::string_view text);

}  // namespace sim
