#pragma once
// The search's result file POISK: this program's own file (data/files.h names it), held open
// exclusively while the search window is open. A search renews it empty, appends the
// subscribers it finds without keys, and builds the keys once at the end; the window removes
// it when it closes.
//
// A program that crashed leaves its file behind. The next search of any program removes such
// files once nobody holds them: a file whose program still runs is locked by that program (it
// is open exclusively the whole time its window is), and a file of this host whose process is
// still alive is never touched.

#include <string>

#include "storage/keyed_file.h"

namespace phonedir::search {

// Closes the file when open, makes it empty and opens it again exclusively. Another program's
// clean-up may remove the file between the close and the creation; the creation is then simply
// made again. Returns 0 or the error of the step that failed (the file is then closed).
int renewResultFile(storage::KeyedFile& file);

// Builds the keys and ends the run of appends; 0 or the error of the step that failed (the
// appends are then undone).
int finishResultFile(storage::KeyedFile& file);

// Closes the file and deletes it from the disk.
void removeResultFile(storage::KeyedFile& file);

// Removes the result files in the working directory that other programs left behind and that
// nobody holds; returns how many it removed. `own` is this program's file, never touched.
int removeAbandonedResultFiles(const std::string& own);

}  // namespace phonedir::search
