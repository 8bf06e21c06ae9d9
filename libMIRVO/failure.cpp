// Why the last call that failed failed: one message per thread, kept until the next failure.
#include "internal.h"

#include <cstdarg>
#include <cstdio>

namespace {

thread_local char failure_reason[1024] = "";

}  // namespace

void mirvo_set_failure(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    vsnprintf(failure_reason, sizeof failure_reason, format, args);
    va_end(args);
}

MIRVO_API const char *MIRVO_failure_reason(void)
{
    return failure_reason;
}
