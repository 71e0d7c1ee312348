// The machine record's sections, field by field.
#include "core/machine_snapshot.h"

#include <span>

#include "core/power_on.h"

namespace core {

namespace {

void PutI32(StateWriter& writer, std::int32_t value) {
  writer.PutU32(static_cast<std::uint32_t>(value));
}
std::int32_t GetI32(StateReader& reader) {
  return static_cast<std::int32_t>(reader.U32());
}

void SaveTime(StateWriter& writer, const std::tm& time) {
  for (const int field : {time.tm_sec, time.tm_min, time.tm_hour, time.tm_mday, time.tm_mon,
                          time.tm_year, time.tm_wday, time.tm_yday, time.tm_isdst}) {
    PutI32(writer, field);
  }
}
void LoadTime(StateReader& reader, std::tm& time) {
  for (int* field : {&time.tm_sec, &time.tm_min, &time.tm_hour, &time.tm_mday, &time.tm_mon,
                     &time.tm_year, &time.tm_wday, &time.tm_yday, &time.tm_isdst}) {
    *field = GetI32(reader);
  }
}

}  // namespace

void SaveMachine(const Machine& machine, StateWriter& writer) {
  const Cpu6510& cpu = machine.cpu;
  writer.BeginSection("CPU ");
  for (const std::uint8_t value : {cpu.A, cpu.X, cpu.Y, cpu.SP}) writer.PutU8(value);
  writer.PutU16(cpu.PC);
  writer.PutU8(cpu.P);
  writer.PutBytes(cpu.flagMasks);
  writer.PutU64(static_cast<std::uint64_t>(cpu.instructionCount));
  writer.PutU8(cpu.stallCycles);
  writer.PutU8(cpu.pollAt);
  writer.PutU8(cpu.pollWithI);
  writer.PutU8(cpu.irqPolled);
  writer.EndSection();

  writer.BeginSection("MEM ");
  writer.PutBytes(machine.memory.ram);
  writer.PutBytes(machine.memory.ioImage);
  writer.PutU8(machine.memory.portLatch);
  writer.EndSection();

  writer.BeginSection("VIC ");
  writer.PutU16(machine.vic.rasterLine);
  PutI32(writer, machine.vic.lineCyclesLeft);
  writer.PutU8(machine.vic.irq);
  writer.PutU16(machine.vic.rasterCompare);
  writer.PutU8(machine.vic.interruptLatch);
  writer.PutU8(machine.vic.interruptMask);
  writer.EndSection();
  machine.vic.raster.Save(writer);

  const Cia1Classic& cia = machine.classicCia1;
  writer.BeginSection("CIAC");
  writer.PutU16(cia.timerACounter);
  writer.PutU8(cia.timerARunning);
  PutI32(writer, cia.todTenths);
  PutI32(writer, cia.todNextTick);
  writer.PutU64(static_cast<std::uint64_t>(cia.powerOnTime));
  SaveTime(writer, cia.powerOnLocalTime);
  writer.PutU32(cia.powerOnTicks);
  writer.PutU8(cia.irq);
  writer.EndSection();

  machine.cia1.Save(writer, "CIA1");
  machine.cia2.Save(writer, "CIA2");
  machine.sid.Save(writer);
  writer.BeginSection("NMI ");
  writer.PutU8(machine.nmi.level);
  writer.PutU8(machine.nmi.pending);
  writer.PutU32(machine.ciaClock.owed);
  writer.PutU32(machine.ciaClock.quiet);
  writer.EndSection();

  writer.BeginSection("INPT");
  for (const auto& row : machine.input.keyMatrix) writer.PutU8(row.load());
  writer.PutU8(machine.input.joystick.load());
  writer.EndSection();

  writer.BeginSection("RUN ");
  writer.PutU8(static_cast<std::uint8_t>(machine.model));
  writer.PutU32(machine.run.framesLeft);
  writer.PutU64(machine.run.frameCounter.load());
  writer.EndSection();

  writer.BeginSection("TRAP");
  writer.PutU16(machine.traps.fileNameLength);
  writer.PutBytes(std::span(reinterpret_cast<const std::uint8_t*>(machine.traps.fileName),
                            machine.traps.fileNameLength));
  writer.PutU8(machine.traps.loadSucceeded);
  writer.PutU8(machine.traps.busDevice8);
  writer.EndSection();
}

bool LoadMachine(StateReader& reader, Machine& machine) {
  Cpu6510& cpu = machine.cpu;
  reader.BeginSection("CPU ");
  for (std::uint8_t* value : {&cpu.A, &cpu.X, &cpu.Y, &cpu.SP}) *value = reader.U8();
  cpu.PC = reader.U16();
  cpu.P = reader.U8();
  reader.Bytes(cpu.flagMasks);
  cpu.instructionCount = static_cast<std::int64_t>(reader.U64());
  cpu.stallCycles = reader.U8();
  cpu.pollAt = reader.U8();
  cpu.pollWithI = reader.U8();
  cpu.irqPolled = reader.U8();
  reader.EndSection();
  if (cpu.irqPolled > 1) reader.Fail();
  // The masks are either all zero (before the first power-on) or 1 << n.
  for (int n = 0; n < 8; ++n) {
    if (cpu.flagMasks[n] != 0 && cpu.flagMasks[n] != (1u << n)) reader.Fail();
  }
  if (cpu.instructionCount < 0) reader.Fail();

  reader.BeginSection("MEM ");
  reader.Bytes(machine.memory.ram);
  reader.Bytes(machine.memory.ioImage);
  machine.memory.portLatch = reader.U8();
  reader.EndSection();
  PlaceRoms(machine.memory.romMap);

  reader.BeginSection("VIC ");
  machine.vic.rasterLine = reader.U16();
  machine.vic.lineCyclesLeft = GetI32(reader);
  machine.vic.irq = reader.U8();
  machine.vic.rasterCompare = reader.U16();
  machine.vic.interruptLatch = reader.U8();
  machine.vic.interruptMask = reader.U8();
  reader.EndSection();
  if (machine.vic.rasterLine > LinesPerFrame || machine.vic.lineCyclesLeft < 0 ||
      machine.vic.lineCyclesLeft > CyclesPerLine || machine.vic.irq > 1 ||
      machine.vic.rasterCompare > 0x1FF || machine.vic.interruptLatch > 0x0F ||
      machine.vic.interruptMask > 0x0F) {
    reader.Fail();
  }
  machine.vic.raster.Load(reader);

  Cia1Classic& cia = machine.classicCia1;
  reader.BeginSection("CIAC");
  cia.timerACounter = reader.U16();
  cia.timerARunning = reader.U8();
  cia.todTenths = GetI32(reader);
  cia.todNextTick = GetI32(reader);
  cia.powerOnTime = static_cast<std::time_t>(reader.U64());
  LoadTime(reader, cia.powerOnLocalTime);
  cia.powerOnTicks = reader.U32();
  cia.irq = reader.U8();
  reader.EndSection();
  if (cia.timerARunning > 1 || cia.todTenths < 0 || cia.todTenths > 11 || cia.irq > 1) {
    reader.Fail();
  }

  machine.cia1.Load(reader, "CIA1");
  machine.cia2.Load(reader, "CIA2");
  machine.sid.Load(reader);
  reader.BeginSection("NMI ");
  machine.nmi.level = reader.U8();
  machine.nmi.pending = reader.U8();
  machine.ciaClock.owed = reader.U32();
  machine.ciaClock.quiet = reader.U32();
  reader.EndSection();
  if (machine.nmi.level > 1 || machine.nmi.pending > 1 ||
      machine.ciaClock.owed > machine.ciaClock.quiet) {
    reader.Fail();
  }

  reader.BeginSection("INPT");
  for (auto& row : machine.input.keyMatrix) row.store(reader.U8());
  machine.input.joystick.store(reader.U8());
  reader.EndSection();

  reader.BeginSection("RUN ");
  const std::uint8_t model = reader.U8();
  if (model > static_cast<std::uint8_t>(MachineModel::kAccurate)) reader.Fail();
  machine.model = static_cast<MachineModel>(model);
  machine.run.framesLeft = reader.U32();
  machine.run.frameCounter.store(reader.U64());
  reader.EndSection();
  if (machine.run.framesLeft < 1 || machine.run.framesLeft > FramesPerPass) reader.Fail();

  reader.BeginSection("TRAP");
  machine.traps.fileNameLength = reader.U16();
  if (machine.traps.fileNameLength > sizeof machine.traps.fileName) reader.Fail();
  if (reader.Ok()) {
    reader.Bytes(std::span(reinterpret_cast<std::uint8_t*>(machine.traps.fileName),
                           machine.traps.fileNameLength));
  }
  machine.traps.loadSucceeded = reader.U8();
  machine.traps.busDevice8 = reader.U8();
  reader.EndSection();
  if (machine.traps.loadSucceeded > 1) reader.Fail();
  if (machine.traps.busDevice8 > (kBusListening | kBusTalking)) reader.Fail();
  return reader.Ok();
}

}  // namespace core
