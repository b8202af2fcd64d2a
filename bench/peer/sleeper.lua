-- The peer benchmark's scripted object: waits a random 0.1 to 1 second, counts the wake in its
-- key "n", and again. The wait times come from a Park-Miller sequence seeded by the object's id,
-- so every run, and the LÖVE project's copy of this loop (love/main.lua), sees the same ones.

function main(id)
  local seed = id
  while true do
    seed = seed * 16807 % 2147483647
    wait(pause(id, 0.1 + 0.9 * (seed / 2147483647)))
    setKey(id, "n", (getKey(id, "n") or 0) + 1)
  end
end
