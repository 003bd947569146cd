// The words the whole library uses about the transfer bill: its class type, where a
// bill came from, the sign-off actions and the rights the host tests for them, the line break of
// SQL batches and result texts, a value read as text, and the colours of tools and list rows.
#pragma once

#include <cstdint>
#include <string>

#include "automation/variant.h"

namespace sc::host {

// The transfer bill's class type: new bill windows open on it, and its vouchers carry it as
// their transaction type.
inline constexpr int32_t kTransferClassTypeID = 1006007;

// Where a bill came from (FSource). Any other value: entered by hand.
inline constexpr int32_t kSourceCentreCollection = 1;
inline constexpr int32_t kSourceReceipt = 2;

// The sign-off actions of a bill.
inline constexpr int32_t kActionUncheck = 0;
inline constexpr int32_t kActionCheck = 1;
inline constexpr int32_t kActionApprove = 3;
inline constexpr int32_t kActionUnapprove = 4;

// Rights asked of the host's object permission test.
inline constexpr int32_t kRightCheck = 1;                 // check and uncheck
inline constexpr int32_t kRightApprove = 8;               // approve and unapprove
inline constexpr int32_t kRightModifyOwn = 4194304;       // modify a bill the user entered
inline constexpr int32_t kRightModifyOthers = 64;         // modify a bill someone else entered
inline constexpr int32_t kRightDeleteOwn = 65536;         // delete a bill the user entered
inline constexpr int32_t kRightDeleteOthers = 128;        // delete a bill someone else entered

// CR LF: between the statements of one SQL batch and after each line of a result text.
inline constexpr char kCrLf[] = "\r\n";

// A value as text: Null and Empty give "".
inline std::string TextOf(const ax::Variant& value) {
  return value.isNull() || value.isEmpty() ? std::string() : ax::CStr(value);
}

// Colours (0xBBGGRR).
inline constexpr int32_t kMaskColor = 0xC0C0C0;  // the grey of a tool picture that shows through
// Rows of the transfer list, by the state of their bill.
inline constexpr int32_t kRowUnchecked = 0xFFFFF0;
inline constexpr int32_t kRowSubmittedWithStatus = 0xFFE7B4;  // with a bank status
inline constexpr int32_t kRowSubmitted = 0xFCFCD3;
inline constexpr int32_t kRowChecked = 0xFFFFFF;

}  // namespace sc::host
