// The inputs on which fuzzing once found a file reader at fault, replayed through the
// fuzz targets' own runs (fuzz/reader_runs.h): read, use, release. They live in
// tests/data/fuzz/<reader>/; a name beginning "refused-" must be refused by its reader,
// one beginning "read-" must be read, and any other must merely do no harm. Under the
// sanitizer build this also proves that none of them touches memory it should not or
// leaks. A reader without such a folder has had nothing found in it, and is skipped.
#include <gtest/gtest.h>

#include <dirent.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz/reader_runs.h"
#include "platform/clock.h"
#include "platform/fault.h"
#include "tests/support/display_fixture.h"

namespace {

struct Input {
    std::string name;
    std::string path;
    std::vector<uint8_t> bytes;

    bool must_be_refused() const { return name.rfind("refused-", 0) == 0; }
    bool must_be_read() const { return name.rfind("read-", 0) == 0; }
};

// Every file of tests/data/fuzz/<reader>, by name; none when there is no such folder.
std::vector<Input> inputs(const char* reader)
{
    const char* data = std::getenv("REEF_TEST_DATA");
    EXPECT_NE(nullptr, data) << "REEF_TEST_DATA names the tests' data folder";
    std::vector<Input> found;
    if (data == nullptr) {
        return found;
    }
    const std::string folder = std::string(data) + "/fuzz/" + reader;
    DIR* listing = opendir(folder.c_str());
    if (listing == nullptr) {
        return found;
    }
    while (const dirent* entry = readdir(listing)) {
        if (entry->d_name[0] != '.') {
            found.push_back(Input{entry->d_name, folder + "/" + entry->d_name, {}});
        }
    }
    closedir(listing);
    std::sort(found.begin(), found.end(), [](const Input& a, const Input& b) { return a.name < b.name; });
    for (Input& input : found) {
        std::FILE* file = std::fopen(input.path.c_str(), "rb");
        EXPECT_NE(nullptr, file) << input.path;
        if (file != nullptr) {
            int byte = 0;
            while ((byte = std::fgetc(file)) != EOF) {
                input.bytes.push_back(static_cast<uint8_t>(byte));
            }
            std::fclose(file);
        }
    }
    return found;
}

// Whether the reader's result says the file was read.
void expect_outcome(const Input& input, bool read)
{
    if (input.must_be_refused()) {
        EXPECT_FALSE(read) << input.name;
    }
    if (input.must_be_read()) {
        EXPECT_TRUE(read) << input.name;
    }
}

using BitmapRegressions = reef_test::DisplayFixture;

TEST_F(BitmapRegressions, EveryInputIsReadOrRefusedAndCutsSafely)
{
    ASSERT_TRUE(reef_fuzz::start_display());
    const std::vector<Input> kept = inputs("bitmap");
    if (kept.empty()) {
        GTEST_SKIP() << "no inputs kept for this reader";
    }
    for (const Input& input : kept) {
        SCOPED_TRACE(input.name);
        const int loaded = reef_fuzz::read_bitmap(input.path.c_str(), input.bytes.data(), input.bytes.size());
        expect_outcome(input, loaded == 1);
        if (loaded == 1) {
            // What a loaded record promises its users.
            BITMAP_FILE_TAG bitmap = {};
            ASSERT_EQ(1, Load_Bitmap_File(&bitmap, input.path.c_str()));
            EXPECT_NE(nullptr, bitmap.buffer);
            EXPECT_TRUE(bitmap.info_header.biBitCount == 8 || bitmap.info_header.biBitCount == 16);
            EXPECT_GT(bitmap.info_header.biWidth, 0);
            EXPECT_GT(bitmap.info_header.biHeight, 0);
            Unload_Bitmap_File(&bitmap);
        }
    }
}

class WavRegressions : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::fault_clear();
        platform::window_reset();
        main_window_handle = nullptr;
        ASSERT_TRUE(reef_fuzz::start_sound());
    }

    void TearDown() override
    {
        DSound_Delete_All_Sounds();
        platform::window_reset();
        main_window_handle = nullptr;
    }
};

TEST_F(WavRegressions, EveryInputIsReadOrRefusedAndLeavesTheTableEmpty)
{
    const std::vector<Input> kept = inputs("wav");
    if (kept.empty()) {
        GTEST_SKIP() << "no inputs kept for this reader";
    }
    for (const Input& input : kept) {
        SCOPED_TRACE(input.name);
        const int id = reef_fuzz::read_wav(input.path.c_str(), input.bytes.data(), input.bytes.size());
        expect_outcome(input, id >= 0);
        for (int slot = 0; slot < MAX_SOUNDS; ++slot) {
            EXPECT_EQ(SOUND_EMPTY, sound_fx[slot].state) << "slot " << slot;
            EXPECT_EQ(nullptr, sound_fx[slot].sound_buffer) << "slot " << slot;
        }
    }
}

TEST(PaletteRegressions, EveryInputIsReadOrRefused)
{
    const std::vector<Input> kept = inputs("palette");
    if (kept.empty()) {
        GTEST_SKIP() << "no inputs kept for this reader";
    }
    for (const Input& input : kept) {
        SCOPED_TRACE(input.name);
        expect_outcome(input, reef_fuzz::read_palette(input.path.c_str()) == 1);
    }
}

class MidiRegressions : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::fault_clear();
        platform::window_reset();
        main_window_handle = nullptr;
        ASSERT_TRUE(reef_fuzz::start_music());
    }

    void TearDown() override
    {
        reef_fuzz::stop_music();
        DSound_Delete_All_Sounds();
        platform::window_reset();
        main_window_handle = nullptr;
    }
};

// A song that loads must also come to its end: the inputs here are all a few seconds
// long at most, and one the synth could not play must not report playing for ever.
TEST_F(MidiRegressions, EveryInputIsReadOrRefusedAndASongThatLoadsEnds)
{
    const std::vector<Input> kept = inputs("midi");
    if (kept.empty()) {
        GTEST_SKIP() << "no inputs kept for this reader";
    }
    for (const Input& input : kept) {
        SCOPED_TRACE(input.name);
        const int id = reef_fuzz::read_midi(input.path.c_str(), input.bytes.data(), input.bytes.size());
        expect_outcome(input, id >= 0);
        for (int slot = 0; slot < DM_NUM_SEGMENTS; ++slot) {
            EXPECT_EQ(SONG_EMPTY, dm_midi[slot].state) << "slot " << slot;
        }
        if (id < 0) {
            continue;
        }
        const int song = DMusic_Load_MIDI(input.path.c_str());
        ASSERT_GE(song, 0);
        ASSERT_EQ(1, DMusic_Play(song));
        int elapsed = 0;
        while (elapsed < 10000 && DMusic_Status_MIDI(song) == SONG_PLAYING) {
            platform::clock_idle(10);
            elapsed += 10;
        }
        EXPECT_EQ(SONG_STOPPED, DMusic_Status_MIDI(song)) << "still playing after " << elapsed << " ms";
        DMusic_Delete_MIDI(song);
    }
}

} // namespace
