#pragma once

#include <cstdint>
#include <cstddef>

// A 32-bit reference to an engine object that scripts, savegames or other
// objects hold across frames. The low 20 bits name a slot of the table, the
// high 12 bits the slot's generation. Releasing the object bumps the
// generation, so a handle kept past the object's life resolves to null
// instead of reaching whatever took the slot next. 0 is never a handle.
using ObjectHandle = std::uint32_t;
constexpr ObjectHandle kNoObject = 0;

// What a handle names; resolving with another kind gives null, so a script
// value of one class can never reach an object of another.
enum class ObjectKind : std::uint8_t {
    Any = 0, // only as a resolving wildcard
    Object, // a script cObject (cKestruneObjectHandle)
    Character,
    Text,
    Image,
    MeshSprite,
    Script,
    Video,
    ScreenControl,
    Test,
};

// Enters object into the table; kNoObject when object is null or the table
// is full (2^20 live objects).
ObjectHandle RegisterObject(void* object, ObjectKind kind);
// Frees the handle's slot; a stale or unknown handle is ignored.
void ReleaseObject(ObjectHandle handle);
// The live object the handle names when its kind matches (Any matches every
// kind); null for 0, a stale handle or another kind.
void* ResolveObject(ObjectHandle handle, ObjectKind kind);
template <typename T>
T* ResolveObjectAs(ObjectHandle handle, ObjectKind kind)
{
    return static_cast<T*>(ResolveObject(handle, kind));
}
std::size_t LiveObjectCount();

// An object's own entry in the table: made with the object, released with it.
// Objects that scripts or savegames reach by identity hold one as a member.
class cObjectHandleEntry {
public:
    cObjectHandleEntry(void* object, ObjectKind kind) : handle_(RegisterObject(object, kind)) {}
    ~cObjectHandleEntry() { ReleaseObject(handle_); }
    cObjectHandleEntry(const cObjectHandleEntry&) = delete;
    cObjectHandleEntry& operator=(const cObjectHandleEntry&) = delete;

    ObjectHandle Handle() const { return handle_; }

private:
    ObjectHandle handle_;
};
