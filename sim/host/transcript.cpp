#include "sim/host/transcript.h"

#include <ostream>

namespace sim {

void Transcript::Add(Channel channel, std::string text) {
  entries_.push_back({channel, std::move(text)});
  if (live_) *live_ << Format(entries_.back()) << '\n' << std::flush;
}

const char* Transcript::ChannelName(Channel channel) {
  switch (channel) {
    case Channel::Command: return "command";
    case Channel::Event: return "event";
    case Channel::Message: return "message";
    case Channel::Question: return "question";
    case Channel::Result: return "result";
    case Channel::Dialog: return "dialog";
    case Channel::Window: return "window";
    case Channel::Sql: return "sql";
    case Channel::Log: return "log";
    case Channel::Host: return "host";
    case Channel::Call: return "call";
    case Channel::Error: return "error";
    case Channel::Trace: return "trace";
    case Channel::Note: return "note";
  }
  return "?";
}

bool Transcript::UserVisible(Channel channel) {
  switch (channel) {
    case Channel::Message:
    case Channel::Question:
    case Channel::Result:
    case Channel::Dialog:
    case Channel::Window:
    case Channel::Host:
    case Channel::Call:
    case Channel::Error:
    case Channel::Log:
    case Channel::Note:
      return true;
    default:
      return false;
  }
}

std::string ShowLines(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    out += text[i];
  }
  return out;
}

std::string Transcript::Format(const TranscriptEntry& entry) {
  std::string name = ChannelName(entry.channel);
  std::string head = "[" + name + "]";
  while (head.size() < 11) head += ' ';
  std::string out = head;
  std::string text = ShowLines(entry.text);
  // Continuation lines line up under the text.
  for (char c : text) {
    out += c;
    if (c == '\n') out += std::string(11, ' ');
  }
  return out;
}

}  // namespace sim
