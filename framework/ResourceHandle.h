#pragma once
// The module the program's resources (dialog templates, images) are loaded from: the executable
// unless AfxSetResourceHandle chose another.

#include <windows.h>

HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE hInstResource);
