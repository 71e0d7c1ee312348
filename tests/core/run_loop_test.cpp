// The run loop's step items in their order: raster and frame counting, the interrupt
// taken in the wrapping step, idle steps, the stop and step checks with their trace
// lines, the KERNAL traps and the halting opcodes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "core/cpu_operations.h"
#include "core/debug_log.h"
#include "core/machine.h"
#include "core/memory_map.h"
#include "core/run_control.h"
#include "core/run_loop.h"
#include "platform/host_services.h"
#include "tests/support/test_machine.h"

using namespace platform;
using namespace core;

namespace {

class RunLoopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ZeroWholeMachine();
    for (int n = 0; n < 8; ++n) C64.cpu.flagMasks[n] = static_cast<std::uint8_t>(1u << n);
    C64.memory.ram[0x0000] = 0x2F;
    C64.memory.ram[0x0001] = 0x30;  // all RAM
    // $1000: INX; JMP $1000 — and an interrupt handler at $2000 that only counts.
    Load(0x1000, {0xE8, 0x4C, 0x00, 0x10});
    Load(0x2000, {0xC8, 0x40});  // INY; RTI
    C64.memory.ram[0xFFFE] = 0x00;
    C64.memory.ram[0xFFFF] = 0x20;
    C64.cpu.PC = 0x1000;
    C64.cpu.SP = 0xFF;
    C64.cpu.P = 0x24;
    C64.run.runFlag = 1;
    RecordMessageBoxes();
  }
  void Load(std::uint16_t address, std::initializer_list<std::uint8_t> bytes) {
    for (std::uint8_t b : bytes) C64.memory.ram[address++] = b;
  }
  // Steps until the next instruction boundary has been passed `count` times.
  void StepInstructions(int count) {
    PassLock lock;
    const std::int64_t target = C64.cpu.instructionCount + count;
    while (C64.cpu.instructionCount < target) MachineStep();
  }
};

TEST_F(RunLoopTest, ReturnsAtOnceWhenNoPassMayRun) {
  C64.run.runFlag = 0;
  RunLoop();
  EXPECT_EQ(C64.cpu.instructionCount, 0);
  EXPECT_EQ(C64.vic.rasterLine, 0);
  EXPECT_EQ(C64.vic.lineCyclesLeft, 0);
}

TEST_F(RunLoopTest, APassIsEightFramesAndEndsWithOnePicture) {
  RunLoop();
  EXPECT_EQ(C64.run.frameCounter, 8u);
  EXPECT_EQ(C64.run.runFlag, 0);
  EXPECT_EQ(C64.run.framesLeft, static_cast<std::uint32_t>(FramesPerPass));
  // The first frame starts after 312 line starts, the eighth wrap ends the pass in the
  // first step of line 0: 7 * 312 + 312 lines of 63 steps have run, less the one step.
  EXPECT_EQ(C64.vic.rasterLine, 1);
  EXPECT_EQ(C64.vic.lineCyclesLeft, CyclesPerLine - 1);
}

TEST_F(RunLoopTest, TheWrappingStepRaisesAndTakesTheInterrupt) {
  C64.cpu.P = 0x20;  // I clear
  PassLock lock;
  // Run to the last step before the wrap: line 312 has started and is used up.
  while (!(C64.vic.rasterLine == LinesPerFrame && C64.vic.lineCyclesLeft == 0)) MachineStep();
  EXPECT_EQ(C64.vic.irq, 0);
  C64.cpu.stallCycles = 0;  // make the wrapping step an instruction boundary
  C64.memory.ram[0xD012] = 0xAA;
  C64.memory.ioImage[0xD012] = 0xAA;
  MachineStep();
  // The raster register lives in the I/O image even with I/O banked out (all RAM here).
  EXPECT_EQ(C64.memory.ioImage[0xD012], 0x00);
  EXPECT_EQ(C64.memory.ram[0xD012], 0xAA);
  EXPECT_EQ(C64.vic.rasterLine, 1);
  EXPECT_EQ(C64.vic.irq, 1);
  // The handler's first instruction (INY at $2000) ran in the same step.
  EXPECT_EQ(C64.cpu.Y, 1);
  EXPECT_EQ(C64.cpu.PC, 0x2001);
  EXPECT_NE(C64.cpu.P & 0x04, 0);
}

