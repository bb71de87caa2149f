// The graphics library: an 8-bit palettized (or 16-bit) double-buffered display,
// palette effects, text, a frame clock, BMP files, images, sprites, raster primitives
// and 2D geometry. One header for all of it, in sections.
//
// Conventions: functions return 1 for success and 0 for failure (or a null handle);
// raster routines draw into locked surface memory given as a pointer to row 0 and a
// pitch in bytes; names ending in 16 are the 16-bit-pixel forms. Memory-only functions
// (lines, fills, polygons, math, bitmap files and images, palette files, scans and
// collisions) work without a display.
#pragma once

#include <cstdint>
#include <cstdio>

#include "platform/display.h"
#include "platform/types.h"

// ============================================================================
// Display device and surfaces
// ============================================================================

constexpr int SCREEN_WIDTH = 640;
constexpr int SCREEN_HEIGHT = 480;
constexpr int SCREEN_BPP = 8;

constexpr int DDSCAPS_SYSTEMMEMORY = 0x800;   // mem_flags: keep surfaces in system memory
constexpr int DDSCAPS_VIDEOMEMORY = 0x4000;   // mem_flags: a hint only; all surfaces are system memory

extern platform::DisplayDevice* lpdd;           // the display device
extern platform::Surface* lpddsprimary;         // the visible surface
extern platform::Surface* lpddsback;            // the surface frames are drawn into
extern platform::Palette* lpddpal;              // the device palette (8-bit displays)
extern PALETTEENTRY palette[256];               // working copy of the device palette
extern platform::Clipper* lpddclipper;          // clipper of the back surface
extern platform::Clipper* lpddclipperwin;       // windowed: clipper of the primary, bound to the window
extern uint8_t* primary_buffer;                 // locked primary memory, null while unlocked
extern int32_t primary_lpitch;                  // its pitch in bytes, 0 while unlocked
extern uint8_t* back_buffer;                    // locked back memory, null while unlocked
extern int32_t back_lpitch;                     // its pitch in bytes, 0 while unlocked
extern int32_t screen_width;                    // 640
extern int32_t screen_height;                   // 480
extern int32_t screen_bpp;                      // 8
extern int32_t screen_windowed;                 // nonzero in a window
extern int32_t dd_pixel_format;                 // 15 (5.5.5), 16 (5.6.5), or 8
extern int32_t min_clip_x, max_clip_x;          // clip rectangle, inclusive
extern int32_t min_clip_y, max_clip_y;
extern int32_t window_client_x0, window_client_y0;  // where a windowed picture sits in its window
extern uint16_t (*RGB16Bit)(int32_t r, int32_t g, int32_t b);  // packer matching dd_pixel_format
extern platform::LockInfo ddsd;                 // the description of the last lock
extern uint32_t ddscaps;                        // scratch: the capability used to find the back buffer

int DDraw_Init(int width, int height, int bpp, int windowed);  // brings the display up; 1 / 0
int DDraw_Shutdown();                                           // releases everything; 1
platform::Clipper* DDraw_Attach_Clipper(platform::Surface* lpdds, int num_rects, const RECT* clip_list);
platform::Surface* DDraw_Create_Surface(int width, int height, int mem_flags, uint16_t color_key_value = 0);
int DDraw_Flip();                         // back surface to the screen; 0 while a surface is locked
int DDraw_Wait_For_Vsync();               // waits for the next refresh; 1
int DDraw_Fill_Surface(platform::Surface* lpdds, uint16_t color, const RECT* client = nullptr);  // 1
uint8_t* DDraw_Lock_Surface(platform::Surface* lpdds, int* lpitch);  // memory, or null
int DDraw_Unlock_Surface(platform::Surface* lpdds);
uint8_t* DDraw_Lock_Primary_Surface();    // publishes primary_buffer / primary_lpitch
int DDraw_Unlock_Primary_Surface();
uint8_t* DDraw_Lock_Back_Surface();       // publishes back_buffer / back_lpitch
int DDraw_Unlock_Back_Surface();
uint16_t RGB16Bit565(int32_t r, int32_t g, int32_t b);  // 5.6.5 packed pixel
uint16_t RGB16Bit555(int32_t r, int32_t g, int32_t b);  // 5.5.5 packed pixel
void Mem_Set_WORD(void* dest_ptr, uint16_t value, int32_t num_words);  // fills 16-bit words

