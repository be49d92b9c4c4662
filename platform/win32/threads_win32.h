// Threads on Windows: CreateThread at normal priority with the default stack.
#pragma once

#include <functional>
#include <memory>

#include "platform/threads.h"

namespace tq {

// Runs `work` on a new thread, which owns it; the thread is not waited for (the program ends
// every thread when it exits). False when the thread could not be made.
bool StartThread(std::function<void()> work);

// Runs `work` on a new thread that the answer can wait for; null when it could not be made.
std::unique_ptr<WorkThread> StartWorkThread(std::function<void()> work);

}  // namespace tq
