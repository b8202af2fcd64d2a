-- The ship: the arrow keys (or W, A, S and D) move it four pixels a step, within the window.
-- keyDown is a function the host registered.
local right, bottom = 640 - 32, 480 - 32

function main(id)
  while true do
    local x, y = getKey(id, "x"), getKey(id, "y")
    if keyDown("left") then x = x - 4 end
    if keyDown("right") then x = x + 4 end
    if keyDown("up") then y = y - 4 end
    if keyDown("down") then y = y + 4 end
    setKey(id, "x", math.max(0, math.min(right, x)))
    setKey(id, "y", math.max(0, math.min(bottom, y)))
    wait(pause(id, 0.01))  -- the next frame
  end
end
