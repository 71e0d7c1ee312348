#include "input/key_matrix.h"

std::atomic<std::uint8_t> KeyMatrix[8] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
std::atomic<std::uint8_t> JoystickState{0xFF};

void PressMatrixKey(int row, int column) {
  KeyMatrix[row & 7].fetch_and(static_cast<std::uint8_t>(~(1u << (column & 7))));
}

void ReleaseMatrixKey(int row, int column) {
  KeyMatrix[row & 7].fetch_or(static_cast<std::uint8_t>(1u << (column & 7)));
}

void PressJoystickBit(int bit) {
  JoystickState.fetch_and(static_cast<std::uint8_t>(~(1u << (bit & 7))));
}

void ReleaseJoystickBit(int bit) { JoystickState.fetch_or(static_cast<std::uint8_t>(1u << (bit & 7))); }

void ReleaseAllKeys() {
  for (auto& row : KeyMatrix) row.store(0xFF);
  JoystickState.store(0xFF);
}

// Placeholder until the keyboard work lands: releases at once.
void ReleaseMatrixKeyAfterScan(int row, int column) { ReleaseMatrixKey(row, column); }
void NoteInterruptEntry() {}
