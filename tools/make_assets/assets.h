// make_assets: writes the game's pictures, sprite sheets, sounds and songs into a data
// folder (Graphics/ and Sounds/). Every run writes byte-identical files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace assets {

// Each writer puts its files under `data_dir` and returns false (after one line on
// stderr) when a file cannot be written.
bool write_pictures(const std::string& data_dir);  // OCEANBACK*.BMP, the shared palette
bool write_sprites(const std::string& data_dir);   // SWIMGUY0..7, GENS4, OIL2, BUBUP, SPEDUP
bool write_sounds(const std::string& data_dir);    // whale.wav, END.wav
bool write_songs(const std::string& data_dir);     // tmnt-und.mid, bd.mid

// Writes `bytes` to `path`; false (after one line on stderr) when it cannot.
bool write_binary_file(const std::string& path, const std::vector<uint8_t>& bytes);

} // namespace assets
