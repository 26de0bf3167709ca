// Start-up to the first painted frame: starts Kalv.exe in a folder with the
// default Kalv.ini and times until the window shows its first caption, which
// the first paint writes. Prints the median and the worst of several starts.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>


#ifndef KALV_EXE
#error "KALV_EXE must name Kalv.exe"
#endif

struct Find {
    DWORD pid;
    HWND found;
};

static BOOL CALLBACK FindGame(HWND hwnd, LPARAM param)
{
    Find* f = (Find*)param;
    DWORD pid = 0;
    char cls[32] = "", caption[8] = "";
    GetWindowThreadProcessId(hwnd, &pid);
    GetClassNameA(hwnd, cls, sizeof cls);
    if (pid == f->pid && !strcmp(cls, "Class Kalv") && GetWindowTextA(hwnd, caption, sizeof caption) > 0) {
        f->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? atoi(argv[1]) : 7;
    const std::string exe = KALV_EXE;
    const std::string dir = KALV_GAME_DIR;
    LARGE_INTEGER freq;
    QueryPerformanceFrequency(&freq);
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi;
        LARGE_INTEGER t0, t1;
        QueryPerformanceCounter(&t0);
        if (!CreateProcessA(exe.c_str(), NULL, NULL, NULL, FALSE, 0, NULL, dir.c_str(), &si, &pi)) {
            fprintf(stderr, "startup: cannot start %s\n", exe.c_str());
            return 1;
        }
        Find f = {pi.dwProcessId, NULL};
        for (int t = 0; t < 30000 && !f.found; ++t) {
            EnumWindows(FindGame, (LPARAM)&f);
            if (!f.found)
                Sleep(1);
        }
        QueryPerformanceCounter(&t1);
        if (!f.found) {
            fprintf(stderr, "startup: no game window\n");
            TerminateProcess(pi.hProcess, 1);
            return 1;
        }
        ms.push_back((double)(t1.QuadPart - t0.QuadPart) * 1000.0 / (double)freq.QuadPart);
        PostMessageA(f.found, WM_CLOSE, 0, 0);
        WaitForSingleObject(pi.hProcess, 15000);
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
    }
    std::sort(ms.begin(), ms.end());
    printf("%-24s %7.2fms %7.2fms   (%d starts)\n", "start-up to first frame", ms[ms.size() / 2],
           ms.back(), runs);
    return 0;
}
