// What the screenshot tool (form_shots.cpp) does on the demo centre, as scenario commands: each
// dialog and message it captures is the one the plug-in's own command shows. After its capture
// a form is closed (the command is cancelled), except the forms confirmed here, whose OK button
// is pressed so that the command goes on to its next dialog; a message box is answered OK.
#pragma once

#include <string_view>

namespace sccheck {

constexpr const char* kShotScript[] = {
    // 中心归集: the collection dialog.
    "open list transfer",
    "click mnuscCenterCollect",
    // 银行归集: the query dialog, confirmed, then the receipt picker with the receipts it found.
    "click mnuscBankCollect",
    // 提交银行: four bills, one accepted by the bank, one refused by it, two that may not be sent.
    "open list banksubmit",
    "bank accept",
    "bank refuse \"账户余额不足\"",
    "select 1 2 4 5",
    "click mnuSubmit",
    // 审核: 张敏 entered bill 3 and may not check it.
    "open bill 3",
    "click mnuscCheck",
};

// The button pressed on a confirmed form.
constexpr const char* kConfirmButton = "btnOK";

inline bool ConfirmAfterCapture(std::string_view form) { return form == "FrmYHGJ"; }

}  // namespace sccheck
