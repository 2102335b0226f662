#pragma once

#include <cstdint>
#include <utility>

// Tells the user that an element was read from an empty array; the read then
// yields a default element instead of memory before the array.
void ReportEmptyArrayRead();

// The engine's growable list: {capacity, count, data}. It starts with room for
// five elements, grows by five (or to the count, if that is larger) and never
// shrinks by itself. Slots past count hold default-constructed elements.
template <typename T>
class DynArray {
public:
    static constexpr int32_t kStep = 5;

    int32_t capacity = 0;
    int32_t count = 0;
    T* data = nullptr;

    DynArray() : capacity(kStep), data(new T[kStep]) {}
    ~DynArray() { delete[] data; }
    DynArray(const DynArray&) = delete;
    DynArray& operator=(const DynArray&) = delete;

    // The element at min(i, count - 1): an index at or past the end reads the
    // last element, a negative one the first.
    T& At(int32_t i)
    {
        if (count <= 0) {
            ReportEmptyArrayRead();
            static T fallback;
            fallback = T{};
            return fallback;
        }
        if (i >= count)
            i = count - 1;
        if (i < 0)
            i = 0;
        return data[i];
    }
    const T& At(int32_t i) const { return const_cast<DynArray*>(this)->At(i); }

    // Stores value at index count and returns that index, growing first when full.
    int32_t Add(const T& value)
    {
        if (count >= capacity) {
            // value may be one of our own elements, which growing frees.
            const T kept(value);
            Reallocate(capacity + kStep > count ? capacity + kStep : count);
            data[count] = kept;
        } else {
            data[count] = value;
        }
        return count++;
    }

    // New capacity max(n, count); the first count elements are kept.
    void SetCapacity(int32_t n) { Reallocate(n > count ? n : count); }

    // Removes the element at i; the ones after it move down and keep their order.
    void RemoveAt(int32_t i)
    {
        if (i < 0 || i >= count)
            return;
        for (int32_t k = i; k + 1 < count; ++k)
            data[k] = std::move(data[k + 1]);
        --count;
        data[count] = T{};
    }

private:
    void Reallocate(int32_t newCapacity)
    {
        T* const block = newCapacity > 0 ? new T[newCapacity] : nullptr;
        for (int32_t k = 0; k < count; ++k)
            block[k] = data[k];
        delete[] data;
        data = block;
        capacity = newCapacity;
    }
};
