// The four full-screen pictures: the play background, the title, the instructions and
// the end of a round. All 640 x 480, 8 bits, in the shared palette.
#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "tools/make_assets/assets.h"
#include "tools/make_assets/bmp_writer.h"
#include "tools/make_assets/diver.h"
#include "tools/make_assets/draw.h"
#include "tools/make_assets/props.h"
#include "tools/make_assets/seascape.h"

namespace assets {

namespace {

constexpr int picture_width = 640;
constexpr int picture_height = 480;

bool write_picture(const std::string& path, const Canvas& canvas)
{
    return write_bmp_file(path, canvas.width, canvas.height, canvas.pixels, shared_palette().data());
}

// Paints a figure on a canvas of its own, outlines it and lays it on the picture.
void place_figure(Canvas& picture, Vec centre, int size, const std::function<void(Canvas&, Vec)>& paint,
                  int outline_passes = 1)
{
    Canvas figure(size, size);
    paint(figure, {static_cast<float>(size) * 0.5f, static_cast<float>(size) * 0.5f});
    for (int pass = 0; pass < outline_passes; ++pass) {
        outline_art(figure, colour::ink);
    }
    blit_keyed(picture, figure, static_cast<int>(centre.x) - size / 2, static_cast<int>(centre.y) - size / 2);
}

// A rounded panel: what lies under it is darkened, and a light edge frames it.
void panel(Canvas& canvas, int left, int top, int right, int bottom, const std::array<uint8_t, 256>& darken)
{
    constexpr int corner = 8;
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) {
            const int cx = std::clamp(x, left + corner, right - 1 - corner);
            const int cy = std::clamp(y, top + corner, bottom - 1 - corner);
            const int dx = x - cx;
            const int dy = y - cy;
            const int d2 = dx * dx + dy * dy;
            if (d2 > corner * corner) {
                continue;
            }
            const bool edge = d2 > (corner - 1) * (corner - 1) || x == left || x == right - 1 || y == top || y == bottom - 1;
            canvas.set(x, y, edge ? colour::panel_edge : darken[canvas.at(x, y)]);
        }
    }
}

// A key of the keyboard with its label; returns its width.
int keycap(Canvas& canvas, int x, int y, const std::string& label, int text_size)
{
    TextMask mask;
    render_text(sans_bold_font, text_size, label, mask);
    const int width = std::max(mask.width + 14, text_size + 8);
    const int height = text_size + 12;
    fill_rect(canvas, x + 1, y + 1, x + width - 1, y + height - 1, ramp_step(grey_ramp, 3));
    fill_rect(canvas, x + 2, y + 2, x + width - 2, y + height - 5, ramp_step(grey_ramp, 7));
    fill_rect(canvas, x + 2, y + 2, x + width - 2, y + 3, ramp_step(grey_ramp, 9));
    frame_rect(canvas, x, y, x + width, y + height, colour::ink);
    const int text_top = y + 2 + (height - 7 - mask.ascent) / 2 - mask.ascent / 6;
    draw_plain_letters(canvas, mask, x + (width - mask.width) / 2, text_top, colour::ink, colour::transparent);
    return width;
}

// A key with an arrow on it, pointing along (dx, dy).
void arrow_key(Canvas& canvas, int x, int y, int dx, int dy)
{
    constexpr int size = 24;
    fill_rect(canvas, x + 1, y + 1, x + size - 1, y + size - 1, ramp_step(grey_ramp, 3));
    fill_rect(canvas, x + 2, y + 2, x + size - 2, y + size - 5, ramp_step(grey_ramp, 7));
    fill_rect(canvas, x + 2, y + 2, x + size - 2, y + 3, ramp_step(grey_ramp, 9));
    frame_rect(canvas, x, y, x + size, y + size, colour::ink);
    const Vec c{static_cast<float>(x) + size * 0.5f, static_cast<float>(y) + size * 0.5f - 1.5f};
    const Vec d{static_cast<float>(dx), static_cast<float>(dy)};
    const Vec side{-d.y, d.x};
    fill_triangle(canvas, c + d * 6.0f, c - d * 3.0f + side * 6.0f, c - d * 3.0f - side * 6.0f, colour::ink);
}

void centred_letters(Canvas& canvas, int y, const std::string& text, int size, const LetterStyle& style)
{
    TextMask mask;
    if (render_text(sans_bold_font, size, text, mask)) {
        draw_letters(canvas, mask, (picture_width - mask.width) / 2, y, style);
    }
}

void centred_runs(Canvas& canvas, int y, const std::vector<TextRun>& runs)
{
    draw_text_runs(canvas, (picture_width - text_runs_width(runs)) / 2, y, runs, colour::ink);
}

