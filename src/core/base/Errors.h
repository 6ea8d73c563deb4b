#pragma once

#include <stdexcept>
#include <string>

namespace tervis {

// An index outside the configuration image or the status containers.
class ERangeError : public std::out_of_range {
public:
    using std::out_of_range::out_of_range;
};

// A file that cannot be read or written; the message names the file and the cause.
class EInOutError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Text that is not a number of the expected form.
class EConvertError : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

}  // namespace tervis
