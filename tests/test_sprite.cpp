// Sprite objects on the headless display (whose pitch is wider than a row): building,
// cloning and destroying, filling frames from pictures, sequences, the setters, and
// drawing through the colour-keyed, stretched, clipped surface copy.
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <limits>
#include <vector>

#include "gfx/gfx.h"
#include "platform/fault.h"
#include "tests/support/display_fixture.h"

namespace {

using PixelFn = std::function<uint32_t(int x, int y)>;

// A picture in memory as the bitmap loader leaves one: packed rows, top row first.
class Picture {
public:
    Picture(int width, int height, int bits, const PixelFn& pixel)
    {
        const int bytes = bits / 8;
        tag.info_header.biWidth = width;
        tag.info_header.biHeight = height;
        tag.info_header.biBitCount = static_cast<uint16_t>(bits);
        tag.buffer = static_cast<uint8_t*>(std::malloc(static_cast<size_t>(width) * height * bytes));
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const uint32_t v = pixel(x, y);
                std::memcpy(tag.buffer + (static_cast<size_t>(y) * width + x) * bytes, &v, static_cast<size_t>(bytes));
            }
        }
    }
    ~Picture() { std::free(tag.buffer); }
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;

    BITMAP_FILE_TAG tag{};
};

// The pixels of a surface as `width` x `height` values without the pitch's padding.
std::vector<uint32_t> pixels_of(platform::Surface* surface)
{
    int width = 0;
    int height = 0;
    EXPECT_TRUE(platform::surface_size(surface, width, height));
    const int bytes = platform::surface_pixel_format(surface) == 8 ? 1 : 2;
    int pitch = 0;
    const uint8_t* memory = DDraw_Lock_Surface(surface, &pitch);
    std::vector<uint32_t> out(static_cast<size_t>(width) * height, 0);
    for (int y = 0; memory != nullptr && y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            uint32_t v = 0;
            std::memcpy(&v, memory + static_cast<ptrdiff_t>(y) * pitch + x * bytes, static_cast<size_t>(bytes));
            out[static_cast<size_t>(y) * width + x] = v;
        }
    }
    DDraw_Unlock_Surface(surface);
    return out;
}

void paint(platform::Surface* surface, const PixelFn& pixel)
{
    int width = 0;
    int height = 0;
    ASSERT_TRUE(platform::surface_size(surface, width, height));
    const int bytes = platform::surface_pixel_format(surface) == 8 ? 1 : 2;
    int pitch = 0;
    uint8_t* memory = DDraw_Lock_Surface(surface, &pitch);
    ASSERT_NE(nullptr, memory);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const uint32_t v = pixel(x, y);
            std::memcpy(memory + static_cast<ptrdiff_t>(y) * pitch + x * bytes, &v, static_cast<size_t>(bytes));
        }
    }
    DDraw_Unlock_Surface(surface);
}

// A frame with a key-coloured (0) diagonal pattern among varied colours.
uint32_t frame_value(int x, int y)
{
    return (x + y) % 7 == 0 ? 0 : static_cast<uint32_t>(1 + (x * 3 + y * 5) % 240);
}

constexpr uint32_t background = 250;

// What a keyed copy of `frame` drawn into `rect` and cut by `clip` leaves on a
// `width`-wide surface: each destination pixel takes the source pixel under its centre.
void expect_drawn(const std::vector<uint32_t>& before, const std::vector<uint32_t>& after, int width,
                  const RECT& rect, int frame_width, int frame_height, const PixelFn& frame, const RECT& clip)
{
    std::vector<uint32_t> expected = before;
    const int dw = rect.right - rect.left;
    const int dh = rect.bottom - rect.top;
    for (int y = rect.top; y < rect.bottom; ++y) {
        for (int x = rect.left; x < rect.right; ++x) {
            if (x < clip.left || x >= clip.right || y < clip.top || y >= clip.bottom) {
                continue;
            }
            const int sx = static_cast<int>((2LL * (x - rect.left) + 1) * frame_width / (2LL * dw));
            const int sy = static_cast<int>((2LL * (y - rect.top) + 1) * frame_height / (2LL * dh));
            const uint32_t v = frame(sx, sy);
            if (v != 0) {
                expected[static_cast<size_t>(y) * width + x] = v;
            }
        }
    }
    size_t wrong = 0;
    size_t first = 0;
    for (size_t i = 0; i < expected.size(); ++i) {
        if (expected[i] != after[i] && wrong++ == 0) {
            first = i;
        }
    }
    EXPECT_EQ(0u, wrong) << "first wrong pixel at " << first % width << "," << first / width << ": "
                         << after[first] << " instead of " << expected[first];
}

class SpriteTest : public reef_test::DisplayFixture {
protected:
    void SetUp() override
    {
        DisplayFixture::SetUp();
        ASSERT_EQ(1, DDraw_Init(640, 480, display_bits(), 0));
        DDraw_Fill_Surface(lpddsback, static_cast<uint16_t>(background));
    }

