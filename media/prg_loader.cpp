// Placeholder: the loader arrives with the media work.
#include "media/prg_loader.h"

bool LoadPrg(const std::string&) { return false; }
void SetBasicVariablesToLoadEnd() {}
void AutostartProgram() {}
