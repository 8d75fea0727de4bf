#ifndef VANTROK_UI_WIN32_ICON_RESOURCE_H
#define VANTROK_UI_WIN32_ICON_RESOURCE_H

// Shared by the resource script and the code: plain defines only, as
// resource compilers read them too.
#define IDI_VANTROK 1

#endif
