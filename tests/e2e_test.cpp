// End to end: the real Kalv.exe started in a folder of its own with the
// shipped Kalv.ini, its board size changed, and played through what a player
// sees: its window, caption and pixels on screen, its message boxes, and its
// exit code. Its texts are read as Unicode, as shown: under Wine the tests run
// on a Japanese system (code page 932), where Kalv's Czech texts read right
// only if it hands them to the system as Unicode.
#include <windows.h>

#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>

#include <fstream>
#include <string>

namespace {

const COLORREF kBack2 = 0xC0C0C0, kMine = 0x202020; // as shipped

std::wstring Text(HWND w)
{
    wchar_t text[256] = L"";
    GetWindowTextW(w, text, 256);
    return text;
}

// Cell i of the 8-wide board at (dx, dy) inside it, as the window shows it.
COLORREF Pixel(HWND game, int i, int dx, int dy)
{
    return GetPixel(GetDC(game), i % 8 * 20 + dx, i / 8 * 20 + dy); // the window's own DC
}

// A click on cell i, at (d, d) inside it, answered once the game has handled it.
void Click(HWND game, UINT message, int i, int d)
{
    SendMessageTimeoutA(game, message, 0, MAKELPARAM(i % 8 * 20 + d, i / 8 * 20 + d), 0, 300, NULL);
}

// The system icon a message box shows: its icon control's pixels, read through
// the box's own DC, against each icon drawn here on the same background.
std::wstring IconOf(HWND box)
{
    const HWND icon = FindWindowExA(box, NULL, "Static", NULL); // the first: the icon
    RECT r = {};
    GetWindowRect(icon, &r);
    MapWindowPoints(NULL, box, (POINT*)&r, 2);
    // The same coordinates on both sides: the bitmap reaches the icon's far corner.
    const HDC dc = GetDC(box), drawn = CreateCompatibleDC(dc);
    const HBITMAP bitmap = CreateCompatibleBitmap(dc, r.right, r.bottom);
    SelectObject(drawn, bitmap);
    SelectObject(drawn, GetStockObject(DC_BRUSH));
    SetDCBrushColor(drawn, GetPixel(dc, r.left, r.top));
    const wchar_t* names[] = {L"error", L"question", L"warning", L"information"};
    std::wstring found = L"none";
    for (int i = 0; i < 4 && icon; ++i) {
        PatBlt(drawn, r.left, r.top, r.right - r.left, r.bottom - r.top, PATCOPY);
        DrawIconEx(drawn, r.left, r.top, LoadIconA(NULL, MAKEINTRESOURCEA(32513 + i)), 0, 0, 0,
                   NULL, DI_NORMAL);
        bool same = true;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                same &= GetPixel(drawn, x, y) == GetPixel(dc, x, y);
        found = same ? names[i] : found;
    }
    DeleteDC(drawn);
    DeleteObject(bitmap);
    ReleaseDC(box, dc);
    return found;
}

// One run of Kalv.exe in a folder of the test's own: with the shipped Kalv.ini
// but for the board's size and mines, or with none when the width is 0. The
// game ends with its job, that is with this object or this test program, even
// one killed half-way: no game outlives its test to stand in the next one's way.
struct Kalv {
    PROCESS_INFORMATION pi = {};
    HANDLE job = CreateJobObjectA(NULL, NULL);
    Kalv(int width, int height, int mines)
    {
        char dir[MAX_PATH];
        snprintf(dir + GetTempPathA(MAX_PATH, dir), 64, "kalv-%lu", GetCurrentProcessId());
        CreateDirectoryA(dir, NULL);
        const std::string ini = std::string(dir) + "\\Kalv.ini";
        DeleteFileA(ini.c_str()); // left by the run before
        std::ifstream shipped(KALV_INI);
        shipped.ignore(99, '\n'), shipped.ignore(99, '\n'), shipped.ignore(99, '\n'); // the board
        if (width)
            std::ofstream(ini) << "width = " << width << "\nheight = " << height
                               << "\nmines count = " << mines << "\n"
                               << shipped.rdbuf();
        STARTUPINFOA si = {};
        // The show state is not the game's to follow.
        si.cb = sizeof si, si.dwFlags = STARTF_USESHOWWINDOW, si.wShowWindow = SW_HIDE;
        EXPECT_TRUE(CreateProcessA(KALV_EXE, NULL, NULL, NULL, FALSE, 0, NULL, dir, &si, &pi));
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limit = {};
        limit.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limit, sizeof limit);
        AssignProcessToJobObject(job, pi.hProcess);
    }
    ~Kalv() { CloseHandle(job), WaitForSingleObject(pi.hProcess, 5000); }
    // Waits in real time, or less when the game ends. Sleep would not: on a
    // fast clock (libfaketime) it runs fast too, while waits on objects keep
    // the time of Wine's server, which runs on the real clock.
    void Pause(DWORD ms) { WaitForSingleObject(pi.hProcess, ms); }
    // A visible window of this game of the class, with a title; null when the
    // game ends first or nothing comes within 15 seconds.
    HWND Wait(const char* cls)
    {
        for (int t = 0; t < 1500 && WaitForSingleObject(pi.hProcess, 10) == WAIT_TIMEOUT; ++t)
            for (HWND w = NULL; (w = FindWindowExA(NULL, w, cls, NULL));)
                if (DWORD id; GetWindowThreadProcessId(w, &id) && id == pi.dwProcessId &&
                              IsWindowVisible(w) && Text(w) != L"")
                    return Pause(100), w; // let a box finish laying itself out
        return NULL;
    }
    // The next box as "title|text|button ids|owned|icon"; then it is answered,
    // after `hold` more milliseconds.
    std::wstring Answer(int button, DWORD hold = 0)
    {
        const HWND box = Wait("#32770");
        Pause(hold);
        std::wstring seen = Text(box) + L"|" + Text(GetDlgItem(box, 0xFFFF)) + L"|";
        for (HWND c = box ? GetWindow(box, GW_CHILD) : NULL; c; c = GetWindow(c, GW_HWNDNEXT))
            if (GetDlgCtrlID(c) < 10 && IsWindowVisible(c)) // the buttons
                seen += std::to_wstring(GetDlgCtrlID(c));
        seen += GetWindow(box, GW_OWNER) ? L"|owned|" : L"||";
        seen += IconOf(box);
        PostMessageA(box, WM_COMMAND, button, 0);
        for (int t = 0; t < 500 && IsWindow(box); ++t)
            Pause(10);
        return seen;
    }
    int Exit()
    {
        DWORD code = 99;
        WaitForSingleObject(pi.hProcess, 15000);
        GetExitCodeProcess(pi.hProcess, &code);
        return (int)code;
    }
};

