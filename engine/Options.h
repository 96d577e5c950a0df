// The option bits chosen on the options page and held by the setup window.
#pragma once

enum {
    OPTION_APPLICATION = 0x02,  // unpack the application, its libraries and help files
    OPTION_MANUALS = 0x04,      // copy the PDF manuals from the medium
    OPTION_READER = 0x08,       // run the PDF reader's installer from the medium at the end
};

// Application or manuals: only then is an installation directory chosen, prepared and
// given shortcuts and an uninstall entry.
const int OPTION_NEEDS_DIRECTORY = OPTION_APPLICATION | OPTION_MANUALS;
