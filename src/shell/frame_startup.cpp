#include "shell/frame_startup.h"

#include <cstring>

#include "data/convert.h"
#include "data/file_opening.h"
#include "data/files.h"

namespace phonedir {

void FrameFiles::open() {
  OPENFILE_PHONE();
  FILESOPENED = true;
}

void FrameFiles::convertOldNumbers() {
  storage::KeyedFile& phone = files().PHONE;
  CHECKOPEN(phone);
  std::memcpy(PHO.PHONE, "35146 ", sizeof PHO.PHONE);
  phone.setByKey(PHO_NUM_KEY);
  phone.next();  // at the end of the file the buffer keeps "35146 ", which is not old
  if (PHO.PHONE[5] == '\0') CONVERT();
  phone.close();
}

void FrameFiles::close() {
  if (FILESOPENED) CLOSEFILE_PHONE();
  FILESOPENED = false;
}

}  // namespace phonedir
