#pragma once

#include <QtGlobal>

// With TZ unset, glibc looks at /etc/localtime again at every local-time conversion, and every
// date read or written converts. Naming the same file once keeps the zone and drops that cost.
inline void pinLocalTimeZone()
{
#ifdef Q_OS_UNIX
    if (qEnvironmentVariableIsEmpty("TZ"))
        qputenv("TZ", ":/etc/localtime");
#endif
}
