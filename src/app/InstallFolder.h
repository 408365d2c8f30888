// Finding the installation folder through the registry, and telling the operator what was
// looked for when the engine cannot be found there.
#pragma once

#include <string>

namespace korvane {

struct InstallFolder {
    enum class Source {
        Registry,       // "Install Dir" named a folder that is now the working folder
        Missing,        // no key or no value: the working folder stayed as it was
        Only64BitView,  // the value exists only where a 32-bit program does not look
        Unusable,       // the value is there but names no folder that can be entered
    };
    Source source = Source::Missing;
    std::string named;  // the value's text, when there is one
};

// Reads "Install Dir" (32-bit view) and makes that folder the working folder: the program's
// first step after reading its switches, since the engine, its files, the one-copy check and
// the web's settings are all found there.
InstallFolder EnterInstallFolder();

// A paragraph for the operator: where the folder came from and how to put it right.
std::string DescribeInstallFolder(const InstallFolder& folder);

}  // namespace korvane
