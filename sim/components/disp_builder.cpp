// LmDisplayer.DispBuilder, the host's result display: a list of lines in columns ("|" ends a
// column), shown at once. Its text, the lines as added joined by "\n", is what `expect result`
// reads; the title goes to the transcript.
#include <string>
#include <vector>

#include "automation/error.h"
#include "sim/host.h"
#include "sim/host_object.h"

namespace sim {

namespace {

class DispBuilder : public HostObject {
 public:
  explicit DispBuilder(Host& host) : HostObject(host, "LmDisplayer.DispBuilder", "DispBuilder") {
    Property("Cols", [this] { return ax::Variant(cols_); },
             [this](const ax::Variant& v) { cols_ = ax::CLng(v); });
    Property("Titles", [this] { return ax::Variant(titles_); },
             [this](const ax::Variant& v) { titles_ = ax::CStr(v); });
    Method("SetColWidth", [this](ax::Args& args) {
      int32_t col = ArgLong(args, 0);
      if (col < 1 || col > cols_) throw ax::Error(ax::err::kSubscript, "DispBuilder.SetColWidth");
      widths_.resize(static_cast<size_t>(cols_), 0);
      widths_[static_cast<size_t>(col - 1)] = ArgLong(args, 1);
      return ax::Variant();
    });
    Method("Add", [this](ax::Args& args) {
      lines_.push_back(ArgText(args, 0));
      return ax::Variant();
    });
    Property("Count", [this] { return ax::Variant(lines_.size()); });
    Method("Show", [this](ax::Args&) {
      std::string text;
      for (size_t i = 0; i < lines_.size(); ++i) text += (i ? "\n" : "") + lines_[i];
      std::string title = titles_;
      while (!title.empty() && title.back() == '|') title.pop_back();
      this->host().PushResult(text, title);
      return ax::Variant();
    });
  }

 private:
  int32_t cols_ = 0;
  std::string titles_;
  std::vector<int32_t> widths_;
  std::vector<std::string> lines_;
};

}  // namespace

void RegisterDispBuilder(Host& host) {
  host.Register("LmDisplayer.DispBuilder",
                [](Host& h) -> ax::DispatchPtr { return std::make_shared<DispBuilder>(h); });
}

}  // namespace sim
