// Small owners for platform objects, so that every create has its release on every path.
#pragma once

#include <windows.h>

#include <objbase.h>
#include <shtypes.h>

#include <utility>

// A kernel handle closed with CloseHandle; INVALID_HANDLE_VALUE and null both mean none.
class HandleHolder {
 public:
  explicit HandleHolder(HANDLE handle = nullptr) : handle_(handle) {}
  ~HandleHolder() { Reset(); }
  HandleHolder(const HandleHolder&) = delete;
  HandleHolder& operator=(const HandleHolder&) = delete;
  bool Valid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return handle_; }
  void Reset(HANDLE handle = nullptr) {
    if (Valid()) CloseHandle(handle_);
    handle_ = handle;
  }

 private:
  HANDLE handle_;
};

// An icon handle destroyed with DestroyIcon.
class IconHolder {
 public:
  explicit IconHolder(HICON icon = nullptr) : icon_(icon) {}
  ~IconHolder() {
    if (icon_) DestroyIcon(icon_);
  }
  IconHolder(const IconHolder&) = delete;
  IconHolder& operator=(const IconHolder&) = delete;
  HICON Get() const { return icon_; }
  HICON Release() { return std::exchange(icon_, nullptr); }

 private:
  HICON icon_;
};

// A GDI object deleted with DeleteObject.
template <typename T>
class GdiHolder {
 public:
  explicit GdiHolder(T object = nullptr) : object_(object) {}
  ~GdiHolder() {
    if (object_) DeleteObject(object_);
  }
  GdiHolder(const GdiHolder&) = delete;
  GdiHolder& operator=(const GdiHolder&) = delete;
  T Get() const { return object_; }
  T Release() { return std::exchange(object_, nullptr); }

 private:
  T object_;
};

// A COM interface pointer released on every path.
template <typename T>
class ComHolder {
 public:
  ComHolder() = default;
  explicit ComHolder(T* pointer) : pointer_(pointer) {}
  ~ComHolder() { Reset(); }
  ComHolder(const ComHolder&) = delete;
  ComHolder& operator=(const ComHolder&) = delete;
  T* Get() const { return pointer_; }
  T* operator->() const { return pointer_; }
  explicit operator bool() const { return pointer_ != nullptr; }
  T** Out() {
    Reset();
    return &pointer_;
  }
  void Reset() {
    if (pointer_) pointer_->Release();
    pointer_ = nullptr;
  }

 private:
  T* pointer_ = nullptr;
};

// An item identifier list handed out by the shell, freed with the task allocator, which is the
// shell's own.
class ItemListHolder {
 public:
  ItemListHolder() = default;
  ~ItemListHolder() { Reset(); }
  ItemListHolder(const ItemListHolder&) = delete;
  ItemListHolder& operator=(const ItemListHolder&) = delete;
  LPITEMIDLIST Get() const { return items_; }
  LPITEMIDLIST* Out() {
    Reset();
    return &items_;
  }
  void Reset() {
    CoTaskMemFree(items_);
    items_ = nullptr;
  }

 private:
  LPITEMIDLIST items_ = nullptr;
};

// The 32-bit program on 64-bit Windows: while one lives, this thread's file calls reach the
// system folder itself, not the 32-bit stand-in the system redirects them to (System32 would
// name SysWOW64). Libraries cannot be loaded meanwhile (the 32-bit program would be handed
// 64-bit ones): a FileSystemRedirectionOn goes around COM, shell calls and LoadLibrary. One
// inside another on the same thread does nothing. The 64-bit build is not redirected: both
// holders do nothing there.
class FileSystemRedirectionOff {
 public:
  FileSystemRedirectionOff() {
    if (Active() != nullptr) return;
    Disable();
    if (off_) Active() = this;
  }
  ~FileSystemRedirectionOff() {
    if (Active() != this) return;
    Revert();
    Active() = nullptr;
  }
  FileSystemRedirectionOff(const FileSystemRedirectionOff&) = delete;
  FileSystemRedirectionOff& operator=(const FileSystemRedirectionOff&) = delete;
  // Whether this thread's file calls see the system folder itself just now (never in the 64-bit
  // build, nor on 32-bit Windows, nor inside a FileSystemRedirectionOn).
  static bool InEffect() { return Active() != nullptr && Active()->off_; }

 private:
  friend class FileSystemRedirectionOn;
  static FileSystemRedirectionOff*& Active() {
    static thread_local FileSystemRedirectionOff* active = nullptr;
    return active;
  }
#if defined(_WIN64)
  void Disable() {}
  void Revert() {}
#else
  void Disable() { off_ = Wow64DisableWow64FsRedirection(&previous_) != FALSE; }
  void Revert() {
    if (off_) Wow64RevertWow64FsRedirection(previous_);
    off_ = false;
  }
#endif
  void* previous_ = nullptr;
  bool off_ = false;
};

// Redirection back on for this thread while it lives, where a FileSystemRedirectionOff had
// turned it off; otherwise nothing.
class FileSystemRedirectionOn {
 public:
  FileSystemRedirectionOn() : off_(FileSystemRedirectionOff::Active()) {
    if (off_ && off_->off_) {
      off_->Revert();
      reverted_ = true;
    }
  }
  ~FileSystemRedirectionOn() {
    if (reverted_) off_->Disable();
  }
  FileSystemRedirectionOn(const FileSystemRedirectionOn&) = delete;
  FileSystemRedirectionOn& operator=(const FileSystemRedirectionOn&) = delete;

 private:
  FileSystemRedirectionOff* off_;
  bool reverted_ = false;
};
