// Where the frames of each sprite sheet lie: the frame size the game cuts, the grid
// of cells and which cell holds which frame. Shared by the writer and its test.
#pragma once

namespace assets {

struct Cell {
    int x;
    int y;
};

struct SheetLayout {
    int frame_width;
    int frame_height;
    int frames;   // drawn cells
    int columns;  // cells per row of the grid
    int rows;

    // Frames fill the first row, then go on in the next.
    Cell cell(int index) const { return {index % columns, index / columns}; }
    // Rows of a picture file are padded to four bytes anyway; a width that is already a
    // multiple of four keeps every reader on the plain path.
    int file_width() const { return (columns * (frame_width + 1) + 1 + 3) / 4 * 4; }
    int file_height() const { return rows * (frame_height + 1) + 1; }
};

// SWIMGUY0..7.BMP: three swimming poses in the first row, a rest pose below.
constexpr SheetLayout diver_sheet{56, 72, 4, 3, 2};
constexpr SheetLayout nuke_sheet{72, 84, 4, 4, 1};          // GENS4.BMP
constexpr SheetLayout oil_sheet{72, 84, 3, 3, 1};           // OIL2.BMP
constexpr SheetLayout bubble_sheet{72, 84, 2, 2, 1};        // BUBUP.BMP
constexpr SheetLayout token_sheet{72, 84, 3, 3, 1};         // SPEDUP.BMP

} // namespace assets
