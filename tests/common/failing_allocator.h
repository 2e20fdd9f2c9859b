// A replacement of the global operator new for test programs: on request one chosen
// allocation fails (std::bad_alloc, or null from the nothrow forms). Linked only into
// the test program that sweeps allocation failures; the shipped DLL keeps the runtime's.
#pragma once

// From now on, allocation number `n` (1 for the next one) fails; the others succeed.
void failAllocation(long n);

// Stops failing; true when the chosen allocation was reached and failed.
bool stopFailingAllocations();
