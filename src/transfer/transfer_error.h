#pragma once
// A source or target that cannot be used as it is: the message names the file
// and, where there is one, the line or record, ready to be shown.

#include <stdexcept>
#include <string>

namespace qb {

class TransferError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace qb
