#pragma once
// The frame's hold on the city directory file: claimed when the frame opens, used once to
// see whether old five-digit numbers remain (and to convert them), released at its exit.

namespace phonedir {

class FrameFiles {
 public:
  FrameFiles() = default;
  ~FrameFiles() { close(); }
  FrameFiles(const FrameFiles&) = delete;
  FrameFiles& operator=(const FrameFiles&) = delete;

  void open();
  // Reads the first number at or above "35146", and the first of each range the conversion
  // rewrites ("3", "521"); when one is still in the old five-digit form (a NUL in its sixth
  // character) runs the conversion. A failed read is reported. Then closes this thread's
  // instance of the file, keeping the frame's claim on it.
  void convertOldNumbers();
  void close();

 private:
  bool FILESOPENED = false;
};

}  // namespace phonedir
