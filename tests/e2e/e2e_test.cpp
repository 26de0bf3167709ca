// End to end: starts the real Kalv.exe in a fresh folder with a chosen Kalv.ini
// and plays it through what a player sees: the window, its caption, its pixels
// on screen, the message boxes, and the exit code.
#include <windows.h>

#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "windows_path.h"

#ifndef KALV_EXE
#error "KALV_EXE must name the Kalv.exe under test"
#endif

namespace {

const int kCell = 20;
const DWORD kWaitMs = 15000;

// Colours of the test settings: all distinct, none the class background.
const COLORREF kBack = 0x00E0D0C0;
const COLORREF kBack2 = 0x00A08060;
const COLORREF kRaster = 0x00404040;
const COLORREF kMine = 0x00102030;

std::string Settings(int width, int height, int mines)
{
    char text[1024];
    snprintf(text, sizeof text,
             "width = %d\nheight = %d\nmines count = %d\n"
             "backcolor = %06lX\nbackcolor2 = %06lX\nrastercolor = %06lX\nminecolor = %06lX\n"
             "pmocolor1 = FF0000\npmocolor2 = 008000\npmocolor3 = 0000FF\npmocolor4 = 800000\n"
             "pmocolor5 = 000080\npmocolor6 = 808000\npmocolor7 = 000000\npmocolor8 = 808080\n",
             width, height, mines, (unsigned long)kBack, (unsigned long)kBack2,
             (unsigned long)kRaster, (unsigned long)kMine);
    return text;
}

// The Windows C runtime's generator, which the game's unseeded rand follows.
struct MsRand {
    uint32_t x = 1;
    int Next()
    {
        x = x * 214013u + 2531011u;
        return (int)((x >> 16) & 0x7FFF);
    }
};

// A board as the game lays it: -1 mines, else the count of neighbouring mines.
struct Board {
    int w = 0, h = 0;
    std::vector<int> value;
    std::vector<bool> open;

    int& At(int x, int y) { return value[y * w + x]; }
};

Board Predict(MsRand& r, int w, int h, int mines)
{
    Board b;
    b.w = w;
    b.h = h;
    b.value.assign(w * h, 0);
    b.open.assign(w * h, false);
    for (int placed = 0; placed < mines;) {
        const int i = r.Next() % (w * h);
        if (b.value[i] == -1)
            continue;
        b.value[i] = -1;
        ++placed;
    }
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (b.At(x, y) == -1)
                continue;
            for (int ny = y - 1; ny <= y + 1; ++ny)
                for (int nx = x - 1; nx <= x + 1; ++nx)
                    if (nx >= 0 && ny >= 0 && nx < w && ny < h && b.At(nx, ny) == -1)
                        ++b.At(x, y);
        }
    return b;
}

// Opens a cell as a left click would (no flags involved); true when that was
// the last safe cell.
bool OpenCell(Board& b, int x, int y)
{
    std::vector<int> todo{y * b.w + x};
    b.open[todo[0]] = true;
    while (!todo.empty()) {
        const int c = todo.back();
        todo.pop_back();
        if (b.value[c] != 0)
            continue;
        for (int ny = c / b.w - 1; ny <= c / b.w + 1; ++ny)
            for (int nx = c % b.w - 1; nx <= c % b.w + 1; ++nx) {
                if (nx < 0 || ny < 0 || nx >= b.w || ny >= b.h || b.open[ny * b.w + nx])
                    continue;
                b.open[ny * b.w + nx] = true;
                todo.push_back(ny * b.w + nx);
            }
    }
    for (int i = 0; i < b.w * b.h; ++i)
        if (b.value[i] >= 0 && !b.open[i])
            return false;
    return true;
}

enum class Icon { None, Error, Warning, Information, Question, Unknown };

// Pixels of a screen rectangle, or of an icon drawn over a given background.
struct Pixels {
    int w = 0, h = 0;
    std::vector<DWORD> bits;
};

