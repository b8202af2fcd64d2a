-- The foreman hires three workers, one every half second. What it has done is kept in a key,
-- which a save keeps, so that main can pick up where it was when it starts again after a load.
function main(id)
  while (getKey(id, "hired") or 0) < 3 do
    local worker = newObject(0, "worker.lua")
    setKey(id, "hired", (getKey(id, "hired") or 0) + 1)
    say("foreman hires worker " .. worker)
    wait(pause(id, 0.5))
  end
  say("foreman has hired everyone")
end