    void TearDown() override
    {
        for (BOB_TYP* b : {&clone, &bob, &other}) {
            Destroy_BOB(b);
        }
        DisplayFixture::TearDown();
    }

    virtual int display_bits() const { return 8; }

    // A visible sprite of `frames` frames painted with frame_value (plus the frame index).
    void make_sprite(BOB_TYP* b, int x, int y, int width, int height, int frames = 1)
    {
        ASSERT_EQ(1, Create_BOB(b, x, y, width, height, frames, BOB_VISIBLE | BOB_MULTI_FRAME, DDSCAPS_SYSTEMMEMORY,
                                0, display_bits()));
        for (int i = 0; i < frames; ++i) {
            paint(b->frames[i], [i](int fx, int fy) { return frame_value(fx, fy) == 0 ? 0 : frame_value(fx, fy) + i; });
        }
    }

    const RECT screen{0, 0, 640, 480};
    BOB_TYP bob{};
    BOB_TYP other{};
    BOB_TYP clone{};
};

// --- Building, cloning, destroying -------------------------------------------

TEST_F(SpriteTest, CreateFillsTheRecordAndMakesKeyedFrameSurfaces)
{
    std::memset(&bob, 0x5A, sizeof bob);
    bob.extra_width = 3;
    ASSERT_EQ(1, Create_BOB(&bob, 10, -20, 72, 84, 4, 18, DDSCAPS_SYSTEMMEMORY, 0, 8));
    EXPECT_EQ(1, bob.state);
    EXPECT_EQ(18, bob.attr);
    EXPECT_EQ(0, bob.anim_done);
    EXPECT_EQ(10.0f, bob.x);
    EXPECT_EQ(-20.0f, bob.y);
    EXPECT_EQ(0.0f, bob.xv);
    EXPECT_EQ(0.0f, bob.yv);
    EXPECT_EQ(72, bob.width);
    EXPECT_EQ(84, bob.height);
    EXPECT_EQ(3, bob.extra_width);
    EXPECT_EQ(8, bob.bpp);
    EXPECT_EQ(0, bob.timer_a | bob.timer_b | bob.timer_a_max | bob.timer_b_max);
    EXPECT_EQ(0, bob.cur_frame | bob.cur_anim | bob.anim_ticks | bob.anim_pos | bob.anim_speed);
    EXPECT_EQ(4, bob.num_frames);
    EXPECT_EQ(0x5A5A5A5A, bob.user_ints[0]);
    EXPECT_EQ(0x5A5A5A5A, bob.user_ints[15]);
    for (int i = 0; i < MAX_BOB_FRAMES; ++i) {
        EXPECT_EQ(i < 4, bob.frames[i] != nullptr) << i;
    }
    for (int32_t* sequence : bob.anim_seqs) {
        EXPECT_EQ(nullptr, sequence);
    }
    // The extra columns are part of the surface but never drawn.
    int width = 0;
    int height = 0;
    ASSERT_TRUE(platform::surface_size(bob.frames[3], width, height));
    EXPECT_EQ(75, width);
    EXPECT_EQ(84, height);
}

TEST_F(SpriteTest, CreateWithNoFramesSucceedsAndImpossibleCountsAreRefused)
{
    ASSERT_EQ(1, Create_BOB(&bob, 0, 0, 16, 16, 0, BOB_VISIBLE));
    for (platform::Surface* frame : bob.frames) {
        EXPECT_EQ(nullptr, frame);
    }
    EXPECT_EQ(0, Draw_BOB(&bob, lpddsback));  // no frame to draw
    for (const int count : {-1, MAX_BOB_FRAMES + 1, 1000}) {
        BOB_TYP untouched{};
        untouched.user_ints[0] = 7;
        const BOB_TYP before = untouched;
        EXPECT_EQ(0, Create_BOB(&untouched, 0, 0, 16, 16, count, BOB_VISIBLE)) << count;
        EXPECT_EQ(0, std::memcmp(&before, &untouched, sizeof untouched)) << count;
    }
    ASSERT_EQ(1, Create_BOB(&other, 0, 0, 4, 4, MAX_BOB_FRAMES, BOB_VISIBLE));
    EXPECT_NE(nullptr, other.frames[MAX_BOB_FRAMES - 1]);
}

TEST_F(SpriteTest, FailedCreateKeepsTheFramesMadeSoFarForDestroyToRelease)
{
    platform::fault_inject("surface.create", 1, 2);
    EXPECT_EQ(0, Create_BOB(&bob, 0, 0, 32, 32, 5, BOB_VISIBLE));
    EXPECT_NE(nullptr, bob.frames[0]);
    EXPECT_NE(nullptr, bob.frames[1]);
    for (int i = 2; i < MAX_BOB_FRAMES; ++i) {
        EXPECT_EQ(nullptr, bob.frames[i]) << i;
    }
    EXPECT_EQ(5, bob.num_frames);
    bob.cur_frame = 3;  // a frame that was never made draws nothing
    EXPECT_EQ(0, Draw_BOB(&bob, lpddsback));
    EXPECT_EQ(1, Destroy_BOB(&bob));
}