// A line of the keys that lead on: "Press", a key, and what it does.
void key_prompt(Canvas& canvas, int y, const std::string& key, const std::string& action, int size, uint8_t text_colour)
{
    TextMask press;
    TextMask rest;
    render_text(sans_bold_font, size, "Press", press);
    render_text(sans_bold_font, size, action, rest);
    TextMask key_mask;
    render_text(sans_bold_font, size - 4, key, key_mask);
    const int key_width = std::max(key_mask.width + 14, size + 4);
    const int gap = size / 2;
    const int total = press.width + gap + key_width + gap + rest.width;
    int x = (picture_width - total) / 2;
    draw_plain_letters(canvas, press, x, y, text_colour, colour::ink);
    x += press.width + gap;
    keycap(canvas, x, y + (press.ascent - size) / 2 - 1, key, size - 4);
    x += key_width + gap;
    draw_plain_letters(canvas, rest, x, y, text_colour, colour::ink);
}

Canvas play_background()
{
    Canvas canvas(picture_width, picture_height);
    paint_seascape(canvas, {true, true});
    return canvas;
}

Canvas title_picture()
{
    Canvas canvas(picture_width, picture_height);
    paint_seascape(canvas, {false, false});

    // Things sinking past, and the diver swimming up toward them.
    place_figure(canvas, {112.0f, 214.0f}, 90, [](Canvas& c, Vec at) { draw_nuke_barrel(c, at, 1, 1.0f); });
    place_figure(canvas, {548.0f, 196.0f}, 90, [](Canvas& c, Vec at) { draw_oil_barrel(c, at, 1, 1.0f); });
    place_figure(canvas, {470.0f, 300.0f}, 80, [](Canvas& c, Vec at) { draw_air_bubble(c, at, 0, 0.8f); });
    place_figure(canvas, {176.0f, 318.0f}, 80, [](Canvas& c, Vec at) { draw_speed_token(c, at, 0, 0.7f); });
    place_figure(canvas, {326.0f, 246.0f}, 180,
                 [](Canvas& c, Vec at) { draw_diver(c, at, 1, DiverPose::near_up, 2.5f); }, 2);

    const LetterStyle title{gold_ramp, 0.98f, 0.35f, colour::ink, 4, colour::deep_navy, 6, 5.0f};
    centred_letters(canvas, 22, "Reef Diver", 92, title);
    centred_runs(canvas, 136, {{"Catch the barrels before they reach the reef", sans_font, 17, colour::pale_cyan}});

    const std::array<uint8_t, 256> darken = tint_map(0.45f, 6, 14, 36, 0.25f);
    panel(canvas, 150, 376, 490, 456, darken);
    key_prompt(canvas, 386, "SPACE", "to dive", 26, colour::white);
    const std::string hint = "Arrow keys swim  -  Esc quits";
    library_text(canvas, (picture_width - library_text_width(hint)) / 2, 434, hint, colour::pale_cyan);
    return canvas;
}

struct RuleRow {
    std::function<void(Canvas&, Vec)> icon;
    std::vector<TextRun> first_line;
    std::vector<TextRun> second_line;
};

TextRun bold(const std::string& text, uint8_t c)
{
    return {text, sans_bold_font, 16, c};
}

TextRun plain(const std::string& text)
{
    return {text, sans_font, 16, colour::white};
}

