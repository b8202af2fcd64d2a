// What the state file needs of the Core: objects made for a load before the state they replace
// goes, and adopted once the whole file has been read.
#include "core/core.h"
#include "objects/object.h"

std::unique_ptr<Object> Core::makeUnlistedObject(int type, const std::string& script, int id) {
    return makeObject(type, script, id);
}

bool Core::adoptLoadedState(std::vector<std::unique_ptr<Object>> loaded, int nextId) {
    if (!resetScripting()) {
        return false;
    }
    objectsById.reserve(loaded.size());
    for (std::unique_ptr<Object>& object : loaded) {
        appendObject(object.get());  // owned by the unique_ptr until it is listed
        object.release();
    }
    nextObjectId = nextId;
    return true;
}

int Core::getNextObjectId() const {
    return nextObjectId;
}
