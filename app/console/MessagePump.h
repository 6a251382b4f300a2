#pragma once

namespace zarvik {

// Runs every window message waiting on this thread's queue, then returns. Returns false
// when a WM_QUIT was taken off the queue; it is posted again for the outer loop to see.
bool PumpPendingMessages();

}  // namespace zarvik
