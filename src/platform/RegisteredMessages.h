#pragma once

#include <QEvent>

#include <string_view>

class QObject;

// Window messages registered by name: each name gets its own custom event type
// for the life of the process, and the same name always gives the same type.
//
// Thread safety: every function may be called from any thread.

// Sent to the main panel when a recording has ended and the computer may have
// to be switched off.
inline constexpr std::string_view kPowerOffMessageName = "RWMQUORVTVAVIWRITERPOWEROFF";

// Registers, in this order, the power-off message and the seven generic
// messages ("RWMGENERICSTATUSTEXT" ... "RWMGENERICPROGRESS") that nothing sends
// or handles. Called once at start-up, before the main panel exists.
void RegisterProgramMessages();

// The event type registered for `name`, registering it on first use.
// QEvent::None when the process has run out of custom event types.
QEvent::Type RegisteredMessage(std::string_view name);

// Posts an event of `type` without parameters to `receiver`, to be handled on
// the receiver's thread. Does nothing when `receiver` is null or `type` is
// QEvent::None. Ownership of `receiver` stays with the caller, which must keep
// it alive until the event is handled or the receiver is destroyed (Qt then
// discards the event).
void PostRegisteredMessage(QObject* receiver, QEvent::Type type);