Pixels Capture(int w, int h, int sx, int sy, HICON icon, DWORD background)
{
    Pixels p;
    p.w = w;
    p.h = h;
    p.bits.resize((size_t)w * h);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(NULL);
    HDC mem = CreateCompatibleDC(screen);
    void* data = NULL;
    HBITMAP bmp = CreateDIBSection(mem, &bi, DIB_RGB_COLORS, &data, NULL, 0);
    HGDIOBJ old = SelectObject(mem, bmp);
    if (icon) {
        for (auto& px : p.bits)
            px = background;
        memcpy(data, p.bits.data(), p.bits.size() * 4);
        DrawIconEx(mem, 0, 0, icon, w, h, 0, NULL, DI_NORMAL);
    } else {
        BitBlt(mem, 0, 0, w, h, screen, sx, sy, SRCCOPY);
    }
    GdiFlush();
    memcpy(p.bits.data(), data, p.bits.size() * 4);
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(NULL, screen);
    return p;
}

// Which system icon a box shows, told from its pixels on screen: a handle
// from another process cannot be read back everywhere.
Icon IconOnScreen(HWND control)
{
    RECT r;
    GetWindowRect(control, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0)
        return Icon::Unknown;
    const Pixels shown = Capture(w, h, r.left, r.top, NULL, 0);
    const struct {
        LPCSTR id;
        Icon icon;
    } known[] = {{IDI_HAND, Icon::Error},
                 {IDI_EXCLAMATION, Icon::Warning},
                 {IDI_ASTERISK, Icon::Information},
                 {IDI_QUESTION, Icon::Question}};
    Icon best = Icon::Unknown;
    size_t bestSame = 0;
    for (const auto& k : known) {
        const Pixels drawn = Capture(w, h, 0, 0, LoadIconA(NULL, k.id), shown.bits[0]);
        size_t same = 0;
        for (size_t i = 0; i < shown.bits.size(); ++i)
            same += (shown.bits[i] & 0xFFFFFF) == (drawn.bits[i] & 0xFFFFFF);
        if (same > bestSame) {
            bestSame = same;
            best = k.icon;
        }
    }
    // Accept only a clear match.
    return bestSame * 100 >= shown.bits.size() * 97 ? best : Icon::Unknown;
}

struct Box {
    HWND hwnd = NULL;
    std::string title, text;
    Icon icon = Icon::None;
    HWND owner = NULL;
    std::vector<int> buttons;  // control ids of the visible buttons
    HWND iconControl = NULL;
};

