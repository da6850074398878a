#pragma once

#include <cstdint>

namespace kelvarin {

class ByteCursor;

// Reads the bytecode a struct (a class, a state, a function) keeps after its
// script size, token by token, to reach the bytes that follow it.
//
// On disk the object and name references inside the code are compact
// indices, while the script size counts the code as it lies in memory (4
// bytes for each reference and name); so the code's length on disk is only
// known once every token has been read. Each token is read by its own
// layout; a token this reader does not know, code that runs past the
// script size or past its object's data, or a last token that does not end
// exactly at the script size raises the package's "damaged" error: a misread
// never passes silently.
namespace ScriptReader {

// Reads scriptSize bytes' worth of code (as counted in memory) from the
// cursor, leaving it on the first byte after the code. noneName is the
// package's name index of None, which ends a label table (-1 when the
// package has no such name).
void Skip(ByteCursor &data, int32_t scriptSize, int32_t noneName);

} // namespace ScriptReader
} // namespace kelvarin
