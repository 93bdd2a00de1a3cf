#include "tests/app/store/TestRegisters.h"

testing::internal::ParamGenerator<TRegisterEngine> TestedEngines() {
  return testing::Values(
      TRegisterEngine{"PostgresqlServer", [] { return std::make_unique<TServerRegister>(); }});
}
