// Reading bitmap (.bmp) files into a TBitmap.
#pragma once

#include "platform/bitmap.h"
#include "platform/stream.h"

namespace orv {

// Reads a bitmap file from the stream's position. Raises EInvalidGraphic
// "ビットマップイメージが不正です", EReadError "ストリームからの読み込みエラー"
// when the file ends before its pixel data, or an EOSError.
void ReadBitmapFile(TStream& stream, TBitmap& bitmap);

}  // namespace orv
