#include "engine/world/retired_objects.h"

#include <utility>
#include <vector>

namespace {

struct RetiredObject {
    void* object;
    void (*destroy)(void*);
};

std::vector<RetiredObject>& Retired()
{
    static std::vector<RetiredObject> retired;
    return retired;
}

} // namespace

void RetireObject(void* object, void (*destroy)(void*))
{
    if (object)
        Retired().push_back({object, destroy});
}

void DeleteRetiredObjects()
{
    // A destructor may retire more; those are taken in the next round.
    while (!Retired().empty()) {
        std::vector<RetiredObject> round;
        round.swap(Retired());
        for (const RetiredObject& retired : round)
            retired.destroy(retired.object);
    }
}

std::size_t RetiredObjectCount() { return Retired().size(); }
