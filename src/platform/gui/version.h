// The program's file version, compiled in from the project version.
#pragma once

namespace orv {

const char* FileVersion();

}  // namespace orv
