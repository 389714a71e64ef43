#include "StartUp.h"
#include "TApplication.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

// The program takes no arguments, and shows its window as the system's own windows open.
int WINAPI WinMain(HINSTANCE /*Instance*/, HINSTANCE /*Previous*/, LPSTR /*CommandLine*/, int /*Show*/)
{
    TApplication application;
    return StartUp([] { Application->Initialize(); });
}
