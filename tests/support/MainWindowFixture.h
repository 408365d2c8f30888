// A test fixture around the main window over the recording engine: scripted steps that wait
// for the engine to run, deliver events and see the refresh that follows, answer the window's
// questions, type commands and close it.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "resources/resource.h"
#include "support/ModalDriver.h"
#include "support/TestWindow.h"
#include "ui/Text.h"

namespace korvane::test {

class MainWindowFixture : public ::testing::Test {
  protected:
    void SetUp() override { window = std::make_unique<TestWindow>(engine); }
    HWND Main() { return window->Window(); }
    HWND Item(int id) { return window->Item(id); }
    Step Running() {
        return [this] { return Main() && IsWindowVisible(Main()) && engine.ticks > 0; };
    }
    // Waits for the refresh after the next Tick has delivered what was queued.
    Step Deliver(const std::string& event) {
        return [this, event] {
            engine.QueueEvent(event);
            deliveredAt = engine.ticks + 1;
            return true;
        };
    }
    Step Refreshed() {
        return [this] {
            if (engine.ticks <= deliveredAt) return false;
            if (!waitingSince) waitingSince = GetTickCount();
            if (GetTickCount() - waitingSince < 250) return false;
            waitingSince = 0;
            return true;
        };
    }
    Step Do(std::function<void()> action) {
        return [action] {
            action();
            return true;
        };
    }
    Step Close() {
        return [this] {
            window->SetConfirmOnClose(false);
            window->End(IDCANCEL);
            return true;
        };
    }
    Step AnswerQuestion(int button) {
        return [this, button] {
            HWND box = FindMessageBox(Main());
            if (!box) return false;
            question = ui::WindowText(GetDlgItem(box, 0xFFFF));
            noIsDefault =
                (GetWindowLongA(GetDlgItem(box, IDNO), GWL_STYLE) & 0x0F) == BS_DEFPUSHBUTTON;
            PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
            return true;
        };
    }
    void Type(const char* text) {
        SetDlgItemTextA(Main(), IDC_COMMAND_LINE, text);
        // Enter in the dialog: the default (hidden) Send button's command.
        SendMessageA(Main(), WM_COMMAND, MAKEWPARAM(IDC_SEND, BN_CLICKED), 0);
    }

    RecordingEngine engine;
    std::unique_ptr<TestWindow> window;
    int deliveredAt = 0;
    DWORD waitingSince = 0;
    std::string question;
    bool noIsDefault = false;
};

}  // namespace korvane::test
