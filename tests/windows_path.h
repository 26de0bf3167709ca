// Paths handed in by the build, as a Windows program must open them.
#pragma once

#include <string>

// A Linux path is seen through Wine's drive Z:; a Windows path stays as it is.
inline std::string WindowsPath(std::string path)
{
    if (!path.empty() && path[0] == '/')
        path = "Z:" + path;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}
