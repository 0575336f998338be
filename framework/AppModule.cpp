// The program's entry point: a program with an application object links this file (quarn_app_entry)
// and asks for wWinMain with -municode.

#include "framework/WinApp.h"

extern "C" int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPWSTR lpCmdLine, int nCmdShow)
{
    return AfxWinMain(hInstance, hPrevInstance, lpCmdLine, nCmdShow);
}
