// Registration of the skinned controls for stored form definitions: after this, a definition can
// name any of them ("object btn_ReadAll: TkivButton") and set their published properties.
#pragma once

// Registers every skinned control class of this library (and the theme classes they refer to).
// Safe to call more than once.
void RegisterSkinControlClasses();
