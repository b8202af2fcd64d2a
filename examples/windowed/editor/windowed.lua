---@meta windowed
-- The function this host registers for its scripts, for the Lua language server (.luarc.json
-- lists this folder beside the engine's definitions).

---Whether a direction is held, on the arrow keys or on A, D, W and S.
---@param name "left"|"right"|"up"|"down"
---@return boolean held
function keyDown(name) end
