// Under Wine, in-process, with the Windows C runtime and real GDI and USER32:
// Kalv's own code. Mines laid beyond the reach of rand. In a game window of
// the shell's procedure, painting: the pixels of every cell look read back
// from the off-screen surface; a repaint, which writes only the cells whose
// look changed, always equal to painting every cell with GDI. The shell: the
// main loop with other windows on its thread; the window procedure through a
// paint, a right click and a win; WinMain through start-up and a lost first
// game. Message boxes are read and answered from inside their own loops, by
// timers. And once end to end, the real Kalv.exe.
#include <gtest/gtest.h>

#include <windows.h>

#include <stdlib.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "app/app.h"
#include "minefield/minefield.h"
#include "presentation/presentation.h"
#include "settings/settings_reader.h"

namespace {

// Distinct from each other and from black, white, pure red and pure blue.
const COLORREF kColors[12] = {0xC8C8C8, 0xA09090, 0x406080, 0x102030, 0x008000, 0x800080,
                              0x008080, 0x804000, 0x004080, 0x808000, 0x400040, 0x206020};
const COLORREF kWhite = 0xFFFFFF, kRed = 0x0000FF, kBlue = 0xFF0000;

// The Windows C runtime's rand reaches only 32767; mines still fall beyond the
// 32768th cell.
TEST(Minefield, LaysMinesBeyondWhatRandReaches)
{
    ASSERT_TRUE(CreateMap(400, 300, 30000));
    const auto mine = [](const Cell& c) { return c.value == -1; };
    EXPECT_GT(std::count_if(g_m + 32768, g_m + 120000, mine), 15000);
    FreeMap();
}

// The game window as the shell makes it, a Unicode window of its procedure,
// over a pure blue background that shows wherever the default handling erases
// the board; on it a board of 31 x 17 cells with 100 mines and its drawing
// objects, its own DC g_hClientDC showing its pixels; and the clock started.
struct Game : ::testing::Test {
    void SetUp() override
    {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = MainWndProc;
        wc.hbrBackground = CreateSolidBrush(kBlue);
        wc.lpszClassName = L"Game";
        RegisterClassW(&wc);
        g_hWnd = CreateWindowExW(0, L"Game", NULL, kWindowStyle | WS_VISIBLE, 0, 0, 700, 400, NULL,
                                 NULL, NULL, NULL);
        std::copy(kColors, kColors + 12, g_colors);
        ASSERT_TRUE(CreateMap(31, 17, 100));
        ASSERT_TRUE(CreateDrawingObjects(g_hWnd));
        ASSERT_TRUE(DrawMapUsesTiles());
        GetSystemTime(&g_start_time);
    }
    void TearDown() override
    {
        ReleaseDrawingObjects(g_hWnd);
        FreeMap();
        DestroyWindow(g_hWnd);
    }
};

std::wstring Text(HWND window)
{
    wchar_t text[256] = L"";
    GetWindowTextW(window, text, 256);
    return text;
}

// Each look: its cell (value, open, mark), and inside its edges, on its fill,
// a character in its colour, the mine's disc ('*') or nothing. A covered cell
// is raised (light top and left edges, black bottom and right) on backcolor2;
// an open one is outlined in rastercolor on backcolor.
TEST_F(Game, EveryCellLook)
{
    // clang-format off
    std::tuple<Cell, COLORREF, char> looks[16] = {
        {{0, 0, 0}, 0, 0}, {{0, 0, 1}, kRed, '!'}, {{0, 0, 2}, kBlue, '?'}, {{5, 0, 0}, 0, 0},
        {{-1, 0, 0}, 0, 0}, {{0, 1, 1}, 0, 0}, {{-1, 1, 2}, kColors[3], '*'}, {{0, 1, 0}, 0, 0}};
    // clang-format on
    for (int v = 1; v <= 8; ++v)
        looks[7 + v] = {{v, 1, 0}, kColors[3 + v], (char)('0' + v)};
    for (int x = 0; x < 16; ++x)
        g_m[x] = std::get<0>(looks[x]);
    DrawMap();
    SelectObject(g_hDC, GetStockObject(DC_BRUSH));
    SelectObject(g_hDC, GetStockObject(DC_PEN));
    SetDCPenColor(g_hDC, kColors[2]);
    for (int x = 0; x < 16; ++x) {
        const auto& [cell, ink, shows] = looks[x];
        // Two rows below, the middle as the look must show it, drawn here
        // with GDI: the fill, then the character centred, or the disc.
        SetDCBrushColor(g_hDC, kColors[cell.open ? 0 : 1]);
        PatBlt(g_hDC, x * 20, 40, 20, 20, PATCOPY);
        SetDCBrushColor(g_hDC, ink);
        SetTextColor(g_hDC, ink);
        RECT middle = {x * 20, 40, x * 20 + 20, 60};
        if (shows == '*')
            Ellipse(g_hDC, x * 20 + 3, 43, x * 20 + 17, 57);
        else if (shows)
            DrawTextA(g_hDC, &shows, 1, &middle, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        for (int py = 0; py < 20; ++py)
            for (int px = 0; px < 20; ++px) {
                const COLORREF edge = cell.open ? kColors[2] : px == 0 || py == 0 ? kWhite : 0;
                const bool inside = px > 0 && py > 0 && px < 19 && py < 19;
                const COLORREF drawn = GetPixel(g_hDC, x * 20 + px, 40 + py);
                ASSERT_EQ(GetPixel(g_hDC, x * 20 + px, py), inside ? drawn : edge)
                    << "look " << x << " ('" << shows << "') at " << px << "," << py;
            }
    }
}

// Repaints, then compares the board with every cell painted with GDI into a
// bitmap of the kind GDI makes for the window.
bool RepaintEqualsGdi()
{
    DrawMap();
    const int w = g_mw * CELL_SIZE;
    const int h = g_mh * CELL_SIZE;
    HDC dc = CreateCompatibleDC(g_hClientDC);
    HBITMAP bitmap = CreateCompatibleBitmap(g_hClientDC, w, h);
    SelectObject(dc, bitmap);
    SetBkMode(dc, TRANSPARENT);
    PaintCells(dc);
    BitBlt(dc, 0, 0, w, h, g_hDC, 0, 0, SRCINVERT); // equal pixels become zero
    std::vector<uint32_t> bits((size_t)w * h, 1);   // what is not read differs
    GetBitmapBits(bitmap, (LONG)(bits.size() * sizeof bits[0]), bits.data());
    DeleteDC(dc);
    DeleteObject(bitmap);
    return bits == std::vector<uint32_t>(bits.size(), 0);
}

// After a game of moves and a loss.
TEST_F(Game, RepaintEqualsPaintingEveryCellWithGdiAfterEveryChange)
{
    const int w = 31;
    const int h = 17;
    EXPECT_TRUE(RepaintEqualsGdi()) << "first paint";
    // Two steps on safe cells to one mark, the marks on a few cells only, so
    // that they run through "!" and "?" back to none.
    for (int move = 0; move < 60; ++move) {
        const int i = rand() % (w * h);
        if (move % 3 && g_m[i].value != -1)
            StepMap(i % w, i / w);
        else
            CycleMark(i % w % 3, i / w % 2);
        ASSERT_TRUE(RepaintEqualsGdi()) << "move " << move;
    }
    const auto unflagged = [](const Cell& c) { return c.value == -1 && c.mark != 1; };
    const int mine = (int)(std::find_if(g_m, g_m + w * h, unflagged) - g_m);
    ASSERT_EQ(StepMap(mine % w, mine / w), StepMineHit);
    EXPECT_TRUE(RepaintEqualsGdi()) << "loss";
}

// A timer of the game window: asks the thread to quit. A loop that does not
// heed it runs on until the test's time-out fails it.
void CALLBACK AskToQuit(HWND, UINT, UINT_PTR, DWORD)
{
    PostQuitMessage(0);
}

int64_t Ticks(const FILETIME& t)
{
    return (int64_t)t.dwHighDateTime << 32 | t.dwLowDateTime;
}

// The main loop takes every message of its thread, not only the game window's:
// one for another of its windows (an input method's, say) does not keep it
// busy. Between messages it sleeps until the clock's next second, when it
// writes the caption: idle for a second and a half, its thread uses a small
// part of that time (kernel and user, in 100 ns units; right under Wine),
// where a loop that never waits uses most of it, and the caption shows a later
// second than the first paint. It ends when the thread is asked to quit. And
// the window procedure leaves the window menu's commands to the default one.
TEST_F(Game, MainLoopAndWindowMenu)
{
    // Another window of the thread, and a timer of the game window's, which a
    // loop that takes only its own messages sees too.
    PostMessageA(CreateWindowExA(0, "Static", "", WS_POPUP, 0, 0, 1, 1, 0, 0, 0, 0), WM_USER, 0, 0);
    SetTimer(g_hWnd, 1, 1500, AskToQuit);
    FILETIME created, ended, kernel, user;
    GetThreadTimes(GetCurrentThread(), &created, &ended, &kernel, &user);
    const int64_t before = Ticks(kernel) + Ticks(user);
    RunMainLoop();
    GetThreadTimes(GetCurrentThread(), &created, &ended, &kernel, &user);
    EXPECT_LT(Ticks(kernel) + Ticks(user) - before, 3000000) << "of 15000000 idle";
    EXPECT_GE(g_delta_time, 1) << "the caption did not tick: " << Text(g_hWnd);
    SendMessageW(g_hWnd, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(IsIconic(g_hWnd));
    SendMessageW(g_hWnd, WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_FALSE(IsIconic(g_hWnd));
}

// A paint puts the board on screen, and the default handling after it leaves
// the board rather than erasing it; it writes the caption even when its
// seconds have not changed, as on a stopped clock. So does a right click,
// which counts the flag at once. Closing the window ends the game.
TEST_F(Game, PaintRightClickAndClose)
{
    const RECT corner = {0, 0, 20, 20};
    FillRect(g_hClientDC, &corner, (HBRUSH)GetStockObject(BLACK_BRUSH)); // not the board's
    RedrawWindow(g_hWnd, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    EXPECT_EQ(GetPixel(g_hClientDC, 10, 0), kWhite) << "a covered cell's light top edge";
    EXPECT_EQ(Text(g_hWnd).find(L"Hledání min [zbývá najít 100 min, čas "), 0u) << Text(g_hWnd);
    SendMessageW(g_hWnd, WM_RBUTTONDOWN, 0, MAKELPARAM(25, 5));
    EXPECT_EQ(Text(g_hWnd).find(L"Hledání min [zbývá najít 99 min, čas "), 0u) << Text(g_hWnd);
    SendMessageW(g_hWnd, WM_CLOSE, 0, 0);
    EXPECT_TRUE(g_quit);
}

// Each box the thread shows, "title|text|buttons|owner|icon|board" on a line
// of its own: the icon by the handle its control holds, LoadIcon's, which is
// shared within the process; the board "open" while the first cell of the
// picture it puts on screen shows open.
std::wstring s_boxes;

bool s_no = false; // whether to answer No where a box has it

// A timer, which fires inside a box's own loop too: notes the thread's open
// box, if any, and answers it with the button Enter presses (OK, or Yes), or
// with No where it has one and s_no is set.
void CALLBACK AnswerBox(HWND, UINT, UINT_PTR, DWORD)
{
    const HWND box = FindWindowW(L"#32770", NULL);
    if (!box)
        return;
    s_boxes += Text(box) + L"|" + Text(GetDlgItem(box, 0xFFFF)) + L"|";
    for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (GetDlgCtrlID(c) < 10 && IsWindowVisible(c)) // the buttons
            s_boxes += std::to_wstring(GetDlgCtrlID(c));
    const HWND owner = GetWindow(box, GW_OWNER);
    s_boxes += !owner ? L"|none|" : owner == g_hWnd ? L"|game|" : L"|other|";
    const HWND icon = FindWindowExW(box, NULL, L"Static", NULL); // the first control
    const LRESULT shown = SendMessageW(icon, STM_GETICON, 0, 0);
    const wchar_t* names[] = {L"error", L"question", L"warning", L"information"};
    for (int i = 0; i < 4; ++i)
        if (shown == (LRESULT)LoadIconA(NULL, MAKEINTRESOURCEA(32513 + i)))
            s_boxes += names[i];
    s_boxes += GetPixel(g_hDC, 1, 1) == g_colors[0] ? L"|open\n" : L"|\n";
    const WORD enter = LOWORD(SendMessageW(box, DM_GETDEFID, 0, 0));
    SendMessageW(box, WM_COMMAND, s_no && GetDlgItem(box, IDNO) ? IDNO : enter, 0);
}

// A win opens the board, then tells the seconds the caption shows, not a fresh
// reading of the clock, with their noun; then the question, where Yes deals a
// new board, covered, with the same mines, and starts the clock again.
TEST_F(Game, WinTellsTheSecondsShownThenYesDealsANewBoard)
{
    FreeMap();
    ASSERT_TRUE(CreateMap(31, 17, -3)); // no mine is laid: the first click wins
    g_start_time.wYear -= 1;
    g_delta_time = 3;
    SetTimer(g_hWnd, 1, 10, AnswerBox);
    SendMessageW(g_hWnd, WM_LBUTTONDOWN, 0, MAKELPARAM(5, 5));
    KillTimer(g_hWnd, 1);
    EXPECT_EQ(s_boxes,
              L"Kalv|Gratuluji, našli jste všechny miny za 3 sekundy.|1|game|information|open\n"
              L"Kalv|Chcete hrát znova?|67|game|question|open\n");
    EXPECT_EQ(GetPixel(g_hClientDC, 10, 10), kColors[1]) << "a covered cell's fill";
    EXPECT_EQ(Text(g_hWnd).find(L"Hledání min [zbývá najít -3 miny, čas "), 0u) << Text(g_hWnd);
    EXPECT_LT(g_delta_time, 2) << "the clock went on: " << Text(g_hWnd);
}

// A timer of the thread through WinMain's first game: answers each box;
// while none is open and the game's window shows, checks its size and place,
// and clicks cell 41 of its 8-wide board. The click is taken before the next
// tick, and opens a box.
void CALLBACK PlayTheFirstGame(HWND, UINT, UINT_PTR, DWORD)
{
    AnswerBox(NULL, 0, 0, 0);
    if (FindWindowW(L"#32770", NULL) || !g_hWnd || !IsWindowVisible(g_hWnd))
        return; // a box answered, and still there until its loop ends; or no window yet
    RECT client;
    RECT outer;
    GetClientRect(g_hWnd, &client);
    GetWindowRect(g_hWnd, &outer);
    EXPECT_EQ(client.right, 160);
    EXPECT_EQ(client.bottom, 120);
    // Centred, each half of what is left rounded down.
    EXPECT_LE(abs(outer.left + outer.right - GetSystemMetrics(SM_CXSCREEN)), 1);
    EXPECT_LE(abs(outer.top + outer.bottom - GetSystemMetrics(SM_CYSCREEN)), 1);
    PostMessageW(g_hWnd, WM_LBUTTONDOWN, 0, MAKELPARAM(41 % 8 * 20, 41 / 8 * 20));
}

// Kalv's start-up and first game as WinMain runs them in this folder, with the
// shipped Kalv.ini but for its board, raised to 8 x 6 with a warning: the
// window of the board's size centred on the screen, and its clock started
// before the start-up messages, which it counts. The first board is laid by
// the C runtime's generator from its first state, never seeded: its first
// draw, (214013 + 2531011) >> 16 = 41, is a mine. No after the loss ends
// WinMain with 0.
TEST(WinMain, WarningThenTheFirstBoardLostAndNo)
{
    std::ifstream shipped(KALV_INI);
    for (int line = 0; line < 3; ++line) // the board
        shipped.ignore(99, '\n');
    std::ofstream("Kalv.ini") << "width = 8\nheight = 5\nmines count = 10\n" << shipped.rdbuf();
    srand(1); // the generator's first state, whatever ran before
    s_no = true;
    SYSTEMTIME start;
    GetSystemTime(&start);
    SetTimer(NULL, 0, 300, PlayTheFirstGame); // the warning stays open that long
    EXPECT_EQ(WinMain(GetModuleHandleA(NULL), NULL, NULL, SW_SHOW), 0);
    EXPECT_EQ(s_boxes, L"Upozornění|Minimální šířka i délka musí být 6 políček.|1|none|warning|\n"
                       L"Kalv|Šlápnul jste na minu!|1|game|information|open\n"
                       L"Kalv|Chcete hrát znova?|67|game|question|open\n");
    FILETIME started;
    FILETIME clock;
    SystemTimeToFileTime(&start, &started);
    SystemTimeToFileTime(&g_start_time, &clock);
    EXPECT_LT(Ticks(clock) - Ticks(started), 2000000) << "the clock started 0.2 s late or more";
}

// End to end, the real Kalv.exe as it ships, started in this folder without a
// Kalv.ini: it says so, in Czech read here as Unicode on a Japanese system
// (code page 932), where it reads right only if Kalv hands its texts to the
// system as Unicode; once the box is answered, it ends with exit code 1. It
// runs in a job that ends it with this test program, even one killed half-way,
// and starts suspended, so that it never runs outside the job. Each wait is on
// its process: a deadline of seconds, or less when it ends.
TEST(Kalv, WithoutItsFileSaysSoAndEndsWithExitCode1)
{
    DeleteFileA("Kalv.ini");
    const HANDLE job = CreateJobObjectA(NULL, NULL);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limit = {};
    limit.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limit, sizeof limit);
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    ASSERT_TRUE(
        CreateProcessA(KALV_EXE, NULL, NULL, NULL, FALSE, CREATE_SUSPENDED, NULL, NULL, &si, &pi));
    EXPECT_TRUE(AssignProcessToJobObject(job, pi.hProcess));
    ResumeThread(pi.hThread);
    // Idle once it waits for input: in the loop of its first box.
    EXPECT_EQ(WaitForInputIdle(pi.hProcess, 15000), 0u);
    const HWND box = FindWindowA("#32770", NULL);
    EXPECT_EQ(Text(box) + L"|" + Text(GetDlgItem(box, 0xFFFF)),
              L"Chyba|Nelze najít soubor Kalv.ini.");
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    DWORD code = 99;
    WaitForSingleObject(pi.hProcess, 15000);
    GetExitCodeProcess(pi.hProcess, &code);
    EXPECT_EQ(code, 1u);
    CloseHandle(job);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
}

} // namespace
