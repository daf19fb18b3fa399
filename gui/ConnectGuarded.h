// The one way a window connects a widget's signal to its handler: the handler runs inside the
// handler boundary (RunGuarded), with the window's message boxes.
#pragma once

#include "gui/RunGuarded.h"

#include <QObject>

namespace orvane {

// handler takes no arguments; it runs in receiver's thread and not after receiver is gone.
template <class Sender, class Signal, class Handler>
QMetaObject::Connection ConnectGuarded(Sender* sender, Signal signal, const QObject* receiver,
                                       OperatorMessages& messages, Handler handler)
{
    return QObject::connect(sender, signal, receiver, Guarded(messages, std::move(handler)));
}

} // namespace orvane