TEST_F(RunLoopTest, IdleStepsExecuteNothing) {
  PassLock lock;
  MachineStep();  // INX, charged 1: no stall
  EXPECT_EQ(C64.cpu.instructionCount, 1);
  C64.cpu.stallCycles = 3;
  for (int i = 0; i < 3; ++i) {
    MachineStep();
    EXPECT_EQ(C64.cpu.instructionCount, 1);
  }
  EXPECT_EQ(C64.cpu.stallCycles, 0);
  MachineStep();
  EXPECT_EQ(C64.cpu.instructionCount, 2);
}

// The pass that renders a picture must go on running the processor's own view: code at
// $1000 or $9000, where the video chip sees the character ROM, runs with interrupts off
// through hundreds of pictures. Here the ROM copies hold BRKs, which would reach the
// handler at $2000 and count in Y.
TEST_F(RunLoopTest, CodeUnderTheCharacterRomCopiesRunsThroughEveryPicture) {
  for (const std::uint16_t start : {0x1000, 0x9000}) {
    std::fill(C64.memory.romMap + 0x1000, C64.memory.romMap + 0x2000, 0x00);
    std::fill(C64.memory.romMap + 0x9000, C64.memory.romMap + 0xA000, 0x00);
    Load(start,
         {0xE8, 0x4C, static_cast<std::uint8_t>(start), static_cast<std::uint8_t>(start >> 8)});
    C64.cpu.PC = start;
    C64.cpu.Y = 0;
    const std::uint64_t pictures = C64.run.frameCounter / FramesPerPass;
    for (int pass = 0; pass < 40; ++pass) {
      C64.run.runFlag = 1;
      RunLoop();
    }
    EXPECT_EQ(C64.run.frameCounter / FramesPerPass - pictures, 40u);
    EXPECT_EQ(C64.cpu.Y, 0) << "the loop at $" << std::hex << start << " left its code";
    EXPECT_TRUE(C64.cpu.PC == start || C64.cpu.PC == start + 1) << std::hex << C64.cpu.PC;
  }
}

// With the I/O area banked out, the chips' registers stay in the I/O image and the RAM
// beneath holds exactly what the program put there.
TEST_F(RunLoopTest, RamUnderTheIoAreaKeepsItsBytesWhileIoIsBankedOut) {
  for (const std::uint8_t port : {0x30, 0x34}) {
    C64.memory.ram[0x0001] = port;
    for (unsigned a = 0xD000; a < 0xE000; ++a) C64.memory.ram[a] = static_cast<std::uint8_t>(a * 7);
    for (int pass = 0; pass < 3; ++pass) {
      C64.run.runFlag = 1;
      RunLoop();
    }
    for (unsigned a = 0xD000; a < 0xE000; ++a) {
      ASSERT_EQ(C64.memory.ram[a], static_cast<std::uint8_t>(a * 7))
          << std::hex << a << " port " << int{port};
    }
  }
}

TEST_F(RunLoopTest, OneStepOfBudgetLogsOneTraceLineAndPauses) {
  C64.run.stepBudget = 1;
  C64.cpu.X = 0;
  C64.cpu.Y = 1;
  C64.cpu.A = 3;
  C64.cpu.P = 0x27;  // Z and C set, I set
  RunLoop();
  EXPECT_EQ(C64.cpu.instructionCount, 1);
  EXPECT_EQ(C64.run.stepBudget, 0);
  EXPECT_EQ(C64.run.runFlag, 0);
  EXPECT_EQ(DebugLogLineCount(), 1u);
  EXPECT_EQ(DebugLogText(),
            "> 0:...0x1000: $E8 - - - SP:0xFF - RegX:0x0 - RegY:0x1 - RegA:0x3 - N:0 - Z:1 - V:0 "
            "- C:1 - I:1\r\n");
  // Paused: further passes execute nothing.
  C64.run.runFlag = 1;
  RunLoop();
  EXPECT_EQ(C64.cpu.instructionCount, 1);
}

