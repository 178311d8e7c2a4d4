// Reading helpers shared by the GIF stream parts: the stream is read from
// memory through the checked reader, where a short read raises
// GIFException "Premature end of data".
#pragma once

#include <string>
#include <vector>

#include "platform/le_reader.h"

namespace orv {

[[noreturn]] void ThrowPrematureEnd();
using TGIFReader = TLEReader<ThrowPrematureEnd>;

// Reads sub-blocks up to a zero size byte or the end of the data; each
// sub-block becomes one string, cut at its first zero byte.
void ReadTextSubBlocks(TGIFReader& in, std::vector<std::string>& strings);
// Skips sub-blocks up to a zero size byte or the end of the data.
void SkipSubBlocks(TGIFReader& in);

}  // namespace orv
