#include "app/Startup.h"

int main(int argc, char** argv) { return RunApplication(argc, argv); }