TEST_F(RunLoopTest, SteppingWhileStoppedRunsTheStepsAndStaysStopped) {
  C64.run.emulationRunning = 0;
  C64.run.stepBudget = 5;
  RunLoop();
  EXPECT_EQ(C64.cpu.instructionCount, 5);
  EXPECT_EQ(DebugLogLineCount(), 5u);
  EXPECT_EQ(C64.run.runFlag, 0);
  EXPECT_EQ(C64.run.emulationRunning, 0);
  // Without steps a stopped machine runs nothing, whatever the budget's sign.
  for (const std::int32_t budget : {0, -1}) {
    C64.run.stepBudget = budget;
    C64.run.runFlag = 1;
    RunLoop();
    EXPECT_EQ(C64.cpu.instructionCount, 5);
  }
}

TEST_F(RunLoopTest, StepBudgetOfNRunsExactlyNInstructions) {
  C64.run.stepBudget = 7;
  RunLoop();
  EXPECT_EQ(C64.cpu.instructionCount, 7);
  EXPECT_EQ(DebugLogLineCount(), 7u);
  EXPECT_EQ(DebugLogText().rfind("> 0:...0x1000: $E8", 0), std::string::npos);  // newest first
  EXPECT_NE(DebugLogText().find("> 6:...0x"), std::string::npos);
}

TEST_F(RunLoopTest, HaltingOpcodeLogsShowsJamAndEndsWithStatusZero) {
  C64.memory.ram[0x1000] = 0x02;
  SetMessageBoxHandler(nullptr);  // the box prints "Error: JAM!" on standard error
  SetDebugLogEcho(stderr);
  EXPECT_EXIT(RunLoop(), ::testing::ExitedWithCode(0), "1> JAM - emulation halted(.|\n)*JAM!");
  SetDebugLogEcho(nullptr);
}

// The count never wraps: started near and past 2^31 and 2^32, the trace line, the LAS
// warning and the halt line show it whole, and a pass counts on from there.
TEST_F(RunLoopTest, InstructionCountPastThirtyTwoBitsIsShownWhole) {
  for (const std::int64_t start : {2147483646LL, 4294967295LL, 4294967301LL, 3000000000000LL}) {
    const std::string text = std::to_string(start);
    ClearDebugLog();
    C64.cpu.instructionCount = start;
    StepMachine(3);
    EXPECT_NE(DebugLogText().find("> " + text + ":...0x1000: $E8 - - - SP:0xFF"), std::string::npos)
        << DebugLogText();
    EXPECT_EQ(C64.cpu.instructionCount, start + 3);
    StepMachine(-1);  // the rest of the pass, some 55,000 instructions
    EXPECT_GT(C64.cpu.instructionCount, start + 10000);

    ClearDebugLog();
    C64.cpu.instructionCount = start;
    op::Las(0xFF, 3);
    EXPECT_EQ(DebugLogText(), "> " + text + "> Opcode with Errors: LAE/LAS/LAR\r\n");

    C64.memory.ram[0x1000] = 0x02;
    C64.cpu.PC = 0x1000;
    C64.cpu.instructionCount = start;
    SetMessageBoxHandler(nullptr);
    SetDebugLogEcho(stderr);
    EXPECT_EXIT(RunPass(), ::testing::ExitedWithCode(0),
                std::to_string(start + 1) + "> JAM - emulation halted\nError: JAM!");
    SetDebugLogEcho(nullptr);
    C64.memory.ram[0x1000] = 0xE8;
  }
}

