#include "platform/window.h"

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/display.h"
#include "platform/fault.h"
#include "platform/internal.h"

platform::Instance main_instance = nullptr;
platform::Window* main_window_handle = nullptr;

namespace platform {
namespace {

std::vector<WindowClass> classes;
std::vector<std::string> class_names;  // owns the names the records point to
std::vector<std::unique_ptr<Window>> windows;
std::deque<Message> queue;

const WindowClass* find_class(const char* name)
{
    for (size_t i = 0; i < classes.size(); ++i) {
        if (class_names[i] == name) {
            return &classes[i];
        }
    }
    return nullptr;
}

const char process_instance_tag = 0;

} // namespace

Instance instance()
{
    return &process_instance_tag;
}

bool window_is_live(const Window* window)
{
    if (window == nullptr) {
        return false;
    }
    for (const auto& w : windows) {
        if (w.get() == window) {
            return true;
        }
    }
    return false;
}

bool window_register_class(const WindowClass& window_class)
{
    if (fault_should_fail("window.register_class") || window_class.name == nullptr ||
        window_class.procedure == nullptr || find_class(window_class.name) != nullptr) {
        return false;
    }
    class_names.emplace_back(window_class.name);
    classes.push_back(window_class);
    classes.back().name = class_names.back().c_str();
    // Growing the vector may move the strings; point every record at its own copy again.
    for (size_t i = 0; i < classes.size(); ++i) {
        classes[i].name = class_names[i].c_str();
    }
    return true;
}

Window* window_create(const char* class_name, const char* title, int x, int y, int width, int height)
{
    const WindowClass* window_class = class_name != nullptr ? find_class(class_name) : nullptr;
    if (window_class == nullptr || fault_should_fail("window.create")) {
        return nullptr;
    }
    auto window = std::make_unique<Window>();
    window->class_name = window_class->name;
    window->title = title != nullptr ? title : "";
    window->procedure = window_class->procedure;
    window->rect = RECT{x, y, x + width, y + height};
    window->needs_paint = false;
    window->native = nullptr;
    if (!drivers().window.create(window.get())) {
        return nullptr;
    }
    Window* handle = window.get();
    windows.push_back(std::move(window));
    handle->procedure(handle, MSG_CREATE, 0, 0);
    // A new window has never been painted.
    if (window_is_live(handle)) {
        handle->needs_paint = true;
        queue.push_back(Message{handle, MSG_PAINT, 0, 0});
    }
    return handle;
}

bool window_rect(Window* window, RECT& rect)
{
    if (!window_is_live(window)) {
        return false;
    }
    rect = window->rect;
    return true;
}

bool window_move(Window* window, int x, int y)
{
    if (!window_is_live(window)) {
        return false;
    }
    const int width = window->rect.right - window->rect.left;
    const int height = window->rect.bottom - window->rect.top;
    window->rect = RECT{x, y, x + width, y + height};
    drivers().window.move(window, x, y);
    display_invalidate();
    return true;
}

void window_destroy(Window* window)
{
    if (!window_is_live(window)) {
        return;
    }
    window->procedure(window, MSG_DESTROY, 0, 0);
    drivers().window.destroy(window);
    for (auto it = queue.begin(); it != queue.end();) {
        it = it->window == window ? queue.erase(it) : it + 1;
    }
    for (auto it = windows.begin(); it != windows.end(); ++it) {
        if (it->get() == window) {
            windows.erase(it);
            break;
        }
    }
}

int32_t window_default_procedure(Window* window, uint32_t code, uint32_t wparam, int32_t lparam)
{
    (void)wparam;
    (void)lparam;
    switch (code) {
    case MSG_CLOSE:
        window_destroy(window);
        return 0;
    case MSG_PAINT:
        window_validate(window);
        return 0;
    default:
        return 0;
    }
}

void window_validate(Window* window)
{
    if (window_is_live(window)) {
        window->needs_paint = false;
    }
}

void window_show_cursor(bool show)
{
    drivers().window.show_cursor(show);
}

bool message_peek(Message& message)
{
    drivers().window.pump();
    display_service();
    while (!queue.empty()) {
        message = queue.front();
        queue.pop_front();
        // A paint message whose window was validated meanwhile is stale.
        const bool stale_paint = message.code == MSG_PAINT && window_is_live(message.window) &&
                                 !message.window->needs_paint;
        if (!stale_paint) {
            return true;
        }
    }
    return false;
}

int32_t message_dispatch(const Message& message)
{
    if (!window_is_live(message.window)) {
        return 0;
    }
    Window* window = message.window;
    const int32_t result = window->procedure(window, message.code, message.wparam, message.lparam);
    if (message.code == MSG_PAINT && window_is_live(window) && window->needs_paint) {
        queue.push_back(message);
    }
    return result;
}

bool message_post(Window* window, uint32_t code, uint32_t wparam, int32_t lparam)
{
    if (!window_is_live(window) || fault_should_fail("message.post")) {
        return false;
    }
    if (code == MSG_PAINT) {
        if (window->needs_paint) {
            return true;
        }
        window->needs_paint = true;
    }
    queue.push_back(Message{window, code, wparam, lparam});
    return true;
}

void message_post_quit(int exit_code)
{
    queue.push_back(Message{nullptr, MSG_QUIT, static_cast<uint32_t>(exit_code), 0});
}

void window_reset()
{
    while (!windows.empty()) {
        Window* window = windows.back().get();
        drivers().window.destroy(window);
        windows.pop_back();
    }
    queue.clear();
    classes.clear();
    class_names.clear();
    main_window_handle = nullptr;
}

} // namespace platform
