#pragma once
// The bytes the program holds on the heap right now, to see that nothing
// piles up over a long run; under the sanitizers, what their allocator holds.
#include <malloc.h>

#include <cstddef>

#if defined(__SANITIZE_ADDRESS__)
// From the sanitizer runtime; GCC ships no header for it.
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace kemless {

inline size_t HeapInUse() {
#if defined(__SANITIZE_ADDRESS__)
    return __sanitizer_get_current_allocated_bytes();
#else
    return mallinfo2().uordblks;
#endif
}

}  // namespace kemless
