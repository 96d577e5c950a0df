// Finding one resource inside a Windows PE image held in memory, by walking its
// resource directory. Every offset the image gives is checked against the image before
// it is followed, so a damaged or hostile file yields an error, never a stray read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "PeHeaders.h"

const uint32_t PE_RT_RCDATA = 10;
const uint16_t PE_LANG_ENGLISH_US = 0x0409;

struct PeResourceSpan {
    size_t nOffset;     // of the resource's bytes in the file
    size_t nSize;
    uint16_t wLanguage;
};

// Locates resource (type, id). With several languages, English (US) is taken when present,
// otherwise the first one listed. Returns false with a reason in error.
bool FindPeResource(const uint8_t* pImage, size_t nSize, uint32_t dwType, uint32_t dwId, PeResourceSpan& span,
                    std::string& error);
