#include "mainloop.h"

int main()
{
    return runGame();
}
