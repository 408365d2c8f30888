// The service's account and its recovery actions: the virtual account's identifier, derived
// from the service's name, its write access to the folders the server writes to, and the
// restarts the service manager makes after a failure.
#include "app/ServiceParts.h"

#include <aclapi.h>
#include <bcrypt.h>
#include <sddl.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "ui/Handles.h"
#include "ui/SystemError.h"

namespace korvane::app {

namespace {

// Memory the security functions hand out with LocalAlloc.
struct LocalMemoryTraits {
    using Type = HLOCAL;
    static bool Valid(HLOCAL memory) { return memory != nullptr; }
    static void Close(HLOCAL memory) { LocalFree(memory); }
};
using LocalMemory = ui::Owned<LocalMemoryTraits>;

// The folders the server writes to, under the installation folder: the configuration and
// history, the console log, crash dumps. The virtual account may write there and nowhere else.
constexpr const char* kWritableFolders[] = {"korvane", "logs", "dumps"};

// Restart after 10 s, 10 s, 30 s and 60 s; the fifth failure within ten minutes of the one
// before leaves the service stopped, since starting again evidently does not help (a crash
// loop). The count starts again after ten minutes without a failure. A restart the program
// asks for (exit code 4) is carried out the same way.
constexpr DWORD kResetPeriodSeconds = 10 * 60;
constexpr SC_ACTION kRecoveryActions[] = {{SC_ACTION_RESTART, 10000},
                                          {SC_ACTION_RESTART, 10000},
                                          {SC_ACTION_RESTART, 30000},
                                          {SC_ACTION_RESTART, 60000},
                                          {SC_ACTION_NONE, 0}};
constexpr DWORD kRecoveryActionCount = sizeof kRecoveryActions / sizeof kRecoveryActions[0];

const char kServicesKey[] = "SYSTEM\\CurrentControlSet\\Services\\";

// The virtual account's security identifier, for the folders' access lists, derived from the
// name as Windows derives it (so it needs no lookup, which Wine could not answer).
LocalMemory AccountSid(const std::string& name) {
    PSID sid = nullptr;
    const std::string text = ServiceSidText(name);
    if (!text.empty() && ConvertStringSidToSidA(text.c_str(), &sid)) return LocalMemory(sid);
    return LocalMemory();
}

// Grants (or takes back) the account's right to change files in `folder` and below.
DWORD ChangeFolderAccess(const std::string& folder, PSID sid, ACCESS_MODE mode) {
    PACL oldList = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    DWORD error = GetNamedSecurityInfoA(folder.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                        nullptr, nullptr, &oldList, nullptr, &descriptor);
    const LocalMemory descriptorOwner(descriptor);
    if (error != ERROR_SUCCESS) return error;
    EXPLICIT_ACCESS_A entry = {};
    entry.grfAccessPermissions = FILE_GENERIC_READ | FILE_GENERIC_WRITE | FILE_GENERIC_EXECUTE |
                                 DELETE;
    entry.grfAccessMode = mode;
    entry.grfInheritance = SUB_CONTAINERS_AND_OBJECTS_INHERIT;
    entry.Trustee.TrusteeForm = TRUSTEE_IS_SID;
    entry.Trustee.TrusteeType = TRUSTEE_IS_USER;
    entry.Trustee.ptstrName = static_cast<LPSTR>(sid);
    PACL newList = nullptr;
    error = SetEntriesInAclA(1, &entry, oldList, &newList);
    const LocalMemory newListOwner(newList);
    if (error != ERROR_SUCCESS) return error;
    return SetNamedSecurityInfoA(const_cast<char*>(folder.c_str()), SE_FILE_OBJECT,
                                 DACL_SECURITY_INFORMATION, nullptr, nullptr, newList, nullptr);
}

// Where Windows keeps the recovery actions, in its own layout: SERVICE_FAILURE_ACTIONS with
// the pointers as offsets, then the actions.
void WriteRecoveryActionsToRegistry(const std::string& name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, (kServicesKey + name).c_str(), 0, KEY_SET_VALUE,
                      &key) != ERROR_SUCCESS)
        return;
    const DWORD header[5] = {kResetPeriodSeconds, 0, 0, kRecoveryActionCount, sizeof header};
    std::vector<BYTE> data(sizeof header + sizeof kRecoveryActions);
    std::memcpy(data.data(), header, sizeof header);
    std::memcpy(data.data() + sizeof header, kRecoveryActions, sizeof kRecoveryActions);
    RegSetValueExA(key, "FailureActions", 0, REG_BINARY, data.data(),
                   static_cast<DWORD>(data.size()));
    const DWORD onNonCrash = 1;
    RegSetValueExA(key, "FailureActionsOnNonCrashFailures", 0, REG_DWORD,
                   reinterpret_cast<const BYTE*>(&onNonCrash), sizeof onNonCrash);
    RegCloseKey(key);
}

// True when the service manager gives back the recovery actions as they were set.
bool ManagerKeepsRecoveryActions(SC_HANDLE service) {
    DWORD needed = 0;
    QueryServiceConfig2A(service, SERVICE_CONFIG_FAILURE_ACTIONS, nullptr, 0, &needed);
    if (needed < sizeof(SERVICE_FAILURE_ACTIONSA)) return false;
    std::vector<BYTE> buffer(needed);
    auto* actions = reinterpret_cast<SERVICE_FAILURE_ACTIONSA*>(buffer.data());
    if (!QueryServiceConfig2A(service, SERVICE_CONFIG_FAILURE_ACTIONS, buffer.data(), needed,
                              &needed) ||
        actions->dwResetPeriod != kResetPeriodSeconds || actions->cActions != kRecoveryActionCount)
        return false;
    for (DWORD i = 0; i < kRecoveryActionCount; ++i)
        if (actions->lpsaActions[i].Type != kRecoveryActions[i].Type ||
            actions->lpsaActions[i].Delay != kRecoveryActions[i].Delay)
            return false;
    SERVICE_FAILURE_ACTIONS_FLAG flag = {};
    return QueryServiceConfig2A(service, SERVICE_CONFIG_FAILURE_ACTIONS_FLAG,
                                reinterpret_cast<BYTE*>(&flag), sizeof flag, &needed) &&
           flag.fFailureActionsOnNonCrashFailures;
}

