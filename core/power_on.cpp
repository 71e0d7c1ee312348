// Power-on fills memory, places the ROM images and sets the processor, the port, CIA 1's
// ports and the inputs to their start values; the reset repeats it under the pass lock.
#include "core/power_on.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#include "core/debug_log.h"
#include "core/host_hooks.h"
#include "core/machine.h"
#include "core/memory_map.h"
#include "core/rom_images.h"
#include "core/run_loop.h"
#include "platform/host_services.h"

namespace core {

namespace {

template <std::size_t N>
void PlaceRom(std::uint8_t* memory, const std::array<std::uint8_t, N>& image,
              std::uint16_t address) {
  std::memcpy(memory + address, image.data(), N);
}

// Stored directly into RAM and the I/O image, bypassing WriteByte.
void StoreBoth(std::uint16_t address, std::uint8_t value) {
  C64.memory.ram[address] = value;
  C64.memory.ioImage[address] = value;
}

}  // namespace

void PlaceRoms(std::uint8_t* memory) {
  PlaceRom(memory, RomImages.basic, 0xA000);
  PlaceRom(memory, RomImages.characters, 0xD000);
  PlaceRom(memory, RomImages.characters, 0x1000);
  PlaceRom(memory, RomImages.characters, 0x9000);
  PlaceRom(memory, RomImages.kernal, 0xE000);
}

void PowerOn(bool firstStart) {
  // RAM fill: $99 and $66 in alternating 128-byte blocks, through WriteByte, so the
  // port registers see the pattern too (the ROM placement then overwrites the rest).
  for (std::uint32_t address = 0; address < 0xFFFF; ++address) {
    C64.memory.ram[address] = 0;
    WriteByte(static_cast<std::uint16_t>(address), (address & 0x80) ? 0x66 : 0x99);
  }

  // Each ROM copy goes into all three images at the same addresses.
  PlaceRoms(C64.memory.ram);
  PlaceRoms(C64.memory.romMap);
  PlaceRoms(C64.memory.ioImage);

  StoreBoth(0x0000, 0x2F);  // data direction
  StoreBoth(0x0001, 0x10);  // LORAM, HIRAM, CHAREN clear: all RAM visible
  if (C64.model == MachineModel::kAccurate) {
    // The chip's reset makes every port line an input, which the pull-ups read as 1: the
    // ROMs and the I/O area are visible, and the KERNAL's set-up reaches the chips.
    StoreBoth(0x0000, 0x00);
    StoreBoth(0x0001, 0x37);
  }
  StoreBoth(0xECD1, 0x15);  // C64.memory.romMap keeps the image's own byte

  StoreBoth(0xDC00, 0x00);
  StoreBoth(0xDC01, 0x00);
  StoreBoth(0xDC02, 0xFF);
  StoreBoth(0xDC03, 0x00);
  StoreBoth(0xD011, C64.memory.ram[0xD011] & ~0x20);  // never start in bitmap mode

  C64.traps.busDevice8 = 0;
  if (const auto reset = InstalledHostHooks().resetSerialDevices) reset();
  if (const auto release = InstalledHostHooks().releaseAllKeys) {
    release();
  } else {
    for (auto& row : C64.input.keyMatrix) row.store(0xFF);
    C64.input.joystick.store(0xFF);
  }
  // The chips' own state (the fill above may have written their registers).
  C64.vic.irq = 0;
  C64.vic.rasterCompare = 0;
  C64.vic.interruptLatch = 0;
  C64.vic.interruptMask = 0;
  C64.cia1.Reset();
  C64.cia2.Reset();
  // Silent, registers 0; the host's sound switch stays as it was.
  C64.sid.Reset();
  // The accurate machine's clock starts at the same time on every run: 01:00:00.0 AM.
  C64.cia1.SetTimeOfDay(0x01, 0x00, 0x00, 0);
  C64.cia2.SetTimeOfDay(0x01, 0x00, 0x00, 0);
  C64.nmi = NmiInput{};
  C64.ciaClock = CiaClock{};
  SyncCias();
  C64.input.restorePressed.store(0);
  C64.cpu.stallCycles = 0;
  C64.cpu.pollAt = 0xFF;
  C64.cpu.irqPolled = 0;

  C64.classicCia1.powerOnTime = platform::CalendarTime();
  C64.classicCia1.powerOnLocalTime = platform::LocalTime(C64.classicCia1.powerOnTime);
  C64.classicCia1.powerOnTicks = platform::GetTickCount();

  C64.cpu.SetRegisters(
      CpuRegisters{.A = 0x00, .X = 0xFF, .Y = 0x00, .SP = 0xFF, .PC = 0xFCE2, .P = 0x20});
  C64.cpu.instructionCount = 0;

  for (int n = 0; n < 8; ++n) C64.cpu.flagMasks[n] = static_cast<std::uint8_t>(1u << n);

  AppendDebugLog("CPU Emulation started");

  if (firstStart) {
    const HostHooks& hooks = InstalledHostHooks();
    if (hooks.clearPicture != nullptr) hooks.clearPicture();
    // The desktop program opens its display window here; the call returns only when
    // the window's main loop ends.
    if (hooks.openDisplay != nullptr) hooks.openDisplay();
  }

  C64.run.runFlag = 1;
  SetFlag(kFlagI);
}

void Reset() {
  C64.run.stepBudget = -1;
  {
    PassLock lock;
    PowerOn(false);
  }
  platform::SleepMilliseconds(100);
  RunLoop();
}

}  // namespace core
