#include "platform/screen_info.h"

#include <atomic>

namespace orv {

namespace {
std::atomic<int> g_bits{24};
}

int ScreenBitsPerPixel() { return g_bits.load(); }
void SetScreenBitsPerPixel(int bits) { g_bits.store(bits); }

}  // namespace orv
