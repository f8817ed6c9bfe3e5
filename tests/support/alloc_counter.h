#pragma once

// Counts calls of the global allocation functions. A test program that
// links vexlora_alloc_counter has every operator new and delete replaced by
// counting ones, so it runs as a program of its own.

// Calls of operator new (every form) so far.
long AllocationCount();

// Calls of operator delete with a non-null pointer so far.
long ReleaseCount();
