// The settings phase under Wine with the real USER32: each message box is
// caught in-process as it becomes active, read (title, text, icon, buttons,
// owner) and closed, and LoadSettings' answer and returned sizes are checked
// against the real display mode and window frame.
#include <gtest/gtest.h>

#include <windows.h>

#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "minefield/minefield.h"
#include "settings/settings.h"

namespace {

struct Box {
    std::string title;
    std::string text;
    UINT icon;                // MB_ICONERROR, MB_ICONWARNING, ... or 0
    std::vector<int> buttons; // control ids of the buttons
    bool owned;
    bool fileHeld; // Kalv.ini was still open when the box appeared
};

std::vector<Box> g_boxes;
int g_missed; // boxes the hook did not see, closed by the safety timer
HHOOK g_hook;

// Which standard icon the box shows, read back from its icon control.
UINT IconOf(HWND box)
{
    HICON shown = NULL;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char cls[32] = "";
        GetClassNameA(child, cls, sizeof cls);
        if (lstrcmpiA(cls, "Static") == 0 &&
            (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
            shown = (HICON)SendMessageA(child, STM_GETICON, 0, 0);
    }
    if (!shown)
        return 0;
    const struct {
        LPCSTR id;
        UINT icon;
    } icons[] = {{IDI_ERROR, MB_ICONERROR},
                 {IDI_WARNING, MB_ICONWARNING},
                 {IDI_INFORMATION, MB_ICONINFORMATION},
                 {IDI_QUESTION, MB_ICONQUESTION}};
    for (const auto& i : icons)
        if (LoadIconA(NULL, i.id) == shown)
            return i.icon;
    return 0xFFFFFFFF; // an icon, but none of the standard ones
}

bool FileHeld()
{
    const HANDLE h = CreateFileA("Kalv.ini", GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_SHARING_VIOLATION;
    CloseHandle(h);
    return false;
}

Box Read(HWND box)
{
    Box b;
    char text[1024] = "";
    GetWindowTextA(box, text, sizeof text);
    b.title = text;
    text[0] = 0;
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    b.text = text;
    b.icon = IconOf(box);
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char cls[32] = "";
        GetClassNameA(child, cls, sizeof cls);
        if (lstrcmpiA(cls, "Button") == 0 && (GetWindowLongA(child, GWL_STYLE) & WS_VISIBLE))
            b.buttons.push_back(GetDlgCtrlID(child));
    }
    b.owned = GetWindow(box, GW_OWNER) != NULL;
    b.fileHeld = FileHeld();
    return b;
}

bool IsDialog(HWND w)
{
    char cls[32] = "";
    GetClassNameA(w, cls, sizeof cls);
    return strcmp(cls, "#32770") == 0;
}

LRESULT CALLBACK CatchBox(int code, WPARAM wParam, LPARAM lParam)
{
    const HWND w = (HWND)wParam;
    if (code == HCBT_ACTIVATE && IsDialog(w) && !GetPropA(w, "kalv.seen")) {
        SetPropA(w, "kalv.seen", (HANDLE)1);
        g_boxes.push_back(Read(w));
        PostMessageA(w, WM_COMMAND, IDOK, 0);
    }
    return CallNextHookEx(g_hook, code, wParam, lParam);
}

// Should a box never become active, the test must not hang on it.
BOOL CALLBACK CloseMissed(HWND w, LPARAM)
{
    if (IsDialog(w) && !GetPropA(w, "kalv.seen")) {
        SetPropA(w, "kalv.seen", (HANDLE)1);
        ++g_missed;
        PostMessageA(w, WM_COMMAND, IDOK, 0);
    }
    return TRUE;
}

void CALLBACK SafetyTimer(HWND, UINT, UINT_PTR, DWORD)
{
    EnumThreadWindows(GetCurrentThreadId(), CloseMissed, 0);
}

const char kGoodColors[] = "backcolor = C0C0C0\nbackcolor2 = 808080\nrastercolor = 0\n"
                           "minecolor = 0000FF\npmocolor1 = FF0000\npmocolor2 = 8000\n"
                           "pmocolor3 = FF\npmocolor4 = 800000\npmocolor5 = 80\n"
                           "pmocolor6 = 808000\npmocolor7 = 0\npmocolor8 = 808080\n";

std::string File(long long width, long long height, long long mines)
{
    char head[200];
    snprintf(head, sizeof head, "width = %lld\nheight = %lld\nmines count = %lld\n", width, height,
             mines);
    return head + std::string(kGoodColors);
}

// Each case runs in a fresh empty folder of its own, made current.
struct SettingsPhase : ::testing::Test {
    char home[MAX_PATH];
    char folder[MAX_PATH];
    UINT_PTR timer;

    void SetUp() override
    {
        GetCurrentDirectoryA(sizeof home, home);
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        static int counter;
        snprintf(folder, sizeof folder, "%skalv_settings_%lu_%d", temp, GetCurrentProcessId(),
                 ++counter);
        ASSERT_TRUE(CreateDirectoryA(folder, NULL)) << folder;
        ASSERT_TRUE(SetCurrentDirectoryA(folder));
        g_boxes.clear();
        g_missed = 0;
        g_hook = SetWindowsHookExA(WH_CBT, CatchBox, NULL, GetCurrentThreadId());
        ASSERT_TRUE(g_hook != NULL);
        timer = SetTimer(NULL, 0, 3000, SafetyTimer);
    }

    void TearDown() override
    {
        KillTimer(NULL, timer);
        UnhookWindowsHookEx(g_hook);
        DeleteFileA("Kalv.ini");
        SetCurrentDirectoryA(home);
        RemoveDirectoryA(folder);
        EXPECT_EQ(0, g_missed) << "message boxes that never became active";
    }

    void Write(const std::string& text)
    {
        FILE* f = fopen("Kalv.ini", "wb");
        ASSERT_TRUE(f != NULL);
        fwrite(text.data(), 1, text.size(), f);
        fclose(f);
    }
};

void ExpectBox(const Box& box, const char* text, const char* title, UINT icon)
{
    EXPECT_EQ(text, box.text);
    EXPECT_EQ(title, box.title);
    EXPECT_EQ(icon, box.icon);
    EXPECT_EQ(std::vector<int>{IDOK}, box.buttons);
    EXPECT_FALSE(box.owned);
    EXPECT_FALSE(box.fileHeld);
}

const char kBadFile[] = "Soubor \"Kalv.ini\" je špatně zadaný.";
const char kTooSmall[] = "Minimální šířka i délka musí bít 6 políček.";
const char kShrunk[] = "Velikost mapy musela být zmenšena.";
const char kTooManyMines[] = "Velikost minového pole musí být větší,\nnež je počet min!";

// The outer size of the game window for a board, from the window system itself.
SIZE WindowFor(int32_t width, int32_t height)
{
    RECT r = {0, 0, width * CELL_SIZE, height * CELL_SIZE};
    AdjustWindowRect(&r, 0x00CA0000, FALSE);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

SIZE Screen()
{
    DEVMODEA mode = {};
    mode.dmSize = sizeof mode;
    EXPECT_TRUE(EnumDisplaySettingsA(NULL, ENUM_CURRENT_SETTINGS, &mode));
    return SIZE{(LONG)mode.dmPelsWidth, (LONG)mode.dmPelsHeight};
}

// A board that goes on: its window has the frame's size for that board, and
// the screen is the display mode's.
void ExpectSizes(const LoadedSettings& s, int32_t width, int32_t height)
{
    EXPECT_EQ(width, s.width);
    EXPECT_EQ(height, s.height);
    const SIZE window = WindowFor(s.width, s.height);
    EXPECT_EQ(window.cx, s.windowWidth);
    EXPECT_EQ(window.cy, s.windowHeight);
    const SIZE screen = Screen();
    EXPECT_EQ(screen.cx, s.screenWidth);
    EXPECT_EQ(screen.cy, s.screenHeight);
}

// The most cells along a side whose window still fits on the screen.
int32_t MostThatFit(bool across)
{
    const SIZE screen = Screen();
    int32_t cells = 1;
    while (across ? WindowFor(cells + 1, 1).cx <= screen.cx
                  : WindowFor(1, cells + 1).cy <= screen.cy)
        ++cells;
    return cells;
}

TEST_F(SettingsPhase, MissingOrBadFileIsAnErrorAndStops)
{
    LoadedSettings s;
    EXPECT_FALSE(LoadSettings(&s));
    ASSERT_EQ(1u, g_boxes.size());
    ExpectBox(g_boxes[0], "Nelze najit soubor Kalv.ini.", "Chyba", MB_ICONERROR);

    const std::string good = File(30, 16, 99);
    const std::string bad[] = {
        good.substr(0, good.find("pmocolor2")), // ends after the eighth entry
        File(2147483648LL, 16, 99),             // past 32 bits
        "\xEF\xBB\xBF" + good,                  // byte-order mark
    };
    for (const std::string& text : bad) {
        Write(text);
        g_boxes.clear();
        EXPECT_FALSE(LoadSettings(&s));
        ASSERT_EQ(1u, g_boxes.size());
        ExpectBox(g_boxes[0], kBadFile, "Chyba", MB_ICONERROR);
    }
}

TEST_F(SettingsPhase, GoodFileGoesOnSilentlyWithItsValuesAndColours)
{
    Write("width=30\r\nheight=16\r\nminescount=99\r\n" + std::string(kGoodColors));
    LoadedSettings s;
    ASSERT_TRUE(LoadSettings(&s));
    EXPECT_TRUE(g_boxes.empty());
    ExpectSizes(s, 30, 16);
    EXPECT_EQ(99, s.mines);
    const uint32_t colors[12] = {0xC0C0C0, 0x808080, 0,    0xFF,     0xFF0000, 0x8000,
                                 0xFF,     0x800000, 0x80, 0x808000, 0,        0x808080};
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(colors[i], g_colors[i]) << i;
}

TEST_F(SettingsPhase, SmallBoardIsRaisedToSixWithOneWarning)
{
    Write(File(3, 4, 10));
    LoadedSettings s;
    ASSERT_TRUE(LoadSettings(&s));
    ASSERT_EQ(1u, g_boxes.size());
    ExpectBox(g_boxes[0], kTooSmall, "Upozornění", MB_ICONWARNING);
    ExpectSizes(s, 6, 6);

    Write(File(-7, 9, 10)); // only the side that is too small changes
    g_boxes.clear();
    ASSERT_TRUE(LoadSettings(&s));
    ASSERT_EQ(1u, g_boxes.size());
    ExpectSizes(s, 6, 9);
}

TEST_F(SettingsPhase, MinesMustLeaveASafeCell)
{
    const struct {
        long long mines;
        bool goesOn;
    } cases[] = {{36, false}, {2147483647, false}, {35, true}, {0, true}, {-5, true}};
    for (const auto& c : cases) {
        Write(File(6, 6, c.mines));
        g_boxes.clear();
        LoadedSettings s;
        EXPECT_EQ(c.goesOn, LoadSettings(&s)) << c.mines;
        if (c.goesOn) {
            EXPECT_TRUE(g_boxes.empty()) << c.mines;
            EXPECT_EQ(c.mines, s.mines);
            ExpectSizes(s, 6, 6);
        } else {
            ASSERT_EQ(1u, g_boxes.size()) << c.mines;
            ExpectBox(g_boxes[0], kTooManyMines, "Chyba", MB_ICONERROR);
        }
    }
}

TEST_F(SettingsPhase, BoardTooLargeForTheScreenShrinksWithOneWarning)
{
    const int32_t across = MostThatFit(true), down = MostThatFit(false);
    LoadedSettings s;

    Write(File(across + 1000, 10, 10)); // too wide only: the height stays
    ASSERT_TRUE(LoadSettings(&s));
    ASSERT_EQ(1u, g_boxes.size());
    ExpectBox(g_boxes[0], kShrunk, "Upozornění", MB_ICONWARNING);
    ExpectSizes(s, across, 10);

    Write(File(2000000000, 2000000000, 10)); // both ways, and far too large
    g_boxes.clear();
    ASSERT_TRUE(LoadSettings(&s));
    ASSERT_EQ(1u, g_boxes.size());
    ExpectBox(g_boxes[0], kShrunk, "Upozornění", MB_ICONWARNING);
    ExpectSizes(s, across, down);

    Write(File(across, down, 10)); // exactly as large as fits: no warning
    g_boxes.clear();
    ASSERT_TRUE(LoadSettings(&s));
    EXPECT_TRUE(g_boxes.empty());
    ExpectSizes(s, across, down);
}

TEST_F(SettingsPhase, ChecksComeInOrderAndTheMineCountUsesTheFittedBoard)
{
    const int32_t across = MostThatFit(true), down = MostThatFit(false);
    LoadedSettings s;

    // Too narrow and too tall: the minimum, then the fit.
    Write(File(2, down + 5, 10));
    ASSERT_TRUE(LoadSettings(&s));
    ASSERT_EQ(2u, g_boxes.size());
    ExpectBox(g_boxes[0], kTooSmall, "Upozornění", MB_ICONWARNING);
    ExpectBox(g_boxes[1], kShrunk, "Upozornění", MB_ICONWARNING);
    ExpectSizes(s, 6, down);

    // Mines that fill the fitted board: the fit's warning, then the error.
    Write(File(across + 1, down, (long long)across * down));
    g_boxes.clear();
    EXPECT_FALSE(LoadSettings(&s));
    ASSERT_EQ(2u, g_boxes.size());
    ExpectBox(g_boxes[0], kShrunk, "Upozornění", MB_ICONWARNING);
    ExpectBox(g_boxes[1], kTooManyMines, "Chyba", MB_ICONERROR);
}

} // namespace
