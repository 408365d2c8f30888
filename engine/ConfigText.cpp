// Writes the saved variables as console commands that the engine executes back unchanged.
#include "ConfigText.h"

namespace korvane {

std::string FormatConfig(const VariableStore& variables, int saveFlags) {
    std::string text =
        "// Server configuration, written by the engine.\n"
        "// One console command per line; lines beginning with // or # are ignored.\n"
        "// A value runs from the first to the last double quote of its line.\n";
    for (const Variable& variable : variables.InCreationOrder()) {
        if ((variable.flags & saveFlags) == 0) continue;
        // The '+' keeps a name that begins with "#" or "//" from reading back as a comment;
        // the text holds no line breaks, and the last-quote rule restores any quotes in it.
        text += '+';
        text += variable.name;
        text += " \"";
        text += variable.text;
        text += "\"\n";
    }
    return text;
}

}  // namespace korvane
