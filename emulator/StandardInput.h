#pragma once

namespace StandardInput {

// Whether the program started with no standard input at all (its descriptor closed, or on Windows
// no handle behind it), as opposed to an empty one. To be asked before anything opens a file,
// which would otherwise take the descriptor's place.
bool isClosed();

} // namespace StandardInput
