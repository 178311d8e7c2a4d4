// What each operating system backend (posix/, win32/) provides to the
// portable platform code. The build compiles exactly one backend.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace orv {

// An open file or lock as the system names it: a descriptor, or a HANDLE
// stored as an integer. kNoHandle is invalid in both.
using NativeHandle = std::intptr_t;
inline constexpr NativeHandle kNoHandle = -1;

namespace native {

// Full path of the running program; empty when the system does not say.
std::string ExecutablePath();
// The current folder, empty when it cannot be read.
std::string CurrentFolder();

// Pixel blocks from the pool sit on huge-page boundaries; nullptr when out of
// memory. A new block reads as zero and costs no memory until written, so
// rows a picture file does not hold cost nothing.
uint8_t* AllocateBigBlock(size_t capacity);
void FreeBigBlock(uint8_t* block, size_t capacity);
// Zeroes part of a big block, handing whole pages back to the system.
void ZeroBigBlockRange(uint8_t* block, size_t offset, size_t size);

// Text in code page 932 (what Japanese Windows writes in shortcuts) as UTF-8;
// false when it is not valid there.
bool Cp932ToUtf8(const uint8_t* text, size_t size, std::string* out);

}  // namespace native
}  // namespace orv
