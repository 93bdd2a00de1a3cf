#pragma once

#include <optional>

// Start-up's step before the forms, for a desk moving from the Windows program: when the
// register is the file db.mdb in the working directory (no database.ini) and that file is the
// old program's Jet register, the operator is asked (ConversionQuestion, "Да" / "Нет"). "Да"
// converts it (ConvertOldRegister) and start-up goes on with the new register: nothing is
// returned. "Нет" returns 0: the program ends, nothing changed. A file that cannot be read or
// converted: the reason in an error box, and 1. Any other db.mdb: nothing is asked or returned.
// Needs the TApplication.
std::optional<int> OfferOldRegisterConversion();
