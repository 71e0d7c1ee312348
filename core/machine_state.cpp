// Definitions of the machine's global records and the call that zeroes them.
#include "core/machine_state.h"

#include <cstring>

#include "core/debug_log.h"

namespace core {

std::uint8_t Ram[kMemorySize];
std::uint8_t RomMap[kMemorySize];
std::uint8_t IoImage[kMemorySize];

std::atomic<std::uint8_t> KeyMatrix[8] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
std::atomic<std::uint8_t> JoystickState{0xFF};
std::atomic<std::uint8_t> JoystickPort{1};

CpuRegisters Cpu;
std::uint8_t StatusFlagMasks[8];
std::uint8_t PortLatch;
std::uint8_t IrqPending;

std::atomic<std::uint8_t> RunFlag{0};
std::atomic<std::uint8_t> EmulationRunning{1};
std::atomic<std::int32_t> StepBudget{-1};
std::int64_t InstructionCount;
std::uint8_t StallCycles;
std::int32_t LineCyclesLeft;
std::uint16_t RasterLine;
std::uint32_t FramesLeft = FramesPerPass;
std::uint8_t LoadTrapSucceeded;
std::atomic<std::uint64_t> FrameCounter{0};

std::uint16_t TimerACounter;
std::uint8_t TimerARunning;
std::int32_t TodTenths;
std::int32_t TodNextTick;
std::time_t PowerOnTime;
std::tm PowerOnLocalTime;
std::uint32_t PowerOnTicks;

std::atomic<float> ThrottleDelay{0.0f};
std::atomic<float> SavedThrottleDelay{0.0f};
std::atomic<std::uint8_t> SpeedLimitOn{0};
std::int32_t FpsCounter;
std::int32_t FpsDeadline;
std::int32_t FpsLastSample;
std::atomic<std::int32_t> FramesPerSecond{0};

void ZeroMachineState() {
  std::memset(Ram, 0, sizeof Ram);
  std::memset(RomMap, 0, sizeof RomMap);
  std::memset(IoImage, 0, sizeof IoImage);
  Cpu = CpuRegisters{};
  std::memset(StatusFlagMasks, 0, sizeof StatusFlagMasks);
  PortLatch = 0;
  IrqPending = 0;

  RunFlag = 0;
  EmulationRunning = 1;
  StepBudget = -1;
  InstructionCount = 0;
  StallCycles = 0;
  LineCyclesLeft = 0;
  RasterLine = 0;
  FramesLeft = FramesPerPass;
  LoadTrapSucceeded = 0;
  FrameCounter = 0;

  TimerACounter = 0;
  TimerARunning = 0;
  TodTenths = 0;
  TodNextTick = 0;
  PowerOnTime = 0;
  PowerOnLocalTime = std::tm{};
  PowerOnTicks = 0;
  ThrottleDelay = 0.0f;
  SavedThrottleDelay = 0.0f;
  SpeedLimitOn = 0;
  FpsCounter = 0;
  FpsDeadline = 0;
  FpsLastSample = 0;
  FramesPerSecond = 0;

  for (auto& row : KeyMatrix) row.store(0xFF);
  JoystickState.store(0xFF);
  JoystickPort.store(1);
  ClearDebugLog();
}

}  // namespace core