TEST_F(SpriteTest, CloneIsTheParentMarkedAsCloneAndSharesItsFrames)
{
    make_sprite(&bob, 5, 6, 24, 20, 2);
    const int sequence[] = {1, 0};
    ASSERT_EQ(1, Load_Animation_BOB(&bob, 0, 2, sequence));
    bob.user_ints[1] = 42;
    const BOB_TYP parent = bob;

    EXPECT_EQ(0, Clone_BOB(&bob, &bob));
    EXPECT_EQ(0, std::memcmp(&parent, &bob, sizeof bob));
    EXPECT_EQ(0, Clone_BOB(nullptr, &clone));
    EXPECT_EQ(0, Clone_BOB(&bob, nullptr));

    ASSERT_EQ(1, Clone_BOB(&bob, &clone));
    EXPECT_EQ(0, std::memcmp(&parent, &bob, sizeof bob));
    EXPECT_EQ(parent.attr | BOB_CLONE, clone.attr);
    BOB_TYP unmarked = clone;
    unmarked.attr = parent.attr;
    EXPECT_EQ(0, std::memcmp(&parent, &unmarked, sizeof parent));

    // A clone of a clone is a clone too.
    ASSERT_EQ(1, Clone_BOB(&clone, &other));
    EXPECT_NE(0, other.attr & BOB_CLONE);

    // Frames painted into the parent after cloning show in the clone; positions are its own.
    paint(bob.frames[0], [](int, int) { return 77u; });
    Set_Pos_BOB(&clone, 300, 200);
    const std::vector<uint32_t> before = pixels_of(lpddsback);
    EXPECT_EQ(1, Draw_BOB(&clone, lpddsback));
    expect_drawn(before, pixels_of(lpddsback), 640, RECT{300, 200, 324, 220}, 24, 20,
                 [](int, int) { return 77u; }, screen);
    EXPECT_EQ(5.0f, bob.x);
}

TEST_F(SpriteTest, DestroyingAClonePutsNothingAwayAndDestroyIsSafeTwice)
{
    make_sprite(&bob, 100, 100, 16, 16);
    const int sequence[] = {0};
    ASSERT_EQ(1, Load_Animation_BOB(&bob, 4, 1, sequence));
    ASSERT_EQ(1, Clone_BOB(&bob, &clone));
    EXPECT_EQ(1, Destroy_BOB(&clone));
    for (platform::Surface* frame : clone.frames) {
        EXPECT_EQ(nullptr, frame);
    }
    EXPECT_EQ(nullptr, clone.anim_seqs[4]);
    EXPECT_EQ(0, Draw_BOB(&clone, lpddsback));

    // The parent still draws and still has its sequence.
    const std::vector<uint32_t> before = pixels_of(lpddsback);
    EXPECT_EQ(1, Draw_BOB(&bob, lpddsback));
    expect_drawn(before, pixels_of(lpddsback), 640, RECT{100, 100, 116, 116}, 16, 16, frame_value, screen);
    ASSERT_NE(nullptr, bob.anim_seqs[4]);
    EXPECT_EQ(0, bob.anim_seqs[4][0]);

    const float x = bob.x;
    EXPECT_EQ(1, Destroy_BOB(&bob));
    EXPECT_EQ(nullptr, bob.frames[0]);
    EXPECT_EQ(nullptr, bob.anim_seqs[4]);
    EXPECT_EQ(x, bob.x);
    EXPECT_EQ(1, bob.num_frames);
    EXPECT_EQ(1, Destroy_BOB(&bob));
    EXPECT_EQ(0, Draw_BOB(&bob, lpddsback));
    EXPECT_EQ(0, Destroy_BOB(nullptr));
}

// --- Frames and sequences -----------------------------------------------------

