#include "tests/app/store/DataSetEngines.h"

std::vector<TDataSetEngine> DataSetEngines() {
  return {{"PostgresqlServer", [] { return std::make_unique<TServerRegister>(); }}};
}
