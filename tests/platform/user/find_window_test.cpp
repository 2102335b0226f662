#include "window_fixture.h"

#include <sys/wait.h>
#include <unistd.h>

using vls::test::WindowTest;

class FindWindow : public WindowTest {};

TEST_F(FindWindow, FindsOwnWindowsByClassAndTitleWithoutRegardToCase)
{
    const HWND w = Make(WS_POPUP, 0, 0, 10, 10, nullptr, 0, kClass, "Veilstrand");
    EXPECT_EQ(FindWindowA("rectest", "VEILSTRAND"), w);
    EXPECT_EQ(FindWindowA(kClass, nullptr), w);
    EXPECT_EQ(FindWindowA(nullptr, "Veilstrand"), w);
    EXPECT_EQ(FindWindowA(kDblClass, "Veilstrand"), nullptr);
    SetWindowTextA(w, "Other");
    EXPECT_EQ(FindWindowA(kClass, "Veilstrand"), nullptr);
    DestroyWindow(w);
    EXPECT_EQ(FindWindowA(kClass, nullptr), nullptr);
}

TEST_F(FindWindow, FindsAWindowOfAnotherProcessWhileItStands)
{
    int ready[2];
    int done[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(done), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = DefWindowProcA;
        wc.lpszClassName = "Quib-Velt";
        RegisterClassA(&wc);
        CreateWindowExA(0, "Quib-Velt", "Veilstrand", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        char c = 1;
        [[maybe_unused]] auto n = write(ready[1], &c, 1);
        n = read(done[0], &c, 1);
        _exit(0);
    }
    char c = 0;
    ASSERT_EQ(read(ready[0], &c, 1), 1);
    const HWND engine = FindWindowA("Quib-Velt", "Veilstrand");
    EXPECT_NE(engine, nullptr);
    EXPECT_FALSE(IsWindow(engine)) << "another process's window is only a name here";
    EXPECT_EQ(FindWindowA("TApplication", "Veilstrand"), nullptr);
    EXPECT_EQ(FindWindowA("Quib-Velt", "Other"), nullptr);
    [[maybe_unused]] auto n = write(done[1], &c, 1);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_EQ(FindWindowA("Quib-Velt", "Veilstrand"), nullptr) << "gone with its process";
}