Canvas instructions_picture()
{
    Canvas canvas(picture_width, picture_height);
    paint_seascape(canvas, {false, false});
    remap_rect(canvas, 0, 0, picture_width, picture_height, tint_map(0.55f, 6, 14, 40, 0.2f));
    const std::array<uint8_t, 256> darken = tint_map(0.5f, 4, 10, 30, 0.3f);
    panel(canvas, 16, 66, 624, 420, darken);

    const LetterStyle heading{gold_ramp, 0.98f, 0.4f, colour::ink, 3, colour::deep_navy, 4, 0.0f};
    centred_letters(canvas, 8, "How to dive", 46, heading);

    const std::vector<RuleRow> rows = {
        {[](Canvas& c, Vec at) {
             arrow_key(c, static_cast<int>(at.x) - 12, static_cast<int>(at.y) - 25, 0, -1);
             arrow_key(c, static_cast<int>(at.x) - 38, static_cast<int>(at.y) + 1, -1, 0);
             arrow_key(c, static_cast<int>(at.x) - 12, static_cast<int>(at.y) + 1, 0, 1);
             arrow_key(c, static_cast<int>(at.x) + 14, static_cast<int>(at.y) + 1, 1, 0);
         },
         {bold("Arrow keys", colour::pale_cyan), plain(" swim. Hold two together to swim diagonally.")},
         {bold("Esc", colour::pale_cyan), plain(" quits the game at any time.")}},
        {[](Canvas& c, Vec at) { place_figure(c, at, 70, [](Canvas& f, Vec p) { draw_nuke_barrel(f, p, 1, 0.72f); }); },
         {bold("Nuke barrel", colour::yellow), plain(": catch it for "), bold("10 points", colour::gold), plain(".")},
         {plain("If it reaches the reef, your shield loses "), bold("3", colour::red), plain(".")}},
        {[](Canvas& c, Vec at) { place_figure(c, at, 70, [](Canvas& f, Vec p) { draw_oil_barrel(f, p, 1, 0.72f); }); },
         {bold("Oil barrel", colour::orange), plain(": catch it for "), bold("5 points", colour::gold), plain(".")},
         {plain("If it reaches the reef, your shield loses "), bold("1", colour::red), plain(".")}},
        {[](Canvas& c, Vec at) { place_figure(c, at, 70, [](Canvas& f, Vec p) { draw_air_bubble(f, p, 0, 0.72f); }); },
         {bold("Air bubble", colour::pale_cyan), plain(": catch it to add "), bold("2", colour::mint),
          plain(" to your bubble shield.")},
         {}},
        {[](Canvas& c, Vec at) { place_figure(c, at, 70, [](Canvas& f, Vec p) { draw_speed_token(f, p, 0, 0.66f); }); },
         {bold("Speed token", colour::gold), plain(": each one you catch makes one more")},
         {plain("barrel fall twice as fast. More to catch, more to lose!")}},
        {[](Canvas& c, Vec at) {
             place_figure(c, at, 70, [](Canvas& f, Vec p) { draw_air_bubble(f, p, 1, 0.6f); });
             TextMask nine;
             render_text(sans_bold_font, 22, "9", nine);
             draw_plain_letters(c, nine, static_cast<int>(at.x) - nine.width / 2, static_cast<int>(at.y) - nine.ascent / 2 - 4,
                                colour::pure_green, colour::ink);
         },
         {bold("Bubble shield", colour::mint), plain(": you start with "), bold("9", colour::mint), plain(".")},
         {plain("When it runs out, the round is over.")}},
    };
    int y = 72;
    for (const RuleRow& row : rows) {
        constexpr int row_height = 57;
        row.icon(canvas, {78.0f, static_cast<float>(y) + row_height * 0.5f});
        const int lines = row.second_line.empty() ? 1 : 2;
        int text_y = y + (row_height - lines * 21) / 2 - 2;
        draw_text_runs(canvas, 142, text_y, row.first_line, colour::ink);
        if (lines == 2) {
            draw_text_runs(canvas, 142, text_y + 21, row.second_line, colour::ink);
        }
        y += row_height;
    }
    key_prompt(canvas, 432, "ENTER", "to start", 26, colour::gold);
    return canvas;
}

Canvas game_over_picture()
{
    Canvas canvas(picture_width, picture_height);
    paint_seascape(canvas, {false, false});
    remap_rect(canvas, 0, 0, picture_width, picture_height, tint_map(0.42f, 10, 4, 30, 0.18f));

    // Barrels that got through lie on the reef; the diver heads back up.
    place_figure(canvas, {74.0f, 404.0f}, 90, [](Canvas& c, Vec at) { draw_nuke_barrel(c, at, 2, 1.0f); });
    place_figure(canvas, {430.0f, 392.0f}, 90, [](Canvas& c, Vec at) { draw_oil_barrel(c, at, 0, 1.0f); });
    place_figure(canvas, {566.0f, 356.0f}, 90, [](Canvas& c, Vec at) { draw_nuke_barrel(c, at, 0, 1.0f); });
    place_figure(canvas, {318.0f, 336.0f}, 150,
                 [](Canvas& c, Vec at) { draw_diver(c, at, 1, DiverPose::glide, 1.9f); }, 2);

    const LetterStyle heading{red_ramp, 0.95f, 0.3f, colour::ink, 4, colour::deep_navy, 6, 4.0f};
    centred_letters(canvas, 40, "Round over", 80, heading);
    centred_runs(canvas, 142, {{"Your bubble shield has run out.", sans_font, 20, colour::pale_cyan}});

    const std::array<uint8_t, 256> darken = tint_map(0.5f, 4, 6, 24, 0.3f);
    panel(canvas, 120, 184, 520, 272, darken);
    key_prompt(canvas, 194, "ENTER", "to dive again", 24, colour::gold);
    key_prompt(canvas, 232, "ESC", "to quit", 24, colour::white);
    return canvas;
}

} // namespace

bool write_pictures(const std::string& data_dir)
{
    const std::string folder = data_dir + "/Graphics/";
    return write_picture(folder + "OCEANBACK.BMP", play_background()) &&
           write_picture(folder + "OCEANBACK2.BMP", instructions_picture()) &&
           write_picture(folder + "OCEANBACK3.BMP", game_over_picture()) &&
           write_picture(folder + "OCEANBACK4.BMP", title_picture());
}

} // namespace assets
