#pragma once
// One owning wrapper for every kind of Windows handle; the policy says what
// "empty" is and how the handle is closed.
#include <windows.h>

#include <utility>

template <class Policy>
class UniqueHandle {
public:
    using Type = typename Policy::Type;

    UniqueHandle() = default;
    explicit UniqueHandle(Type value) : value_(value) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : value_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    ~UniqueHandle() { reset(); }

    Type get() const { return value_; }
    explicit operator bool() const { return value_ != Policy::Empty(); }

    void reset(Type value = Policy::Empty()) {
        if (value_ != Policy::Empty()) Policy::Close(value_);
        value_ = value;
    }
    [[nodiscard]] Type release() { return std::exchange(value_, Policy::Empty()); }
    // Closes the old value, then hands out the slot for a function that fills it.
    Type* put() {
        reset();
        return &value_;
    }

private:
    Type value_ = Policy::Empty();
};

struct KernelHandlePolicy {  // threads, events, mappings, processes
    using Type = HANDLE;
    static Type Empty() { return nullptr; }
    static void Close(Type h) { ::CloseHandle(h); }
};
struct FileHandlePolicy {
    using Type = HANDLE;
    static Type Empty() { return INVALID_HANDLE_VALUE; }
    static void Close(Type h) { ::CloseHandle(h); }
};
struct FindHandlePolicy {
    using Type = HANDLE;
    static Type Empty() { return INVALID_HANDLE_VALUE; }
    static void Close(Type h) { ::FindClose(h); }
};
struct RegistryKeyPolicy {
    using Type = HKEY;
    static Type Empty() { return nullptr; }
    static void Close(Type h) { ::RegCloseKey(h); }
};
struct ModulePolicy {
    using Type = HMODULE;
    static Type Empty() { return nullptr; }
    static void Close(Type h) { ::FreeLibrary(h); }
};

struct GdiObjectPolicy {  // fonts, brushes, pens, bitmaps, regions
    using Type = HGDIOBJ;
    static Type Empty() { return nullptr; }
    static void Close(Type h) { ::DeleteObject(h); }
};
struct IconPolicy {  // icons and cursors made from bytes
    using Type = HICON;
    static Type Empty() { return nullptr; }
    static void Close(Type h) { ::DestroyIcon(h); }
};

using KernelHandle = UniqueHandle<KernelHandlePolicy>;
using GdiObject = UniqueHandle<GdiObjectPolicy>;
using IconHandle = UniqueHandle<IconPolicy>;
using FileHandle = UniqueHandle<FileHandlePolicy>;
using FindHandle = UniqueHandle<FindHandlePolicy>;
using RegistryKey = UniqueHandle<RegistryKeyPolicy>;
using ModuleHandle = UniqueHandle<ModulePolicy>;

// A COM interface reference that releases itself.
template <class T>
class ComRef {
public:
    ComRef() = default;
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    ~ComRef() { reset(); }
    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    void reset() {
        if (p_) p_->Release();
        p_ = nullptr;
    }
    T** put() {
        reset();
        return &p_;
    }
    void** putVoid() { return reinterpret_cast<void**>(put()); }

private:
    T* p_ = nullptr;
};
