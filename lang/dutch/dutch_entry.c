/* Entry point of dutch.dll, a resource-only language module. It is linked without any C
 * runtime, so this function is the whole of its code. The program loads the module as a data
 * file, in which case it never runs; loaded as an ordinary library it only reports success. */
#include <windows.h>

BOOL WINAPI DllEntry(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    (void)instance;
    (void)reason;
    (void)reserved;
    return TRUE;
}
