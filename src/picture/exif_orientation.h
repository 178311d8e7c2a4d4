// The orientation tag of an EXIF block (IFD0 of its TIFF structure), as
// cameras and phones record which way up the sensor was held.
#pragma once

#include <cstddef>
#include <cstdint>

namespace orv {

// 1 (upright as stored) to 8, the TIFF values: 2 mirrored left to right, 3
// turned half round, 4 mirrored top to bottom, 5 transposed, 6 turned a
// quarter clockwise to be upright, 7 transversed, 8 a quarter anticlockwise.
// A block that is missing, broken or lying anywhere gives 1: a picture is
// never refused for its EXIF data.
//
// data is the TIFF structure ("II*\0" or "MM\0*" first), as PNG's eXIf
// chunk holds it; the "Exif\0\0" prefix of JPEG's APP1 segment is skipped
// when present (some PNG writers copy it into eXIf as well).
int ExifOrientation(const uint8_t* data, size_t size);

// True for an APP1 segment's payload that is EXIF (starts "Exif\0\0").
bool IsExifSegment(const uint8_t* data, size_t size);

}  // namespace orv
