#pragma once

#include <QtGlobal>

namespace tavrin {

// Line settings as the driver reports them.
struct LineReadback {
    bool known = false; // false where the platform offers no read-back
    qint32 rate = 0;
    int dataBits = 0;
    int parity = 0;   // 0 none, 1 even, 2 odd
    int stopBits = 0; // 0 one, 2 two
};

LineReadback ReadLineSettings(qintptr handle);

} // namespace tavrin
