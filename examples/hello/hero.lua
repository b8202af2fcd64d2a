-- Globals set at the top of the file are this object's own; others are shared by all scripts.
function main(id)
  while true do
    setKey(id, "steps", (getKey(id, "steps") or 0) + 1)
    wait(pause(id, 0.25))  -- resumes a quarter of a second of game time later
  end
end
