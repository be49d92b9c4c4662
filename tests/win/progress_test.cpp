// The progress protocol on Wine's real events and window messages.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "install/engine/win32/progress_window_win32.h"

namespace tq {
namespace {

struct PauseThread {
    ProgressWindow* progress;
    static DWORD WINAPI Run(void* self) {
        static_cast<PauseThread*>(self)->progress->WaitIfPaused();
        return 0;
    }
};

// Starts the engine side: one pause point on a thread of its own.
HANDLE StartPausePoint(PauseThread& context) {
    return CreateThread(nullptr, 0, &PauseThread::Run, &context, 0, nullptr);
}

class ProgressProtocol : public ::testing::Test {
  protected:
    ProgressEvents events;
    Win32ProgressWindow progress{nullptr, events, GetModuleHandleA(nullptr)};
    PauseThread context{&progress};
};

TEST_F(ProgressProtocol, APauseRequestWithoutResumeHoldsTheEngineAtItsPausePoint) {
    events.pauseRequest.Signal();
    HANDLE thread = StartPausePoint(context);
    ASSERT_NE(thread, nullptr);
    EXPECT_EQ(WaitForSingleObject(thread, 500), static_cast<DWORD>(WAIT_TIMEOUT))
        << "the engine went on while the question was open";
    events.resume.Signal();  // the user answered No
    EXPECT_EQ(WaitForSingleObject(thread, 5000), WAIT_OBJECT_0);
    CloseHandle(thread);
}

TEST_F(ProgressProtocol, AResumeGivenBeforeThePausePointLetsItPassStraightThrough) {
    events.pauseRequest.Signal();
    events.resume.Signal();
    HANDLE thread = StartPausePoint(context);
    ASSERT_NE(thread, nullptr);
    EXPECT_EQ(WaitForSingleObject(thread, 5000), WAIT_OBJECT_0);
    CloseHandle(thread);
    // Both signals were used up: the next pause point does not wait.
    EXPECT_EQ(WaitForSingleObject(events.pauseRequest.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_EQ(WaitForSingleObject(events.resume.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
}

TEST_F(ProgressProtocol, WithoutARequestThePausePointNeitherWaitsNorTakesAResume) {
    events.resume.Signal();
    progress.WaitIfPaused();
    EXPECT_EQ(WaitForSingleObject(events.resume.get(), 0), WAIT_OBJECT_0);
}

TEST_F(ProgressProtocol, StagesArePostedToTheProgressWindowInOrder) {
    HWND window = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    Win32ProgressWindow posting{window, events, GetModuleHandleA(nullptr)};
    posting.SetCurrentFileName("C:\\Program Files\\Kestra\\Q\\Driver\\T8242dr.dll");
    posting.Post(StageCopy, 1);
    posting.Post(StageDone, 0);
    EXPECT_STREQ(currentFileName, "C:\\Program Files\\Kestra\\Q\\Driver\\T8242dr.dll");

    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, window, kProgressMessage, kProgressMessage, PM_REMOVE));
    EXPECT_EQ(msg.wParam, static_cast<WPARAM>(StageCopy));
    EXPECT_EQ(msg.lParam, 1);
    ASSERT_TRUE(PeekMessageA(&msg, window, kProgressMessage, kProgressMessage, PM_REMOVE));
    EXPECT_EQ(msg.wParam, static_cast<WPARAM>(StageDone));
    EXPECT_EQ(msg.lParam, 0);
    DestroyWindow(window);

    posting.SetCurrentFileName(std::string(400, 'x'));
    EXPECT_EQ(std::string(currentFileName), std::string(259, 'x'));
}

}  // namespace
}  // namespace tq
