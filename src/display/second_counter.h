// The slideshow's second counting: when a second step has passed, and the
// counter that decides when the next picture is due.
#pragma once

#include <cstdint>

namespace orv {

// True when at least one second has passed since start. The millisecond
// clock wraps after about 49.7 days; the unsigned difference stays right.
bool SecondElapsed(uint32_t start, uint32_t now);

// (counter + 1) mod (changeSec + 1), in 64 bits so that changeSec at 2^31 - 1
// cannot overflow. Values below 1 come only from a hand-edited settings file:
// -1 would divide by zero and gives 0 (a picture per second, like changeSec
// 0); below that the remainder takes the sign of the dividend, so the counter
// stays non-negative.
int32_t NextSecondCounter(int32_t counter, int32_t changeSec);

}  // namespace orv