TEST_F(SpriteTest, FramesAreCutFromCellsOrPixelPositions)
{
    const PixelFn picture_value = [](int x, int y) { return static_cast<uint32_t>((x * 7 + y * 13) % 251 + 1); };
    Picture picture(240, 160, 8, picture_value);
    ASSERT_EQ(1, Create_BOB(&bob, 0, 0, 56, 72, 4, BOB_VISIBLE));
    struct Case {
        int frame, cx, cy, mode;
        int left, top;  // picture pixel of the frame's top-left pixel
    };
    const Case cases[] = {
        {0, 0, 0, 0, 1, 1}, {1, 1, 0, 0, 58, 1}, {2, 0, 1, 0, 1, 74}, {3, 5, 9, 1, 5, 9}, {3, 5, 9, 7, 5, 9},
    };
    for (const Case& c : cases) {
        bob.attr = BOB_VISIBLE;
        ASSERT_EQ(1, Load_Frame_BOB(&bob, &picture.tag, c.frame, c.cx, c.cy, c.mode));
        EXPECT_EQ(BOB_VISIBLE | BOB_LOADED, bob.attr);
        const std::vector<uint32_t> frame = pixels_of(bob.frames[c.frame]);
        size_t wrong = 0;
        for (int y = 0; y < 72; ++y) {
            for (int x = 0; x < 56; ++x) {
                wrong += frame[static_cast<size_t>(y) * 56 + x] != picture_value(c.left + x, c.top + y);
            }
        }
        EXPECT_EQ(0u, wrong) << "cell " << c.cx << "," << c.cy << " mode " << c.mode;
    }
}

TEST_F(SpriteTest, CellReachingOutsideThePictureCopiesWhatLiesInside)
{
    const PixelFn picture_value = [](int x, int y) { return static_cast<uint32_t>(100 + x + 10 * y); };
    Picture picture(20, 10, 8, picture_value);
    ASSERT_EQ(1, Create_BOB(&bob, 0, 0, 8, 8, 1, BOB_VISIBLE));
    struct Case {
        int x, y;
    };
    for (const Case c : {Case{16, 6}, Case{-3, -5}, Case{30, 2}, Case{2, -40}}) {
        paint(bob.frames[0], [](int, int) { return 9u; });
        ASSERT_EQ(1, Load_Frame_BOB(&bob, &picture.tag, 0, c.x, c.y, 1));
        const std::vector<uint32_t> frame = pixels_of(bob.frames[0]);
        for (int y = 0; y < 8; ++y) {
            for (int x = 0; x < 8; ++x) {
                const int px = c.x + x;
                const int py = c.y + y;
                const bool inside = px >= 0 && px < 20 && py >= 0 && py < 10;
                EXPECT_EQ(inside ? picture_value(px, py) : 0u, frame[static_cast<size_t>(y) * 8 + x])
                    << "cell at " << c.x << "," << c.y << " pixel " << x << "," << y;
            }
        }
    }
}

TEST_F(SpriteTest, LoadingAFrameThatCannotBeFilledGivesZero)
{
    Picture picture(64, 64, 8, [](int, int) { return 5u; });
    Picture picture16(64, 64, 16, [](int, int) { return 5u; });
    ASSERT_EQ(1, Create_BOB(&bob, 0, 0, 8, 8, 2, BOB_VISIBLE));
    EXPECT_EQ(0, Load_Frame_BOB(nullptr, &picture.tag, 0, 0, 0, 0));
    EXPECT_EQ(0, Load_Frame_BOB(&bob, nullptr, 0, 0, 0, 0));
    for (const int frame : {-1, 2, MAX_BOB_FRAMES, 100000}) {
        EXPECT_EQ(0, Load_Frame_BOB(&bob, &picture.tag, frame, 0, 0, 0)) << frame;
    }
    // 16-bit pixels neither come from an 8-bit picture nor fit 8-bit frames.
    EXPECT_EQ(0, Load_Frame_BOB16(&bob, &picture.tag, 0, 0, 0, 0));
    EXPECT_EQ(0, Load_Frame_BOB16(&bob, &picture16.tag, 0, 0, 0, 0));
    platform::fault_inject("surface.lock", 1);
    EXPECT_EQ(0, Load_Frame_BOB(&bob, &picture.tag, 0, 0, 0, 0));
    EXPECT_EQ(BOB_VISIBLE, bob.attr);
    EXPECT_EQ(1, Load_Frame_BOB(&bob, &picture.tag, 1, 0, 0, 0));
    EXPECT_EQ(BOB_VISIBLE | BOB_LOADED, bob.attr);
}

TEST_F(SpriteTest, SequencesAreCopiedWithAnEndMark)
{
    int sequence[] = {0, 1, 0, 2};
    ASSERT_EQ(1, Load_Animation_BOB(&bob, 15, 4, sequence));
    sequence[1] = 99;  // the caller's array need not outlive the call
    const int32_t expected[] = {0, 1, 0, 2, -1};
    ASSERT_NE(nullptr, bob.anim_seqs[15]);
    EXPECT_EQ(0, std::memcmp(expected, bob.anim_seqs[15], sizeof expected));

    // Loading the slot again replaces the earlier copy (the sanitizer run sees a leak).
    ASSERT_EQ(1, Load_Animation_BOB(&bob, 15, 1, sequence + 3));
    EXPECT_EQ(2, bob.anim_seqs[15][0]);
    EXPECT_EQ(-1, bob.anim_seqs[15][1]);
    ASSERT_EQ(1, Load_Animation_BOB(&bob, 0, 0, nullptr));
    EXPECT_EQ(-1, bob.anim_seqs[0][0]);

    EXPECT_EQ(0, Load_Animation_BOB(nullptr, 0, 4, sequence));
    EXPECT_EQ(0, Load_Animation_BOB(&bob, -1, 4, sequence));
    EXPECT_EQ(0, Load_Animation_BOB(&bob, MAX_BOB_ANIMATIONS, 4, sequence));
    EXPECT_EQ(0, Load_Animation_BOB(&bob, 1, -1, sequence));
    EXPECT_EQ(0, Load_Animation_BOB(&bob, 1, 3, nullptr));
    EXPECT_EQ(nullptr, bob.anim_seqs[1]);
}

