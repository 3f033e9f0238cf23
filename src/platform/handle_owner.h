#pragma once
// Owners for the Windows handles and COM interfaces the library holds: each
// is released on every way out of a request, thrown errors included.

#include <utility>

namespace kelto {

// Traits name the handle type, the value that means "no handle" and how a
// handle is given back; FindFirstFileW and OpenDesktopA disagree on the first.
template <class Traits>
class UniqueHandle {
public:
    using Handle = typename Traits::Handle;

    UniqueHandle() noexcept = default;
    explicit UniqueHandle(Handle handle) noexcept : handle_(handle) {}
    ~UniqueHandle() { reset(); }

    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(std::exchange(other.handle_, Traits::invalid())) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            reset();
            handle_ = std::exchange(other.handle_, Traits::invalid());
        }
        return *this;
    }

    Handle get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return handle_ != Traits::invalid(); }

    void reset() noexcept {
        if (handle_ != Traits::invalid()) Traits::close(std::exchange(handle_, Traits::invalid()));
    }

private:
    Handle handle_ = Traits::invalid();
};

// Holds one reference of a COM interface.
template <class Interface>
class ComPtr {
public:
    ComPtr() noexcept = default;
    ~ComPtr() { reset(); }

    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;

    Interface* get() const noexcept { return pointer_; }
    Interface* operator->() const noexcept { return pointer_; }
    explicit operator bool() const noexcept { return pointer_ != nullptr; }

    // The out-parameter of CoCreateInstance and QueryInterface; drops the
    // reference held so far, so the new one cannot leak it.
    void** receive() noexcept {
        reset();
        return reinterpret_cast<void**>(&pointer_);
    }

    void reset() noexcept {
        if (pointer_ != nullptr) std::exchange(pointer_, nullptr)->Release();
    }

private:
    Interface* pointer_ = nullptr;
};

}  // namespace kelto
