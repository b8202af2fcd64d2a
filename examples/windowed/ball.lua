-- A ball: moves by its keys dx and dy every step, bounces off the window's edges (counting its
-- bounces in the shared "bounces"), and turns.
local right, bottom = 640 - 32, 480 - 32

function main(id)
  local x, y = getKey(id, "x"), getKey(id, "y")
  local dx, dy = getKey(id, "dx"), getKey(id, "dy")
  local angle = 0
  while true do
    x, y = x + dx, y + dy
    if x < 0 or x > right or y < 0 or y > bottom then
      bounces = (bounces or 0) + 1  -- a global of main's: shared by every ball
    end
    if x < 0 or x > right then dx = -dx end
    if y < 0 or y > bottom then dy = -dy end
    angle = (angle + 5) % 360
    setKey(id, "x", x)
    setKey(id, "y", y)
    setKey(id, "angle", angle)
    wait(pause(id, 0.01))  -- the next frame
  end
end
