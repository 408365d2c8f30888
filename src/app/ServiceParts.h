// What the service's two files share (ServiceSetup.cpp, ServiceAccess.cpp): the lines the
// service commands print, the account's folders and the recovery actions.
#pragma once

#include <windows.h>

#include <string>

#include "app/Service.h"
#include "ui/Handles.h"

namespace korvane::app {

void Say(const std::string& line);       // standard output
void Complain(const std::string& line);  // standard error
std::string Describe(DWORD error);       // the system's text and the number

// The virtual account's write access to korvane\, logs\ and dumps\ of the program's folder
// (made first, so the access is in place when the server starts), and taking it back; they
// say what could not be done.
void GrantWritableFolders(const std::string& name, const std::string& account);
void RevokeWritableFolders(const std::string& name);

// Restart after 10 s, 10 s, then 60 s, reset after a day; a non-zero exit code counts as a
// failure. Where the service manager keeps none of it (Wine's), written to the service's
// registry key as Windows keeps them, and said so.
void SetRecoveryActions(SC_HANDLE service, const std::string& name);

}  // namespace korvane::app
