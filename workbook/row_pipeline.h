#pragma once

#include <functional>

namespace agrimor {

class CellRowSink;

// Runs `read`, which feeds the rows of a sheet to the CellRowSink it is given, on a thread of its
// own, and hands those rows to `sink` on the calling thread as they come: reading the file and
// filling the caller's tables overlap, and the call returns when both are done. At most a few
// hundred rows wait between the two. What `read` throws reaches the caller after the rows it
// delivered before; what `sink` throws stops `read` and reaches the caller at once. Nothing runs
// on the other thread once this returns.
void readOnOtherThread(const std::function<void(CellRowSink&)>& read, CellRowSink& sink);

}  // namespace agrimor
