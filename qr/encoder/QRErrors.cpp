#include "qr/encoder/QRErrors.h"

EQRMatrixTooLarge::EQRMatrixTooLarge() : std::runtime_error("Trying to store too many bytes") {}
