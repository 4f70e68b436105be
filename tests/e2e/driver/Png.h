// Screen capture to PNG, written with zlib.
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>
#include <vector>

namespace e2e {

// PNG file bytes of an RGB image (rows top-down, 3 bytes a pixel).
std::string EncodePng(int width, int height, const std::vector<uint8_t>& rgb);
// Captures that rectangle of the screen (clipped to it) into a PNG file.
// Returns an error text, empty on success.
std::string CaptureScreenPng(RECT screenRect, const std::string& path);

}  // namespace e2e
