// The program's entry point. In a file of its own so that only a program that has an application
// object, and asks for wWinMain (-municode -mwindows), links it.

#include "framework/WinApp.h"

extern "C" int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPWSTR lpCmdLine, int nCmdShow)
{
    return AfxWinMain(hInstance, hPrevInstance, lpCmdLine, nCmdShow);
}
