// Moving and destroying the handle classes is the same on every backend;
// only opening and releasing differ.

#include "platform/file.h"
#include "platform/file_view.h"
#include "platform/ipc.h"
#include "platform/mapping.h"
#include "platform/process.h"

#include <utility>

namespace ravelock::platform {

File::File(File&& other) noexcept : handle_(std::exchange(other.handle_, kInvalid)) {}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    close();
    handle_ = std::exchange(other.handle_, kInvalid);
  }
  return *this;
}

File::~File() {
  close();
}

Mapping::Mapping(Mapping&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)),
      section_(std::exchange(other.section_, 0)) {}

Mapping& Mapping::operator=(Mapping&& other) noexcept {
  if (this != &other) {
    release();
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
    section_ = std::exchange(other.section_, 0);
  }
  return *this;
}

Mapping::~Mapping() {
  release();
}

FileView::FileView(FileView&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}

FileView& FileView::operator=(FileView&& other) noexcept {
  if (this != &other) {
    release();
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
  }
  return *this;
}

FileView::~FileView() {
  release();
}

SharedSection::SharedSection(SharedSection&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)),
      handle_(std::exchange(other.handle_, -1)) {}

SharedSection& SharedSection::operator=(SharedSection&& other) noexcept {
  if (this != &other) {
    close();
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
    handle_ = std::exchange(other.handle_, -1);
  }
  return *this;
}

SharedSection::~SharedSection() {
  close();
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : handle_(std::exchange(other.handle_, kNone)), status_(other.status_) {}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
  if (this != &other) {
    release();
    handle_ = std::exchange(other.handle_, kNone);
    status_ = other.status_;
  }
  return *this;
}

ChildProcess::~ChildProcess() {
  release();
}

} // namespace ravelock::platform
