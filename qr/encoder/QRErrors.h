#pragma once

#include <stdexcept>

// The one failure of the QR encoder core: the data does not fit any symbol
// (version 40 at the requested level), or a module matrix larger than the
// largest symbol (177 x 177) was requested. what() is always
// "Trying to store too many bytes".
class EQRMatrixTooLarge : public std::runtime_error {
public:
  EQRMatrixTooLarge();
};
