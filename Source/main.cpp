// Program entry.
#include "Source/AppMain.h"

int main(int argc, char *argv[])
{
    return RunApplication(argc, argv);
}