// ============================================================================
// Palette
// ============================================================================

constexpr int BLINK_ADD = 0;
constexpr int BLINK_DELETE = 1;
constexpr int BLINK_UPDATE = 2;
constexpr int BLINK_RUN = 3;

struct BLINKER_TYP {
    int32_t color_index;      // palette entry the blinker drives
    PALETTEENTRY on_color;
    PALETTEENTRY off_color;
    int32_t on_ticks;         // run commands in the on phase
    int32_t off_ticks;        // run commands in the off phase
    int32_t tick_count;       // run commands counted in the current phase
    int32_t blink_state;      // 0 free, 1 on, -1 off
};

int Set_Palette_Entry(int color_index, const PALETTEENTRY* color);  // entry and device at once
int Get_Palette_Entry(int color_index, PALETTEENTRY* color);        // from the working copy
int Save_Palette(PALETTEENTRY* sav_palette);                         // all 256 entries out
int Set_Palette(const PALETTEENTRY* set_palette);                    // all 256 entries in
int Rotate_Colors(int start_index, int end_index);                   // range up one, top wraps
int Blink_Colors(int command, BLINKER_TYP* new_light, int id);       // the blinker table

// ============================================================================
// Text and frame clock
// ============================================================================

extern uint32_t start_clock_count;  // tick count of the last Start_Clock

int Draw_Text_GDI(const char* text, int x, int y, COLORREF color, platform::Surface* lpdds);  // colour value
int Draw_Text_GDI(const char* text, int x, int y, int color, platform::Surface* lpdds);       // palette index
uint32_t Get_Clock();                 // milliseconds
uint32_t Start_Clock();               // marks the start of a frame
uint32_t Wait_Clock(uint32_t count);  // until `count` ms have passed since the mark

// ============================================================================
// Screen transitions
// ============================================================================

constexpr int TRANSITION_FADE_BLACK = 0;
constexpr int TRANSITION_FADE_WHITE = 1;
constexpr int TRANSITION_WIPE_SIDES = 2;
constexpr int TRANSITION_WIPE_TOP_BOTTOM = 3;
constexpr int TRANSITION_DISSOLVE = 4;
constexpr int TRANSITION_WIPE_ALL = 5;
constexpr int TRANSITION_TINT_BLUE = 6;
constexpr int TRANSITION_TINT_RED = 7;
constexpr int TRANSITION_TINT_GREEN = 8;

void Screen_Transitions(int effect, uint8_t* vbuffer, int lpitch);  // blocks until the effect ends
// One step of a palette effect applied to 256 entries, without pacing; 0 for other effects.
int transition_palette_step(int effect, PALETTEENTRY* entries);
// The lines of colour 0 that step i (0, 2, 4, ...) of a wipe draws, without pacing.
void transition_wipe_step(int effect, int i, uint8_t* vbuffer, int lpitch);

// ============================================================================
// Palette file and error log
// ============================================================================

extern FILE* fp_error;  // the open error log, or null

int Load_Palette_From_File(const char* filename, PALETTEENTRY* palette);
int Save_Palette_To_File(const char* filename, const PALETTEENTRY* palette);
int Open_Error_File(const char* filename, FILE* fp_override = nullptr);
int Write_Error(const char* format, ...) __attribute__((format(printf, 1, 2)));  // at most 79 characters
int Close_Error_File();

// ============================================================================
// Bitmap files
// ============================================================================

#pragma pack(push, 2)
struct BITMAPFILEHEADER {
    uint16_t bfType;        // "BM"
    uint32_t bfSize;
    uint16_t bfReserved1;
    uint16_t bfReserved2;
    uint32_t bfOffBits;     // offset of the pixel data
};
#pragma pack(pop)
static_assert(sizeof(BITMAPFILEHEADER) == 14, "the file header is 14 bytes");

