// Building SQL text for the host's database (Transact-SQL): numbers by their decimal text,
// texts in single quotes, several statements joined by CR LF (kCrLf, transfer_bill.h) into one
// batch.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "automation/variant.h"

namespace sc::host {

// A text as an SQL string literal: 'text'. Embedded single quotes are doubled, so a value typed
// by the user (a purpose, a bill number) can never end the literal and change the statement.
std::string SqlStr(std::string_view text);
inline std::string SqlStr(const std::string& text) { return SqlStr(std::string_view(text)); }
inline std::string SqlStr(const char* text) { return SqlStr(std::string_view(text)); }
// A variant's text (as CStr gives it; Null and Empty give '') as an SQL string literal.
std::string SqlStr(const ax::Variant& value);

// A number as SQL text: integers plain, other numbers as the automation converts them to text
// ("0.5", "12345.67"), never with a thousands separator or an exponent the server misreads.
std::string SqlNum(int32_t n);
std::string SqlNum(double d);
// A variant as a number: numeric values and numeric texts; anything else raises 13 "Type
// mismatch" so that text never reaches the statement unquoted. Null raises 94.
std::string SqlNum(const ax::Variant& value);

}  // namespace sc::host
