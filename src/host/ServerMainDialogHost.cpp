// The engine-host half of the main window: construction, the start-up sequence from loading
// the engine to a hosted game, and the shutdown that undoes it.
#include "host/ServerMainDialog.h"

#include <commctrl.h>

#include <cctype>
#include <cstdio>
#include <cstring>

#include "host/EngineAccess.h"
#include "host/ResourceList.h"
#include "resources/resource.h"
#include "settings/ServerSettings.h"
#include "ui/Text.h"

namespace korvane {

bool ShowSettingsAtStartup = true;

namespace {

const char kInstallKey[] = "Software\\Tarnwick\\Korvane\\";
const char kNetworkService[] = "Internet TCP/IP";
// resource.txt is a short list of names; anything past this is not read.
constexpr long kMaxResourceFileSize = 1 << 20;

// Makes the installation folder named in the registry the working folder; without the key or
// the value the working folder stays as it is.
void EnterInstallFolder() {
    ui::RegistryKey key;
    if (!key.OpenForReading(HKEY_LOCAL_MACHINE, kInstallKey)) return;
    char folder[260] = {};
    DWORD size = sizeof folder - 1;
    DWORD type = 0;
    if (RegQueryValueExA(key.Get(), "Install Dir", nullptr, &type, reinterpret_cast<BYTE*>(folder),
                         &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return;
    folder[sizeof folder - 1] = '\0';
    if (folder[0]) SetCurrentDirectoryA(folder);
}

std::string ReadSmallTextFile(const char* path) {
    std::string text;
    FILE* file = std::fopen(path, "rb");
    if (!file) return text;
    char chunk[4096];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0 &&
           text.size() < static_cast<size_t>(kMaxResourceFileSize))
        text.append(chunk, got);
    std::fclose(file);
    return text;
}

void CopyCut(char* target, size_t size, const char* source) {
    std::snprintf(target, size, "%s", source);
}

}  // namespace

ServerMainDialog::ServerMainDialog(HWND parent, std::unique_ptr<EngineLibrary> library)
    : ui::Dialog(IDD_SERVER, parent),
      library_(library ? std::move(library) : std::make_unique<ServerDllLibrary>()) {
    icon_ = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME));
    newPlayerName_ = ui::ProgramString(IDS_NEW_PLAYER);
    instance_ = this;
    EnterInstallFolder();
}

ServerMainDialog::~ServerMainDialog() {
    ShutdownEngine();
    if (instance_ == this) instance_ = nullptr;
}

