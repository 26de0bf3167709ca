// Under Wine, in-process, with the Windows C runtime and real GDI and USER32:
// Kalv's own code. Mines laid beyond the reach of rand. In a window of the
// game's procedure, painting: the pixels of every cell look read back from the
// off-screen surface; a repaint, which writes only the cells whose look
// changed, always equal to painting every cell with GDI. The shell: the main
// loop with other windows on its thread; the window procedure through a paint,
// a right click and a win; WinMain, with Kalv's resources linked in, through
// start-up (its settings file, its window and class) and a lost first game.
// Message boxes are read and answered from inside their own loops, by timers.
// Each test sets up all it reads, so that any order passes, in one process or
// one test a process. And end to end, the real Kalv.exe.
#include <gtest/gtest.h>

#include <windows.h>

#include <stdlib.h>
#include <string.h>

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

const COLORREF kWhite = 0xFFFFFF;

// As painted, distinct from each other and from black, white, pure red
// (0x0000FF, the flag's) and pure blue (0xFF0000, the question mark's). The
// minecolor's highest byte, 01, makes it entry 3 of the default palette, which
// Windows paints as (128, 128, 0), 0x008080: the value reaches GDI as read.
const COLORREF kColors[12] = {0xC8C8C8, 0xA09090, 0x406080, 0x01000003, 0x008000, 0x800080,
                              0x600060, 0x804000, 0x004080, 0x808000,   0x400040, 0x206020};

// The Windows C runtime's rand reaches only 32767; mines still fall beyond the
// 32768th cell.
TEST(Minefield, LaysMinesBeyondWhatRandReaches)
{
    ASSERT_TRUE(CreateMap(400, 300, 30000));
    const auto mine = [](const Cell& c) { return c.value == -1; };
    EXPECT_GT(std::count_if(g_m + 32768, g_m + 120000, mine), 15000);
    FreeMap();
}

// Each box the thread shows, "title|text|buttons|owner|icon|board" on a line
// of its own: the icon by the handle its control holds, LoadIcon's, which is
// shared within the process; the board "open" while the first cell of the
// picture it puts on screen shows open.
std::wstring s_boxes;

// How a box is answered: one that asks (Yes or No), and one with only OK (OK,
// or IDCANCEL, which Esc and the close button send).
std::pair<WORD, WORD> s_answers = {IDYES, IDOK};

