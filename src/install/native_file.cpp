#include "native_file.h"

// The parts of NativeFile that are the same on every platform.

NativeFile& NativeFile::operator=(NativeFile&& other) noexcept {
  if (this != &other) {
    Close();
    handle_ = other.handle_;
    other.handle_ = kNone;
  }
  return *this;
}

bool NativeFile::SyncAndClose(std::string& error) {
  const bool synced = Sync(error);
  std::string closeError;
  const bool closed = CloseChecked(closeError);
  if (synced && !closed) error = closeError;
  return synced && closed;
}
