#include "link/exchangechannel.h"

#include "link/modem.h"

#include "settings/settings.h"

#include <QByteArray>

namespace tavrin {

void ExchangeChannel::arm(SerialPort *openPort, qint32 rate, qint32 waitTimeSeconds, qint32 timeOutMs,
                          quint8 repeat, bool firstZeroNeed)
{
    port = openPort;
    baudRate = rate;
    firstByteWaitMs = SecondsToMs(waitTimeSeconds);
    interByteWaitMs = timeOutMs;
    attempts = repeat;
    wakeUpByte = firstZeroNeed;
    abortRequested = false;
    // A no-carrier report left from an earlier link must not end the new link's first exchange.
    clearCarrierRing();
}

void ExchangeChannel::disarm()
{
    abortRequested = true;
    port = nullptr;
}

bool ExchangeChannel::carrierInRing() const
{
    const QByteArray text(carrierRing.data(), qsizetype(qstrnlen(carrierRing.data(), carrierRing.size())));
    return CarrierPresent(text.constData());
}

void ExchangeChannel::clearCarrierRing()
{
    carrierRing.fill(0);
    carrierRingPos = 0;
}

bool ExchangeChannel::recordForCarrierCheck(char byte)
{
    carrierRing[size_t(carrierRingPos)] = byte;
    carrierRingPos = (carrierRingPos + 1) % int(carrierRing.size());
    return carrierInRing();
}

bool ExchangeChannel::onPhoneLink() const
{
    return settings && settings->connectionKind == Phone;
}

} // namespace tavrin
