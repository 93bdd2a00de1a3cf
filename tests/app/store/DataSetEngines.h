#pragma once

#include <functional>
#include <memory>
#include <ostream>
#include <vector>

#include "tests/app/store/TestRegisters.h"

// An engine the data set's cases run on: its name in the test names, and a new register on it.
struct TDataSetEngine {
  const char* Name;
  std::function<std::unique_ptr<TRegister>()> Make;
};

inline void PrintTo(const TDataSetEngine& engine, std::ostream* out) { *out << engine.Name; }

// The engines of this test program. Each program that links the data set's cases defines it:
// the SQLite file where nothing outside the process may be needed, the server where the
// test cluster runs.
std::vector<TDataSetEngine> DataSetEngines();
