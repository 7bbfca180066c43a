#pragma once

#include "ui/MenuResource.h"

namespace parcelo {

// The menu resource `id` (IDR_MENUBAR, IDR_POPUPS, IDR_HTMLDLG_MENU,
// IDR_NEWTRACK_MENU, IDR_BULKADD_MENU, IDR_OPTION_MENU); empty for an unknown id.
MenuItems LoadMenuResource(int id);

} // namespace parcelo
