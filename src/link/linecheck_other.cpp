#include "link/linecheck.h"

namespace tavrin {

LineReadback ReadLineSettings(qintptr)
{
    return {};
}

} // namespace tavrin
