---@meta tumblix
-- What the Tumblix engine gives every script, described for the Lua language server (LuaLS):
-- completion, hover text and type checks in an editor. Never run: the engine makes these
-- itself. docs/scripting.md says how to point an editor at this file; functions a host
-- registers for its scripts go in a file of the host's own, made the same way.

---What `pause` returns and `wait` takes: one event of one object.
---@class tumblix.Event
---@field oid integer the object's id
---@field eid integer the event's number: 0 is the object's pause, others are the host's

---A key's value: a number, a string or a boolean.
---@alias tumblix.KeyValue number|string|boolean

---Starts the object's pause timer at `seconds` of game time, replacing any pause still running,
---and returns its event; never suspends the caller. `wait(pause(id, 0.5))` waits half a
---second. A pause of 0 or less never ends. Raises an error when `id` names no live object.
---@param id integer an object's id
---@param seconds number seconds of game time (not a number: 0)
---@return tumblix.Event event `{oid = id, eid = 0}`
function pause(id, seconds) end

---Suspends the calling script thread until the event happens; returns at once when it is not
---pending or another thread already waits for it. Only a script thread can wait: not the top
---of a script file, a metamethod, nor (on Lua 5.1) a function called through `pcall`.
---@param event tumblix.Event the last argument
function wait(event) end

---Makes an object (a plain one for type 0, one of the host's own types otherwise) and returns
---its id; starts no script.
---@param type integer 0, or a type number the host makes
---@param script string the object's script file, from the working directory
---@return integer id the new object's id; 0 when the host makes no object of the type
function newObject(type, script) end

---Destroys the object, its keys and its pending events. A script may delete its own object:
---its thread runs on until it waits or ends.
---@param id integer an object's id
---@return boolean deleted whether an object had the id
function deleteObject(id) end

---Reads a key of the object; nothing (nil) when it has no such key. Raises an error when `id`
---names no live object. A number names the key of its string form.
---@param id integer an object's id
---@param name string|number the key's name
---@return tumblix.KeyValue|nil value
function getKey(id, name) end

---Stores `value` under `name`, replacing whatever the key held, of any type. Raises an error
---when `id` names no live object; a value that is no number, string or boolean does nothing.
---@param id integer an object's id
---@param name string|number the key's name
---@param value tumblix.KeyValue
function setKey(id, name, value) end

---The shared variables: the globals that a script's functions assign and that every script
---reads. A state file saves them all, so each must then be a number, a string or a boolean.
---@type table<string, number|string|boolean>
state = {}

---The engine's Core, for the functions a host registers; scripts have no use for it.
---@type lightuserdata
core = nil
