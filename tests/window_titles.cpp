// Prints the title of every visible top-level window of the Windows session, one a line, in UTF-8.
// Under Wine nothing is on a screen: the Windows pass waits for a window (a message box at start, say)
// by asking for its title.

#include <windows.h>

#include <cstdio>

namespace {

BOOL CALLBACK PrintTitle(HWND window, LPARAM)
{
    wchar_t title[512];
    const int length = IsWindowVisible(window) ? GetWindowTextW(window, title, 512) : 0;
    if (length > 0) {
        char utf8[2048];
        const int bytes = WideCharToMultiByte(CP_UTF8, 0, title, length, utf8, sizeof utf8, nullptr, nullptr);
        std::fwrite(utf8, 1, std::size_t(bytes), stdout);
        std::fputc('\n', stdout);
    }
    return TRUE;
}

}  // namespace

int main()
{
    EnumWindows(PrintTitle, 0);
    return 0;
}