// The KERNAL's load routine reaching its serial-bus traps loads the remembered name. The
// KERNAL is visible (port value $36) and its ROM is all NOPs, so that each redirect's
// target runs one.
class LoadTrapTest : public RunLoopTest {
 protected:
  void SetUp() override {
    RunLoopTest::SetUp();
    C64.memory.ram[0x0001] = kKernalVisible;
    std::fill(C64.memory.romMap + 0xE000, C64.memory.romMap + kMemorySize, 0xEA);
    C64.memory.romMap[0xFFFE] = 0x00;  // the interrupt handler at $2000, as in RAM
    C64.memory.romMap[0xFFFF] = 0x20;
    C64.memory.ram[0xC3] = 0x01;  // BASIC's LOAD hands the KERNAL its start, $0801
    C64.memory.ram[0xC4] = 0x08;
    directory_ = FreshTempDirectory("trap");
    previous_ = std::filesystem::current_path();
    std::filesystem::current_path(directory_);
  }
  void TearDown() override { std::filesystem::current_path(previous_); }
  void SetName(std::uint16_t address, const std::string& name) {
    for (std::size_t i = 0; i < name.size(); ++i) C64.memory.ram[address + i] = name[i];
    C64.cpu.A = static_cast<std::uint8_t>(name.size());
    C64.cpu.X = static_cast<std::uint8_t>(address);
    C64.cpu.Y = static_cast<std::uint8_t>(address >> 8);
  }
  // Runs one instruction step at the given PC with an RTS/NOP there.
  void StepAt(std::uint16_t pc) {
    C64.cpu.PC = pc;
    C64.memory.ram[pc] = 0xEA;  // NOP where the trap leaves PC alone
    StepInstructions(1);
  }
  // The log of a name trap with the port at `port`, then of the serial load that asks for
  // the name with the KERNAL visible.
  std::string NameTrapThenLoad(std::uint8_t port) {
    ClearDebugLog();
    C64.memory.ram[0x0001] = port;
    C64.cpu.PC = 0xFFBD;
    StepInstructions(1);
    C64.memory.ram[0x0001] = kKernalVisible;
    C64.cpu.PC = 0xF4C8;
    StepInstructions(1);
    return DebugLogText();
  }
  static constexpr std::uint8_t kKernalVisible = 0x36;
  std::filesystem::path directory_;
  std::filesystem::path previous_;
};

TEST_F(LoadTrapTest, SettingANameLoadsNothingUntilTheLoadRoutineAsks) {
  std::ofstream("PROG", std::ios::binary).write("\x01\x08\xAA\xBB", 4);
  SetName(0x0300, "PROG");
  StepAt(0xFFBD);
  EXPECT_EQ(C64.memory.ram[0x0801], 0x00);  // a save or an open must not load
  EXPECT_EQ(DebugLogText().find("File loaded"), std::string::npos);

  C64.memory.ram[0xF4F0] = 0xEA;
  C64.cpu.PC = 0xF4C8;
  StepInstructions(1);
  EXPECT_EQ(C64.memory.ram[0x0801], 0xAA);
  EXPECT_EQ(C64.memory.ram[0x0802], 0xBB);
  EXPECT_EQ(C64.traps.loadSucceeded, 1);
  EXPECT_EQ(C64.cpu.PC, 0xF4F1);  // redirected to $F4F0, whose NOP then ran
  EXPECT_NE(DebugLogText().find("> File loaded: PROG\r\n"), std::string::npos);
  // The end of load is handed to BASIC through $AE/$AF.
  EXPECT_EQ(C64.memory.ram[0xAE], 0x03);
  EXPECT_EQ(C64.memory.ram[0xAF], 0x08);
}

TEST_F(LoadTrapTest, AFailedLoadEndsInTheKernalsFileNotFoundExit) {
  SetName(0x0300, "MISSING");
  StepAt(0xFFBD);
  C64.cpu.PC = 0xF4C8;
  C64.memory.ram[0xF704] = 0xEA;
  C64.memory.ram[0xAE] = 0x34;
  StepInstructions(1);
  EXPECT_EQ(C64.traps.loadSucceeded, 0);
  EXPECT_EQ(C64.cpu.PC, 0xF705);  // the error 4 exit, whose NOP then ran
  EXPECT_EQ(C64.memory.ram[0xAE], 0x34);
  EXPECT_NE(DebugLogText().find("> File not found: MISSING\r\n"), std::string::npos);
  ASSERT_EQ(RecordedMessageBoxes().size(), 1u);
  EXPECT_EQ(RecordedMessageBoxes()[0].text, "File not found: MISSING");
}

TEST_F(LoadTrapTest, EmptyNameFailsWithoutABox) {
  C64.cpu.A = 0;
  StepAt(0xFFBD);
  C64.cpu.PC = 0xF4C8;
  StepInstructions(1);
  EXPECT_NE(DebugLogText().find("> File not found: \r\n"), std::string::npos);
  EXPECT_TRUE(RecordedMessageBoxes().empty());
}