struct BITMAPINFOHEADER {
    uint32_t biSize;
    int32_t biWidth;
    int32_t biHeight;
    uint16_t biPlanes;
    uint16_t biBitCount;
    uint32_t biCompression;
    uint32_t biSizeImage;
    int32_t biXPelsPerMeter;
    int32_t biYPelsPerMeter;
    uint32_t biClrUsed;
    uint32_t biClrImportant;
};
static_assert(sizeof(BITMAPINFOHEADER) == 40, "the information header is 40 bytes");

struct BITMAP_FILE_TAG {
    BITMAPFILEHEADER file_header;
    BITMAPINFOHEADER info_header;
    PALETTEENTRY palette[256];
    uint8_t* buffer;  // pixels, top row first; heap memory owned by the record
};

extern BITMAP_FILE_TAG bitmap8bit;
extern BITMAP_FILE_TAG bitmap16bit;
extern BITMAP_FILE_TAG bitmap24bit;

int Load_Bitmap_File(BITMAP_FILE_TAG* bitmap, const char* filename);  // 8, 16 or 24 bits; 1 / 0
int Unload_Bitmap_File(BITMAP_FILE_TAG* bitmap);                       // frees the pixels; 1
int Flip_Bitmap(uint8_t* image, int bytes_per_line, int height);       // rows upside down in place

// ============================================================================
// Bitmap images
// ============================================================================

constexpr int BITMAP_LOADED = 128;

struct BITMAP_IMAGE_TYP {
    int32_t state;
    int32_t attr;       // BITMAP_LOADED once filled
    int32_t x, y;       // where it is drawn
    int32_t width, height;
    int32_t num_bytes;
    int32_t bpp;        // 8 or 16
    uint8_t* buffer;    // height rows of width pixels, top row first
};

int Create_Bitmap(BITMAP_IMAGE_TYP* image, int x, int y, int width, int height, int bpp = 8);
int Destroy_Bitmap(BITMAP_IMAGE_TYP* image);
int Draw_Bitmap(BITMAP_IMAGE_TYP* source_bitmap, uint8_t* dest_buffer, int lpitch, int transparent);
int Draw_Bitmap16(BITMAP_IMAGE_TYP* source_bitmap, uint8_t* dest_buffer, int lpitch, int transparent);
int Load_Image_Bitmap(BITMAP_IMAGE_TYP* image, BITMAP_FILE_TAG* bitmap, int cx, int cy, int mode);
int Load_Image_Bitmap16(BITMAP_IMAGE_TYP* image, BITMAP_FILE_TAG* bitmap, int cx, int cy, int mode);
int Scroll_Bitmap(BITMAP_IMAGE_TYP* image, int dx, int dy = 0);
int Copy_Bitmap(BITMAP_IMAGE_TYP* dest_bitmap, int dest_x, int dest_y, BITMAP_IMAGE_TYP* source_bitmap,
                int source_x, int source_y, int width, int height);
int Scan_Image_Bitmap(BITMAP_FILE_TAG* bitmap, platform::Surface* lpdds, int cx, int cy);

// ============================================================================
// Sprites
// ============================================================================

constexpr int MAX_BOB_FRAMES = 64;
constexpr int MAX_BOB_ANIMATIONS = 16;

constexpr int BOB_SINGLE_FRAME = 1;
constexpr int BOB_MULTI_FRAME = 2;
constexpr int BOB_MULTI_ANIM = 4;
constexpr int BOB_ANIM_ONE_SHOT = 8;
constexpr int BOB_VISIBLE = 16;
constexpr int BOB_BOUNCE = 32;
constexpr int BOB_WRAP = 64;
constexpr int BOB_LOADED = 128;
constexpr int BOB_CLONE = 256;

struct BOB_TYP {
    int32_t state;
    int32_t anim_done;
    int32_t attr;
    float x, y;
    float xv, yv;
    int32_t width, height;
    int32_t extra_width;
    int32_t bpp;
    int32_t timer_a, timer_b;
    int32_t timer_a_max, timer_b_max;
    int32_t user_ints[16];
    float user_floats[16];
    int32_t cur_frame;
    int32_t num_frames;
    int32_t cur_anim;
    int32_t anim_ticks;
    int32_t anim_pos;
    int32_t anim_speed;
    int32_t* anim_seqs[MAX_BOB_ANIMATIONS];
    platform::Surface* frames[MAX_BOB_FRAMES];
};

