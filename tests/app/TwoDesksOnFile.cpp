#include "tests/app/TwoDesks.h"

std::vector<TDeskEngine> TwoDesksEngines() { return {{"SqliteFile", false}}; }
