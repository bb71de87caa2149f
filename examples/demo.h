// The library demo: a row of scenes, each showing one part of the library at work.
// A scene draws one frame per call into the back surface; the demo flips and paces.
#pragma once

struct DemoScene {
    const char* name;
    void (*enter)();   // set up (palette, surfaces); the display is up
    void (*frame)(int frame_number);  // draw one frame, counted from 0 since enter
    void (*leave)();   // release what enter made
};

extern const DemoScene palette_scene;
extern const DemoScene input_scene;
extern const DemoScene sprites_scene;
extern const DemoScene text_scene;
extern const DemoScene raster_scene;
extern const DemoScene transitions_scene;
extern const DemoScene sound_scene;
