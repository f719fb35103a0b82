// The system locale's traits that change how controls lay themselves out.
#pragma once

struct TSysLocale {
    // The user's language is written right to left (Arabic, Hebrew, Persian, Urdu, ...): controls
    // with a right-to-left BiDiMode mirror their layout only then.
    bool MiddleEast = false;
    // The user's language is Chinese, Japanese or Korean.
    bool FarEast = false;
};

// Set from the system locale when the program starts; tests may change it.
extern TSysLocale SysLocale;

// The traits of the system's locale now.
TSysLocale SystemLocaleTraits();
