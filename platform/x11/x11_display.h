// The few things the SDL backend does straight on X11: ending the process
// when the display connection is lost, reading the state of a connection,
// and warming up the GL driver while SDL connects.
#pragma once

typedef struct _XDisplay Display;

// Makes the loss of any X connection of the process end it at once, with
// status 1. Called again after anything else that sets the X handlers.
void X11EndOnDisplayLoss(void);
// The connection's descriptor.
int X11ConnectionFd(Display *display);
// True when events were already read from the connection (by a reply the
// GL waited for, say) and wait in memory: its descriptor will not show them.
bool X11EventsInMemory(Display *display);
// Starts loading, on threads of its own, what the first GL context and the
// first font request need; the program's thread goes on.
void X11StartWarmUp(void);
// Waits for that work and lets go of what it held; also run at exit.
void X11FinishWarmUp(void);
