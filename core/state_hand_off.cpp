// What the state file needs of the Core: objects made for a load before the state they replace
// goes, and adopted once the whole file has been read.
#include "core/core.h"
#include "core/core_parts.h"
#include "core/object.h"

std::unique_ptr<Object> Core::makeUnlistedObject(int type, const std::string& script, int id) {
    return ObjectList::make(objectFactory, this, type, script, id);
}

bool Core::adoptLoadedState(std::vector<std::unique_ptr<Object>> loaded, int nextId) {
    if (!resetScripting()) {
        return false;
    }
    parts->objects.reserve(loaded.size());
    for (std::unique_ptr<Object>& object : loaded) {
        parts->objects.append(object.get());  // owned by the unique_ptr until it is listed
        object.release();
    }
    nextObjectId = nextId;
    return true;
}

int Core::getNextObjectId() const {
    return nextObjectId;
}
