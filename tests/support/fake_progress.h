// A progress page that records what the engine told it, in order; texts are "<id>" markers.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "install/engine/progress.h"

namespace tq::test {

class RecordingProgress : public ProgressWindow {
  public:
    struct Event {
        enum Kind { Post, Pause, FileName, Message } kind;
        int stage = 0;
        long argument = 0;
        std::string text;  // the file name or the message
    };

    void Post(int stage, long argument) override {
        events.push_back({Event::Post, stage, argument, ""});
    }
    void WaitIfPaused() override {
        events.push_back({Event::Pause, 0, 0, ""});
        if (onPause) onPause();
    }
    void SetCurrentFileName(const std::string& path) override {
        currentFileName = path.substr(0, kCurrentFileNameSize - 1);
        events.push_back({Event::FileName, 0, 0, currentFileName});
    }
    void ShowOwnedMessage(const std::string& text) override {
        events.push_back({Event::Message, 0, 0, text});
    }
    std::string LoadText(int stringId) override { return "<" + std::to_string(stringId) + ">"; }

    // How many posts of this stage with this argument.
    int Posts(int stage, long argument) const {
        int n = 0;
        for (const auto& e : events)
            n += e.kind == Event::Post && e.stage == stage && e.argument == argument;
        return n;
    }
    int Pauses() const {
        int n = 0;
        for (const auto& e : events) n += e.kind == Event::Pause;
        return n;
    }
    std::vector<std::string> Messages() const {
        std::vector<std::string> out;
        for (const auto& e : events) {
            if (e.kind == Event::Message) out.push_back(e.text);
        }
        return out;
    }

    std::vector<Event> events;
    std::string currentFileName;
    std::function<void()> onPause;  // lets a test act at a pause point
};

}  // namespace tq::test