// The SHA-1 of `size` bytes, as the five little-endian words of a service SID.
bool Sha1(void* data, ULONG size, DWORD (&digest)[5]) {
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    if (!BCRYPT_SUCCESS(BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA1_ALGORITHM, nullptr, 0)))
        return false;
    BCRYPT_HASH_HANDLE hash = nullptr;
    bool done = BCRYPT_SUCCESS(BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0));
    done = done && BCRYPT_SUCCESS(BCryptHashData(hash, static_cast<PUCHAR>(data), size, 0)) &&
           BCRYPT_SUCCESS(BCryptFinishHash(hash, reinterpret_cast<PUCHAR>(digest), sizeof digest, 0));
    if (hash) BCryptDestroyHash(hash);
    BCryptCloseAlgorithmProvider(algorithm, 0);
    return done;
}

}  // namespace

void Say(const std::string& line) {
    std::fputs((line + "\n").c_str(), stdout);
    std::fflush(stdout);
}

void Complain(const std::string& line) {
    std::fputs((line + "\n").c_str(), stderr);
    std::fflush(stderr);
}

std::string Describe(DWORD error) {
    return ui::SystemErrorText(error) + " (" + std::to_string(error) + ")";
}

// The account's write access to the folders the server writes to; the folders are made
// first, so the access is in place when the server starts. Says what could not be done.
void GrantWritableFolders(const std::string& name, const std::string& account) {
    const LocalMemory sid = AccountSid(name);
    const std::string folder = ProgramFolder();
    std::string granted;
    for (const char* sub : kWritableFolders) {
        const std::string path = folder + "\\" + sub;
        CreateDirectoryA(path.c_str(), nullptr);
        const DWORD error = sid ? ChangeFolderAccess(path, sid.Get(), GRANT_ACCESS)
                                : static_cast<DWORD>(ERROR_INVALID_SID);
        if (error == ERROR_SUCCESS)
            granted += (granted.empty() ? "" : ", ") + path;
        else
            Complain("Could not give " + account + " write access to " + path + ": " +
                     Describe(error) + ". Give it with: icacls \"" + path + "\" /grant \"" +
                     account + "\":(OI)(CI)M");
    }
    if (!granted.empty())
        Say(account + " may write to " + granted + "; it is given no other write access.");
}

void RevokeWritableFolders(const std::string& name) {
    const LocalMemory sid = AccountSid(name);
    if (!sid) return;
    for (const char* sub : kWritableFolders) {
        const std::string path = ProgramFolder() + "\\" + sub;
        if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES)
            ChangeFolderAccess(path, sid.Get(), REVOKE_ACCESS);
    }
}

// Restarts after a failure, and a non-zero exit code counts as one (a start-up failure ends
// the program with one, after reporting it to the service manager).
void SetRecoveryActions(SC_HANDLE service, const std::string& name) {
    SC_ACTION actions[kRecoveryActionCount];
    std::memcpy(actions, kRecoveryActions, sizeof actions);
    SERVICE_FAILURE_ACTIONSA failure = {};
    failure.dwResetPeriod = kResetPeriodSeconds;
    failure.cActions = kRecoveryActionCount;
    failure.lpsaActions = actions;
    SERVICE_FAILURE_ACTIONS_FLAG flag = {TRUE};
    ChangeServiceConfig2A(service, SERVICE_CONFIG_FAILURE_ACTIONS, &failure);
    ChangeServiceConfig2A(service, SERVICE_CONFIG_FAILURE_ACTIONS_FLAG, &flag);
    if (ManagerKeepsRecoveryActions(service)) {
        Say("Recovery: restart after 10 s, 10 s, 30 s and 60 s, then no more (the count starts "
            "again after 10 minutes without a failure); a non-zero exit code counts as a "
            "failure, and exit code 4 (restart requested) is carried out that way.");
        return;
    }
    // Wine's service manager accepts them and keeps nothing: they go where Windows keeps
    // them, so the service's settings are complete, but nothing here restarts the service.
    WriteRecoveryActionsToRegistry(name);
    Say("This service manager does not keep recovery actions (Wine's does not): they are "
        "written to the service's registry key as Windows keeps them, but it will not restart "
        "the service after a failure.");
}

std::string ServiceSidText(std::string_view name) {
    const int length = MultiByteToWideChar(CP_ACP, 0, name.data(),
                                           static_cast<int>(name.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    if (length <= 0 || MultiByteToWideChar(CP_ACP, 0, name.data(), static_cast<int>(name.size()),
                                           wide.data(), length) != length)
        return {};
    CharUpperBuffW(wide.data(), static_cast<DWORD>(wide.size()));
    DWORD digest[5] = {};
    if (!Sha1(wide.data(), static_cast<ULONG>(wide.size() * sizeof(wchar_t)), digest)) return {};
    std::string text = "S-1-5-80";
    for (DWORD part : digest) text += "-" + std::to_string(part);
    return text;
}

}  // namespace korvane::app
