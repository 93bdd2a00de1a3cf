#include "tests/app/store/DataSetEngines.h"

std::vector<TDataSetEngine> DataSetEngines() {
  return {{"SqliteFile", [] { return std::make_unique<TFileRegister>(); }}};
}
