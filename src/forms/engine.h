#pragma once
// The form engine: one card that inserts, changes or deletes one record. It keeps a saved
// copy of the record to tell whether the user changed it, asks before changes are thrown
// away, saves through the file's add, rewrite and delete paths with their questions and
// retries, restores fields from the last saved record on Ctrl+', takes the frame toolbar over
// for save-and-move navigation, and answers completed only when the file was really written.

#include <cstdint>
#include <string>

#include "forms/form_def.h"
#include "layout/window_resize.h"
#include "shell/procedure.h"

namespace forms {

class Engine {
 public:
  Engine(Def def, phonedir::RequestScope& request);
  ~Engine();  // PROCEDURERETURN: closes what the form opened
  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;

  // Runs the form to its end; the answer is in the request state.
  void run();

  void PREPAREPROCEDURE();
  void REFRESHWINDOW();
  void ASSIGNBUTTONS();
  void CLOSINGWINDOW();
  void HISTORYFIELD();
  bool recordChanged() const;

  int32_t UPDATE_ERROR = 0;
  bool UPDATE_RELOOP = false;
  bool RECORDCHANGED = false;
  int TOOLBARMODE = 0;
  bool FILESOPENED = false;
  bool WINDOWOPENED = false;
  bool WINDOWINITIALIZED = false;
  std::string ACTIONMESSAGE;

 private:
  // Serves a window event; false when the rest of the turn is skipped.
  bool windowEvent(int event);
  // Saves on completion of the validation pass; false when the form stays open.
  bool save();
  void saveChange();
  void refocus();
  bool offersOnToolbar(int button) const;  // the navigation buttons its request has
  std::string image() const;

  Def def_;
  phonedir::RequestScope& request_;
  std::string saved_;  // SAV:: copy of the record
  phonedir::layout::WINDOWRESIZETYPE WINRESIZE;
};

}  // namespace forms
