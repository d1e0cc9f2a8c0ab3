#pragma once
// The window catalogue: every window the system opens, as definitions the runtime builds its
// window models from. One function per window; each returns the same definition every time.

#include "runtime/window_def.h"

namespace phonedir::layout {

const runtime::WindowDef& frameWindow();         // START: the application frame
const runtime::WindowDef& gorodWindow();         // GOROD: the city directory
const runtime::WindowDef& streetWindow();        // STREET: the street list
const runtime::WindowDef& personalWindow();      // PERSONAL: the personal directory
const runtime::WindowDef& phoneCardWindow();     // UPDATEPHONE: the phone card
const runtime::WindowDef& streetCardWindow();    // STREET_UPD: the street card
const runtime::WindowDef& personalCardWindow();  // PERS_UPD: the personal card
const runtime::WindowDef& poiskWindow();         // POISK: the search window
const runtime::WindowDef& convertWindow();       // CONVERT: the number conversion progress
const runtime::WindowDef& waitWindow();          // BUILDKEYS: the key rebuild wait window

}  // namespace phonedir::layout
