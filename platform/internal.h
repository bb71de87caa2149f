// Records behind the platform's opaque handles, shared by the service code and the
// backends. Nothing outside platform/ includes this.
#pragma once

#include <string>

#include "platform/types.h"
#include "platform/window.h"

namespace platform {

struct Window {
    std::string class_name;
    std::string title;
    WindowProcedure procedure;
    RECT rect;
    bool needs_paint;   // a paint message is queued or due
    void* native;       // the backend's own window object
};

// True while `window` is a live window of this process.
bool window_is_live(const Window* window);

// The picture on the screen must be shown again (the window moved or was exposed).
void display_invalidate();

} // namespace platform
