
namespace brevik {
#pragma once

// Ctrl-C, SIGTERM and a closed terminal end the program as those signals do by default,
// but first every command it started: each runs in a process group of its own, which the
// terminal's signal never reaches, so without this a ping or a half-done repair would run
// on after the program, adopted by init.
namespace Interrupts {

// Takes SIGINT, SIGTERM and SIGHUP on a thread of its own (no code runs in a signal
// handler). Call before any other thread exists, so that every thread inherits the mask.
void install();

// Called where the program would end on its own: if an interrupt is being handled, waits
// for it to end the program, so the exit status tells the signal and not a result made
// of commands that were cut short.
void awaitIfInterrupted();

// True once an interrupt arrived; nothing more should be printed.
bool interrupted();

} // namespace Interrupts

} // namespace brevik