// A board raised to 8 x 6 with a warning, its window placed; a board of -3
// mines, which lays none and is won by the first click, its count shown as
// given on this board and the next. The first game's clock counts from the
// start, the time the warning stays open included. The win tells the seconds
// the caption shows, not the clock's: run again on a clock a hundred times fast.
TEST(Kalv, WarningThenAWinYesAndClose)
{
    Kalv kalv(8, 5, -3);
    EXPECT_EQ(kalv.Answer(IDOK, 2000),
              L"Upozornění|Minimální šířka i délka musí být 6 políček.|1||warning");
    const HWND game = kalv.Wait("Class Kalv");
    ASSERT_TRUE(game);
    RECT client, outer; // the board, in a window centred on the screen
    GetClientRect(game, &client);
    GetWindowRect(game, &outer);
    EXPECT_TRUE(client.right == 160 && client.bottom == 120);
    EXPECT_LE(abs(outer.left + outer.right - GetSystemMetrics(SM_CXSCREEN)) +
                  abs(outer.top + outer.bottom - GetSystemMetrics(SM_CYSCREEN)),
              2); // each half rounded down

    Click(game, WM_RBUTTONDOWN, 3, 5); // the caption is new at once
    const std::wstring caption = Text(game);
    EXPECT_EQ(caption.substr(0, caption.rfind(' ')), L"Hledání min [zbývá najít -4 miny, čas");
    EXPECT_GE(_wtoi(caption.c_str() + caption.rfind(' ')), 2) << caption;
    // The board stays, not the background: a covered cell's light edge, not grey.
    RedrawWindow(game, NULL, NULL, RDW_INVALIDATE | RDW_ERASE);
    kalv.Pause(300);
    EXPECT_EQ(Pixel(game, 10, 5, 0), 0xFFFFFFu);
    Click(game, WM_LBUTTONDOWN, 47, 19); // the win tells the seconds, Yes starts them again
    ASSERT_TRUE(kalv.Wait("#32770"));
    const std::wstring seconds = Text(game).substr(Text(game).rfind(' ') + 1); // "N]"
    // 2 to 4 here, hundreds on the fast clock.
    const wchar_t* noun = _wtoi(seconds.c_str()) < 5 ? L" sekundy" : L" sekund";
    EXPECT_EQ(kalv.Answer(IDOK), L"Kalv|Gratuluji, našli jste všechny miny za " +
                                     seconds.substr(0, seconds.size() - 1) + noun +
                                     L".|1|owned|information");
    EXPECT_EQ(kalv.Answer(IDYES), L"Kalv|Chcete hrát znova?|67|owned|question");
    EXPECT_EQ(Pixel(game, 47, 10, 10), kBack2); // a new board, all covered
    const std::wstring next = Text(game);
    EXPECT_EQ(next.substr(0, next.rfind(' ')), L"Hledání min [zbývá najít -3 miny, čas");
    EXPECT_LT(_wtoi(next.c_str() + next.rfind(' ')), _wtoi(seconds.c_str())) << next;
    PostMessageA(game, WM_CLOSE, 0, 0);
    EXPECT_EQ(kalv.Exit(), 0);
}

// How Kalv ends: with exit code 1 and no window after an error at start-up, a
// missing Kalv.ini; with 0 after a game lost and No. The first board is laid
// by the Windows C runtime's generator from its first state, never seeded: its
// first draw, (214013 + 2531011) >> 16 = 41, is a mine.
TEST(Kalv, NoFileThenALossOnTheFirstBoardAndNo)
{
    Kalv none(0, 0, 0);
    EXPECT_EQ(none.Answer(IDOK), L"Chyba|Nelze najít soubor Kalv.ini.|1||error");
    EXPECT_FALSE(none.Wait("Class Kalv"));
    EXPECT_EQ(none.Exit(), 1);
    Kalv kalv(8, 6, 10);
    const HWND game = kalv.Wait("Class Kalv");
    ASSERT_TRUE(game);
    Click(game, WM_LBUTTONDOWN, 41, 0);
    SetWindowPos(kalv.Wait("#32770"), NULL, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    kalv.Pause(200); // behind the box the board is open
    EXPECT_EQ(Pixel(game, 41, 10, 10), kMine);
    EXPECT_EQ(kalv.Answer(IDOK), L"Kalv|Šlápnul jste na minu!|1|owned|information");
    EXPECT_EQ(kalv.Answer(IDNO), L"Kalv|Chcete hrát znova?|67|owned|question");
    EXPECT_EQ(kalv.Exit(), 0);
}

} // namespace
