#pragma once

namespace tavrin {

struct ExchangeChannel;

// One write/read cycle over the first byteCount bytes of the channel's sendBuffer:
// true when a whole reply frame is in its receiveBuffer, otherwise false with the
// failure in its result. Used only by RunExchange.
bool ExchangeCycle(ExchangeChannel &channel, int byteCount);

} // namespace tavrin
