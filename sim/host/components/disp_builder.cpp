// LmDisplayer.DispBuilder, the host's result display: a list of lines in columns ("|" ends a
// column), shown at once. Its text, the lines as added joined by "\n", is what `expect result`
// reads; the title goes to the transcript. Each Show is also recorded as call `display` with
// the columns, the titles as set, the column widths ("<col>:<width>" joined by ",", in column
// order) and the mode: `expect call display "1" "提示信息|" "1:6000" "1"`.
// Cols and the widths are Longs, Titles and the lines text, the mode a Long.
#include <string>
#include <vector>

#include "automation/error.h"
#include "sim/host/call_check.h"
#include "sim/host/host.h"
#include "sim/host/host_object.h"

namespace sim {

namespace {

class DispBuilder : public HostObject {
 public:
  explicit DispBuilder(Host& host) : HostObject(host, "LmDisplayer.DispBuilder", "DispBuilder") {
    Property("Cols", [this] { return ax::Variant(cols_); },
             [this](const ax::Variant& v) {
               ValueCheck(this->host(), "DispBuilder.Cols", v).Numeric(0);
               cols_ = ax::CLng(v);
             });
    Property("Titles", [this] { return ax::Variant(titles_); },
             [this](const ax::Variant& v) {
               ValueCheck(this->host(), "DispBuilder.Titles", v).Kind(0, ax::VarType::String);
               titles_ = v.asString();
             });
    Method("SetColWidth", [this](ax::Args& args) {
      CallCheck(this->host(), "DispBuilder.SetColWidth", args)
          .Count(2).Numeric(0).Numeric(1);
      int32_t col = ArgLong(args, 0);
      if (col < 1 || col > cols_) throw ax::Error(ax::err::kSubscript, "DispBuilder.SetColWidth");
      widths_.resize(static_cast<size_t>(cols_), 0);
      widths_[static_cast<size_t>(col - 1)] = ArgLong(args, 1);
      return ax::Variant();
    });
    Method("Add", [this](ax::Args& args) {
      CallCheck(this->host(), "DispBuilder.Add", args).Count(1).Kind(0, ax::VarType::String);
      lines_.push_back(ArgText(args, 0));
      return ax::Variant();
    });
    Property("Count", [this] { return ax::Variant(lines_.size()); });
    Method("Show", [this](ax::Args& args) {
      CallCheck(this->host(), "DispBuilder.Show", args).Count(1).Numeric(0);
      std::string widths;
      for (size_t i = 0; i < widths_.size(); ++i)
        if (widths_[i]) widths += (widths.empty() ? "" : ",") + std::to_string(i + 1) + ":" + std::to_string(widths_[i]);
      this->host().RecordCall("display", {std::to_string(cols_), titles_, widths,
                                          std::to_string(ax::CLng(args[0].value()))});
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