TEST_F(LoadTrapTest, ANameRunningPastTheEndOfMemoryIsCutThere) {
  C64.memory.romMap[0xFFFE] = 'A';  // the KERNAL's bytes, as the processor sees them
  C64.memory.romMap[0xFFFF] = 'B';
  C64.cpu.A = 0xFF;
  C64.cpu.X = 0xFE;
  C64.cpu.Y = 0xFF;
  C64.cpu.PC = 0xFFBD;
  C64.memory.ram[0xFFBD] = 0xEA;
  StepInstructions(1);
  C64.cpu.PC = 0xF4C8;
  StepInstructions(1);
  EXPECT_NE(DebugLogText().find("> File not found: AB\r\n"), std::string::npos);
}

TEST_F(LoadTrapTest, TapeTrapsRedirectByTheOutcome) {
  SetName(0x0300, "NOPE");
  StepAt(0xFFBD);
  C64.memory.ram[0xF704] = 0xEA;
  C64.cpu.PC = 0xF54D;
  StepInstructions(1);
  EXPECT_EQ(C64.cpu.PC, 0xF705);  // not found: the error 4 exit

  std::ofstream("TAPE", std::ios::binary).write("\x01\x08\x01", 3);
  SetName(0x0300, "TAPE");
  StepAt(0xFFBD);
  C64.cpu.PC = 0xF54D;
  StepInstructions(1);
  // On to "LOADING" and the body's trap: the tape header's addresses would overwrite the
  // end of load in $AE/$AF.
  EXPECT_EQ(C64.cpu.PC, 0xF5A3);
  EXPECT_EQ(C64.memory.ram[0xAE], 0x02);
  EXPECT_EQ(C64.memory.ram[0xAF], 0x08);
  C64.memory.ram[0xF5A9] = 0xEA;
  C64.cpu.PC = 0xF5A5;
  StepInstructions(1);
  EXPECT_EQ(C64.cpu.PC, 0xF5AA);
}

TEST_F(LoadTrapTest, LogicalFileLookupIsLoggedAndTheMachineRunsOn) {
  StepAt(0xF30F);
  EXPECT_TRUE(RecordedMessageBoxes().empty());
  EXPECT_NE(DebugLogText().find("> tt\r\n"), std::string::npos);
  EXPECT_EQ(C64.cpu.PC, 0xF310);
}

// With HIRAM clear the processor runs RAM at $E000-$FFFF: a program's own code at a trap
// address is not the KERNAL and runs as it is.
TEST_F(LoadTrapTest, TrapsFireOnlyWhileTheKernalIsVisible) {
  const struct {
    std::uint16_t pc, pcAfterTrap;  // after the redirect and the NOP there
  } kTraps[] = {{0xF30F, 0xF310}, {0xF4C8, 0xF705}, {0xF4F9, 0xF5AA},
                {0xF54D, 0xF705}, {0xF5A5, 0xF5AA}, {0xFFBD, 0xFFBE}};
  std::fill(C64.memory.ram + 0xE000, C64.memory.ram + kMemorySize, 0xEA);
  for (const std::uint8_t port : {0x37, 0x36, 0x35, 0x34, 0x30}) {
    const bool kernal = (port & 0x02) != 0;
    for (const auto& trap : kTraps) {
      SCOPED_TRACE(testing::Message() << std::hex << int(port) << " " << trap.pc);
      SetName(0x0300, "OLD");
      NameTrapThenLoad(kKernalVisible);
      ClearDebugLog();
      C64.traps.loadSucceeded = 1;
      SetName(0x0300, "NEW");
      C64.memory.ram[0x0001] = port;
      C64.cpu.PC = trap.pc;
      StepInstructions(1);
      EXPECT_EQ(C64.cpu.PC, kernal ? trap.pcAfterTrap : trap.pc + 1);
      EXPECT_EQ(DebugLogText().find("> tt") != std::string::npos, kernal && trap.pc == 0xF30F);
      if (trap.pc == 0xFFBD) {
        EXPECT_EQ(NameTrapThenLoad(port).find("not found: NEW") != std::string::npos, kernal);
      }
    }
  }
}