BOOL CALLBACK CollectChild(HWND child, LPARAM param)
{
    Box* box = (Box*)param;
    char cls[32] = "";
    GetClassNameA(child, cls, sizeof cls);
    if (_stricmp(cls, "Button") == 0 && IsWindowVisible(child))
        box->buttons.push_back(GetDlgCtrlID(child));
    // The icon's control id differs between platforms; its style does not.
    if (_stricmp(cls, "Static") == 0 && (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
        box->iconControl = child;
    return TRUE;
}

Box ReadBox(HWND hwnd)
{
    Box box;
    box.hwnd = hwnd;
    char buf[512] = "";
    GetWindowTextA(hwnd, buf, sizeof buf);
    box.title = buf;
    buf[0] = 0;
    GetDlgItemTextA(hwnd, 0xFFFF, buf, sizeof buf);
    box.text = buf;
    box.owner = GetWindow(hwnd, GW_OWNER);
    EnumChildWindows(hwnd, CollectChild, (LPARAM)&box);

    if (box.iconControl && IsWindowVisible(box.iconControl))
        box.icon = IconOnScreen(box.iconControl);
    return box;
}

struct FindArgs {
    DWORD pid;
    const char* cls;
    HWND found;
};

BOOL CALLBACK FindWindowOfProcess(HWND hwnd, LPARAM param)
{
    FindArgs* args = (FindArgs*)param;
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    char cls[64] = "";
    GetClassNameA(hwnd, cls, sizeof cls);
    if (pid == args->pid && strcmp(cls, args->cls) == 0 && IsWindowVisible(hwnd)) {
        args->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

HWND WindowOf(DWORD pid, const char* cls)
{
    FindArgs args = {pid, cls, NULL};
    EnumWindows(FindWindowOfProcess, (LPARAM)&args);
    return args.found;
}

std::string Caption(HWND hwnd)
{
    char buf[256] = "";
    GetWindowTextA(hwnd, buf, sizeof buf);
    return buf;
}

std::string ExpectedCaption(int left, const char* noun, int seconds)
{
    char buf[256];
    snprintf(buf, sizeof buf, "Hledání min [zbývá najít %d %s, čas %d]", left, noun, seconds);
    return buf;
}

// Mines left and seconds read back from the caption; false if it does not parse.
bool ParseCaption(const std::string& caption, int* left, int* seconds)
{
    const char* p = strstr(caption.c_str(), "najít ");
    const char* q = strstr(caption.c_str(), "čas ");
    return p && q && sscanf(p + strlen("najít "), "%d", left) == 1 &&
           sscanf(q + strlen("čas "), "%d", seconds) == 1;
}

COLORREF ScreenPixel(HWND window, int x, int y)
{
    POINT p = {x, y};
    ClientToScreen(window, &p);
    HDC dc = GetDC(NULL);
    const COLORREF c = GetPixel(dc, p.x, p.y);
    ReleaseDC(NULL, dc);
    return c;
}

// One run of Kalv.exe in a folder of its own.
struct Kalv {
    PROCESS_INFORMATION pi = {};
    std::string dir;
    bool sawGameWindow = false;

    // Starts the game; ini null means no settings file at all.
    void Start(const char* ini, WORD showState = SW_SHOWNORMAL)
    {
        static int serial = 0;
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        char name[MAX_PATH];
        snprintf(name, sizeof name, "%skalv-e2e-%lu-%d", temp, GetCurrentProcessId(), ++serial);
        dir = name;
        ASSERT_TRUE(CreateDirectoryA(dir.c_str(), NULL) || GetLastError() == ERROR_ALREADY_EXISTS);
        const std::string ini_path = dir + "\\Kalv.ini";
        DeleteFileA(ini_path.c_str());
        if (ini) {
            FILE* f = fopen(ini_path.c_str(), "wb");
            ASSERT_NE(f, nullptr);
            fwrite(ini, 1, strlen(ini), f);
            fclose(f);
        }
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        si.dwFlags = STARTF_USESHOWWINDOW;
        si.wShowWindow = showState;
        std::string exe = WindowsPath(KALV_EXE);
        ASSERT_TRUE(CreateProcessA(exe.c_str(), NULL, NULL, NULL, FALSE, 0, NULL, dir.c_str(), &si, &pi))
            << "cannot start " << exe << ": error " << GetLastError();
    }

    ~Kalv()
    {
        if (pi.hProcess) {
            if (WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) {
                TerminateProcess(pi.hProcess, 99);
                WaitForSingleObject(pi.hProcess, kWaitMs);
            }
            CloseHandle(pi.hProcess);
            CloseHandle(pi.hThread);
        }
        if (!dir.empty()) {
            DeleteFileA((dir + "\\Kalv.ini").c_str());
            RemoveDirectoryA(dir.c_str());
        }
    }

    bool Running() { return WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT; }

    HWND Game() { return WindowOf(pi.dwProcessId, "Class Kalv"); }

    // Waits for a message box of the game; null on time-out or exit.
    HWND WaitBox()
    {
        for (DWORD t = 0; t < kWaitMs; t += 10) {
            if (Game())
                sawGameWindow = true;
            if (HWND box = WindowOf(pi.dwProcessId, "#32770")) {
                Sleep(50);  // let it finish laying itself out
                return box;
            }
            if (!Running())
                return NULL;
            Sleep(10);
        }
        return NULL;
    }

    // Waits for the game window to show its first caption.
    HWND WaitGame()
    {
        for (DWORD t = 0; t < kWaitMs; t += 10) {
            HWND game = Game();
            if (game && !Caption(game).empty()) {
                sawGameWindow = true;
                return game;
            }
            if (!Running())
                return NULL;
            Sleep(10);
        }
        return NULL;
    }

    // Waits for the caption to satisfy a condition.
    template <typename F>
    bool WaitCaption(HWND game, F ok)
    {
        for (DWORD t = 0; t < kWaitMs; t += 5) {
            if (ok(Caption(game)))
                return true;
            Sleep(5);
        }
        return false;
    }

    // Exit code once the game has ended; -1 on time-out.
    int WaitExit()
    {
        for (DWORD t = 0; t < kWaitMs; t += 10) {
            if (Game())
                sawGameWindow = true;
            if (!Running()) {
                DWORD code = 0;
                GetExitCodeProcess(pi.hProcess, &code);
                return (int)code;
            }
            Sleep(10);
        }
        return -1;
    }
};

void Click(HWND game, int cx, int cy, bool right = false)
{
    const LPARAM pos = MAKELPARAM(cx * kCell + 7, cy * kCell + 12);
    if (right)
        PostMessageA(game, WM_RBUTTONDOWN, MK_RBUTTON, pos);
    else
        PostMessageA(game, WM_LBUTTONDOWN, MK_LBUTTON, pos);
}

// Presses a box's button and waits for the box to go.
void Answer(HWND box, int id)
{
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
    for (DWORD t = 0; t < kWaitMs && IsWindow(box); t += 5)
        Sleep(5);
}

// ---------------------------------------------------------------------------

struct StartupError {
    const char* name;
    const char* ini;  // null: no file
    const char* text;
};

TEST(Startup, ErrorsShowTheirBoxAndEndWithCodeOne)
{
    const std::string tooMany = Settings(6, 6, 36);
    const StartupError cases[] = {
        {"missing file", nullptr, "Nelze najit soubor Kalv.ini."},
        {"bad file", "width = 10\nheight = 10\nmines = 5\n", "Soubor \"Kalv.ini\" je špatně zadaný."},
        {"too many mines", tooMany.c_str(), "Velikost minového pole musí být větší,\nnež je počet min!"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Kalv kalv;
        kalv.Start(c.ini);
        HWND hwnd = kalv.WaitBox();
        ASSERT_NE(hwnd, (HWND)NULL);
        const Box box = ReadBox(hwnd);
        EXPECT_EQ(box.title, "Chyba");
        EXPECT_EQ(box.text, c.text);
        EXPECT_EQ(box.icon, Icon::Error);
        EXPECT_EQ(box.owner, (HWND)NULL);
        EXPECT_EQ(box.buttons, std::vector<int>{IDOK});
        Answer(hwnd, IDOK);
        EXPECT_EQ(kalv.WaitExit(), 1);
        EXPECT_FALSE(kalv.sawGameWindow);
    }
}

TEST(Startup, SmallBoardIsRaisedToSixBySix)
{
    const std::string ini = Settings(3, 4, 5);
    Kalv kalv;
    kalv.Start(ini.c_str());
    HWND hwnd = kalv.WaitBox();
    ASSERT_NE(hwnd, (HWND)NULL);
    const Box box = ReadBox(hwnd);
    EXPECT_EQ(box.title, "Upozornění");
    EXPECT_EQ(box.text, "Minimální šířka i délka musí bít 6 políček.");
    EXPECT_EQ(box.icon, Icon::Warning);
    EXPECT_FALSE(kalv.sawGameWindow);
    Answer(hwnd, IDOK);

    HWND game = kalv.WaitGame();
    ASSERT_NE(game, (HWND)NULL);
    RECT client;
    GetClientRect(game, &client);
    EXPECT_EQ(client.right - client.left, 120);
    EXPECT_EQ(client.bottom - client.top, 120);
    EXPECT_EQ(WindowOf(kalv.pi.dwProcessId, "#32770"), (HWND)NULL);  // only the one warning
    PostMessageA(game, WM_CLOSE, 0, 0);
    EXPECT_EQ(kalv.WaitExit(), 0);
}

// A board far larger than the screen is fitted to it, with one warning, and
// the window is centred. Run on several screen sizes (KALV_SCREEN).
TEST(Startup, HugeBoardIsFittedAndCentred)
{
    const std::string ini = Settings(100000, 100000, 10);
    Kalv kalv;
    kalv.Start(ini.c_str());
    HWND hwnd = kalv.WaitBox();
    ASSERT_NE(hwnd, (HWND)NULL);
    const Box box = ReadBox(hwnd);
    EXPECT_EQ(box.title, "Upozornění");
    EXPECT_EQ(box.text, "Velikost mapy musela být zmenšena.");
    EXPECT_EQ(box.icon, Icon::Warning);
    Answer(hwnd, IDOK);

    HWND game = kalv.WaitGame();
    ASSERT_NE(game, (HWND)NULL);
    const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    RECT client, frame = {0, 0, 0, 0};
    GetClientRect(game, &client);
    AdjustWindowRect(&frame, WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, FALSE);
    const int fw = frame.right - frame.left, fh = frame.bottom - frame.top;
    const int cols = client.right / kCell, rows = client.bottom / kCell;
    EXPECT_EQ(client.right, cols * kCell);
    EXPECT_EQ(client.bottom, rows * kCell);
    // The largest board whose window fits the screen.
    EXPECT_LE(cols * kCell + fw, sw);
    EXPECT_GT((cols + 1) * kCell + fw, sw);
    EXPECT_LE(rows * kCell + fh, sh);
    EXPECT_GT((rows + 1) * kCell + fh, sh);

    RECT outer;
    GetWindowRect(game, &outer);
    EXPECT_EQ(outer.right - outer.left, cols * kCell + fw);
    EXPECT_EQ(outer.left, (sw - (outer.right - outer.left)) / 2);
    EXPECT_EQ(outer.top, (sh - (outer.bottom - outer.top)) / 2);
    PostMessageA(game, WM_CLOSE, 0, 0);
    EXPECT_EQ(kalv.WaitExit(), 0);
}

TEST(Play, CaptionMarksAndAFlagThatRefusesAClick)
{
    const std::string ini = Settings(8, 7, 10);
    Kalv kalv;
    kalv.Start(ini.c_str(), SW_HIDE);  // the show state is not ours to follow
    HWND game = kalv.WaitGame();
    ASSERT_NE(game, (HWND)NULL);
    EXPECT_TRUE(IsWindowVisible(game));
    EXPECT_TRUE(kalv.WaitCaption(game, [](const std::string& c) {
        return c == ExpectedCaption(10, "min", 0) || c == ExpectedCaption(10, "min", 1);
    })) << Caption(game);

    MsRand r;
    Board b = Predict(r, 8, 7, 10);
    int mine = 0;
    while (b.value[mine] != -1)
        ++mine;
    const int mx = mine % 8, my = mine / 8;

    auto leftIs = [&](int want) {
        return kalv.WaitCaption(game, [want](const std::string& c) {
            int left, seconds;
            return ParseCaption(c, &left, &seconds) && left == want;
        });
    };
    Click(game, mx, my, true);  // "!"
    EXPECT_TRUE(leftIs(9)) << Caption(game);
    EXPECT_NE(Caption(game).find(" 9 min,"), std::string::npos);

    // A left click on the flagged mine does nothing; a later right click
    // elsewhere shows that it was handled.
    Click(game, mx, my);
    int other = 0;
    while (other == mine)
        ++other;
    Click(game, other % 8, other / 8, true);
    EXPECT_TRUE(leftIs(8)) << Caption(game);
    EXPECT_EQ(WindowOf(kalv.pi.dwProcessId, "#32770"), (HWND)NULL);
    Click(game, other % 8, other / 8, true);  // "?" no longer counts
    EXPECT_TRUE(leftIs(9)) << Caption(game);
    Click(game, mx, my, true);  // "?"
    EXPECT_TRUE(leftIs(10)) << Caption(game);
    Click(game, mx, my, true);  // none
    Click(game, mx, my, true);  // "!" again
    EXPECT_TRUE(leftIs(9)) << Caption(game);

    // A repaint leaves the board on screen, not the class background.
    RedrawWindow(game, NULL, NULL, RDW_INVALIDATE | RDW_ERASE);
    Sleep(300);
    EXPECT_EQ(ScreenPixel(game, other % 8 * kCell + 3, other / 8 * kCell + 16), kBack2);

    PostMessageA(game, WM_CLOSE, 0, 0);
    EXPECT_EQ(kalv.WaitExit(), 0);
}

TEST(Play, LossShowsTheBoardThenYesStartsAnewAndNoEnds)
{
    const int w = 9, h = 8, mines = 12;
    const std::string ini = Settings(w, h, mines);
    Kalv kalv;
    kalv.Start(ini.c_str());
    HWND game = kalv.WaitGame();
    ASSERT_NE(game, (HWND)NULL);

    MsRand r;
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        Board b = Predict(r, w, h, mines);
        int mine = 0;
        while (b.value[mine] != -1)
            ++mine;
        if (round == 0)
            Sleep(1100);  // so that the clock visibly restarts afterwards
        Click(game, mine % w, mine / w);
        HWND hwnd = kalv.WaitBox();
        ASSERT_NE(hwnd, (HWND)NULL);
        Box box = ReadBox(hwnd);
        EXPECT_EQ(box.title, "Kalv");
        EXPECT_EQ(box.text, "Šlápnul jste na minu!");
        EXPECT_EQ(box.icon, Icon::Information);
        EXPECT_EQ(box.owner, game);
        EXPECT_EQ(box.buttons, std::vector<int>{IDOK});

        // Behind the box the whole board is open: discs on mines, open cells elsewhere.
        SetWindowPos(hwnd, NULL, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        Sleep(200);
        for (int i = 0; i < w * h; ++i) {
            const int x = i % w * kCell, y = i / w * kCell;
            if (b.value[i] == -1) {
                EXPECT_EQ(ScreenPixel(game, x + 10, y + 10), kMine) << "cell " << i;
            } else {
                EXPECT_EQ(ScreenPixel(game, x + 2, y + 17), kBack) << "cell " << i;
            }
            EXPECT_EQ(ScreenPixel(game, x, y + 5), kRaster) << "cell " << i;
        }
        Answer(hwnd, IDOK);

        hwnd = kalv.WaitBox();
        ASSERT_NE(hwnd, (HWND)NULL);
        box = ReadBox(hwnd);
        EXPECT_EQ(box.title, "Kalv");
        EXPECT_EQ(box.text, "Chcete hrát znova?");
        EXPECT_EQ(box.icon, Icon::Question);
        EXPECT_EQ(box.owner, game);
        EXPECT_EQ(box.buttons, (std::vector<int>{IDYES, IDNO}));
        if (round == 1) {
            Answer(hwnd, IDNO);
            break;
        }
        Answer(hwnd, IDYES);
        // A new board, the clock back at 0.
        EXPECT_TRUE(kalv.WaitCaption(game, [&](const std::string& c) {
            return c == ExpectedCaption(mines, "min", 0);
        })) << Caption(game);
        EXPECT_EQ(ScreenPixel(game, 10, 15), kBack2);
    }
    EXPECT_EQ(kalv.WaitExit(), 0);
}

TEST(Play, WinReportsTheCaptionSeconds)
{
    const int w = 6, h = 6, mines = 4;
    const std::string ini = Settings(w, h, mines);
    Kalv kalv;
    kalv.Start(ini.c_str());
    HWND game = kalv.WaitGame();
    ASSERT_NE(game, (HWND)NULL);

    MsRand r;
    Board b = Predict(r, w, h, mines);
    Sleep(1200);  // let the clock run
    int before = -1, after = -1, left = 0;
    for (int i = 0; i < w * h; ++i) {
        if (b.value[i] == -1 || b.open[i])
            continue;
        const bool last = OpenCell(b, i % w, i / w);
        if (last) {
            ASSERT_TRUE(ParseCaption(Caption(game), &left, &before)) << Caption(game);
        }
        Click(game, i % w, i / w);
        if (last)
            break;
    }
    HWND hwnd = kalv.WaitBox();
    ASSERT_NE(hwnd, (HWND)NULL);
    ASSERT_TRUE(ParseCaption(Caption(game), &left, &after)) << Caption(game);
    const Box box = ReadBox(hwnd);
    int reported = -1;
    ASSERT_EQ(sscanf(box.text.c_str(), "Gratuluji, našli jste všechny miny za %d sekund.", &reported), 1)
        << box.text;
    EXPECT_EQ(box.text, "Gratuluji, našli jste všechny miny za " + std::to_string(reported) + " sekund.");
    EXPECT_GE(reported, 1);
    EXPECT_GE(reported, before);
    EXPECT_LE(reported, after);
    EXPECT_EQ(box.title, "Kalv");
    EXPECT_EQ(box.icon, Icon::Information);

    // Mines stay covered and carry flags.
    SetWindowPos(hwnd, NULL, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    Sleep(200);
    for (int i = 0; i < w * h; ++i) {
        if (b.value[i] == -1) {
            EXPECT_EQ(ScreenPixel(game, i % w * kCell + 15, i / w * kCell + 15), kBack2);
        }
    }
    Answer(hwnd, IDOK);
    hwnd = kalv.WaitBox();
    ASSERT_NE(hwnd, (HWND)NULL);
    Answer(hwnd, IDNO);
    EXPECT_EQ(kalv.WaitExit(), 0);
}

}  // namespace
