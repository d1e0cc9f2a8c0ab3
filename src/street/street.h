#pragma once
// The street list and the street card. The list runs on its caller's thread: the city
// directory, the phone card and the search call it with SELECTRECORD to let the user pick a
// street, and read the chosen one from STR afterwards.

namespace phonedir {

void STREET();      // the street list "Справочник улиц"
void STREET_UPD();  // the street card

}  // namespace phonedir
