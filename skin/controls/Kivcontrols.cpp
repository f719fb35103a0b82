#include "skin/controls/Kivcontrols.h"

#include "skin/controls/Kivbutton.h"
#include "skin/controls/Kivcombobox.h"
#include "skin/controls/Kivedit.h"
#include "skin/controls/Kivstatusbar.h"
#include "skin/theme/Kivmgr.h"

// Each unit's own registration; a unit adds its line here when it exists.
void RegisterSkinControlClasses()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    RegisterThemeClasses();
    RegisterKivbuttonClasses();
    RegisterKiveditClasses();
    RegisterKivcomboboxClasses();
    RegisterKivstatusbarClasses();
}
