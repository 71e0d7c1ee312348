// The seam between the machine and the "Debug Info" window. The machine sets fields and
// asks for refreshes through these calls; they do nothing while no window is open, so
// the machine never formats a field's text unless DebugWindowIsOpen() says it is shown.
#pragma once

#include <string>

// Control IDs of the fields that the machine writes.
enum class DebugField : int {
  kFramesPerSecond = 1020,
  kTextMode = 1026,
  kBitmapMode = 1028,
  kMulticolourMode = 1029,
  kVicBank = 1030,
  kBaseAddress = 1031,
  kScreenMemory = 1032,
};

// Implemented by the debug window while it is open.
class DebugWindowView {
 public:
  virtual void Refresh() = 0;
  virtual void SetField(DebugField field, const std::string& text) = 0;

 protected:
  ~DebugWindowView() = default;
};

// The open window registers itself on opening and passes nullptr on closing.
void SetDebugWindowView(DebugWindowView* view);
bool DebugWindowIsOpen();
void RefreshDebugWindow();
void SetDebugWindowField(DebugField field, const std::string& text);
