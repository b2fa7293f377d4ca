#pragma once

// What the benchmarks share: the clock they read and the simulator they run against.

#include "support/devsim.h"

#include <QStringList>
#include <QTemporaryDir>

namespace tavrin::bench {

// The program's steady clock, in milliseconds.
double NowMs();

// The simulated ports' folder for one benchmark run: TAVRIN_COM_DIR points there, and
// TAVRIN_DEVSIM at the simulator beside the benchmark unless it is set already.
class SimulatorFolder {
public:
    SimulatorFolder();
    QString path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
};

// Starts the simulator on COM1, pacing its bytes at the line rate when pace is set;
// says why on stderr when it cannot.
bool StartSimulator(test::DevSim &sim, bool pace, const QStringList &args = {});

} // namespace tavrin::bench
