#pragma once
// QString values shown as text, not as bytes, when a check fails.

#include <QString>

#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
