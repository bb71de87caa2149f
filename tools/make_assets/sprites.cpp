// The sprite sheets: frames in a grid of one-pixel lines, cell (cx, cy) of a w x h
// sprite starting at (cx * (w + 1) + 1, cy * (h + 1) + 1); index 0 around the art is
// the transparent key.
#include <functional>
#include <string>

#include "tools/make_assets/assets.h"
#include "tools/make_assets/bmp_writer.h"
#include "tools/make_assets/diver.h"
#include "tools/make_assets/draw.h"
#include "tools/make_assets/props.h"
#include "tools/make_assets/sheet_layout.h"

namespace assets {

namespace {

using FramePainter = std::function<void(Canvas& frame, int index)>;

// Draws each frame on its own canvas, outlines it and places it in its cell.
bool write_sheet(const std::string& path, const SheetLayout& layout, const FramePainter& paint)
{
    Canvas sheet(layout.file_width(), layout.file_height());
    const int grid_right = layout.columns * (layout.frame_width + 1);
    const int grid_bottom = layout.rows * (layout.frame_height + 1);
    for (int column = 0; column <= layout.columns; ++column) {
        const int x = column * (layout.frame_width + 1);
        fill_rect(sheet, x, 0, x + 1, grid_bottom + 1, colour::grid);
    }
    for (int row = 0; row <= layout.rows; ++row) {
        const int y = row * (layout.frame_height + 1);
        fill_rect(sheet, 0, y, grid_right + 1, y + 1, colour::grid);
    }
    for (int index = 0; index < layout.frames; ++index) {
        Canvas frame(layout.frame_width, layout.frame_height);
        paint(frame, index);
        outline_art(frame, colour::ink);
        const Cell cell = layout.cell(index);
        blit_keyed(sheet, frame, cell.x * (layout.frame_width + 1) + 1, cell.y * (layout.frame_height + 1) + 1);
    }
    return write_bmp_file(path, sheet.width, sheet.height, sheet.pixels, shared_palette().data());
}

} // namespace

bool write_sprites(const std::string& data_dir)
{
    const std::string folder = data_dir + "/Graphics/";
    static const DiverPose poses[4] = {DiverPose::glide, DiverPose::near_up, DiverPose::near_down, DiverPose::rest};
    for (int direction = 0; direction < 8; ++direction) {
        const auto paint = [direction](Canvas& frame, int index) {
            draw_diver(frame, {28.0f, 36.0f}, direction, poses[index], 0.88f);
        };
        if (!write_sheet(folder + "SWIMGUY" + std::to_string(direction) + ".BMP", diver_sheet, paint)) {
            return false;
        }
    }
    const Vec middle{36.0f, 42.0f};
    return write_sheet(folder + "GENS4.BMP", nuke_sheet,
                       [middle](Canvas& frame, int index) { draw_nuke_barrel(frame, middle, index, 1.0f); }) &&
           write_sheet(folder + "OIL2.BMP", oil_sheet,
                       [middle](Canvas& frame, int index) { draw_oil_barrel(frame, middle, index, 1.0f); }) &&
           write_sheet(folder + "BUBUP.BMP", bubble_sheet,
                       [middle](Canvas& frame, int index) { draw_air_bubble(frame, middle, index, 1.0f); }) &&
           write_sheet(folder + "SPEDUP.BMP", token_sheet,
                       [middle](Canvas& frame, int index) { draw_speed_token(frame, middle, index, 1.0f); });
}

} // namespace assets
