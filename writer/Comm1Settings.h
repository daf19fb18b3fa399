// The main window's port, Comm1, differs from a new TComm in what the Writer link needs:
// 19200 baud, no XON/XOFF flow control and a 4 ms inter-byte gap ending each received chunk.
#pragma once

#include "writer/TComm.h"

namespace orvane {

void ConfigureComm1(TComm& comm);

} // namespace orvane
