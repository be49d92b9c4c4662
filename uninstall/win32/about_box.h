// The about box the confirmation dialog's system menu opens: the program's icon, the name and
// version line and the copyright line, all from the local customize.ini as the box opens.
#pragma once

#include <windows.h>

#include "uninstall/texts.h"

namespace tq::uninstall {

// Modal over `owner` until OK (or Esc, or the close button).
void ShowAboutBox(HINSTANCE instance, HWND owner, const AboutTexts& texts);

}  // namespace tq::uninstall
