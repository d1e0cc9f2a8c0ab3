#pragma once
// Qt's own texts (a work window's system menu, an entry's edit menu, standard buttons) in
// the program's language, Russian, from Qt's translations installed with the system.

namespace gui {

// Installs the translations into the application once; later calls do nothing. False when
// the system has none, in which case Qt's texts stay as they are.
bool installQtTexts();

}  // namespace gui
