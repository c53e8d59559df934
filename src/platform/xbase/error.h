#pragma once
// Errors raised by the table engine. Each carries the file it concerns and what
// was wrong, so a window can show one plain message and a script can print it.

#include <stdexcept>
#include <string>

namespace qb::xbase {

class XbaseError : public std::runtime_error {
public:
    XbaseError(std::string file, const std::string& what)
        : std::runtime_error(file.empty() ? what : file + ": " + what), file_(std::move(file)) {}
    const std::string& file() const { return file_; }

private:
    std::string file_;
};

// A malformed expression: the message names the problem, position is the
// zero-based character offset in the expression text where it was found.
class ExprError : public XbaseError {
public:
    ExprError(const std::string& problem, int position, const std::string& file = {})
        : XbaseError(file, problem + " at position " + std::to_string(position + 1)),
          problem_(problem), position_(position) {}
    const std::string& problem() const { return problem_; }
    int position() const { return position_; }

private:
    std::string problem_;
    int position_;
};

// A file whose bytes point where nothing can be: a memo block outside the
// memo file, a block number that is no number. The file is damaged, not the
// disk failing.
class DamageError : public XbaseError {
public:
    using XbaseError::XbaseError;
};

// A record lock that could not be had within the lock timeout.
class LockError : public XbaseError {
public:
    using XbaseError::XbaseError;
};

} // namespace qb::xbase
