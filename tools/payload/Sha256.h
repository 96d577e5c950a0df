// SHA-256 (FIPS 180-4) of bytes in memory, as the hexadecimal text winget compares an
// installer's download with.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// 64 lowercase hexadecimal digits.
std::string Sha256Hex(const uint8_t* pData, size_t nLength);
