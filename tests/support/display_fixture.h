// A fixture for tests that bring the display up: a window of the tests' own, a clean
// fault table, and everything shut down and reset afterwards.
#pragma once

#include <gtest/gtest.h>

#include "gfx/gfx.h"
#include "platform/fault.h"
#include "platform/headless/headless.h"
#include "platform/window.h"

namespace reef_test {

inline int32_t test_window_procedure(platform::Window* window, uint32_t code, uint32_t wparam, int32_t lparam)
{
    return platform::window_default_procedure(window, code, wparam, lparam);
}

class DisplayFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::fault_clear();
        platform::headless::reset();
        platform::window_reset();
        platform::WindowClass window_class{"TESTWINDOW", test_window_procedure, 0};
        ASSERT_TRUE(platform::window_register_class(window_class));
        main_window_handle = platform::window_create("TESTWINDOW", "test", 0, 0, 640, 480);
        ASSERT_NE(nullptr, main_window_handle);
    }

    void TearDown() override
    {
        while (DDraw_Unlock_Back_Surface() != 0) {
        }
        while (DDraw_Unlock_Primary_Surface() != 0) {
        }
        DDraw_Shutdown();
        lpdd = nullptr;
        lpddsprimary = nullptr;
        lpddsback = nullptr;
        lpddpal = nullptr;
        lpddclipper = nullptr;
        lpddclipperwin = nullptr;
        platform::fault_clear();
        platform::window_reset();
    }
};

} // namespace reef_test
