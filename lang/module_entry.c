/* Entry point of every language module (dutch.dll, english.dll): resource-only libraries. It is
 * linked without any C runtime, so this function is the whole of a module's code. The program
 * loads a module as a data file, in which case it never runs; loaded as an ordinary library it
 * only reports success. */
#include <windows.h>

BOOL WINAPI DllEntry(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    (void)instance;
    (void)reason;
    (void)reserved;
    return TRUE;
}