TEST_F(SpriteTest, SettersChangeOnlyTheirFields)
{
    make_sprite(&bob, 0, 0, 8, 8);
    bob.attr = BOB_VISIBLE | BOB_MULTI_ANIM | BOB_WRAP;
    bob.cur_frame = 3;
    bob.anim_ticks = 2;
    bob.anim_pos = 5;
    const BOB_TYP before = bob;
    EXPECT_EQ(1, Set_Pos_BOB(&bob, -7, 300));
    EXPECT_EQ(1, Set_Vel_BOB(&bob, 2, -3));
    EXPECT_EQ(1, Set_Anim_Speed_BOB(&bob, 4));
    EXPECT_EQ(1, Set_Animation_BOB(&bob, 6));
    EXPECT_EQ(1, Hide_BOB(&bob));
    EXPECT_EQ(BOB_MULTI_ANIM | BOB_WRAP, bob.attr);
    EXPECT_EQ(1, Hide_BOB(&bob));
    EXPECT_EQ(BOB_MULTI_ANIM | BOB_WRAP, bob.attr);
    BOB_TYP expected = before;
    expected.x = -7.0f;
    expected.y = 300.0f;
    expected.xv = 2.0f;
    expected.yv = -3.0f;
    expected.anim_speed = 4;
    expected.cur_anim = 6;
    expected.anim_pos = 0;
    expected.attr = BOB_MULTI_ANIM | BOB_WRAP;
    EXPECT_EQ(0, std::memcmp(&expected, &bob, sizeof bob));
    EXPECT_EQ(1, Show_BOB(&bob));
    EXPECT_EQ(before.attr, bob.attr);

    EXPECT_EQ(0, Set_Pos_BOB(nullptr, 1, 1));
    EXPECT_EQ(0, Set_Vel_BOB(nullptr, 1, 1));
    EXPECT_EQ(0, Set_Anim_Speed_BOB(nullptr, 1));
    EXPECT_EQ(0, Set_Animation_BOB(nullptr, 1));
    EXPECT_EQ(0, Hide_BOB(nullptr));
    EXPECT_EQ(0, Show_BOB(nullptr));
    EXPECT_EQ(1, Scroll_BOB());
}

// --- Drawing ------------------------------------------------------------------

TEST_F(SpriteTest, HiddenSpriteIsNotDrawnButDrawingSucceeds)
{
    make_sprite(&bob, 40, 30, 16, 16);
    Hide_BOB(&bob);
    const std::vector<uint32_t> before = pixels_of(lpddsback);
    EXPECT_EQ(1, Draw_BOB(&bob, lpddsback));
    EXPECT_EQ(1, Draw_Scaled_BOB(&bob, 32, 32, lpddsback));
    bob.cur_frame = 9;  // not looked at while hidden
    EXPECT_EQ(1, Draw_BOB(&bob, lpddsback));
    EXPECT_EQ(before, pixels_of(lpddsback));
    bob.cur_frame = 0;
    Show_BOB(&bob);
    EXPECT_EQ(1, Draw_BOB(&bob, lpddsback));
    expect_drawn(before, pixels_of(lpddsback), 640, RECT{40, 30, 56, 46}, 16, 16, frame_value, screen);
}

TEST_F(SpriteTest, DrawingIsClippedAtEachScreenEdge)
{
    make_sprite(&bob, 0, 0, 72, 84);
    struct Case {
        int x, y;
    };
    const Case cases[] = {{10, -20}, {-30, 100}, {600, 100}, {300, 430}, {-50, -60}, {620, 460}, {700, 100}, {-72, 0}};
    for (const Case c : cases) {
        DDraw_Fill_Surface(lpddsback, static_cast<uint16_t>(background));
        Set_Pos_BOB(&bob, c.x, c.y);
        const std::vector<uint32_t> before = pixels_of(lpddsback);
        EXPECT_EQ(1, Draw_BOB(&bob, lpddsback)) << c.x << "," << c.y;
        SCOPED_TRACE(testing::Message() << "sprite at " << c.x << "," << c.y);
        expect_drawn(before, pixels_of(lpddsback), 640, RECT{c.x, c.y, c.x + 72, c.y + 84}, 72, 84, frame_value,
                     screen);
    }
}