bool ServerMainDialog::OnInitDialog() {
    if (HMENU menu = GetSystemMenu(Window(), FALSE)) {
        const std::string about = ui::ProgramString(IDS_ABOUTBOX);
        if (!about.empty()) {
            AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
            AppendMenuA(menu, MF_STRING, IDM_ABOUTBOX_SYS, about.c_str());
        }
    }
    SendMessageA(Window(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    SendMessageA(Window(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));
    CreatePlayerListColumns();

    if (startupPending_) {
        startupPending_ = false;
        RunStartupSequence();
    }
    return true;
}

void ServerMainDialog::RunStartupSequence() {
    if (!engineLock_.Ready()) {
        engineLock_.Create();
        EngineAccess::SetLock(&engineLock_);
    }
    if (!LoadEngine() || !engine_) {
        OnCancel();
        PostQuitMessage(0);
        return;
    }
    if (engine_->AttachHost(&callbacks_) != 0) return ShutdownEngine();
    if (!SetUpResourceArchives()) return ShutdownEngine();
    if (!LoadStringLibrary()) return ShutdownEngine();

    // What the load had to correct in the file is the operator's to know.
    if (const std::string notice = serverSettings.LoadSettings(); !notice.empty())
        HandleConsoleText(notice.c_str());
    if (ShowSettingsAtStartup && RunStartupSettings() != IDOK) {
        serverSettings.SaveSettings();
        confirmOnClose_ = false;
        OnCancel();
        PostQuitMessage(0);
        return;
    }
    serverSettings.SaveSettings();

    if (!SelectNetworkService()) return ShutdownEngine();
    sessionText_ = ui::ProgramString(IDS_SESSION_TEXT);
    if (!StartHosting()) return ShutdownEngine();
    if (!StartServerThread()) return ShutdownEngine();

    // The server thread is ticking from here on, so this call too takes the lock.
    char message[32] = {1, '\n', 0};
    if (EngineCall engine; engine) engine->SendHostMessage(message);
}

int ServerMainDialog::LoadEngine() {
    engine_ = nullptr;
    if (library_->Create(kEngineInterfaceVersion, &kEngineInterfaceId, &engine_) != 0) {
        engine_ = nullptr;
        return 0;
    }
    if (!engine_) return 0;
    EngineAccess::SetEngine(engine_);
    engine_->GetVersion(&version_[0], &version_[1], &version_[2]);

    char caption[254] = {};
    GetWindowTextA(Window(), caption, sizeof caption);
    char titled[320];
    std::snprintf(titled, sizeof titled, "%s %d.%d.%d", caption, version_[0], version_[1],
                  version_[2]);
    SetWindowTextA(Window(), titled);
    return 1;
}

int ServerMainDialog::SetUpResourceArchives() {
    const std::vector<std::string> names = ResourceArchiveNames(ReadSmallTextFile("resource.txt"));
    std::vector<const char*> pointers;
    pointers.reserve(names.size());
    for (const std::string& name : names) pointers.push_back(name.c_str());
    return engine_->SetResourceArchives(pointers.data(), static_cast<int>(pointers.size()));
}

int ServerMainDialog::LoadStringLibrary() {
    const std::string path = PathInWorkingFolder("korvane/cres.dll");
    if (path.empty()) return 0;
    // The library only holds texts: map it as a resource image, so none of its code runs.
    HMODULE module = LoadLibraryExA(path.c_str(), nullptr,
                                    LOAD_LIBRARY_AS_IMAGE_RESOURCE | LOAD_LIBRARY_AS_DATAFILE);
    if (!module) module = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    stringLibrary_.Reset(module);
    return stringLibrary_ ? 1 : 0;
}

std::string ServerMainDialog::LoadResourceText(int id) const {
    // Text ids are 16-bit; a larger one from an engine message would otherwise show the text
    // of its low 16 bits (or, on some systems, be taken for a name pointer).
    if (!stringLibrary_ || id < 0 || id > 0xFFFF) return {};
    char text[260] = {};
    if (LoadStringA(stringLibrary_.Get(), static_cast<UINT>(id), text, sizeof text) <= 0) return {};
    return text;
}

int ServerMainDialog::SelectNetworkService() {
    engine_->RefreshServiceProviders(0, 0);
    ServiceProviderEntry* head = nullptr;
    if (engine_->GetServiceProviders(&head) == 0) return 0;
    // The list is the engine's; a bound on the walk guards against a list that loops.
    int guard = 0;
    for (ServiceProviderEntry* entry = head; entry && guard < 4096; entry = entry->next, ++guard) {
        if (std::strncmp(entry->name, kNetworkService, sizeof entry->name) == 0) {
            engine_->SelectServiceProvider(entry->id);
            break;
        }
    }
    return engine_->CommitServiceProviders(head) == 1 ? 1 : 0;
}

int ServerMainDialog::StartHosting() {
    char startMap[256] = {};
    if (!serverSettings.GetMapEntry(0, startMap)) startMap[0] = '\0';
    for (char* c = startMap; *c; ++c)
        if (*c >= 'A' && *c <= 'Z') *c = static_cast<char>(*c - 'A' + 'a');

    HostOpenRecord open;
    SessionStartRecord start;
    SessionDescription description;
    std::memset(&open, 0, sizeof open);
    std::memset(&start, 0, sizeof start);
    std::memset(&description, 0, sizeof description);

    open.maxPlayers = serverSettings.maxPlayers;
    CopyCut(open.sessionText, sizeof open.sessionText, sessionText_.c_str());
    CopyCut(start.startMap, sizeof start.startMap, startMap);
    start.maxPlayers = serverSettings.maxPlayers;
    start.description = &description;
    start.descriptionSize = sizeof description;
    CopyCut(description.startMap, sizeof description.startMap, startMap);
    CopyCut(description.startMapAgain, sizeof description.startMapAgain, startMap);

    if (engine_->OpenHost(&open) == 0) return 0;
    engine_->StartSession(&start);
    return 1;
}

void ServerMainDialog::ShutdownEngine() {
    shutdownRequested_ = 1;
    // No Tick may run once the engine is released or the lock deleted: the thread is ended
    // first, and waited for without holding the lock it needs to finish its step.
    StopServerThread();
    stringLibrary_.Reset();
    if (engine_) {
        EngineInterface* engine = engine_;
        engine_ = nullptr;
        EngineAccess::SetEngine(nullptr);
        engine->AttachHost(nullptr);
        library_->Release();
    }
    consoleQueue_.clear();
    shutdownRequested_ = 0;
    playerTable_.Clear();
    playersChanged_ = false;
    if (engineLock_.Ready()) {
        EngineAccess::SetLock(nullptr);
        engineLock_.Delete();
    }
}

void ServerMainDialog::OnDestroy() {
    ShutdownEngine();
}

void ServerMainDialog::CreatePlayerListColumns() {
    HWND list = Item(IDC_PLAYER_LIST);
    if (!list) return;
    // Clicking anywhere on a row selects it, as operators expect of a list of players.
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    static const int titles[] = {IDS_COL_ID,        IDS_COL_NAME, IDS_COL_TEAM,
                                 IDS_COL_SPECIALTY, IDS_COL_PING, IDS_COL_TIME};
    for (int column = 0; column < 6; ++column) {
        std::string title = ui::ProgramString(static_cast<UINT>(titles[column]));
        LVCOLUMNA info = {};
        info.mask = LVCF_FMT | LVCF_TEXT | LVCF_SUBITEM;
        info.fmt = LVCFMT_LEFT;
        info.pszText = title.data();
        info.iSubItem = column;
        SendMessageA(list, LVM_INSERTCOLUMNA, column, reinterpret_cast<LPARAM>(&info));
    }
    RECT outer = {};
    GetWindowRect(list, &outer);
    const int fifth = (outer.right - outer.left) / 5;
    const int widths[] = {LVSCW_AUTOSIZE_USEHEADER, fifth, fifth, fifth, LVSCW_AUTOSIZE_USEHEADER,
                          LVSCW_AUTOSIZE_USEHEADER};
    for (int column = 0; column < 6; ++column)
        SendMessageA(list, LVM_SETCOLUMNWIDTH, column, MAKELPARAM(widths[column], 0));
}

int MainWindowCallbacks::OnEngineEvent(const char* message) {
    ServerMainDialog* window = ServerMainDialog::Instance();
    return window && message ? window->HandleEngineEvent(message) : 0;
}

int MainWindowCallbacks::OnConsoleText(const char* text) {
    ServerMainDialog* window = ServerMainDialog::Instance();
    return window && text ? window->HandleConsoleText(text) : 0;
}

}  // namespace korvane