// The name is read as the KERNAL reads it, through the processor's view, without
// acknowledging an interrupt at $DC0D or $DD0D; it is shown with every byte outside
// printable ASCII as \xNN (in the log, the boxes and so on standard error).
TEST_F(LoadTrapTest, TheNameIsReadAsTheProcessorSeesItAndShownEscaped) {
  C64.memory.romMap[0xA000] = 'B';
  C64.memory.romMap[0xE000] = 'K';
  C64.memory.romMap[0xD000] = 'C';
  C64.memory.ioImage[0xD020] = 'I';
  C64.memory.ioImage[0xDC0D] = 'T';
  C64.memory.ioImage[0xDD0D] = 'U';
  C64.memory.ram[0xA000] = 'r';
  C64.memory.ram[0x0300] = 0x1B;  // ESC, then "[2J": clear the terminal
  std::memcpy(C64.memory.ram + 0x0301, "[2J\0\x9B\x7F", 6);
  const struct {
    std::uint8_t port;
    std::uint16_t address;
    std::uint8_t length;
    const char* shown;
  } kNames[] = {{0x37, 0xA000, 1, "B"}, {0x36, 0xA000, 1, "r"},
                {0x36, 0xE000, 1, "K"}, {0x37, 0xD020, 1, "I"},
                {0x33, 0xD000, 1, "C"}, {0x36, 0xDC0D, 1, "T"},
                {0x36, 0xDD0D, 1, "U"}, {0x36, 0x0300, 7, "\\x1B[2J\\x00\\x9B\\x7F"}};
  for (const auto& row : kNames) {
    SCOPED_TRACE(row.shown);
    RecordedMessageBoxes().clear();
    C64.vic.irq = 1;  // held by the I flag
    C64.cpu.A = row.length;
    C64.cpu.X = static_cast<std::uint8_t>(row.address);
    C64.cpu.Y = static_cast<std::uint8_t>(row.address >> 8);
    const std::string log = NameTrapThenLoad(row.port);
    EXPECT_EQ(C64.vic.irq, 1);
    EXPECT_NE(log.find(std::string("> File not found: ") + row.shown + "\r\n"), std::string::npos)
        << log;
    if (row.length > 1) {
      EXPECT_EQ(RecordedMessageBoxes().at(0).text, log.substr(2, log.size() - 4));
    }
  }
}

}  // namespace

namespace {

struct MachineSnapshot {
  std::vector<std::uint8_t> ram;
  std::vector<std::uint8_t> io;
  std::uint8_t a, x, y, sp, p;
  std::uint16_t pc;
  std::int64_t instructions;
  std::int32_t lineCycles;
  std::uint16_t raster;
  std::uint16_t timer;
  std::uint8_t stall;
  std::uint8_t irq;
  bool operator==(const MachineSnapshot&) const = default;
};

// Boots for 300 frames, paying idle steps singly or in runs, and stops right after the
// step that begins the last frame.
MachineSnapshot BootAndSnapshot(bool idleStepsInRuns) {
  PowerOnTestMachine();
  C64.classicCia1.powerOnLocalTime = std::tm{};
  C64.classicCia1.powerOnTicks = 0;
  const std::uint64_t target = C64.run.frameCounter + 300;
  {
    PassLock lock;
    while (C64.run.frameCounter < target) {
      if (!C64.run.runFlag) C64.run.runFlag = 1;
      if (MachineStep() && idleStepsInRuns && C64.run.frameCounter < target) PayIdleSteps();
    }
  }
  return {{C64.memory.ram, C64.memory.ram + kMemorySize},
          {C64.memory.ioImage, C64.memory.ioImage + kMemorySize},
          C64.cpu.A,
          C64.cpu.X,
          C64.cpu.Y,
          C64.cpu.SP,
          C64.cpu.P,
          C64.cpu.PC,
          C64.cpu.instructionCount,
          C64.vic.lineCyclesLeft,
          C64.vic.rasterLine,
          C64.classicCia1.timerACounter,
          C64.cpu.stallCycles,
          C64.vic.irq};
}

TEST(IdleSteps, PaidInRunsTheMachineEndsExactlyAsSteppedSingly) {
  const MachineSnapshot single = BootAndSnapshot(false);
  const MachineSnapshot inRuns = BootAndSnapshot(true);
  EXPECT_EQ(single.instructions, inRuns.instructions);
  EXPECT_EQ(single.pc, inRuns.pc);
  EXPECT_EQ(single.timer, inRuns.timer);
  EXPECT_TRUE(single == inRuns);
  EXPECT_GT(single.instructions, 1000000);  // BASIC booted and waits at its prompt
}

}  // namespace
