// The application shell: the process's window, its frame loop and the three hooks a
// program built on the library provides.
#pragma once

#include <cstdint>

#include "platform/window.h"

// Runs the program: registers the window class, creates the window, calls Game_Init,
// then one message (at most) and one Game_Main per pass until the quit message, then
// Game_Shutdown. Returns the quit message's code, or 0 if the window cannot be made.
int WinMain(platform::Instance hinstance, platform::Instance hprevinstance, char* lpcmdline, int ncmdshow);

// The window's procedure: create and paint do nothing, destroy asks to quit.
int32_t WindowProc(platform::Window* hwnd, uint32_t msg, uint32_t wparam, int32_t lparam);

// Title of the window WinMain creates.
extern const char* shell_window_title;

// Lets a tool follow the frame loop (a scripted or recorded session): `before_pass` runs
// at the start of each pass, before its message is taken; `after_pass` after the pass's
// Game_Main, and returning false ends the loop as the quit message does. Passes are
// counted from 1. Either may be null.
struct ShellObserver {
    void (*before_pass)(long pass);
    bool (*after_pass)(long pass);
};
extern ShellObserver shell_observer;

// The hooks, defined by the program; called with (null, 0), results ignored.
int Game_Init(void* parms, int num_parms);
int Game_Main(void* parms, int num_parms);
int Game_Shutdown(void* parms, int num_parms);
