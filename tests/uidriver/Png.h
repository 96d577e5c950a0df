// A small PNG writer for screenshots: 24-bit RGB, no interlacing, one IDAT chunk.
// Needs no Windows API.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace uidriver {

// Encodes width x height pixels given as rows of R, G, B bytes, top row first, rows
// packed without padding (width * 3 bytes each). False when the sizes are invalid or
// compression fails; *pPng is then left empty.
bool EncodePng(int width, int height, const unsigned char* pRgb, std::vector<unsigned char>* pPng);

// Encodes as EncodePng and writes the result to a file, replacing it.
bool WritePng(const std::string& path, int width, int height, const unsigned char* pRgb);

} // namespace uidriver
