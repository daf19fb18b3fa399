#include "writer/Comm1Settings.h"

namespace orvane {

void ConfigureComm1(TComm& comm)
{
    comm.SetBaudRate(19200);
    comm.SetOutx_XonXoffFlow(false);
    comm.SetInx_XonXoffFlow(false);
    comm.SetReadIntervalTimeout(4);
}

} // namespace orvane
