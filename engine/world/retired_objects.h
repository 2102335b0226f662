#pragma once

#include <cstddef>

// Objects that a running update, input step, event or native call may still
// use are not deleted where they are given up: they are retired here, and
// the main loop deletes them at one safe point of the frame, after its update
// and input steps (and before the engine's members go at shut-down).
void RetireObject(void* object, void (*destroy)(void*));

template <typename T>
void RetireForDeletion(T* object)
{
    if (object)
        RetireObject(object, [](void* retired) { delete static_cast<T*>(retired); });
}

// Deletes what was retired, oldest first; what those deletions retire in
// turn goes too.
void DeleteRetiredObjects();
std::size_t RetiredObjectCount();
