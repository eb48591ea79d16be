#pragma once

// The platform's runtime exceptions. The framework raises only these: the general exception,
// the conversion error of value input, and the three floating-point errors of the value layer.

#include <stdexcept>
#include <string>

class Exception : public std::runtime_error {
 public:
  explicit Exception(const std::string& message) : std::runtime_error(message) {}
};

// A text could not be converted to a value; the message carries what was found.
class EConvertError : public Exception {
 public:
  using Exception::Exception;
};

// Common base of the floating-point errors, so a caller can catch all three at once.
class EMathError : public Exception {
 public:
  using Exception::Exception;
};

class EInvalidOp : public EMathError {
 public:
  EInvalidOp() : EMathError("Invalid floating point operation") {}
};

class EZeroDivide : public EMathError {
 public:
  EZeroDivide() : EMathError("Floating point division by zero") {}
};

class EOverflow : public EMathError {
 public:
  EOverflow() : EMathError("Floating point overflow") {}
};
