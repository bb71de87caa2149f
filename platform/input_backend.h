// Input part of the backend contract (keyboard, mouse, joystick).
#pragma once

namespace platform {

struct InputDriver {
    // Filled in with the input service.
    void (*reset)();
};

void default_input_driver(InputDriver& driver);

} // namespace platform