TEST_F(SpriteTest, TheDestinationsClipperCutsTheCopy)
{
    platform::Surface* dest = DDraw_Create_Surface(200, 150, 0, 0);
    ASSERT_NE(nullptr, dest);
    DDraw_Fill_Surface(dest, 3);
    const RECT window{20, 30, 180, 130};
    platform::Clipper* clipper = DDraw_Attach_Clipper(dest, 1, &window);
    ASSERT_NE(nullptr, clipper);
    make_sprite(&bob, 0, 0, 40, 50);
    for (const RECT where : {RECT{10, 100, 50, 150}, RECT{160, 10, 200, 60}}) {
        Set_Pos_BOB(&bob, where.left, where.top);
        const std::vector<uint32_t> before = pixels_of(dest);
        EXPECT_EQ(1, Draw_BOB(&bob, dest));
        expect_drawn(before, pixels_of(dest), 200, where, 40, 50, frame_value, window);
    }
    // Scaled, the source is cut in proportion: the copy resumes mid-frame.
    Set_Pos_BOB(&bob, 15, 25);
    const std::vector<uint32_t> before = pixels_of(dest);
    EXPECT_EQ(1, Draw_Scaled_BOB(&bob, 80, 100, dest));
    expect_drawn(before, pixels_of(dest), 200, RECT{15, 25, 95, 125}, 40, 50, frame_value, window);
    platform::clipper_release(clipper);
    platform::surface_release(dest);
}

TEST_F(SpriteTest, HalfPixelPositionShrinksTheFrameByAColumn)
{
    const PixelFn columns = [](int x, int) { return static_cast<uint32_t>(x + 1); };
    ASSERT_EQ(1, Create_BOB(&bob, 0, 10, 8, 2, 1, BOB_VISIBLE));
    paint(bob.frames[0], columns);
    bob.x = -0.5f;
    EXPECT_EQ(1, Draw_BOB(&bob, lpddsback));
    const std::vector<uint32_t> after = pixels_of(lpddsback);
    // Seven columns for eight: the one whose centre no destination pixel hits is dropped.
    const uint32_t expected[] = {1, 2, 3, 5, 6, 7, 8, background};
    for (int x = 0; x < 8; ++x) {
        EXPECT_EQ(expected[x], after[static_cast<size_t>(10) * 640 + x]) << x;
    }

    make_sprite(&other, 0, 100, 72, 84);
    other.x = -0.5f;
    const std::vector<uint32_t> before = pixels_of(lpddsback);
    EXPECT_EQ(1, Draw_BOB(&other, lpddsback));
    expect_drawn(before, pixels_of(lpddsback), 640, RECT{0, 100, 71, 184}, 72, 84, frame_value, screen);
}

TEST_F(SpriteTest, ScaledDrawingStretchesTheFrameToTheGivenSize)
{
    make_sprite(&bob, 100, 50, 72, 84);
    std::vector<uint32_t> before = pixels_of(lpddsback);
    EXPECT_EQ(1, Draw_Scaled_BOB(&bob, 144, 168, lpddsback));
    std::vector<uint32_t> after = pixels_of(lpddsback);
    expect_drawn(before, after, 640, RECT{100, 50, 244, 218}, 72, 84, frame_value, screen);
    // Twice the size: every source pixel covers a 2 x 2 block.
    EXPECT_EQ(frame_value(10, 20), after[static_cast<size_t>(50 + 41) * 640 + 100 + 21]);

    DDraw_Fill_Surface(lpddsback, static_cast<uint16_t>(background));
    before = pixels_of(lpddsback);
    bob.x = 600.0f;
    EXPECT_EQ(1, Draw_Scaled_BOB16(&bob, 36, 42, lpddsback));
    expect_drawn(before, pixels_of(lpddsback), 640, RECT{600, 50, 636, 92}, 72, 84, frame_value, screen);
}

TEST_F(SpriteTest, FramesThatDoNotExistAndFailedCopiesDrawNothing)
{
    make_sprite(&bob, 10, 10, 16, 16, 2);
    const std::vector<uint32_t> before = pixels_of(lpddsback);
    for (const int frame : {-1, 2, MAX_BOB_FRAMES, 100000}) {
        bob.cur_frame = frame;
        EXPECT_EQ(0, Draw_BOB(&bob, lpddsback)) << frame;
        EXPECT_EQ(0, Draw_Scaled_BOB(&bob, 32, 32, lpddsback)) << frame;
    }
    bob.cur_frame = 1;
    EXPECT_EQ(0, Draw_BOB(nullptr, lpddsback));
    EXPECT_EQ(0, Draw_Scaled_BOB(nullptr, 8, 8, lpddsback));
    EXPECT_EQ(0, Draw_BOB16(nullptr, lpddsback));
    EXPECT_EQ(0, Draw_Scaled_BOB16(nullptr, 8, 8, lpddsback));
    EXPECT_EQ(0, Draw_BOB(&bob, nullptr));
    platform::fault_inject("surface.blt", 1);
    EXPECT_EQ(0, Draw_BOB(&bob, lpddsback));
    EXPECT_EQ(before, pixels_of(lpddsback));
    EXPECT_EQ(1, Draw_BOB16(&bob, lpddsback));
}

