// Window and message service: one top-level window per class registration, a
// message queue that never blocks, and the default handling of window messages.
//
// The backend turns its own events (a close button, an expose) into messages here;
// programs post their own. Messages are taken one at a time with message_peek and
// delivered to the window's procedure with message_dispatch.
#pragma once

#include <cstdint>

#include "platform/types.h"

namespace platform {

// Message codes.
constexpr uint32_t MSG_CREATE = 1;
constexpr uint32_t MSG_DESTROY = 2;
constexpr uint32_t MSG_PAINT = 15;
constexpr uint32_t MSG_CLOSE = 16;
constexpr uint32_t MSG_QUIT = 18;

struct Message {
    Window* window;
    uint32_t code;
    uint32_t wparam;
    int32_t lparam;
};

using WindowProcedure = int32_t (*)(Window* window, uint32_t code, uint32_t wparam, int32_t lparam);

struct WindowClass {
    const char* name;
    WindowProcedure procedure;
    uint32_t style;
};

// "window.register_class"
bool window_register_class(const WindowClass& window_class);
// "window.create": a visible window of the registered class; the procedure receives
// MSG_CREATE before this returns.
Window* window_create(const char* class_name, const char* title, int x, int y, int width, int height);
// The window's outer rectangle in desktop coordinates.
bool window_rect(Window* window, RECT& rect);
// Moves the window on the desktop (the headless desktop included).
bool window_move(Window* window, int x, int y);
// Default handling: a close request destroys the window (the procedure gets MSG_DESTROY).
int32_t window_default_procedure(Window* window, uint32_t code, uint32_t wparam, int32_t lparam);
// Marks the window's picture as up to date, so no further MSG_PAINT is sent for it.
void window_validate(Window* window);
// Shows or hides the mouse cursor over the window.
void window_show_cursor(bool show);
void window_destroy(Window* window);

// Takes the oldest message (after letting the backend post what it saw). Never waits.
bool message_peek(Message& message);
// Delivers a message to its window's procedure; returns the procedure's result.
int32_t message_dispatch(const Message& message);
// "message.post": queues a message for a window.
bool message_post(Window* window, uint32_t code, uint32_t wparam, int32_t lparam);
// Queues MSG_QUIT with `exit_code` as its wparam.
void message_post_quit(int exit_code);
// Drops every queued message and every registered class and window (tests, restarts).
void window_reset();

// The process's instance and window, published by the program's shell before it
// brings up any library that needs them.
using Instance = const void*;
Instance instance();

} // namespace platform

extern platform::Instance main_instance;
extern platform::Window* main_window_handle;
