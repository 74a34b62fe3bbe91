/* A small C source, shown with C colouring once the editor has it. */
#include <stdio.h>

int main(void)
{
    printf("Hello, Tovik!\n");
    return 0;
}
