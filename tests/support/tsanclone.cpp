// Linked into every test program of the ThreadSanitizer build (cmake/Sanitize.cmake).
// Clang 14's ThreadSanitizer intercepts clone(), and its interceptor aborts in the child
// that QProcess starts with clone(CLONE_VM | CLONE_VFORK) to run the simulator or
// tavrin-survey ("CHECK failed: tsan_rtl.cpp ... !thr->slot" in ForkAfter). This
// definition takes the interceptor's place and hands the call straight to the C
// library's clone, as in a program without ThreadSanitizer: the child only sets up its
// descriptors and execs while the parent waits, so there is nothing for it to watch.
#include <dlfcn.h>
#include <sys/types.h>

#include <cstdarg>

extern "C" int clone(int (*function)(void *), void *stack, int flags, void *argument, ...)
{
    // Those of the optional arguments that flags do not ask for are not read by the
    // C library either; passing them on as they come is harmless.
    va_list optional;
    va_start(optional, argument);
    pid_t *parentTid = va_arg(optional, pid_t *);
    void *tls = va_arg(optional, void *);
    pid_t *childTid = va_arg(optional, pid_t *);
    va_end(optional);
    using Clone = int (*)(int (*)(void *), void *, int, void *, ...);
    static const auto libraryClone = reinterpret_cast<Clone>(dlsym(RTLD_NEXT, "clone"));
    return libraryClone(function, stack, flags, argument, parentTid, tls, childTid);
}
