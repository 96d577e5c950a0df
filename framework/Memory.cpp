// The program's allocation functions. The setup program links without the C++ library:
// its operator new would bring the exception runtime and, with it, threading code that
// imports functions Windows 95 and NT 4.0 do not have. These take memory from the C run
// time; a program that cannot get a few bytes for a window object has no way on, and
// ends at once rather than going on with a null object.
#include <cstddef>
#include <cstdlib>

void* operator new(std::size_t nBytes)
{
    void* p = std::malloc(nBytes ? nBytes : 1);
    if (!p)
        std::abort();
    return p;
}

void* operator new[](std::size_t nBytes)
{
    return operator new(nBytes);
}

void operator delete(void* p) noexcept
{
    std::free(p);
}

void operator delete[](void* p) noexcept
{
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}

void operator delete[](void* p, std::size_t) noexcept
{
    std::free(p);
}

// Called only if a pure virtual function is reached through a half-built or half-destroyed
// object: a programming error with no sensible way on.
extern "C" void __cxa_pure_virtual()
{
    std::abort();
}
