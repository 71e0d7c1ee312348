// The video chip's state between pictures: the bank and pointers of the last picture,
// and the debug window's overrides and force flags, which survive resets.
#include "video/vic_state.h"

#include "video/frame_buffer.h"
#include "video/raster_line_renderer.h"

namespace video {

std::atomic<std::uint16_t> VicBank{0};
std::atomic<std::uint16_t> ScreenOffset{0};
std::atomic<std::uint16_t> CharBaseOffset{0};
std::uint8_t MulticolourFlag = 0;
std::atomic<std::uint16_t> BankOverride{FollowRegister};
std::atomic<std::uint16_t> ScreenOverride{FollowRegister};
std::atomic<std::uint16_t> CharBaseOverride{FollowRegister};
std::atomic<std::uint8_t> ForceText{0};
std::atomic<std::uint8_t> ForceBitmap{0};
std::atomic<std::uint8_t> ForceMulticolour{0};

void ZeroVideoState() {
  ClearFrameBuffer();
  ShownPicture = {};
  VicBank = 0;
  ScreenOffset = 0;
  CharBaseOffset = 0;
  MulticolourFlag = 0;
  BankOverride = FollowRegister;
  ScreenOverride = FollowRegister;
  CharBaseOverride = FollowRegister;
  ForceText = 0;
  ForceBitmap = 0;
  ForceMulticolour = 0;
}

}  // namespace video
