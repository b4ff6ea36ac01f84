#include "Clock.h"

QDateTime Clock::now() const
{
    return QDateTime::currentDateTime();
}

const Clock &Clock::system()
{
    static const Clock clock;
    return clock;
}
