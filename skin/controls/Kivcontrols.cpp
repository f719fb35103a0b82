#include "skin/controls/Kivcontrols.h"

#include "skin/controls/Kivbutton.h"
#include "skin/controls/Kivcombobox.h"
#include "skin/controls/Kivedit.h"
#include "skin/controls/Kivgroupbox.h"
#include "skin/controls/Kivimagepanel.h"
#include "skin/controls/Kivradiogroup.h"
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
    RegisterKivimagepanelClasses();
    RegisterKivgroupboxClasses();
    RegisterKivradiogroupClasses();
}
