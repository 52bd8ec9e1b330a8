#include "app/mainloop.h"

// Present only in sanitizer builds.
extern "C" __attribute__((weak)) void __lsan_do_leak_check();

int main()
{
    const int status = runGame();
    // The leak check, here rather than at exit: there it races the GL and audio threads that
    // static destructors are tearing down, and now and then its own thread crashes.
    if (__lsan_do_leak_check)
        __lsan_do_leak_check();
    return status;
}
