#pragma once

namespace tavrin {

struct ExchangeChannel;

// One write/read cycle over the first byteCount bytes of the channel's sendBuffer:
// true when a whole reply frame is in its receiveBuffer, otherwise false with the
// failure in its result. Used only by RunExchange.
bool ExchangeCycle(ExchangeChannel &channel, int byteCount);

// Reads the bytes already waiting on the channel's port into the trace, appended to its
// last line, so that a purge that follows loses none of them. With watchCarrier they
// also go into the carrier watch; false when they completed a no-carrier report.
bool TraceWaitingBytes(ExchangeChannel &channel, bool watchCarrier);

} // namespace tavrin
