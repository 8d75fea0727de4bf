#pragma once

#include <stdexcept>

namespace vantrok {

// A column value that cannot be converted as the write needs it (a null where
// text or a number is wanted, text that is not a date). Not a database failure.
class ValueError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace vantrok
