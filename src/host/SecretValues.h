// The values of password variables, hidden from every line that leaves the operator's screen
// (the console log file, the web console): a typed command that sets one and the engine's
// reports of one. Plain text rules, no window.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace korvane {

// What stands for a hidden value.
inline constexpr char kHiddenValue[] = "****";

// A console variable that holds a password: any whose name contains "password", in any case
// ("serverpassword", "remoteadminpassword", and whatever password an engine adds).
bool IsSecretVariable(std::string_view name);

// The line with a password variable's value replaced by "****", keeping what is around it:
//   serverpassword hunter22               -> serverpassword ****
//   +remoteadminpassword "rconsecret1"    -> +remoteadminpassword "****"
//   remoteadminpassword changed to "x"    -> remoteadminpassword changed to "****"
//   serverpassword is "x"                 -> serverpassword is "****"
//     serverpassword "x" (flags 5)        ->   serverpassword "****" (flags 5)   (cvarlist)
// A line about any other variable, or a password variable's name alone (a question), comes
// back as it was. A text of several lines is taken line by line.
std::string HideSecretValue(std::string_view text);
// The same for each line of a batch, in place.
void HideSecretValues(std::vector<std::string>& lines);

}  // namespace korvane
