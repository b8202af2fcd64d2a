// A game object: an id and a type number given by its Core, the path of the script that drives
// it, a pause timer and named, typed values called keys. Only Core::createObject makes objects
// and only the Core destroys them. A host adds object types of its own by deriving from Object
// and handing the Core a factory for them.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "../objects/key_type.h"
#include "pending_events.h"

class BinaryReader;
class BinaryWriter;
class Core;

// Aligned to a cache line, so the fields a frame reads share one.
class alignas(64) Object {
public:
    Object() = default;
    virtual ~Object();
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    // Called by the frame loop once per frame, in list order, with the frame's duration in
    // seconds. Counts the pause timer down and, when it runs out, signals the pause (event 0),
    // which resumes the script thread waiting on it inside this call. An override that does not
    // call this takes the countdown over.
    virtual void update(float elapsed);
    // Writes the object's part of a state file: the pause timer, then every key in name order.
    // A host type that overrides save must override load to read back exactly what it wrote.
    virtual void save(BinaryWriter& writer) const;
    // Reads what save wrote, setting each key read (keys already held stay unless replaced).
    // Stops at the first read past the end of the file, which the reader then reports. A load
    // reads each block once, into an object not yet listed, while the running state still
    // stands (it goes only once the whole file has been read): an override must change nothing
    // but its own object. The objects it reads (BinaryReader::readObject) are the file's.
    virtual void load(BinaryReader& reader);

    int getId() const { return id; }
    int getType() const { return type; }
    // Empty when the object has no script: no thread can be made for it.
    const std::string& getScript() const { return script; }
    // Seconds left of the current pause; 0 when not paused.
    float getWaitTimer() const { return *countdown; }
    Core* getCore() const { return core; }

    // --- Script threads and events: each passes this object to the Core's operation of the
    // same name and returns its result. ---
    bool startThread(const std::string& functionName);
    lua_State* createThread(const std::string& functionName);
    void resumeThread(lua_State* thread, int argCount);
    bool addLock(int eventId);
    void releaseLock(int eventId);
    // Sets the pause timer to `seconds` and adds the lock for event 0 unless one is pending. A
    // timer of 0 or less never runs down.
    void pause(float seconds);

    // --- Keys ---
    // The key stored under `name`, or null; never adds an entry.
    KeyType* getKey(const std::string& name) const;
    // Takes ownership of `value` (not null, held by no object) and stores it under `name`,
    // destroying the key that held the name before.
    void setKey(const std::string& name, KeyType* value);
    void setNumber(const std::string& name, const double& value);
    void setString(const std::string& name, const std::string& value);
    void setBool(const std::string& name, const bool& value);
    // The value of the key `name`; 0, the empty string or false when there is no such key or
    // it holds another type.
    double getNumber(const std::string& name) const;
    std::string getString(const std::string& name) const;
    bool getBool(const std::string& name) const;
    // Objects refer to one another by id, kept in a number key: getObject truncates the number
    // toward zero and finds the live object with that id; null when there is none or no such
    // number key.
    Object* getObject(const std::string& name) const;
    void setObject(const std::string& name, const Object* other);

protected:
    // The pause timer of an object of a host type. A plain Object's lives in its list while
    // listed (see countdown).
    float waitTimer = 0.0f;

private:
    // The list owns an object's place, its identity and its pending events (object_list.h): a
    // node's links, which no host may change.
    friend class ObjectList;

    // What every wake reads, on the object's first two cache lines: the first has the events.
    int id = 0;
    int type = 0;
    bool firstWithId = false;  // the object findObject answers for its id
    Core* core = nullptr;
    PendingEvents events;
    // Where the pause timer is: waitTimer, or for a plain Object while it is listed, its place
    // in the list, so that the frame walk counts it down without reading the object.
    float* countdown = &waitTimer;

protected:
    // Ordered by byte-wise comparison of the names (unsigned bytes): the order keys are saved in.
    std::map<std::string, KeyType*> keys;

private:
    std::string script;
    size_t listSlot = 0;               // index in the Core's object list while listed
    Object* nextWithSameId = nullptr;  // the next live object in list order with this id
};
