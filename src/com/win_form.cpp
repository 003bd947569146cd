// Modal forms: a form model rendered as a Win32 window.
#include "win_ui.h"

namespace sccom {

void WinUi::ShowModal(ax::Form& form) {
  (void)form;
}

}  // namespace sccom
