// The layout of the configuration file the engine writes: a comment header, then one
// "+name "text"" command per saved variable, in the order the variables were created.
#pragma once

#include <string>

#include "VariableStore.h"

namespace korvane {

// Every variable whose flags share a bit with saveFlags.
std::string FormatConfig(const VariableStore& variables, int saveFlags);

}  // namespace korvane
