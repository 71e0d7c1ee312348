// The video chip as the renderers see it: the bank and pointers of the current picture,
// and the debug window's overrides and force flags that replace them.
#pragma once

#include <atomic>
#include <cstdint>

#include "core/machine.h"

namespace video {

// The override value meaning "follow the register"; no bank or offset can be 1.
inline constexpr std::uint16_t FollowRegister = 1;

// Recomputed at every picture; the debug window reads them and, when it steps an
// override, writes them too.
extern std::atomic<std::uint16_t> VicBank;
extern std::atomic<std::uint16_t> ScreenOffset;
extern std::atomic<std::uint16_t> CharBaseOffset;
extern std::uint8_t MulticolourFlag;

// Set only by the debug window; they survive resets.
extern std::atomic<std::uint16_t> BankOverride;
extern std::atomic<std::uint16_t> ScreenOverride;
extern std::atomic<std::uint16_t> CharBaseOverride;
extern std::atomic<std::uint8_t> ForceText;
extern std::atomic<std::uint8_t> ForceBitmap;
extern std::atomic<std::uint8_t> ForceMulticolour;

// A video register from the chip's register file: $D000 + (address & $3F), so the
// registers repeat every 64 bytes. $DD00 is read by the caller from C64.memory.ioImage directly.
inline std::uint8_t VideoRegister(std::uint16_t address) {
  return core::C64.memory.ioImage[0xD000 + (address & 0x3F)];
}

// Colour RAM is memory of its own (at $D800 of the I/O image), which the video chip reads
// beside its other fetches in every bank.
inline std::uint8_t ReadColourRam(unsigned cell) {
  return core::C64.memory.ioImage[0xD800 + (cell & 0x3FF)];
}

// VicBank, ScreenOffset and CharBaseOffset from the registers (or the overrides), as
// every picture sets them.
void UpdatePicturePointers();

// Turns the current memory and registers into one picture in the FrameBuffer. Every
// fetch goes through the video chip's view (ReadVideoByte); the processor's view is
// never changed.
void RenderFrame();

// Back to process start: a black picture, pointers 0, overrides FollowRegister, force
// flags clear.
void ZeroVideoState();

}  // namespace video
