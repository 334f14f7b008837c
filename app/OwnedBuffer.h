#pragma once

// A byte buffer the window owns: null until created, page-aligned (direct pass-through
// needs the adapter's alignment), released on demand or with its owner.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>

class OwnedBuffer {
public:
    static constexpr std::size_t Alignment = 4096;

    std::uint8_t* Data() const { return m_bytes.get(); }
    std::size_t Size() const { return m_size; }
    explicit operator bool() const { return m_bytes != nullptr; }

    // A new buffer of the given size; the old content is dropped.
    void Allocate(std::size_t size)
    {
        m_bytes.reset(static_cast<std::uint8_t*>(::operator new(size ? size : 1, std::align_val_t { Alignment })));
        m_size = size;
    }
    void Release()
    {
        m_bytes.reset();
        m_size = 0;
    }

private:
    struct AlignedDelete {
        void operator()(std::uint8_t* bytes) const { ::operator delete(bytes, std::align_val_t { Alignment }); }
    };
    std::unique_ptr<std::uint8_t, AlignedDelete> m_bytes;
    std::size_t m_size = 0;
};
