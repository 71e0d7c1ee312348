// Placeholder: D64 mounting arrives with the media work.
#include "media/d64_image.h"

std::uint8_t D64Image[kD64ImageSize];
bool MountD64(const std::string&) { return false; }
