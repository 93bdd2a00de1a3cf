#include "tests/app/store/TestRegisters.h"

testing::internal::ParamGenerator<TRegisterEngine> TestedEngines() {
  return testing::Values(
      TRegisterEngine{"SqliteFile", [] { return std::make_unique<TFileRegister>(); }});
}
