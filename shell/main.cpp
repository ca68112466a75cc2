// Entry point of the presentation. Arguments and environment are not read.
#include "shell/main_loop.h"

int main(void)
{
    return RunPresentation();
}
