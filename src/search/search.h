#pragma once
// The search window: finds the subscribers of the city directory that match a phone mask, a
// street (with a house and a flat) and the first letters of a surname, copies them into the
// result file POISK and lists them in phone, surname or address order.

namespace phonedir {

void POISK();  // started by the frame on a thread of its own; one instance at a time

}  // namespace phonedir
