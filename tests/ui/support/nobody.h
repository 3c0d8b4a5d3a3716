#pragma once

// Root ignores permission bits, so the tests of a read-only folder or file
// drop that right for a while.

#include <QtGlobal>

#include <unistd.h>

namespace tenvix::test {

// Runs `f` without root's right to ignore permission bits. The real user
// changes too, since access() asks about that one; the saved one stays root
// so it can come back.
template <class F>
void AsNobody(F f)
{
    const bool dropped = ::geteuid() == 0 && ::setresuid(65534, 65534, 0) == 0;
    f();
    if (dropped && ::setresuid(0, 0, 0) != 0)
        qFatal("cannot regain root");
}

} // namespace tenvix::test
