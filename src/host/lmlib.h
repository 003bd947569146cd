// The data library (LmLib) of the host's bill and list interfaces: queries, statements and the
// logged-in user.
#pragma once

#include <cstdint>
#include <string>

#include "automation/object.h"

namespace sc::host {

class DataLib {
 public:
  explicit DataLib(ax::Object lib) : lib_(std::move(lib)) {}
  // GetData(SQL text): an ADO record set of the rows.
  ax::Object GetData(const std::string& sql) const;
  // ExecuteSQL(SQL text): one statement or several separated by CR LF.
  void ExecuteSQL(const std::string& sql) const;
  // The current user: User.UserID and User.UserName.
  ax::Object User() const;
  int32_t UserID() const;
  std::string UserName() const;
  const ax::Object& Object() const { return lib_; }

 private:
  ax::Object lib_;
};

// LmLib of a bill or list interface.
DataLib LmLib(const ax::Object& billOrList);

}  // namespace sc::host
