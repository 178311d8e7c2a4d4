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

// The path grammar. The separator this system writes ('/' or '\\').
extern const char kPathDelim;
// True for a character that separates path components here ("/"; on Windows
// also "\\").
bool IsPathDelimiter(char c);
// Length of the root at the start of a path: 1 for "/", 3 for "C:\\", the
// "\\\\server\\share\\" of a UNC path; 0 for a relative path.
size_t PathRootLength(const std::string& path);

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

// CPU time this thread has used, in milliseconds.
uint64_t ThreadCpuMilliseconds();

// Text in a Windows code page (932, 1252, ...) as UTF-8 and back; false when
// the text has a byte sequence or a character the other side cannot hold.
bool CodePageToUtf8(unsigned code_page, const std::string& text, std::string* out);
bool Utf8ToCodePage(unsigned code_page, const std::string& text, std::string* out);

// The code page text files are written in here: the system's ANSI code page
// on Windows, 0 (UTF-8, no conversion) elsewhere.
unsigned AnsiCodePage();
// How lines end in the text files we create.
extern const char* const kLineEnd;

// Environment variables (UTF-8); empty when unset.
std::string GetEnv(const std::string& name);
void SetEnv(const std::string& name, const std::string& value);
// Creates one folder with owner-only access where the system has it; true
// when it exists afterwards.
bool CreateFolder(const std::string& path);

// Coordinated Universal Time now, broken down.
struct UtcTime {
  int year, month, day, hour, minute, second;
};
UtcTime UtcNow();

}  // namespace native
}  // namespace orv
