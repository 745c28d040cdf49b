#pragma once

#include <stdexcept>

// Raised inside the VFIO driver when a step fails. Its text is one line for
// the user: what went wrong and how to fix it. The driver catches it at every
// request, writes the line to its diagnostics stream and reports the request
// as refused; it never leaves the driver.
class VfioFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
