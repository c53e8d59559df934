#pragma once
// An envelope layout file read as the envelope screen reads it: through the
// envelope panel, which takes only the envelope's object kinds. What it reads
// is written and read again and must give the same file. Shared by the fuzz
// target and the test that replays its seeds and the inputs that once broke it.

#include <QString>

#include <cstddef>
#include <cstdint>

namespace qb::fuzz {

// folder: a scratch folder of the caller's. False when the bytes are not a
// layout (a read error, as the screen reports it); aborts when what was read
// does not write and read back the same.
bool envelopeLayoutBytes(const uint8_t* data, size_t size, const QString& folder);

} // namespace qb::fuzz
