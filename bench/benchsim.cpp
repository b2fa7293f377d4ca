#include "benchsim.h"

#include "link/linktiming.h"
#include "link/serialport.h"

#include <QCoreApplication>

#include <cstdio>

namespace tavrin::bench {

double NowMs()
{
    return double(PerformanceCounter()) * 1000.0 / double(PerformanceFrequency());
}

SimulatorFolder::SimulatorFolder()
{
    if (qEnvironmentVariableIsEmpty("TAVRIN_DEVSIM"))
        qputenv("TAVRIN_DEVSIM", (QCoreApplication::applicationDirPath() + "/tavrin-devsim").toUtf8());
    qputenv("TAVRIN_COM_DIR", m_dir.path().toUtf8());
}

bool StartSimulator(test::DevSim &sim, bool pace, const QStringList &args)
{
    test::DevSimOptions options;
    options.pace = pace;
    options.extraArgs = args;
    if (sim.start(options))
        return true;
    std::fprintf(stderr, "cannot start the simulator: %s\n", qPrintable(sim.errorString()));
    return false;
}

} // namespace tavrin::bench