TEST_F(SpriteTest, FarOffOrUndefinedPositionsDrawNothing)
{
    make_sprite(&bob, 0, 0, 72, 84);
    const std::vector<uint32_t> before = pixels_of(lpddsback);
    const float inf = std::numeric_limits<float>::infinity();
    const float positions[] = {1e30f, -1e30f, inf, -inf, std::numeric_limits<float>::quiet_NaN(), 3e9f, -3e9f};
    for (const float p : positions) {
        for (const bool horizontal : {true, false}) {
            bob.x = horizontal ? p : 10.0f;
            bob.y = horizontal ? 10.0f : p;
            Draw_BOB(&bob, lpddsback);
            Draw_Scaled_BOB(&bob, INT_MAX, INT_MAX, lpddsback);
            Draw_Scaled_BOB(&bob, INT_MIN, INT_MIN, lpddsback);
        }
    }
    EXPECT_EQ(before, pixels_of(lpddsback));
}

TEST_F(SpriteTest, TheColourKeyIsTheOneGivenAtCreation)
{
    ASSERT_EQ(1, Create_BOB(&bob, 20, 20, 4, 1, 1, BOB_VISIBLE, DDSCAPS_SYSTEMMEMORY, 5, 8));
    const uint32_t row[] = {0, 5, 7, 5};
    paint(bob.frames[0], [&row](int x, int) { return row[x]; });
    EXPECT_EQ(1, Draw_BOB(&bob, lpddsback));
    const std::vector<uint32_t> after = pixels_of(lpddsback);
    const uint32_t expected[] = {0, background, 7, background};
    for (int x = 0; x < 4; ++x) {
        EXPECT_EQ(expected[x], after[static_cast<size_t>(20) * 640 + 20 + x]) << x;
    }
}

// --- The whole picture ----------------------------------------------------------

// FNV-1a over the indices, row by row: a change of any pixel changes it.
uint64_t picture_hash(const std::vector<uint32_t>& pixels)
{
    uint64_t hash = 14695981039346656037ull;
    for (const uint32_t v : pixels) {
        hash = (hash ^ (v & 0xFF)) * 1099511628211ull;
    }
    return hash;
}

// Template sheets as the game's are laid out: cells framed by one-pixel lines (255).
uint32_t sheet_value(int x, int y, int cell_w, int cell_h, uint32_t (*cell)(int x, int y, int index))
{
    const int cx = x / (cell_w + 1);
    const int cy = y / (cell_h + 1);
    const int ix = x % (cell_w + 1) - 1;
    const int iy = y % (cell_h + 1) - 1;
    if (ix < 0 || iy < 0) {
        return 255;
    }
    return cell(ix, iy, cy * 6 + cx);
}

// A fish of 24 x 16 whose tail beats between frames; 0 around it is transparent.
uint32_t fish_cell(int x, int y, int frame)
{
    const int dx = 2 * x - 29;
    const int dy = 2 * y - 15;
    if (dx * dx * 81 + dy * dy * 324 < 324 * 81) {
        if (x == 20 && y == 6) {
            return 15;
        }
        return static_cast<uint32_t>(40 + frame * 20 + (x / 3) % 2);
    }
    const int tail_half = frame == 0 ? 6 : 3;
    if (x < 6 && std::abs(2 * y - 15) < tail_half + (6 - x)) {
        return static_cast<uint32_t>(70 + frame);
    }
    return 0;
}

// A ball of 16 x 16 that changes colour from frame to frame, with a highlight.
uint32_t ball_cell(int x, int y, int frame)
{
    const int dx = 2 * x - 15;
    const int dy = 2 * y - 15;
    if (dx * dx + dy * dy >= 15 * 15) {
        return 0;
    }
    return (x - 5) * (x - 5) + (y - 5) * (y - 5) < 5 ? 9u : static_cast<uint32_t>(120 + frame * 30 + (x + y) / 8);
}

