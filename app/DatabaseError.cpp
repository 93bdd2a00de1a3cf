#include "app/DatabaseError.h"

// Out of line and never inlined, so that the return address is the place of the error.
__attribute__((noinline)) EDatabaseError::EDatabaseError(const QString& message, const QString& sqlState)
    : std::runtime_error(message.toStdString()), FAddress(__builtin_return_address(0)), FSqlState(sqlState) {}
