// The recording test engine, the test's side: what it records and observes, the variables
// and events a test sets up, the ticks, and the library that hands the engine out.
#include "support/RecordingEngine.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <strings.h>
#include <functional>
#include <thread>
#ifdef _WIN32
#include <windows.h>
#endif

namespace korvane::test {

namespace {

// The calling thread as the tests compare it: Windows' own id there, so that it matches
// GetCurrentThreadId in the tests; any stable nonzero number in the native build.
unsigned long CurrentThread() {
#ifdef _WIN32
    return GetCurrentThreadId();
#else
    return static_cast<unsigned long>(std::hash<std::thread::id>{}(std::this_thread::get_id())) | 1;
#endif
}

}  // namespace

bool CaseLess::operator()(const std::string& a, const std::string& b) const {
    return strcasecmp(a.c_str(), b.c_str()) < 0;
}

RecordingEngine::RecordingEngine() {
    const char* names[] = {"IPX", "Internet TCP/IP", "Serial Link"};
    for (int i = 0; i < 3; ++i) {
        providers_[i].id = 10 + i;
        std::snprintf(providers_[i].name, sizeof providers_[i].name, "%s", names[i]);
        providers_[i].next = i < 2 ? &providers_[i + 1] : nullptr;
    }
}

RecordingEngine::CallScope::CallScope(RecordingEngine& engine) : engine_(engine) {
    if (engine_.inCall_.fetch_add(1) != 0) engine_.overlappingCalls++;
    if (engine_.released) engine_.callsAfterRelease++;
}
RecordingEngine::CallScope::~CallScope() {
    engine_.inCall_.fetch_sub(1);
}

void RecordingEngine::Note(const std::string& call) {
    std::lock_guard<std::mutex> lock(mutex_);
    calls_.push_back(call);
    callThreads_.push_back(CurrentThread());
}

unsigned long RecordingEngine::ThreadOf(const std::string& call) const {
    std::lock_guard<std::mutex> lock(mutex_);
    for (size_t i = 0; i < calls_.size(); ++i)
        if (calls_[i] == call) return callThreads_[i];
    return 0;
}

std::vector<std::string> RecordingEngine::Calls() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return calls_;
}

std::vector<std::string> RecordingEngine::CallsStartingWith(const std::string& prefix) const {
    std::vector<std::string> found;
    for (const std::string& call : Calls())
        if (call.compare(0, prefix.size(), prefix) == 0) found.push_back(call);
    return found;
}

std::vector<std::string> RecordingEngine::Commands() const {
    std::vector<std::string> texts;
    for (const std::string& call : CallsStartingWith("ExecuteCommand "))
        texts.push_back(call.substr(15));
    return texts;
}

void RecordingEngine::ClearCalls() {
    std::lock_guard<std::mutex> lock(mutex_);
    calls_.clear();
    callThreads_.clear();
}

int RecordingEngine::Unexpected(const char* slot) {
    Note(std::string("UNEXPECTED ") + slot);
    return 0;
}

RecordingEngine::Variable* RecordingEngine::Find(const std::string& name) {
    auto it = variables_.find(name);
    return it == variables_.end() ? nullptr : it->second.get();
}
const RecordingEngine::Variable* RecordingEngine::Find(const std::string& name) const {
    auto it = variables_.find(name);
    return it == variables_.end() ? nullptr : it->second.get();
}

void RecordingEngine::SetVariable(const std::string& name, const std::string& text) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto& slot = variables_[name];
    if (!slot) slot = std::make_unique<Variable>(Variable{name, "", 0, 0});
    slot->text = text;
    slot->value = static_cast<float>(std::atof(text.c_str()));
}

bool RecordingEngine::HasVariable(const std::string& name) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return Find(name) != nullptr;
}

std::string RecordingEngine::VariableText(const std::string& name) const {
    std::lock_guard<std::mutex> lock(mutex_);
    const Variable* variable = Find(name);
    return variable ? variable->text : std::string();
}

int RecordingEngine::VariableFlags(const std::string& name) const {
    std::lock_guard<std::mutex> lock(mutex_);
    const Variable* variable = Find(name);
    return variable ? variable->flags : -1;
}

int RecordingEngine::Tick(int) {
    CallScope scope(*this);
    tickThread = CurrentThread();
    ticks++;
    if (onTick) onTick();
    std::vector<std::string> events;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        events.swap(pendingEvents_);
    }
    for (const std::string& event : events)
        if (callbacks) callbacks->OnEngineEvent(event.c_str());
    if (tickDelayMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(tickDelayMs));
    return tickResult.load();
}

void RecordingEngine::QueueEvent(const std::string& message) {
    std::lock_guard<std::mutex> lock(mutex_);
    pendingEvents_.push_back(message);
}

void RecordingEngine::QueuePlayers(int count) {
    std::string update = "\x03";
    for (int id = 1; id <= count; ++id) {
        QueueEvent("\x01 " + std::to_string(id));
        update += std::to_string(id) + " Player " + std::to_string(id) + "\n1070 3 ";
    }
    QueueEvent(update + "-1");
}

int RecordingLibrary::Create(int version, const InterfaceId* iid, EngineInterface** out) {
    const bool idOk = iid && SameInterfaceId(*iid, kEngineInterfaceId);
    engine_.Note("CreateEngine " + std::to_string(version) + (idOk ? " iid" : " wrong-iid"));
    engine_.released = false;
    if (engine_.failStep == "CreateEngine") return 1;
    if (engine_.failStep == "NullEngine") return 0;
    *out = &engine_;
    return 0;
}

void RecordingLibrary::Release() {
    engine_.Note("ReleaseEngine");
    engine_.released = true;
}

}  // namespace korvane::test