TEST_F(SpriteTest, NineSpritesOverABackgroundMakeTheExpectedPicture)
{
    // Parents cut from their sheets in cell addressing; clones borrow their frames.
    Picture fish_sheet(2 * 25 + 1, 17 + 1, 8, [](int x, int y) { return sheet_value(x, y, 24, 16, fish_cell); });
    Picture ball_sheet(3 * 17 + 1, 17 + 1, 8, [](int x, int y) { return sheet_value(x, y, 16, 16, ball_cell); });
    BOB_TYP fish[5] = {};
    BOB_TYP balls[4] = {};
    ASSERT_EQ(1, Create_BOB(&fish[0], 20, 30, 24, 16, 2, BOB_VISIBLE | BOB_MULTI_FRAME, DDSCAPS_SYSTEMMEMORY, 0, 8));
    ASSERT_EQ(1, Create_BOB(&balls[0], 630, 200, 16, 16, 3, BOB_VISIBLE | BOB_MULTI_FRAME, DDSCAPS_SYSTEMMEMORY, 0, 8));
    for (int i = 0; i < 2; ++i) {
        ASSERT_EQ(1, Load_Frame_BOB(&fish[0], &fish_sheet.tag, i, i % 6, i / 6, 0));
    }
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(1, Load_Frame_BOB(&balls[0], &ball_sheet.tag, i, i % 6, i / 6, 0));
    }
    for (int i = 1; i < 5; ++i) {
        ASSERT_EQ(1, Clone_BOB(&fish[0], &fish[i]));
    }
    for (int i = 1; i < 4; ++i) {
        ASSERT_EQ(1, Clone_BOB(&balls[0], &balls[i]));
    }
    Set_Pos_BOB(&fish[1], 60, 40);
    fish[1].cur_frame = 1;
    Set_Pos_BOB(&fish[2], -10, 100);  // cut at the left edge
    Set_Pos_BOB(&fish[3], 200, 200);  // drawn at twice its size
    fish[3].cur_frame = 1;
    fish[4].x = -0.5f;                // a column narrower
    fish[4].y = 300.0f;
    balls[0].cur_frame = 2;           // cut at the right edge
    Set_Pos_BOB(&balls[1], 300, -8);  // cut at the top
    Set_Pos_BOB(&balls[2], 400, 472); // cut at the bottom
    balls[2].cur_frame = 1;
    Set_Pos_BOB(&balls[3], 500, 300);
    Hide_BOB(&balls[3]);

    paint(lpddsback, [](int x, int y) { return static_cast<uint32_t>(100 + y / 24 + ((x / 32 + y / 32) % 2) * 30); });
    for (BOB_TYP& f : fish) {
        EXPECT_EQ(1, &f == &fish[3] ? Draw_Scaled_BOB(&f, 48, 32, lpddsback) : Draw_BOB(&f, lpddsback));
    }
    for (BOB_TYP& b : balls) {
        EXPECT_EQ(1, Draw_BOB(&b, lpddsback));
    }
    // The picture was checked by eye once: fish whole, cut, doubled and a column
    // narrower; balls cut at the right, top and bottom edges; the hidden one absent.
    const uint64_t expected = 0xfdd9bb2e426dfff5ull;
    const uint64_t found = picture_hash(pixels_of(lpddsback));
    EXPECT_EQ(expected, found) << "picture hash 0x" << std::hex << found;

    for (BOB_TYP& f : fish) {
        Destroy_BOB(&f);
    }
    for (BOB_TYP& b : balls) {
        Destroy_BOB(&b);
    }
}

// 16-bit displays: frames of 16-bit pixels cut from 16-bit pictures.
class Sprite16Test : public SpriteTest {
protected:
    int display_bits() const override { return 16; }
};

TEST_F(Sprite16Test, FramesComeFromSixteenBitPicturesAndDrawKeyed)
{
    const PixelFn picture_value = [](int x, int y) { return (x + y) % 5 == 0 ? 0u : 0x8000u + x * 64 + y; };
    Picture picture(80, 40, 16, picture_value);
    ASSERT_EQ(1, Create_BOB(&bob, 300, 200, 24, 16, 2, BOB_VISIBLE, DDSCAPS_SYSTEMMEMORY, 0, 16));
    ASSERT_EQ(1, Load_Frame_BOB16(&bob, &picture.tag, 1, 2, 1, 0));
    EXPECT_NE(0, bob.attr & BOB_LOADED);
    // The 8-bit form wants an 8-bit picture.
    EXPECT_EQ(0, Load_Frame_BOB(&bob, &picture.tag, 0, 0, 0, 0));
    bob.cur_frame = 1;
    const PixelFn cell = [&picture_value](int x, int y) { return picture_value(51 + x, 18 + y); };
    std::vector<uint32_t> before = pixels_of(lpddsback);
    EXPECT_EQ(1, Draw_BOB16(&bob, lpddsback));
    expect_drawn(before, pixels_of(lpddsback), 640, RECT{300, 200, 324, 216}, 24, 16, cell, screen);
    bob.x = 630.0f;
    before = pixels_of(lpddsback);
    EXPECT_EQ(1, Draw_Scaled_BOB16(&bob, 48, 32, lpddsback));
    expect_drawn(before, pixels_of(lpddsback), 640, RECT{630, 200, 678, 232}, 24, 16, cell, screen);
}

} // namespace
