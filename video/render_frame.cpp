// One picture: the video bank and pointers from the registers (or the debug window's
// overrides), the background mode, the background and sprite renderers, and the mode and
// pointers reported to the debug window. Nothing is carried over from the last picture.
#include <cstdint>
#include <cstdio>
#include <string>

#include "core/debug_log.h"
#include "core/host_hooks.h"
#include "core/machine.h"
#include "core/memory_map.h"
#include "video/bitmap_renderer.h"
#include "video/sprite_renderer.h"
#include "video/text_renderer.h"
#include "video/vic_state.h"

namespace video {

namespace {

// CIA 2 port A bits 1-0 select the bank inverted: %11 is $0000, %00 is $C000.
std::uint16_t BankFromPort(std::uint8_t port) {
  return static_cast<std::uint16_t>((3 - (port & 0x03)) * 0x4000);
}

std::uint16_t FollowOrOverride(const std::atomic<std::uint16_t>& override,
                               std::uint16_t fromRegister) {
  const std::uint16_t value = override.load(std::memory_order_relaxed);
  return value == FollowRegister ? fromRegister : value;
}

void SetHexField(core::DebugField field, unsigned value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%x", value);
  SetDebugWindowField(field, text);
}

void SetYesNoField(core::DebugField field, bool yes) {
  SetDebugWindowField(field, yes ? "yes" : "no");
}

}  // namespace

void UpdatePicturePointers() {
  const std::uint8_t memoryPointers = VideoRegister(0xD018);
  VicBank = FollowOrOverride(BankOverride, BankFromPort(core::C64.memory.ioImage[0xDD00]));
  ScreenOffset =
      FollowOrOverride(ScreenOverride, static_cast<std::uint16_t>((memoryPointers >> 4) * 0x400));
  CharBaseOffset = FollowOrOverride(
      CharBaseOverride, static_cast<std::uint16_t>(((memoryPointers >> 1) & 7) * 0x800));
}

void RenderFrame() {
  const std::uint8_t control = VideoRegister(0xD011);
  const std::uint8_t control2 = VideoRegister(0xD016);

  UpdatePicturePointers();
  const std::uint16_t bank = VicBank;
  const std::uint16_t screen = ScreenOffset;
  const std::uint16_t charBase = CharBaseOffset;

  const bool bitmapRegister = (control & 0x20) != 0;
  MulticolourFlag = (control2 & 0x10) ? 1 : 0;
  if (core::DebugWindowIsOpen())
    SetYesNoField(core::DebugField::kMulticolourMode, MulticolourFlag != 0);
  // Logged from the registers alone, whatever the force flags say.
  if (MulticolourFlag != 0 && !bitmapRegister) core::AppendDebugLog("Multicolor-Mode activated!");

  bool bitmap = bitmapRegister;
  if (ForceText.load(std::memory_order_relaxed) != 0) {
    bitmap = false;
  } else if (ForceBitmap.load(std::memory_order_relaxed) != 0) {
    bitmap = true;
  }
  if (core::DebugWindowIsOpen()) {
    SetYesNoField(core::DebugField::kTextMode, !bitmap);
    SetYesNoField(core::DebugField::kBitmapMode, bitmap);
  }

  if (bitmap) {
    RenderBitmapScreen();
  } else {
    RenderTextScreen();
  }
  RenderSprites();

  if (core::DebugWindowIsOpen()) {
    SetHexField(core::DebugField::kVicBank, bank);
    SetHexField(core::DebugField::kBaseAddress, bank + charBase);
    SetHexField(core::DebugField::kScreenMemory, bank + screen);
  }
}

}  // namespace video