int Create_BOB(BOB_TYP* bob, int x, int y, int width, int height, int num_frames, int attr, int mem_flags = 0,
               uint16_t color_key_value = 0, int bpp = 8);
int Clone_BOB(BOB_TYP* source, BOB_TYP* dest);
int Destroy_BOB(BOB_TYP* bob);
int Draw_BOB(BOB_TYP* bob, platform::Surface* dest);
int Draw_Scaled_BOB(BOB_TYP* bob, int swidth, int sheight, platform::Surface* dest);
int Draw_BOB16(BOB_TYP* bob, platform::Surface* dest);
int Draw_Scaled_BOB16(BOB_TYP* bob, int swidth, int sheight, platform::Surface* dest);
int Load_Frame_BOB(BOB_TYP* bob, BITMAP_FILE_TAG* bitmap, int frame, int cx, int cy, int mode);
int Load_Frame_BOB16(BOB_TYP* bob, BITMAP_FILE_TAG* bitmap, int frame, int cx, int cy, int mode);
int Load_Animation_BOB(BOB_TYP* bob, int anim_index, int num_frames, const int* sequence);
int Set_Pos_BOB(BOB_TYP* bob, int x, int y);
int Set_Vel_BOB(BOB_TYP* bob, int xv, int yv);
int Set_Anim_Speed_BOB(BOB_TYP* bob, int speed);
int Set_Animation_BOB(BOB_TYP* bob, int anim_index);
int Hide_BOB(BOB_TYP* bob);
int Show_BOB(BOB_TYP* bob);
int Scroll_BOB();

int Animate_BOB(BOB_TYP* bob);   // one animation call
int Move_BOB(BOB_TYP* bob);      // adds the velocity; wraps or bounces
int Collision_BOBS(BOB_TYP* bob1, BOB_TYP* bob2);  // shrunk boxes overlap
int Collision_Test(int x1, int y1, int w1, int h1, int x2, int y2, int w2, int h2);
int Color_Scan(int x1, int y1, int x2, int y2, uint8_t scan_start, uint8_t scan_end, uint8_t* scan_buffer,
               int scan_lpitch);
int Color_Scan16(int x1, int y1, int x2, int y2, uint16_t scan_start, uint16_t scan_end, uint8_t* scan_buffer,
                 int scan_lpitch);

// ============================================================================
// Lines, pixels and clipping
// ============================================================================

int Clip_Line(int& x1, int& y1, int& x2, int& y2);
int Draw_Clip_Line(int x0, int y0, int x1, int y1, int color, uint8_t* dest_buffer, int lpitch);
int Draw_Clip_Line16(int x0, int y0, int x1, int y1, int color, uint8_t* dest_buffer, int lpitch);
int Draw_Line(int x0, int y0, int x1, int y1, int color, uint8_t* vb_start, int lpitch);    // unclipped
int Draw_Line16(int x0, int y0, int x1, int y1, int color, uint8_t* vb_start, int lpitch);  // unclipped
int Draw_Pixel(int x, int y, int color, uint8_t* video_buffer, int lpitch);                 // unclipped
int Draw_Pixel16(int x, int y, int color, uint8_t* video_buffer, int lpitch);               // unclipped
void HLine(int x1, int x2, int y, int color, uint8_t* vbuffer, int lpitch);
void HLine16(int x1, int x2, int y, int color, uint8_t* vbuffer, int lpitch);
void VLine(int y1, int y2, int x, int color, uint8_t* vbuffer, int lpitch);
void VLine16(int y1, int y2, int x, int color, uint8_t* vbuffer, int lpitch);
int Draw_Rectangle(int x1, int y1, int x2, int y2, int color, platform::Surface* lpdds);  // right, bottom exclusive

// ============================================================================
// Polygons, transforms and fast math
// ============================================================================

struct VERTEX2D_TYP {
    float x, y;
};

