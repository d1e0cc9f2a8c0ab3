#pragma once
// The program's start: the locale environment and the main procedure that runs the frame.

#include "runtime/window_def.h"

namespace phonedir {

// Sets the locale environment: case pairs, character set, collation, month names, AM/PM
// designators and message-box button captions, in that order.
void SETLOCALEENV();

// The program's main procedure, run on thread 1: the locale environment, then the frame.
void _main();

// The application frame; returns when the user closes it.
void START();
// The frame over a given definition of its window.
void runFrame(const runtime::WindowDef& definition);

}  // namespace phonedir
