// Placeholder: the host key table and handlers arrive with the keyboard work.
#include "input/host_key_table.h"

const HostKeyEntry HostKeyTable[kHostKeyCount] = {};
void OnKeyDown(unsigned char, int) {}
void OnKeyUp(unsigned char, int) {}
void OnSpecialKeyDown(int) {}
void OnSpecialKeyUp(int) {}