struct POLYGON2D_TYP {
    int32_t state;           // drawn only when nonzero
    int32_t num_vertices;
    int32_t origin_x, origin_y;
    int32_t spare_a, spare_b;
    int32_t color;
    VERTEX2D_TYP* vertices;  // outline order, relative to the origin
};

struct MATRIX3X3_TYP {
    float M[3][3];
};
struct MATRIX1X3_TYP {
    float M[3];
};
struct MATRIX3X2_TYP {
    float M[3][2];
};
struct MATRIX1X2_TYP {
    float M[2];
};

extern float cos_look[361];  // by whole degree, after Build_Sin_Cos_Tables
extern float sin_look[361];

void Build_Sin_Cos_Tables();
int Translate_Polygon2D(POLYGON2D_TYP* poly, int dx, int dy);
int Rotate_Polygon2D(POLYGON2D_TYP* poly, int theta);
int Scale_Polygon2D(POLYGON2D_TYP* poly, float sx, float sy);
int Translate_Polygon2D_Mat(POLYGON2D_TYP* poly, int dx, int dy);
int Rotate_Polygon2D_Mat(POLYGON2D_TYP* poly, int theta);
int Scale_Polygon2D_Mat(POLYGON2D_TYP* poly, float sx, float sy);
int Mat_Init_3X2(MATRIX3X2_TYP* ma, float m00, float m01, float m10, float m11, float m20, float m21);
int Mat_Mul_3X3(const MATRIX3X3_TYP* ma, const MATRIX3X3_TYP* mb, MATRIX3X3_TYP* mprod);
int Mat_Mul_1X3_3X3(const MATRIX1X3_TYP* ma, const MATRIX3X3_TYP* mb, MATRIX1X3_TYP* mprod);
int Mat_Mul_1X2_3X2(const MATRIX1X2_TYP* ma, const MATRIX3X2_TYP* mb, MATRIX1X2_TYP* mprod);
int Draw_Polygon2D(POLYGON2D_TYP* poly, uint8_t* vbuffer, int lpitch);    // outline, clipped
int Draw_Polygon2D16(POLYGON2D_TYP* poly, uint8_t* vbuffer, int lpitch);
int Find_Bounding_Box_Poly2D(POLYGON2D_TYP* poly, float& min_x, float& max_x, float& min_y, float& max_y);
int Fast_Distance_2D(int x, int y);
float Fast_Distance_3D(float fx, float fy, float fz);

// ============================================================================
// Triangle and polygon fill
// ============================================================================

void Draw_Triangle_2D(int x1, int y1, int x2, int y2, int x3, int y3, int color, uint8_t* dest_buffer, int mempitch);
void Draw_Triangle_2D16(int x1, int y1, int x2, int y2, int x3, int y3, int color, uint8_t* dest_buffer,
                        int mempitch);
void Draw_TriangleFP_2D(int x1, int y1, int x2, int y2, int x3, int y3, int color, uint8_t* dest_buffer,
                        int mempitch);
void Draw_Top_Tri(int x1, int y1, int x2, int y2, int x3, int y3, int color, uint8_t* dest_buffer, int mempitch);
void Draw_Top_Tri16(int x1, int y1, int x2, int y2, int x3, int y3, int color, uint8_t* _dest_buffer, int mempitch);
void Draw_Top_TriFP(int x1, int y1, int x2, int y2, int x3, int y3, int color, uint8_t* dest_buffer, int mempitch);
void Draw_Bottom_Tri(int x1, int y1, int x2, int y2, int x3, int y3, int color, uint8_t* dest_buffer, int mempitch);
void Draw_Bottom_Tri16(int x1, int y1, int x2, int y2, int x3, int y3, int color, uint8_t* _dest_buffer,
                       int mempitch);
void Draw_Bottom_TriFP(int x1, int y1, int x2, int y2, int x3, int y3, int color, uint8_t* dest_buffer,
                       int mempitch);
void Draw_Filled_Polygon2D(POLYGON2D_TYP* poly, uint8_t* vbuffer, int mempitch);
void Draw_Filled_Polygon2D16(POLYGON2D_TYP* poly, uint8_t* _vbuffer, int mempitch);
