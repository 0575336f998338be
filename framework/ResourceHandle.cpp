#include "framework/ResourceHandle.h"

namespace {

HINSTANCE g_hInstResource = nullptr;

}  // namespace

HINSTANCE AfxGetResourceHandle()
{
    return g_hInstResource ? g_hInstResource : ::GetModuleHandleW(nullptr);
}

void AfxSetResourceHandle(HINSTANCE hInstResource)
{
    g_hInstResource = hInstResource;
}
