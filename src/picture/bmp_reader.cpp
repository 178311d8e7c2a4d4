#include "picture/bmp_reader.h"

#include "platform/exceptions.h"

namespace orv {

// Placeholder until the bitmap file reader lands.
void ReadBitmapFile(TStream&, TBitmap&) { throw EInvalidGraphic("ビットマップイメージが不正です"); }

}  // namespace orv