// A Unicode window of the game's procedure, with no caption yet, over a black
// background that shows wherever the default handling erases the board; on it
// a board of 31 x 17 cells with 100 mines and its drawing objects, its own DC
// g_hClientDC showing its pixels; a clock whose seconds cannot change, started
// in the far future, and the caption's seconds for it, the earliest it shows;
// and nothing left from a test before: no quit asked, no box seen. A question
// is answered Yes; the end of a game's box is closed as Esc closes it.
struct Game : ::testing::Test {
    void SetUp() override
    {
        g_quit = false;
        s_boxes.clear();
        s_answers = {IDYES, IDCANCEL};
        WNDCLASSW wc = {};
        wc.lpfnWndProc = MainWndProc;
        wc.hbrBackground = (HBRUSH)GetStockObject(BLACK_BRUSH); // not the board's
        wc.lpszClassName = L"Game";
        RegisterClassW(&wc);
        g_hWnd =
            CreateWindowExW(0, L"Game", 0, kWindowStyle | WS_VISIBLE, 0, 0, 700, 400, 0, 0, 0, 0);
        std::copy(kColors, kColors + 12, g_colors);
        ASSERT_TRUE(CreateMap(31, 17, 100));
        ASSERT_TRUE(CreateDrawingObjects(g_hWnd));
        ASSERT_TRUE(DrawMapUsesTiles());
        g_start_time = {9999, 1, 0, 1, 0, 0, 0, 0};
        g_delta_time = INT32_MIN;
    }
    // Releasing the drawing objects deletes every one that was made.
    void TearDown() override
    {
        const HGDIOBJ made[6] = {g_hDC, g_hBitmap, g_hb1, g_hb2, g_hb3, g_hp1};
        ReleaseDrawingObjects(g_hWnd);
        for (const HGDIOBJ object : made)
            EXPECT_EQ(GetObjectType(object), 0u) << object;
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
// an open one is outlined in rastercolor on backcolor. The mine's disc is 14
// pixels across in the middle, in minecolor as painted, outlined in
// rastercolor.
TEST_F(Game, EveryCellLook)
{
    // clang-format off
    std::tuple<Cell, COLORREF, char> looks[16] = {
        {{0, 0, 0}, 0, 0}, {{0, 0, 1}, 0x0000FF, '!'}, {{0, 0, 2}, 0xFF0000, '?'}, {{5, 0, 0}, 0, 0},
        {{-1, 0, 0}, 0, 0}, {{0, 1, 1}, 0, 0}, {{-1, 1, 2}, 0, '*'}, {{0, 1, 0}, 0, 0}};
    // clang-format on
    for (int v = 1; v <= 8; ++v)
        looks[7 + v] = {{v, 1, 0}, kColors[3 + v], (char)('0' + v)};
    for (int x = 0; x < 16; ++x)
        g_m[x] = std::get<0>(looks[x]);
    DrawMap();
    SelectObject(g_hDC, GetStockObject(DC_BRUSH));
    for (int x = 0; x < 16; ++x) {
        const auto& [cell, ink, shows] = looks[x];
        // Two rows below, the middle as the look must show it, drawn here
        // with GDI: the fill, then the character centred.
        SetDCBrushColor(g_hDC, kColors[cell.open ? 0 : 1]);
        PatBlt(g_hDC, x * 20, 40, 20, 20, PATCOPY);
        SetTextColor(g_hDC, ink);
        RECT middle = {x * 20, 40, x * 20 + 20, 60};
        if (shows == '*') {
            // {x, y, colour}: the middle; the outline in the first and last
            // rows and columns of the ellipse inscribed in (3, 3) to (17, 17),
            // right and bottom left out; the fill one pixel beyond its left and
            // right ends, and in a corner beside it.
            const std::tuple<int, int, COLORREF> disc[] = {
                {10, 10, 0x008080},   {10, 3, kColors[2]},  {10, 16, kColors[2]},
                {3, 10, kColors[2]},  {16, 10, kColors[2]}, {2, 10, kColors[0]},
                {17, 10, kColors[0]}, {4, 4, kColors[0]}};
            for (const auto& [px, py, colour] : disc)
                EXPECT_EQ(GetPixel(g_hDC, x * 20 + px, py), colour) << "at " << px << "," << py;
            continue;
        }
        if (shows)
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
    // Two steps on safe cells to one mark, the marks on a few cells only, so
    // that they run through "!" and "?" back to none.
    for (int move = 0; move < 60; ++move) {
        const int i = rand() % (g_mw * g_mh);
        if (move % 3 && g_m[i].value != -1)
            StepMap(i % g_mw, i / g_mw);
        else
            CycleMark(i % g_mw % 3, i / g_mw % 2);
        ASSERT_TRUE(RepaintEqualsGdi()) << "move " << move;
    }
    const auto unflagged = [](const Cell& c) { return c.value == -1 && c.mark != 1; };
    const int mine = (int)(std::find_if(g_m, g_m + g_mw * g_mh, unflagged) - g_m);
    ASSERT_EQ(StepMap(mine % g_mw, mine / g_mw), StepMineHit);
    EXPECT_TRUE(RepaintEqualsGdi()) << "loss";
}

// The captions the game window is given, and its own procedure, to which a
// procedure that notes them hands every message on. Its timer asks the thread
// to quit; a loop that does not heed it runs on until the test's time-out
// fails it.
std::vector<std::wstring> s_captions;
WNDPROC s_procedure;

LRESULT CALLBACK NoteCaption(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SETTEXT)
        s_captions.push_back((const wchar_t*)lParam);
    if (message == WM_TIMER)
        PostQuitMessage(0);
    return CallWindowProcW(s_procedure, window, message, wParam, lParam);
}

// The main loop takes every message of its thread, not only the game window's:
// one for another of its windows (an input method's, say) does not keep it
// busy. Between messages it sleeps until the clock's next second, when it
// writes the caption by itself: idle for two and a half seconds from a caption
// just written, it writes the seconds at least twice more, where a loop that
// waits for messages only can write them once at most, as it starts. Its
// thread uses a small part of that time (kernel and user, in 100 ns units;
// right under Wine), where a loop that never waits uses most of it. It ends
// when the thread is asked to quit.
TEST_F(Game, MainLoopSleepsUntilInputOrTheNextSecond)
{
    // Another window of the thread, and a timer of the game window's, which a
    // loop that takes only its own messages sees too.
    PostMessageA(CreateWindowExA(0, "Static", "", WS_POPUP, 0, 0, 1, 1, 0, 0, 0, 0), WM_USER, 0, 0);
    SetTimer(g_hWnd, 1, 2500, NULL);
    GetSystemTime(&g_start_time);
    DrawCap(g_hWnd, true);
    s_captions.clear();
    s_procedure = (WNDPROC)SetWindowLongPtrW(g_hWnd, GWLP_WNDPROC, (LONG_PTR)NoteCaption);
    ULARGE_INTEGER times[4]; // created, ended, kernel, user: FILETIMEs
    FILETIME* const time = (FILETIME*)times;
    GetThreadTimes(GetCurrentThread(), &time[0], &time[1], &time[2], &time[3]);
    const uint64_t before = times[2].QuadPart + times[3].QuadPart;
    RunMainLoop();
    GetThreadTimes(GetCurrentThread(), &time[0], &time[1], &time[2], &time[3]);
    EXPECT_LT(times[2].QuadPart + times[3].QuadPart - before, 5000000u) << "of 25000000 idle";
    EXPECT_GE(s_captions.size(), 2u) << "the caption did not tick: " << Text(g_hWnd);
}

// A paint puts the board on screen, and the default handling after it leaves
// the board rather than erasing it; it writes the caption even when its
// seconds have not changed.
TEST_F(Game, PaintShowsTheBoardAndWritesTheCaption)
{
    RedrawWindow(g_hWnd, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    EXPECT_EQ(GetPixel(g_hClientDC, 10, 0), kWhite) << "a covered cell's light top edge";
    EXPECT_EQ(Text(g_hWnd), L"Hledání min [zbývá najít 100 min, čas -2147483648]");
}

// A right click anywhere in a cell's square marks that cell, and the caption
// counts the flag at once, though its seconds have not changed.
TEST_F(Game, RightClickFlagsTheCellAndCountsIt)
{
    SendMessageW(g_hWnd, WM_RBUTTONDOWN, 0, MAKELPARAM(39, 19)); // the second cell's far corner
    EXPECT_EQ(g_m[1].mark, 1);
    EXPECT_EQ(Text(g_hWnd), L"Hledání min [zbývá najít 99 min, čas -2147483648]");
}

// A timer, which fires inside a box's own loop too: notes the thread's open
// box, if any, and answers it as s_answers says.
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
    // The icon, in the first control.
    const LRESULT shown =
        SendMessageW(FindWindowExW(box, NULL, L"Static", NULL), STM_GETICON, 0, 0);
    const wchar_t* names[] = {L"error", L"question", L"warning", L"information"};
    for (int i = 0; i < 4; ++i)
        if (shown == (LRESULT)LoadIconA(NULL, MAKEINTRESOURCEA(32513 + i)))
            s_boxes += names[i];
    s_boxes += GetPixel(g_hDC, 1, 1) == g_colors[0] ? L"|open\n" : L"|\n";
    SendMessageW(box, WM_COMMAND, GetDlgItem(box, IDNO) ? s_answers.first : s_answers.second, 0);
}

// A win opens the board, then tells the seconds the caption shows, not a
// fresh reading of the clock (which would be far from them), with their noun;
// its box closed with Esc, then the question, where Yes deals a new board of
// the same size, covered, with the same mines, starts the clock again and shows
// it in the caption at once.
TEST_F(Game, WinThenYesDealsANewBoard)
{
    FreeMap();
    ASSERT_TRUE(CreateMap(31, 17, -3)); // no mine is laid: the first click wins
    g_delta_time = 3;
    SetTimer(g_hWnd, 1, 10, AnswerBox);
    SendMessageW(g_hWnd, WM_LBUTTONDOWN, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(s_boxes,
              L"Kalv|Gratuluji, našli jste všechny miny za 3 sekundy.|1|game|information|open\n"
              L"Kalv|Chcete hrát znova?|67|game|question|open\n");
    EXPECT_EQ(std::make_pair(g_mw, g_mh), std::make_pair(31, 17)) << "the size";
    EXPECT_EQ(GetPixel(g_hClientDC, 10, 10), kColors[1]) << "a covered cell's fill";
    EXPECT_LE((uint32_t)g_delta_time, 1u) << "not restarted, 0 or 1: " << Text(g_hWnd);
    EXPECT_EQ(Text(g_hWnd),
              L"Hledání min [zbývá najít -3 miny, čas " + std::to_wstring(g_delta_time) + L"]");
}

SYSTEMTIME s_clock_at_warning; // the game's clock while the first box was open

// A timer of the thread through WinMain's first game. In the first box, the
// warning, it deletes Kalv.ini, which must be closed by then: the C runtime's
// fopen lets others read and write an open file, but not delete or rename it.
// It answers each box. While none is open and the game's window shows, it
// checks the window's class (its style, with no CS_DBLCLKS, so that a fast
// second click is a plain click; the icon of resource 101, here the test's own
// copy of Kalv's resources; the arrow cursor; the background) and that it has
// no menu, the first picture it shows, its size and place, and clicks cell 41
// of its 8-wide board.
// The click is taken before the next tick, and opens a box.
void CALLBACK PlayTheFirstGame(HWND, UINT, UINT_PTR, DWORD)
{
    if (s_boxes.empty()) { // ticks come in box loops first: the warning's
        s_clock_at_warning = g_start_time;
        EXPECT_TRUE(DeleteFileA("Kalv.ini")) << "Kalv.ini still open, error " << GetLastError();
    }
    AnswerBox(NULL, 0, 0, 0);
    if (FindWindowW(L"#32770", NULL) || !g_hWnd || !IsWindowVisible(g_hWnd))
        return; // a box answered, and still there until its loop ends; or no window yet
    EXPECT_EQ(GetClassLongPtrW(g_hWnd, GCL_STYLE), 0x23u) << "CS_HREDRAW | CS_VREDRAW | CS_OWNDC";
    EXPECT_EQ((HICON)GetClassLongPtrW(g_hWnd, GCLP_HICON), LoadIconA(GetModuleHandleA(0), "#101"));
    EXPECT_EQ(GetClassLongPtrW(g_hWnd, GCLP_HCURSOR), (LONG_PTR)LoadCursorA(NULL, IDC_ARROW));
    EXPECT_EQ(GetClassLongPtrW(g_hWnd, GCLP_HBRBACKGROUND), (LONG_PTR)GetStockObject(LTGRAY_BRUSH));
    EXPECT_EQ(GetMenu(g_hWnd), nullptr);
    // The first picture: the whole board, to its last cell.
    EXPECT_EQ(GetPixel(g_hClientDC, 150, 119), 0u) << "the last cell's black bottom edge";
    RECT client;
    RECT outer;
    GetClientRect(g_hWnd, &client);
    GetWindowRect(g_hWnd, &outer);
    EXPECT_EQ(std::make_pair(client.right, client.bottom), std::make_pair(160L, 120L));
    // Centred, each half of what is left rounded down.
    EXPECT_LE(abs(outer.left + outer.right - GetSystemMetrics(SM_CXSCREEN)), 1);
    EXPECT_LE(abs(outer.top + outer.bottom - GetSystemMetrics(SM_CYSCREEN)), 1);
    PostMessageW(g_hWnd, WM_LBUTTONDOWN, 0, MAKELPARAM(41 % 8 * 20, 41 / 8 * 20));
}

// Kalv's start-up and first game as WinMain runs them in this folder, with the
// shipped Kalv.ini but for its board, raised to 8 x 6 with a warning, shown
// once the file is closed: the window of the board's size centred on the
// screen, and the clock started before the start-up messages, which the first
// game counts. The first board is laid by the C runtime's generator from its
// first state, never seeded: its first draw, (214013 + 2531011) >> 16 = 41, is
// a mine. No after the loss ends WinMain with 0. Kalv.ini, deleted in the
// first box, is never written again.
TEST(WinMain, PlaysTheFirstGameFromStartUpToNo)
{
    std::ifstream shipped(KALV_INI);
    for (int line = 0; line < 3; ++line) // the board
        shipped.ignore(99, '\n');
    std::ofstream("Kalv.ini") << "width = 8\nheight = 5\nmines count = 10\n" << shipped.rdbuf();
    srand(1); // the generator's first state, whatever ran before
    g_quit = false;
    s_boxes.clear();
    s_answers = {IDNO, IDOK};
    const UINT_PTR timer = SetTimer(NULL, 0, 10, PlayTheFirstGame);
    EXPECT_EQ(WinMain(GetModuleHandleA(NULL), NULL, NULL, SW_SHOW), 0);
    KillTimer(NULL, timer);
    EXPECT_EQ(
        s_boxes.find(L"Upozornění|Minimální šířka i délka musí být 6 políček.|1|none|warning|\n"
                     L"Kalv|Šlápnul jste na minu!|1|game|information|open\n"),
        0u)
        << s_boxes;
    EXPECT_EQ(memcmp(&s_clock_at_warning, &g_start_time, sizeof g_start_time), 0)
        << "the game's clock is not one started before the warning";
    EXPECT_EQ(GetFileAttributesA("Kalv.ini"), INVALID_FILE_ATTRIBUTES) << "Kalv.ini was written";
}

// Without its Kalv.ini, WinMain ends with 1 once its message is answered.
TEST(WinMain, WithoutItsFileEndsWith1)
{
    DeleteFileA("Kalv.ini");
    const UINT_PTR timer = SetTimer(NULL, 0, 10, AnswerBox);
    EXPECT_EQ(WinMain(GetModuleHandleA(NULL), NULL, NULL, SW_SHOW), 1);
    KillTimer(NULL, timer);
}

// End to end, the real Kalv.exe as it ships, started in this folder with the
// shipped Kalv.ini, minimised, as a shortcut can ask: it still shows its
// window, of its own class, with the game's style, as it is (neither hidden
// nor minimised), and once closed ends with exit code 0. Should the test be
// killed half-way, the end of the Wine server it runs under ends the game
// too. Each wait is on the process: a deadline of seconds, or less once the
// game shows or ends.
TEST(Kalv, ShowsItsWindowHoweverItIsStarted)
{
    CopyFileA(KALV_INI, "Kalv.ini", FALSE);
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_SHOWMINNOACTIVE;
    PROCESS_INFORMATION pi = {};
    ASSERT_TRUE(CreateProcessA(KALV_EXE, NULL, NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi));
    // Wine may count it idle before its window is made: the caption shows it
    // shown and in its game, once its first paint has written it (15 s at most).
    HWND game;
    int waits = 0;
    while (!GetWindowTextLengthW(game = FindWindowW(L"Class Kalv", NULL)) && ++waits < 1500)
        Sleep(10);
    EXPECT_EQ(GetWindowLongW(game, GWL_STYLE) & ~WS_CLIPSIBLINGS, (LONG)(0x00CA0000 | WS_VISIBLE));
    PostMessageW(game, WM_CLOSE, 0, 0);
    DWORD code = 99;
    WaitForSingleObject(pi.hProcess, 15000);
    GetExitCodeProcess(pi.hProcess, &code);
    EXPECT_EQ(code, 0u);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
}

} // namespace
